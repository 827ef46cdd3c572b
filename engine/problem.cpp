#include "engine/problem.h"

#include <algorithm>
#include <cmath>

namespace rundel::engine {

bool CostMatrix::symmetric() const {
    for (std::int32_t from = 0; from < size_; ++from) {
        for (std::int32_t to = from + 1; to < size_; ++to) {
            if ((*this)(from, to) != (*this)(to, from)) {
                return false;
            }
        }
    }
    return true;
}

namespace tsplib {
namespace {
/// TSPLIB's nint: the nearest integer, halves rounded up, as (int)(x + 0.5).
double nint(double x) {
    return std::floor(x + 0.5);
}
} // namespace

double euc_2d(double x1, double y1, double x2, double y2) {
    return nint(std::hypot(x1 - x2, y1 - y2));
}

double ceil_2d(double x1, double y1, double x2, double y2) {
    return std::ceil(std::hypot(x1 - x2, y1 - y2));
}

double att(double x1, double y1, double x2, double y2) {
    const double xd = x1 - x2;
    const double yd = y1 - y2;
    const double r = std::sqrt((xd * xd + yd * yd) / 10.0);
    const double t = nint(r);
    return t < r ? t + 1 : t;
}

double geo_radians(double degrees_minutes) {
    // TSPLIB's own value of pi, and the whole degrees cut off (not rounded), as its optima
    // were computed.
    constexpr double kPi = 3.141592;
    const double degrees = std::trunc(degrees_minutes);
    const double minutes = degrees_minutes - degrees;
    return kPi * (degrees + 5.0 * minutes / 3.0) / 180.0;
}

double geo(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRadius = 6378.388;
    const double q1 = std::cos(lon1 - lon2);
    const double q2 = std::cos(lat1 - lat2);
    const double q3 = std::cos(lat1 + lat2);
    // Rounding may push the cosine of two equal places a hair past 1.
    const double cosine = std::clamp(0.5 * ((1.0 + q1) * q2 - (1.0 - q1) * q3), -1.0, 1.0);
    return std::trunc(kRadius * std::acos(cosine) + 1.0);
}
} // namespace tsplib

double Problem::cost(std::int32_t from, std::int32_t to) const {
    const auto at = [this](std::int32_t node) -> const Point& {
        return exact[static_cast<std::size_t>(node) - 1];
    };
    switch (weight) {
    case EdgeWeight::Plane: {
        const NodeRec& a = nodes[static_cast<std::size_t>(from)];
        const NodeRec& b = nodes[static_cast<std::size_t>(to)];
        return std::hypot(static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y);
    }
    case EdgeWeight::Euc2D:
        return tsplib::euc_2d(at(from).x, at(from).y, at(to).x, at(to).y);
    case EdgeWeight::Ceil2D:
        return tsplib::ceil_2d(at(from).x, at(from).y, at(to).x, at(to).y);
    case EdgeWeight::Att:
        return tsplib::att(at(from).x, at(from).y, at(to).x, at(to).y);
    case EdgeWeight::Geo:
        return tsplib::geo(at(from).x, at(from).y, at(to).x, at(to).y);
    case EdgeWeight::Explicit:
        return matrix(from - 1, to - 1);
    }
    return 0;
}

PointSet located_points(const Problem& problem) {
    PointSet points;
    if (problem.weight == EdgeWeight::Explicit) {
        return points;
    }
    const std::int32_t n = problem.size();
    points.at.reserve(static_cast<std::size_t>(n));
    for (std::int32_t i = 0; i < n; ++i) {
        if (problem.weight == EdgeWeight::Plane || problem.weight == EdgeWeight::Euc2D) {
            const NodeRec& node = problem.nodes[static_cast<std::size_t>(i) + 1];
            points.at.push_back({node.x, node.y});
        } else {
            const Point& at = problem.exact[static_cast<std::size_t>(i)];
            points.at.push_back(
                problem.weight == EdgeWeight::Geo ? Point{at.y * std::cos(at.x), at.x} : at);
        }
    }
    return points;
}

double tour_cost(const Problem& problem, const std::vector<std::int32_t>& order, bool open) {
    double length = 0;
    for (std::size_t i = 0; i + 1 < order.size(); ++i) {
        length += problem.cost(order[i], order[i + 1]);
    }
    if (!open && order.size() > 1) {
        length += problem.cost(order.back(), order.front());
    }
    return length;
}

} // namespace rundel::engine

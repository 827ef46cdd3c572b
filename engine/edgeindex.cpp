#include "engine/edgeindex.h"

#include "engine/geometry.h"
#include "engine/orderedtour.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace rundel::engine {
namespace {

constexpr std::int32_t kLeafSize = 8;
constexpr float kInf = std::numeric_limits<float>::infinity();

// The computed cost of an edge differs from its exact geometric value by the rounding of the
// three float distances (relative 2^-24 each, plus double rounding) and of the result. These
// margins are an order of magnitude wider than that; the absolute term covers subnormals.
constexpr double kRelativeMargin = 1e-6;
constexpr double kAbsoluteMargin = 1e-44;

double gap(float value, float low, float high) {
    if (value < low) {
        return static_cast<double>(low) - static_cast<double>(value);
    }
    if (value > high) {
        return static_cast<double>(value) - static_cast<double>(high);
    }
    return 0.0;
}

} // namespace

EdgeIndex::EdgeIndex(const std::vector<NodeRec>& nodes, std::int32_t count)
    : nodes_(nodes), order_(static_cast<std::size_t>(count)),
      leaf_of_(static_cast<std::size_t>(count) + 1, -1) {
    for (std::int32_t i = 0; i < count; ++i) {
        order_[static_cast<std::size_t>(i)] = i + 1;
    }
    cells_.reserve(static_cast<std::size_t>(count / kLeafSize) * 4 + 4);
    cells_.push_back({});
    cells_[0].parent = -1;
    build(0, 0, count);
}

void EdgeIndex::build(std::int32_t cell, std::int32_t lo, std::int32_t hi) {
    float x0 = kInf, y0 = kInf, x1 = -kInf, y1 = -kInf;
    for (std::int32_t i = lo; i < hi; ++i) {
        const NodeRec& n = nodes_[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])];
        x0 = std::min(x0, n.x);
        y0 = std::min(y0, n.y);
        x1 = std::max(x1, n.x);
        y1 = std::max(y1, n.y);
    }
    {
        Cell& c = cells_[static_cast<std::size_t>(cell)];
        c.px0 = x0;
        c.py0 = y0;
        c.px1 = x1;
        c.py1 = y1;
        c.ex0 = c.ey0 = kInf;
        c.ex1 = c.ey1 = -kInf;
        c.lmax = -1.0F;
        c.head = 0;
        c.lo = lo;
        c.hi = hi;
        c.child = -1;
    }
    if (hi - lo <= kLeafSize) {
        for (std::int32_t i = lo; i < hi; ++i) {
            leaf_of_[static_cast<std::size_t>(order_[static_cast<std::size_t>(i)])] = cell;
        }
        return;
    }
    // Split the wider side at the median; the extents are compared in double because a
    // float difference of far-apart coordinates can overflow.
    const bool by_x = static_cast<double>(x1) - x0 >= static_cast<double>(y1) - y0;
    const std::int32_t mid = lo + (hi - lo) / 2;
    auto first = order_.begin() + lo;
    std::nth_element(first, order_.begin() + mid, order_.begin() + hi,
                     [this, by_x](std::int32_t a, std::int32_t b) {
                         const NodeRec& na = nodes_[static_cast<std::size_t>(a)];
                         const NodeRec& nb = nodes_[static_cast<std::size_t>(b)];
                         return by_x ? na.x < nb.x : na.y < nb.y;
                     });
    const auto child = static_cast<std::int32_t>(cells_.size());
    cells_.push_back({});
    cells_.push_back({});
    cells_[static_cast<std::size_t>(cell)].child = child;
    cells_[static_cast<std::size_t>(child)].parent = cell;
    cells_[static_cast<std::size_t>(child) + 1].parent = cell;
    build(child, lo, mid);
    build(child + 1, mid, hi);
}

void EdgeIndex::refresh_leaf(Cell& cell, const OrderedTour& tour) const {
    cell.ex0 = cell.ey0 = kInf;
    cell.ex1 = cell.ey1 = -kInf;
    cell.lmax = -1.0F;
    cell.head = 0;
    for (std::int32_t i = cell.lo; i < cell.hi; ++i) {
        const std::int32_t owner = order_[static_cast<std::size_t>(i)];
        const NodeRec& a = nodes_[static_cast<std::size_t>(owner)];
        if (!a.visited) {
            continue;
        }
        const NodeRec& b = nodes_[static_cast<std::size_t>(tour.successor(owner))];
        cell.ex0 = std::min({cell.ex0, a.x, b.x});
        cell.ey0 = std::min({cell.ey0, a.y, b.y});
        cell.ex1 = std::max({cell.ex1, a.x, b.x});
        cell.ey1 = std::max({cell.ey1, a.y, b.y});
        cell.lmax = std::max(cell.lmax, node_distance(a.x, a.y, b.x, b.y));
        if (cell.head == 0 || tour.precedes(owner, cell.head)) {
            cell.head = owner;
        }
    }
}

void EdgeIndex::merge(Cell& cell, const Cell& left, const Cell& right, const OrderedTour& tour) {
    cell.ex0 = std::min(left.ex0, right.ex0);
    cell.ey0 = std::min(left.ey0, right.ey0);
    cell.ex1 = std::max(left.ex1, right.ex1);
    cell.ey1 = std::max(left.ey1, right.ey1);
    cell.lmax = std::max(left.lmax, right.lmax);
    if (left.head == 0 || (right.head != 0 && tour.precedes(right.head, left.head))) {
        cell.head = right.head;
    } else {
        cell.head = left.head;
    }
}

void EdgeIndex::refresh(std::int32_t node, const OrderedTour& tour) {
    std::int32_t at = leaf_of_[static_cast<std::size_t>(node)];
    refresh_leaf(cells_[static_cast<std::size_t>(at)], tour);
    at = cells_[static_cast<std::size_t>(at)].parent;
    while (at >= 0) {
        Cell& cell = cells_[static_cast<std::size_t>(at)];
        merge(cell, cells_[static_cast<std::size_t>(cell.child)],
              cells_[static_cast<std::size_t>(cell.child) + 1], tour);
        at = cell.parent;
    }
}

double EdgeIndex::lower_bound(const Cell& cell, float x, float y) {
    // Every edge (a, b) below the cell lies in its edge box, has a in its node box and a true
    // length at most lmax. Its exact cost e = |ak| + |kb| - |ab| then satisfies
    //   e >= sqrt(L^2 + 4h^2) - L   (h: distance of k from the edge box, L: length bound)
    //   e >= 2 (D - L)              (D: distance of k from the node box)
    // and the rounded cost is at least e less the rounding margins.
    const double length = static_cast<double>(cell.lmax) * (1.0 + kRelativeMargin);
    const double hx = gap(x, cell.ex0, cell.ex1);
    const double hy = gap(y, cell.ey0, cell.ey1);
    const double h2 = hx * hx + hy * hy;
    double bound = h2 > 0.0 ? 4.0 * h2 / (std::sqrt(length * length + 4.0 * h2) + length) : 0.0;
    const double dx = gap(x, cell.px0, cell.px1);
    const double dy = gap(y, cell.py0, cell.py1);
    bound = std::max(bound, 2.0 * (std::sqrt(dx * dx + dy * dy) - length));
    return bound * (1.0 - kRelativeMargin) - kRelativeMargin * length - kAbsoluteMargin;
}

std::int32_t EdgeIndex::cheapest_edge(std::int32_t k, const OrderedTour& tour) {
    const NodeRec& node = nodes_[static_cast<std::size_t>(k)];
    const float x = node.x;
    const float y = node.y;
    std::int32_t best = 0;
    float best_cost = kSentinel;

    // A cell can be skipped when none of its edges can cost less than the best place so far,
    // nor cost the same from an earlier tour position. NaN bounds never skip.
    auto skip = [&](double bound, std::int32_t head) {
        if (head == 0) {
            return true;
        }
        if (best == 0) {
            return bound >= static_cast<double>(kSentinel);
        }
        if (bound > static_cast<double>(best_cost)) {
            return true;
        }
        return bound >= static_cast<double>(best_cost) && !tour.precedes(head, best);
    };

    stack_.clear();
    stack_.emplace_back(0, lower_bound(cells_[0], x, y));
    while (!stack_.empty()) {
        const auto [id, bound] = stack_.back();
        stack_.pop_back();
        const Cell& cell = cells_[static_cast<std::size_t>(id)];
        if (skip(bound, cell.head)) {
            continue;
        }
        if (cell.child < 0) {
            for (std::int32_t i = cell.lo; i < cell.hi; ++i) {
                const std::int32_t owner = order_[static_cast<std::size_t>(i)];
                const NodeRec& a = nodes_[static_cast<std::size_t>(owner)];
                if (!a.visited) {
                    continue;
                }
                const NodeRec& b = nodes_[static_cast<std::size_t>(tour.successor(owner))];
                const float cost =
                    insertion_cost(node_distance(a.x, a.y, x, y), node_distance(x, y, b.x, b.y),
                                   node_distance(a.x, a.y, b.x, b.y));
                if (cost < kSentinel && (best == 0 || cost < best_cost ||
                                         (cost == best_cost && tour.precedes(owner, best)))) {
                    best = owner;
                    best_cost = cost;
                }
            }
            continue;
        }
        const std::int32_t left = cell.child;
        const std::int32_t right = cell.child + 1;
        const double left_bound = lower_bound(cells_[static_cast<std::size_t>(left)], x, y);
        const double right_bound = lower_bound(cells_[static_cast<std::size_t>(right)], x, y);
        // The more promising child goes on top, so it is searched first.
        if (left_bound <= right_bound) {
            stack_.emplace_back(right, right_bound);
            stack_.emplace_back(left, left_bound);
        } else {
            stack_.emplace_back(left, left_bound);
            stack_.emplace_back(right, right_bound);
        }
    }
    return best;
}

} // namespace rundel::engine

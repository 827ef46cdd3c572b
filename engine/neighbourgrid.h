#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace rundel::engine {

struct Point {
    double x = 0;
    double y = 0;
};

/// Plane points in double precision, indexed from 0.
struct PointSet {
    std::vector<Point> at;

    [[nodiscard]] std::int32_t size() const { return static_cast<std::int32_t>(at.size()); }
    [[nodiscard]] const Point& operator[](std::int32_t i) const {
        return at[static_cast<std::size_t>(i)];
    }
    [[nodiscard]] double distance(std::int32_t a, std::int32_t b) const {
        const double dx = (*this)[a].x - (*this)[b].x;
        const double dy = (*this)[a].y - (*this)[b].y;
        return std::sqrt(dx * dx + dy * dy);
    }
};

/// The most neighbours a point may be given.
inline constexpr std::int32_t kMaxNeighbours = 32;

/// The k nearest other points of every point, nearest first, found through a uniform grid
/// of about two points a cell. Memory is k + a few integers a point.
class NeighbourLists {
public:
    NeighbourLists(const PointSet& points, std::int32_t k);
    /// The k cheapest other nodes of each of @p count nodes by @p cost (node, other), found
    /// by looking at every pair: for costs that are not plane distances (a matrix).
    NeighbourLists(std::int32_t count, std::int32_t k,
                   const std::function<double(std::int32_t, std::int32_t)>& cost);

    /// Makes room among each point's neighbours for points in the directions they miss:
    /// keeps the @p kept nearest and fills the rest first with the nearest others among
    /// the two nearest in each quadrant around the point (looked for within a few cells),
    /// then with the nearest again; each list stays nearest first. On a clustered layout a
    /// point's nearest all lie in its own cluster, and the edges a tour needs to leave it
    /// would be missing.
    void spread(const PointSet& points, std::int32_t kept);

    /// One more point, whose neighbours are @p neighbours (the first k() of them).
    void add(const std::vector<std::int32_t>& neighbours);

    [[nodiscard]] std::int32_t k() const { return k_; }
    /// The neighbours of @p point: k() entries, or fewer when there are fewer other points.
    [[nodiscard]] const std::int32_t* of(std::int32_t point) const {
        return &list_[static_cast<std::size_t>(point) * static_cast<std::size_t>(k_)];
    }
    [[nodiscard]] std::int32_t count(std::int32_t point) const {
        return counts_[static_cast<std::size_t>(point)];
    }

private:
    std::int32_t k_;
    std::vector<std::int32_t> list_;
    std::vector<std::uint8_t> counts_;
};

} // namespace rundel::engine

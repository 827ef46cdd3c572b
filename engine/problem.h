#pragma once

#include "engine/neighbourgrid.h"
#include "engine/noderec.h"

#include <cstdint>
#include <vector>

namespace rundel::engine {

/// How the cost of travelling from one node to another is measured.
enum class EdgeWeight {
    Plane,    ///< straight lines between plane coordinates (node files without a weight type)
    Euc2D,    ///< TSPLIB EUC_2D: straight lines rounded to the nearest integer
    Ceil2D,   ///< TSPLIB CEIL_2D: straight lines rounded up
    Att,      ///< TSPLIB ATT: the pseudo-Euclidean distance
    Geo,      ///< TSPLIB GEO: whole kilometres on a sphere, coordinates in degrees.minutes
    Explicit, ///< a cost matrix, number by number
};

/// A square matrix of costs: the cell (from, to) is the cost of travelling from node `from` to
/// node `to`, both 0-based. Costs are held as float: exact for whole numbers up to 2^24, and
/// seven significant digits for the rest, which no measured distance exceeds.
class CostMatrix {
public:
    CostMatrix() = default;
    explicit CostMatrix(std::int32_t size)
        : size_(size), cells_(static_cast<std::size_t>(size) * static_cast<std::size_t>(size)) {}

    [[nodiscard]] std::int32_t size() const { return size_; }
    [[nodiscard]] float operator()(std::int32_t from, std::int32_t to) const {
        return cells_[index(from, to)];
    }
    float& at(std::int32_t from, std::int32_t to) { return cells_[index(from, to)]; }
    /// True when every cost is the same in both directions (the diagonal is not read).
    [[nodiscard]] bool symmetric() const;

private:
    [[nodiscard]] std::size_t index(std::int32_t from, std::int32_t to) const {
        return static_cast<std::size_t>(from) * static_cast<std::size_t>(size_) +
               static_cast<std::size_t>(to);
    }

    std::int32_t size_ = 0;
    std::vector<float> cells_;
};

/// What the engine solves: the nodes, where they are and what travelling between them costs.
/// Node numbers are 1-based, as in node files and result files.
struct Problem {
    EdgeWeight weight = EdgeWeight::Plane;
    /// Coordinates, slot 0 unused. For a matrix they are display data only and may be absent
    /// (then only slot 0 exists).
    std::vector<NodeRec> nodes;
    /// The coordinates as written, in double precision, for the TSPLIB weight types that are
    /// computed from them (0-based); for Geo in radians, x the latitude and y the longitude.
    /// Empty for Plane, which measures the float coordinates of `nodes`.
    std::vector<Point> exact;
    CostMatrix matrix; ///< Explicit only
    /// False for a matrix without display data: the node records are there, but all zero.
    bool located = true;
    /// True when some cost differs between the two directions: a tour is then read in its
    /// direction of travel, and no move may turn a part of it round.
    bool asymmetric = false;

    [[nodiscard]] std::int32_t size() const {
        return weight == EdgeWeight::Explicit ? matrix.size()
                                              : static_cast<std::int32_t>(nodes.size()) - 1;
    }
    /// The cost from node @p from to node @p to (node numbers), as the weight type defines it.
    [[nodiscard]] double cost(std::int32_t from, std::int32_t to) const;
};

/// Where the nodes lie on a plane (0-based), for building on and for finding near neighbours:
/// the node table's coordinates, TSPLIB's measured ones as written, GEO's unrolled about each
/// node's own latitude (a sinusoidal projection, in radians), which keeps near places near.
/// Empty for a matrix.
[[nodiscard]] PointSet located_points(const Problem& problem);

/// The TSPLIB distance functions, exactly as TSPLIB 95 defines them.
namespace tsplib {
[[nodiscard]] double euc_2d(double x1, double y1, double x2, double y2);
[[nodiscard]] double ceil_2d(double x1, double y1, double x2, double y2);
[[nodiscard]] double att(double x1, double y1, double x2, double y2);
/// Latitude and longitude as TSPLIB writes them (degrees.minutes) in radians.
[[nodiscard]] double geo_radians(double degrees_minutes);
/// Whole kilometres between two points given in radians (latitude, longitude).
[[nodiscard]] double geo(double lat1, double lon1, double lat2, double lon2);
} // namespace tsplib

/// The length of the tour @p order (node numbers in the order of travel), closed back to its
/// first node unless @p open.
[[nodiscard]] double tour_cost(const Problem& problem, const std::vector<std::int32_t>& order,
                               bool open = false);

} // namespace rundel::engine

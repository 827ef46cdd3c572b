#pragma once

#include "engine/problem.h"
#include "engine/result.h"
#include "engine/tourimprover.h"

#include <cstdint>
#include <vector>

namespace rundel::engine {

/// Where a route begins and ends (node numbers; 0: not fixed). The default is the round trip
/// from node 1 that node files have always had.
struct RouteEnds {
    std::int32_t start = 0; ///< the first stop (a round trip opens there too)
    std::int32_t end = 0;   ///< the last stop of an open route
    bool open = false;      ///< no return to the first stop; an end makes a route open

    [[nodiscard]] bool is_open() const { return open || (end != 0 && end != start); }
    /// True when anything differs from a round trip from node 1.
    [[nodiscard]] bool chosen() const { return start != 0 || end != 0 || open; }
    [[nodiscard]] bool operator==(const RouteEnds&) const = default;
};

/// What solve() does beyond the construction.
struct SolveOptions {
    bool improve = false;       ///< shorten the constructed tour (TourImprover, DirectedSearch)
    ImproveOptions improvement; ///< budget, seed and time cap of the improvement
    RouteEnds ends;             ///< a round trip from node 1 unless said otherwise
};

/// Up to this many nodes an open route, and an improved round trip, is found by exact search.
inline constexpr std::int32_t kExactNodes = 12;

/// A route and its figures.
struct Solution {
    /// Node numbers in the order of travel: a round trip from its start (node 1 unless
    /// another was asked), the return to it implied; an open route from its first stop to
    /// its last.
    std::vector<std::int32_t> tour;
    bool open = false;
    double length = 0;             ///< its length (with the return, for a round trip)
    double constructed_length = 0; ///< the same before the improvement
    ImproveResult improvement;     ///< what the improvement did (nothing when not asked)
    bool exact = false;            ///< found by exact search: no shorter route exists
};

/// The construction over a problem's nodes: node numbers in the order of travel, the
/// opening node first. Coordinates are built on by farthest-from-centre cheapest insertion
/// (GEO's projected onto the plane, each about its own latitude); a matrix by CostInsertion.
[[nodiscard]] std::vector<std::int32_t> construct(const Problem& problem);

/// Builds and, when asked, improves a route through every node of @p problem; value in,
/// value out, no state kept. The same problem and options give the same route. Fails for a
/// problem without nodes, and for ends that name no node of it.
[[nodiscard]] Result<Solution> solve(const Problem& problem, const SolveOptions& options = {});

} // namespace rundel::engine

#pragma once

#include "engine/problem.h"
#include "engine/result.h"
#include "engine/tourimprover.h"

#include <cstdint>
#include <vector>

namespace rundel::engine {

/// What solve() does beyond the construction.
struct SolveOptions {
    bool improve = false;       ///< shorten the constructed tour (TourImprover, DirectedSearch)
    ImproveOptions improvement; ///< budget, seed and time cap of the improvement
};

/// A round trip and its figures.
struct Solution {
    /// Node numbers in the order of travel, from node 1; the return to node 1 is implied.
    std::vector<std::int32_t> tour;
    double length = 0;             ///< closed length, in the problem's own measure
    double constructed_length = 0; ///< the same before the improvement
    ImproveResult improvement;     ///< what the improvement did (nothing when not asked)
};

/// The construction over a problem's nodes: node numbers in the order of travel, the
/// opening node first. Coordinates are built on by farthest-from-centre cheapest insertion
/// (GEO's projected onto the plane, each about its own latitude); a matrix by CostInsertion.
[[nodiscard]] std::vector<std::int32_t> construct(const Problem& problem);

/// Builds and, when asked, improves a round trip through every node of @p problem; value in,
/// value out, no state kept. The same problem and options give the same tour. Fails for a
/// problem without nodes.
[[nodiscard]] Result<Solution> solve(const Problem& problem, const SolveOptions& options = {});

} // namespace rundel::engine

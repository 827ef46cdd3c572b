#pragma once

#include "engine/neighbourgrid.h"
#include "engine/problem.h"
#include "engine/tourimprover.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace rundel::engine {

/// Shortens a closed tour whose costs depend on the direction of travel (an asymmetric
/// matrix: one-way streets, turns). Only moves that keep every part of the tour in its
/// direction are made, so no move is judged by the cost of the wrong direction: Or-opt (a
/// segment of 1 to 3 nodes moved elsewhere), the segment exchange of 3-opt ("or3": two
/// neighbouring parts of the tour swap places) and, for the iterated search, local
/// double-bridge kicks (two short neighbouring blocks swapped), each kept only when the tour
/// gets shorter. Candidates are each node's cheapest successors and predecessors.
class DirectedSearch {
public:
    using Cost = std::function<double(std::int32_t, std::int32_t)>;

    /// @param cost the cost from one point to another (0-based);
    /// @param order a permutation of 0..count-1 in the order of travel, replaced by one never
    /// longer. Tours of fewer than 4 points are left as they are.
    static ImproveResult improve(std::int32_t count, const Cost& cost,
                                 std::vector<std::int32_t>& order,
                                 const ImproveOptions& options = {});
    /// The same over a cost matrix (row: from, column: to).
    static ImproveResult improve(const CostMatrix& matrix, std::vector<std::int32_t>& order,
                                 const ImproveOptions& options = {});
};

} // namespace rundel::engine

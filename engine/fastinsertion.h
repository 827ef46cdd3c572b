#pragma once

#include "engine/noderec.h"

#include <cstdint>
#include <vector>

namespace rundel::engine {

/// Farthest-from-centre cheapest insertion in near-linear time. Builds exactly the tour of
/// the plain method (same node at every position), ties and sentinel included.
class FastInsertion {
public:
    /// Expects centre_dist filled and every node unvisited. Writes tour[1..count] and marks
    /// every node visited. False, with nothing changed, when the table holds a value the
    /// plain method would treat differently (a NaN distance); the caller then runs that.
    [[nodiscard]] static bool run(std::vector<NodeRec>& nodes, std::int32_t count,
                                  std::vector<std::int32_t>& tour);
};

} // namespace rundel::engine

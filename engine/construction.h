#pragma once

#include "engine/noderec.h"
#include "engine/result.h"

#include <cstdint>
#include <vector>

// Farthest-from-centre cheapest insertion on a node table (slot 0 unused), in place: the
// building blocks that the route engine's own table and solve() share.
namespace rundel::engine {

/// Which construction runs. Both give the same tour for every table; the reference is the
/// plain quadratic method and is kept as the yardstick for tests.
enum class Construction { Fast, Reference };

struct Centre {
    float x = 0.0F;
    float y = 0.0F;
};

/// Clears visited and fills centre_dist for nodes 1..@p count; returns the centre of gravity.
/// The sums are held in float after each addition, as the tours depend on that rounding.
Centre prepare_centre(std::vector<NodeRec>& nodes, std::int32_t count);

/// The unvisited node farthest from the centre (ties: lowest number); 0 when none.
[[nodiscard]] std::int32_t farthest_unvisited(const std::vector<NodeRec>& nodes,
                                              std::int32_t count);

/// Inserts node @p k at the cheapest place of the tour tour[1..tour_count] (the plain
/// method); fails for a node or a tour it cannot be inserted into.
Status insert_cheapest(std::vector<NodeRec>& nodes, std::int32_t count,
                       std::vector<std::int32_t>& tour, std::int32_t& tour_count, std::int32_t k);

/// Builds the whole tour into tour[1..count] (dimensioned here) after prepare_centre();
/// the fast method gives the plain method's tour and falls back to it where it cannot.
void construct_on_table(std::vector<NodeRec>& nodes, std::int32_t count,
                        std::vector<std::int32_t>& tour, Construction construction);

} // namespace rundel::engine

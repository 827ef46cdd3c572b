#include "engine/fastinsertion.h"

#include "engine/edgeindex.h"
#include "engine/orderedtour.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace rundel::engine {

bool FastInsertion::run(std::vector<NodeRec>& nodes, std::int32_t count,
                        std::vector<std::int32_t>& tour) {
    for (std::int32_t i = 1; i <= count; ++i) {
        if (std::isnan(nodes[static_cast<std::size_t>(i)].centre_dist)) {
            return false;
        }
    }
    // The plain method takes the unvisited node farthest from the centre, the lowest number
    // among equals: a sort by distance, descending, then by number.
    std::vector<std::int32_t> order(static_cast<std::size_t>(count));
    std::iota(order.begin(), order.end(), 1);
    std::sort(order.begin(), order.end(), [&nodes](std::int32_t a, std::int32_t b) {
        const float da = nodes[static_cast<std::size_t>(a)].centre_dist;
        const float db = nodes[static_cast<std::size_t>(b)].centre_dist;
        return da > db || (da == db && a < b);
    });

    OrderedTour ordered(count);
    EdgeIndex index(nodes, count);
    const std::int32_t first = order.front();
    nodes[static_cast<std::size_t>(first)].visited = true;
    ordered.start(first);
    index.refresh(first, ordered);
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::int32_t k = order[i];
        std::int32_t after = index.cheapest_edge(k, ordered);
        if (after == 0) {
            after = ordered.last(); // no place below the sentinel: append
        }
        ordered.insert_after(after, k);
        nodes[static_cast<std::size_t>(k)].visited = true;
        index.refresh(after, ordered);
        index.refresh(k, ordered);
    }
    ordered.write_positions(tour);
    return true;
}

} // namespace rundel::engine

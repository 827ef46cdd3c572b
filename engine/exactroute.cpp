#include "engine/exactroute.h"

#include <algorithm>
#include <limits>

namespace rundel::engine {

std::vector<std::int32_t> ExactRoute::solve(std::int32_t count, const Cost& cost,
                                            std::int32_t start, std::int32_t end, bool open) {
    if (count < 1 || count > kMaxNodes) {
        return {};
    }
    constexpr double kNone = std::numeric_limits<double>::infinity();
    // A round trip is a route from its opening node back to it: the opening node stands
    // outside the subsets and pays for the first and the last leg.
    const std::int32_t origin = open ? -1 : std::max(start, 0);
    const auto full = static_cast<std::uint32_t>((1U << static_cast<unsigned>(count)) - 1U);
    const auto cells = static_cast<std::size_t>(full + 1) * static_cast<std::size_t>(count);
    std::vector<double> best(cells, kNone);
    std::vector<std::int16_t> before(cells, -1);
    const auto at = [count](std::uint32_t set, std::int32_t last) {
        return static_cast<std::size_t>(set) * static_cast<std::size_t>(count) +
               static_cast<std::size_t>(last);
    };
    const auto bit = [](std::int32_t node) { return 1U << static_cast<unsigned>(node); };

    const std::uint32_t all = origin < 0 ? full : full & ~bit(origin);
    for (std::int32_t j = 0; j < count; ++j) {
        if (j == origin || (open && start >= 0 && j != start)) {
            continue;
        }
        best[at(bit(j), j)] = origin < 0 ? 0.0 : cost(origin, j);
    }
    for (std::uint32_t set = 1; set <= all; ++set) {
        if ((set & ~all) != 0) {
            continue;
        }
        for (std::int32_t j = 0; j < count; ++j) {
            const double here = best[at(set, j)];
            if ((set & bit(j)) == 0 || here == kNone) {
                continue;
            }
            for (std::int32_t k = 0; k < count; ++k) {
                if ((all & bit(k)) == 0 || (set & bit(k)) != 0) {
                    continue;
                }
                const double to = here + cost(j, k);
                if (to < best[at(set | bit(k), k)]) {
                    best[at(set | bit(k), k)] = to;
                    before[at(set | bit(k), k)] = static_cast<std::int16_t>(j);
                }
            }
        }
    }
    std::int32_t last = -1;
    double shortest = kNone;
    for (std::int32_t j = 0; j < count; ++j) {
        if ((all & bit(j)) == 0 || (open && end >= 0 && j != end)) {
            continue;
        }
        const double length = best[at(all, j)] + (origin < 0 ? 0.0 : cost(j, origin));
        if (length < shortest) {
            shortest = length;
            last = j;
        }
    }
    std::vector<std::int32_t> route;
    for (std::uint32_t set = all; last >= 0 && set != 0;) {
        route.push_back(last);
        const std::int32_t previous = before[at(set, last)];
        set &= ~bit(last);
        last = previous;
    }
    if (origin >= 0) {
        route.push_back(origin);
    }
    std::reverse(route.begin(), route.end());
    return route;
}

} // namespace rundel::engine

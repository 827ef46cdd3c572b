#include "engine/openroute.h"

#include "engine/directedsearch.h"

#include <algorithm>

namespace rundel::engine {
namespace {

/// Candidates per point, as for round trips.
constexpr std::int32_t kCandidates = 8;

/// The open route of a round trip through the stand-in, read from its first stop.
std::vector<std::int32_t> route_of(std::vector<std::int32_t> order, const StandIn& stand_in,
                                   const RouteEnds& ends, bool directed) {
    const auto at = std::find(order.begin(), order.end(), stand_in.point);
    std::rotate(order.begin(), at, order.end());
    order.erase(order.begin());
    for (std::int32_t& node : order) {
        ++node;
    }
    // A symmetric search may have found the route travelled the other way.
    const bool backwards = (ends.start != 0 && order.front() != ends.start) ||
                           (ends.start == 0 && ends.end != 0 && order.front() == ends.end);
    if (!directed && backwards) {
        std::reverse(order.begin(), order.end());
    }
    return order;
}

} // namespace

std::vector<std::int32_t> cut_open(const Problem& problem, const std::vector<std::int32_t>& cycle,
                                   const RouteEnds& ends) {
    std::vector<std::int32_t> path = cycle;
    if (ends.end != 0) {
        path.erase(std::find(path.begin(), path.end(), ends.end));
    }
    const auto n = static_cast<std::ptrdiff_t>(path.size());
    std::ptrdiff_t first = 0;
    if (ends.start != 0) {
        first = std::find(path.begin(), path.end(), ends.start) - path.begin();
    } else if (ends.end == 0) {
        double longest = -1;
        for (std::ptrdiff_t i = 0; i < n; ++i) {
            const double leg = problem.cost(path[static_cast<std::size_t>(i)],
                                            path[static_cast<std::size_t>((i + 1) % n)]);
            if (leg > longest) {
                longest = leg;
                first = (i + 1) % n;
            }
        }
    }
    std::rotate(path.begin(), path.begin() + first, path.end());
    if (ends.end != 0) {
        path.push_back(ends.end);
    }
    return path;
}

ImproveResult improve_open(const Problem& problem, const RouteEnds& ends,
                           std::vector<std::int32_t>& path, const ImproveOptions& options) {
    const double length = tour_cost(problem, path, true);
    std::vector<std::int32_t> order;
    order.reserve(path.size() + 1);
    for (const std::int32_t node : path) {
        order.push_back(node - 1);
    }
    ImproveResult result;
    if (problem.weight == EdgeWeight::Plane || problem.weight == EdgeWeight::Euc2D) {
        // Plane points (EUC_2D's as well): the search renumbered in route order, as round
        // trips are, and judged by the straight lines, as round trips are.
        result = TourImprover::improve_open(located_points(problem), order, ends.start != 0,
                                            ends.end != 0, options);
        for (std::int32_t& node : order) {
            ++node;
        }
        path = std::move(order);
        result.length_before = length;
        result.length_after = tour_cost(problem, path, true);
        return result;
    }
    const std::int32_t n = problem.size();
    const StandIn stand_in(n, ends.start - 1, ends.end - 1, length);
    order.push_back(n);
    if (problem.asymmetric) {
        result = DirectedSearch::improve(
            n + 1,
            [&](std::int32_t a, std::int32_t b) {
                return a == n || b == n ? stand_in.directed(a, b) : problem.cost(a + 1, b + 1);
            },
            order, options);
    } else {
        const auto cost = [&](std::int32_t a, std::int32_t b) {
            if (a == n || b == n) {
                return stand_in.either_way(a == n ? b : a);
            }
            return problem.cost(a + 1, b + 1);
        };
        NeighbourLists neighbours = problem.weight == EdgeWeight::Explicit
                                        ? NeighbourLists(n, kCandidates, cost)
                                        : NeighbourLists(located_points(problem), kCandidates);
        std::vector<std::int32_t> near;
        for (const std::int32_t end : {stand_in.start, stand_in.end}) {
            if (end >= 0) {
                near.push_back(end);
            }
        }
        neighbours.add(near);
        result = TourImprover::improve(n + 1, cost, neighbours, order, options);
    }
    order = route_of(order, stand_in, ends, problem.asymmetric);
    result.length_before = length;
    result.length_after = tour_cost(problem, order, true);
    if (result.length_after < length) {
        path = std::move(order);
    } else {
        result.length_after = length;
    }
    return result;
}

} // namespace rundel::engine

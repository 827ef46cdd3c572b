#include "engine/solve.h"

#include "engine/construction.h"
#include "engine/costinsertion.h"
#include "engine/exactroute.h"
#include "engine/openroute.h"

#include <algorithm>

namespace rundel::engine {
namespace {

/// GEO's node table for building on: its located points (see located_points()).
std::vector<NodeRec> unrolled(const Problem& problem) {
    const PointSet located = located_points(problem);
    std::vector<NodeRec> table(problem.nodes.size());
    for (std::int32_t i = 0; i < located.size(); ++i) {
        table[static_cast<std::size_t>(i) + 1].x = static_cast<float>(located[i].x);
        table[static_cast<std::size_t>(i) + 1].y = static_cast<float>(located[i].y);
    }
    return table;
}

/// The shortest route for the ends asked, by exact search (node numbers).
std::vector<std::int32_t> exact(const Problem& problem, const RouteEnds& ends) {
    std::vector<std::int32_t> route = ExactRoute::solve(
        problem.size(),
        [&problem](std::int32_t a, std::int32_t b) { return problem.cost(a + 1, b + 1); },
        ends.start - 1, ends.end - 1, ends.is_open());
    for (std::int32_t& node : route) {
        ++node;
    }
    return route;
}

} // namespace

std::vector<std::int32_t> construct(const Problem& problem) {
    const std::int32_t count = problem.size();
    if (count < 1) {
        return {};
    }
    if (problem.weight == EdgeWeight::Explicit) {
        std::vector<std::int32_t> tour = CostInsertion::run(
            count, [&problem](std::int32_t a, std::int32_t b) { return problem.matrix(a, b); });
        for (std::int32_t& node : tour) {
            ++node;
        }
        return tour;
    }
    std::vector<NodeRec> table =
        problem.weight == EdgeWeight::Geo ? unrolled(problem) : problem.nodes;
    prepare_centre(table, count);
    std::vector<std::int32_t> tour;
    construct_on_table(table, count, tour, Construction::Fast);
    tour.erase(tour.begin()); // the unused slot 0
    return tour;
}

namespace {

/// The round trip: the construction, improved when asked (exactly, for a handful of nodes),
/// from its start.
Solution round_trip(const Problem& problem, const SolveOptions& options) {
    Solution solution;
    std::vector<std::int32_t> order = construct(problem);
    solution.constructed_length = tour_cost(problem, order);
    if (options.improve && problem.size() <= kExactNodes) {
        order = exact(problem, options.ends);
        solution.exact = true;
    } else if (options.improve) {
        for (std::int32_t& node : order) {
            --node;
        }
        solution.improvement = TourImprover::improve(problem, order, options.improvement);
        for (std::int32_t& node : order) {
            ++node;
        }
    }
    const std::int32_t start = options.ends.start != 0 ? options.ends.start : 1;
    std::rotate(order.begin(), std::find(order.begin(), order.end(), start), order.end());
    solution.length = tour_cost(problem, order);
    solution.tour = std::move(order);
    return solution;
}

/// An open route: exact for a handful of nodes, else the round trip cut open and improved.
Solution open_route(const Problem& problem, const SolveOptions& options) {
    Solution solution;
    solution.open = true;
    if (problem.size() <= kExactNodes) {
        solution.tour = exact(problem, options.ends);
        solution.exact = true;
        solution.length = solution.constructed_length = tour_cost(problem, solution.tour, true);
        return solution;
    }
    solution.tour = cut_open(problem, construct(problem), options.ends);
    solution.constructed_length = tour_cost(problem, solution.tour, true);
    if (options.improve) {
        solution.improvement =
            improve_open(problem, options.ends, solution.tour, options.improvement);
    }
    solution.length = tour_cost(problem, solution.tour, true);
    return solution;
}

} // namespace

Result<Solution> solve(const Problem& problem, const SolveOptions& options) {
    const std::int32_t n = problem.size();
    if (n < 1) {
        return Result<Solution>::failure("ノードがありません");
    }
    for (const std::int32_t node : {options.ends.start, options.ends.end}) {
        if (node < 0 || node > n) {
            return Result<Solution>::failure("ノード " + std::to_string(node) +
                                             " はありません (1 から " + std::to_string(n) + ")");
        }
    }
    return options.ends.is_open() ? open_route(problem, options) : round_trip(problem, options);
}

} // namespace rundel::engine

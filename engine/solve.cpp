#include "engine/solve.h"

#include "engine/construction.h"
#include "engine/costinsertion.h"

#include <algorithm>
#include <cmath>

namespace rundel::engine {
namespace {

/// GEO coordinates unrolled onto the plane about each node's own latitude (a sinusoidal
/// projection), in radians: near places stay near, which is all the construction needs.
std::vector<NodeRec> unrolled(const Problem& problem) {
    std::vector<NodeRec> table(problem.nodes.size());
    for (std::size_t i = 1; i < table.size(); ++i) {
        const Point& at = problem.exact[i - 1];
        table[i].x = static_cast<float>(at.y * std::cos(at.x));
        table[i].y = static_cast<float>(at.x);
    }
    return table;
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

Result<Solution> solve(const Problem& problem, const SolveOptions& options) {
    if (problem.size() < 1) {
        return Result<Solution>::failure("ノードがありません");
    }
    Solution solution;
    std::vector<std::int32_t> order = construct(problem);
    solution.constructed_length = tour_cost(problem, order);
    solution.length = solution.constructed_length;
    if (options.improve) {
        for (std::int32_t& node : order) {
            --node;
        }
        solution.improvement = TourImprover::improve(problem, order, options.improvement);
        for (std::int32_t& node : order) {
            ++node;
        }
        solution.length = tour_cost(problem, order);
    }
    std::rotate(order.begin(), std::find(order.begin(), order.end(), 1), order.end());
    solution.tour = std::move(order);
    return solution;
}

} // namespace rundel::engine

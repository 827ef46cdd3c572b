// Day routes: open routes with a fixed first and last stop. Exact search on a handful of
// stops (time, and agreement with trying every order), and TSPLIB instances from node 1 to
// node ⌈n/2⌉ (length against the best of ten seeds, time against the round trip's).
//
//   route_bench

#include "engine/exactroute.h"
#include "engine/modshortestpath.h"
#include "engine/solve.h"
#include "engine/tsplibreader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <random>
#include <string>

namespace {

using namespace rundel::engine;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

Problem random_problem(std::int32_t count, bool matrix, std::mt19937& random) {
    Problem problem;
    problem.nodes.assign(static_cast<std::size_t>(count) + 1, {});
    std::uniform_real_distribution<float> coordinate(0, 1000);
    for (std::int32_t i = 1; i <= count; ++i) {
        problem.nodes[static_cast<std::size_t>(i)] = {coordinate(random), coordinate(random)};
    }
    if (matrix) {
        problem.weight = EdgeWeight::Explicit;
        problem.matrix = CostMatrix(count);
        std::uniform_real_distribution<float> detour(1.0F, 1.6F);
        for (std::int32_t a = 0; a < count; ++a) {
            for (std::int32_t b = 0; b < count; ++b) {
                const NodeRec& p = problem.nodes[static_cast<std::size_t>(a) + 1];
                const NodeRec& q = problem.nodes[static_cast<std::size_t>(b) + 1];
                problem.matrix.at(a, b) = std::hypot(p.x - q.x, p.y - q.y) * detour(random);
            }
        }
        problem.asymmetric = !problem.matrix.symmetric();
    }
    return problem;
}

/// Every order from node 1 to node 2: the yardstick of the exact search.
double every_order(const Problem& problem) {
    std::vector<std::int32_t> order(static_cast<std::size_t>(problem.size()));
    std::iota(order.begin(), order.end(), 1);
    std::swap(order[1], order.back()); // 1, the others in order, 2
    std::sort(order.begin() + 1, order.end() - 1);
    double best = 1e300;
    do {
        best = std::min(best, tour_cost(problem, order, true));
    } while (std::next_permutation(order.begin() + 1, order.end() - 1));
    return best;
}

void small_routes() {
    std::printf("%-28s %8s %10s %8s\n", "exact search (1 → 2)", "cases", "agree", "max ms");
    std::mt19937 random(2026);
    for (const bool matrix : {false, true}) {
        int agree = 0;
        double slowest = 0;
        constexpr int kCases = 10;
        for (int i = 0; i < kCases; ++i) {
            const std::int32_t count = i < 5 ? 9 : 12;
            const Problem problem = random_problem(count, matrix, random);
            SolveOptions options;
            options.improve = true;
            options.ends = {1, 2, true};
            const auto start = Clock::now();
            const Solution solution = solve(problem, options).value();
            slowest = std::max(slowest, 1000 * seconds_since(start));
            agree += solution.length == every_order(problem) ? 1 : 0;
        }
        std::printf("%-28s %8d %10d %8.2f\n",
                    matrix ? "asymmetric matrix, 9 and 12" : "points, 9 and 12", kCases, agree,
                    slowest);
    }
}

void tsplib_paths(const std::string& name) {
    const Problem problem =
        TsplibReader::read(
            ModShortestPath::load_nodefile(std::string(RUNDEL_TSPLIB_DIR) + "/" + name + ".tsp")
                .value())
            .value();
    SolveOptions round;
    round.improve = true;
    auto start = Clock::now();
    (void)solve(problem, round);
    const double round_s = seconds_since(start);
    SolveOptions path = round;
    path.ends = {1, (problem.size() + 1) / 2, true};
    double first = 0;
    double first_s = 0;
    double best = 1e300;
    for (std::uint64_t seed = 1; seed <= 10; ++seed) {
        path.improvement.seed = seed;
        start = Clock::now();
        const double length = solve(problem, path).value().length;
        if (seed == 1) {
            first = length;
            first_s = seconds_since(start);
        }
        best = std::min(best, length);
    }
    std::printf("%-12s %7d %11.3f %10.3f %9.2f%%\n", name.c_str(), problem.size(), round_s, first_s,
                100 * (first / best - 1));
}

} // namespace

int main() {
    small_routes();
    std::printf("\n%-12s %7s %11s %10s %10s\n", "1 → n/2", "nodes", "round s", "path s",
                "over best");
    for (const char* name : {"kroA100", "pr1002", "usa13509"}) {
        tsplib_paths(name);
    }
    return 0;
}

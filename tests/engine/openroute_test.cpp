#include "engine/exactroute.h"
#include "engine/solve.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

using rundel::engine::EdgeWeight;
using rundel::engine::Problem;
using rundel::engine::RouteEnds;

namespace {

Problem random_problem(std::int32_t count, bool matrix, std::mt19937& random) {
    Problem problem;
    problem.nodes.assign(static_cast<std::size_t>(count) + 1, {});
    if (!matrix) {
        std::uniform_real_distribution<float> coordinate(0, 1000);
        for (std::int32_t i = 1; i <= count; ++i) {
            problem.nodes[static_cast<std::size_t>(i)].x = coordinate(random);
            problem.nodes[static_cast<std::size_t>(i)].y = coordinate(random);
        }
        return problem;
    }
    std::uniform_int_distribution<int> cost(1, 100);
    problem.weight = EdgeWeight::Explicit;
    problem.located = false;
    problem.matrix = rundel::engine::CostMatrix(count);
    for (std::int32_t a = 0; a < count; ++a) {
        for (std::int32_t b = 0; b < count; ++b) {
            problem.matrix.at(a, b) = a == b ? 0.0F : static_cast<float>(cost(random));
        }
    }
    problem.asymmetric = true;
    return problem;
}

/// Every way a day's route can begin and end, on nodes 1 to 3.
const RouteEnds kEnds[] = {{0, 0, false}, {3, 0, false}, {0, 0, true},
                           {1, 0, true},  {0, 2, true},  {1, 2, true}};

bool keeps_ends(const std::vector<std::int32_t>& route, const RouteEnds& ends) {
    return (ends.start == 0 || route.front() == ends.start) &&
           (ends.end == 0 || route.back() == ends.end);
}

TEST(ExactRoute, IsTheShortestOfAllOrders) {
    std::mt19937 random(3);
    for (int instance = 0; instance < 6; ++instance) {
        const Problem problem = random_problem(7, true, random);
        for (const RouteEnds& ends : kEnds) {
            const bool open = ends.is_open();
            std::vector<std::int32_t> order(7);
            std::iota(order.begin(), order.end(), 1);
            double best = 1e300;
            do {
                if (keeps_ends(order, ends) && (open || order.front() == std::max(ends.start, 1))) {
                    best = std::min(best, rundel::engine::tour_cost(problem, order, open));
                }
            } while (std::next_permutation(order.begin(), order.end()));
            std::vector<std::int32_t> exact = rundel::engine::ExactRoute::solve(
                7, [&](std::int32_t a, std::int32_t b) { return problem.cost(a + 1, b + 1); },
                ends.start - 1, ends.end - 1, open);
            for (std::int32_t& node : exact) {
                ++node;
            }
            ASSERT_EQ(exact.size(), 7U);
            EXPECT_TRUE(keeps_ends(exact, ends));
            EXPECT_EQ(rundel::engine::tour_cost(problem, exact, open), best);
        }
    }
}

/// Above the exact search's size the searches close the route through a stand-in: checked
/// against the exact search on points (symmetric) and matrices (asymmetric).
TEST(OpenRoute, ImprovedRoutesKeepTheirEndsAndMatchTheExactSearch) {
    std::mt19937 random(5);
    for (int instance = 0; instance < 6; ++instance) {
        const std::int32_t count = rundel::engine::kExactNodes + 1 + instance % 2;
        const Problem problem = random_problem(count, instance % 2 == 1, random);
        for (const RouteEnds& ends : kEnds) {
            rundel::engine::SolveOptions options;
            options.improve = true;
            options.ends = ends;
            const auto solved = rundel::engine::solve(problem, options);
            ASSERT_TRUE(solved);
            const auto& route = solved.value().tour;
            std::vector<std::int32_t> sorted = route;
            std::sort(sorted.begin(), sorted.end());
            std::vector<std::int32_t> all(static_cast<std::size_t>(count));
            std::iota(all.begin(), all.end(), 1);
            EXPECT_EQ(sorted, all);
            EXPECT_EQ(solved.value().open, ends.is_open());
            EXPECT_TRUE(keeps_ends(route, ends) &&
                        (ends.is_open() || route.front() == std::max(ends.start, 1)));
            EXPECT_LE(solved.value().length, solved.value().constructed_length);
            std::vector<std::int32_t> exact = rundel::engine::ExactRoute::solve(
                count, [&](std::int32_t a, std::int32_t b) { return problem.cost(a + 1, b + 1); },
                ends.start - 1, ends.end - 1, ends.is_open());
            for (std::int32_t& node : exact) {
                ++node;
            }
            EXPECT_NEAR(solved.value().length,
                        rundel::engine::tour_cost(problem, exact, ends.is_open()), 1e-6)
                << "instance " << instance << " start " << ends.start << " end " << ends.end;
        }
    }
}

TEST(OpenRoute, EndsThatNameNoNodeAreRefused) {
    std::mt19937 random(1);
    const Problem problem = random_problem(5, false, random);
    for (const RouteEnds& ends : {RouteEnds{6, 0, false}, RouteEnds{0, -1, true}}) {
        rundel::engine::SolveOptions options;
        options.ends = ends;
        EXPECT_FALSE(rundel::engine::solve(problem, options));
    }
}

} // namespace

#include "engine/exactroute.h"
#include "engine/solve.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <random>

using rundel::engine::CostMatrix;
using rundel::engine::EdgeWeight;
using rundel::engine::Problem;

namespace {

Problem matrix_problem(const CostMatrix& matrix) {
    Problem problem;
    problem.weight = EdgeWeight::Explicit;
    problem.matrix = matrix;
    problem.nodes.assign(static_cast<std::size_t>(matrix.size()) + 1, {});
    problem.located = false;
    problem.asymmetric = !matrix.symmetric();
    return problem;
}

rundel::engine::SolveOptions improving() {
    rundel::engine::SolveOptions options;
    options.improve = true;
    return options;
}

/// A ring that is cheap one way only: any move judged by the cost of the wrong direction, or
/// a part turned round, leaves it.
TEST(DirectedSearch, FollowsAOneWayRingInItsDirection) {
    constexpr std::int32_t kCount = 60;
    std::vector<std::int32_t> ring(kCount);
    std::iota(ring.begin(), ring.end(), 0);
    std::shuffle(ring.begin() + 1, ring.end(), std::mt19937(7));
    CostMatrix matrix(kCount);
    for (std::int32_t a = 0; a < kCount; ++a) {
        for (std::int32_t b = 0; b < kCount; ++b) {
            matrix.at(a, b) = 100;
        }
    }
    for (std::size_t i = 0; i < ring.size(); ++i) {
        matrix.at(ring[i], ring[(i + 1) % ring.size()]) = 1;
    }
    const auto solved = rundel::engine::solve(matrix_problem(matrix), improving());
    ASSERT_TRUE(solved);
    EXPECT_EQ(solved.value().length, kCount);
    for (std::size_t i = 0; i < ring.size(); ++i) {
        EXPECT_EQ(solved.value().tour[i], ring[i] + 1) << i;
    }
}

/// Just above the size that is solved exactly: the search against the exact search.
TEST(DirectedSearch, SmallRandomMatricesReachTheExactOptimum) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> cost(1, 100);
    for (int instance = 0; instance < 20; ++instance) {
        constexpr std::int32_t kCount = rundel::engine::kExactNodes + 1;
        CostMatrix matrix(kCount);
        for (std::int32_t a = 0; a < kCount; ++a) {
            for (std::int32_t b = 0; b < kCount; ++b) {
                matrix.at(a, b) = a == b ? 0.0F : static_cast<float>(cost(random));
            }
        }
        const Problem problem = matrix_problem(matrix);
        std::vector<std::int32_t> exact = rundel::engine::ExactRoute::solve(
            kCount, [&](std::int32_t a, std::int32_t b) { return problem.cost(a + 1, b + 1); }, -1,
            -1, false);
        for (std::int32_t& node : exact) {
            ++node;
        }
        const double best = rundel::engine::tour_cost(problem, exact);
        const auto solved = rundel::engine::solve(problem, improving());
        ASSERT_TRUE(solved);
        EXPECT_EQ(solved.value().length, best) << "instance " << instance;
        EXPECT_EQ(rundel::engine::tour_cost(problem, solved.value().tour), best);
        EXPECT_LE(solved.value().length, solved.value().constructed_length);
    }
}

} // namespace

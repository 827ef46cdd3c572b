#include "engine/modshortestpath.h"
#include "optima.h"
#include "support/nodetext.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>

using rundel::engine::ImproveOptions;
using rundel::engine::ModShortestPath;
using rundel::test::Points;

namespace {

using rundel::test::tour_length;

/// The improved tour still visits every node once and starts at node 1.
void expect_permutation_from_node_1(const ModShortestPath& engine) {
    EXPECT_TRUE(rundel::test::visits_every_node_once(engine));
    EXPECT_EQ(engine.tour()[1], 1);
}

Points random_points(int count, float spread, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> coordinate(0.0F, spread);
    Points points;
    for (int i = 0; i < count; ++i) {
        const float x = coordinate(random);
        points.emplace_back(x, coordinate(random));
    }
    return points;
}

struct Layout {
    const char* name;
    Points points;
};

/// Towns: tight clusters far apart, as stops in a country are.
Points clusters() {
    Points points;
    for (int town = 0; town < 12; ++town) {
        for (const auto& [x, y] : random_points(40, 10.0F, static_cast<unsigned>(town))) {
            points.emplace_back(x + static_cast<float>(town % 4) * 300.0F,
                                y + static_cast<float>(town / 4) * 200.0F);
        }
    }
    return points;
}

std::vector<Layout> layouts() {
    Points duplicates = random_points(60, 100.0F, 3);
    duplicates.insert(duplicates.end(), duplicates.begin(), duplicates.end());
    Points line;
    Points grid;
    for (int i = 0; i < 300; ++i) {
        line.emplace_back(static_cast<float>((i * 37) % 300),
                          static_cast<float>((i * 37) % 300) * 2.0F);
        grid.emplace_back(static_cast<float>(i % 7), static_cast<float>((i * 13) % 11));
    }
    Points huge = random_points(200, 1.0F, 4);
    for (auto& [x, y] : huge) {
        x *= 1e30F;
        y = y * 1e30F - 5e29F;
    }
    return {
        {"one", {{1, 1}}},
        {"two", {{1, 1}, {5, 5}}},
        {"three", {{1, 1}, {5, 5}, {9, 0}}},
        {"four", {{0, 0}, {1, 1}, {0, 1}, {1, 0}}},
        {"five", {{0, 0}, {2, 2}, {0, 2}, {2, 0}, {1, 3}}},
        {"all_equal", Points(500, {7.0F, 7.0F})},
        {"duplicates", duplicates},
        {"on_a_line", line},
        {"integer_grid", grid},
        {"spread_1e30", huge},
        {"uniform", random_points(2000, 1000.0F, 5)},
        {"clustered", clusters()},
    };
}

class Improvement : public ::testing::TestWithParam<Layout> {};

TEST_P(Improvement, GivesAPermutationFromNode1NeverLongerAndRepeatable) {
    // The quick default budget and improve N kick and pick candidates differently.
    for (const double budget : {-1.0, 2.0}) {
        SCOPED_TRACE(budget);
        ModShortestPath engine;
        ASSERT_TRUE(engine.read_nodetext(rundel::test::node_text(GetParam().points)));
        engine.solve_tour();
        const double built = tour_length(engine);
        ImproveOptions options;
        options.perturbations_per_node = budget;
        const auto result = engine.improve_tour(options);
        expect_permutation_from_node_1(engine);
        const double improved = tour_length(engine);
        EXPECT_LE(improved, built);
        EXPECT_DOUBLE_EQ(result.length_before, built);
        EXPECT_NEAR(result.length_after, improved, 1e-9 * std::max(1.0, improved));

        const std::vector<std::int32_t> first = engine.tour();
        engine.solve_tour();
        engine.improve_tour(options);
        EXPECT_EQ(engine.tour(), first);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, Improvement, ::testing::ValuesIn(layouts()),
                         [](const auto& param) { return std::string(param.param.name); });

std::map<std::string, double> optima() {
    return rundel::tsplib::optimal_lengths(RUNDEL_TSPLIB_DIR);
}

class ImprovedTsplib : public ::testing::TestWithParam<const char*> {};

TEST_P(ImprovedTsplib, DefaultBudgetComesWithinHalfAPercentOfTheOptimum) {
    ModShortestPath engine;
    const std::string name = GetParam();
    ASSERT_TRUE(engine.read_nodetext(rundel::test::tsplib_text(name + ".tsp")));
    engine.solve_tour();
    engine.improve_tour();
    expect_permutation_from_node_1(engine);
    EXPECT_LE(tour_length(engine, true), 1.005 * optima().at(name));
}

INSTANTIATE_TEST_SUITE_P(Files, ImprovedTsplib,
                         ::testing::Values("eil51", "berlin52", "pr76", "kroA100"));

TEST(Improvement, LocalSearchAloneReachesLinKernighanDepthAndATimeCapStillShortens) {
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(rundel::test::tsplib_text("pr1002.tsp")));
    engine.solve_tour();
    const double built = tour_length(engine);
    ImproveOptions local_only;
    local_only.perturbations_per_node = 0;
    const auto local = engine.improve_tour(local_only);
    EXPECT_EQ(local.perturbations, 0);
    // 2-opt and Or-opt alone stop near 8 % above the optimum; the 3-opt chains go under 5 %.
    EXPECT_LT(tour_length(engine, true), 1.05 * optima().at("pr1002"));
    EXPECT_LT(tour_length(engine), built);

    engine.solve_tour();
    ImproveOptions capped;
    capped.perturbations_per_node = 1e6;
    capped.time_cap_seconds = 0.01;
    const auto result = engine.improve_tour(capped);
    EXPECT_TRUE(result.capped);
    expect_permutation_from_node_1(engine);
    EXPECT_LT(result.length_after, local.length_after);
}

TEST(Improvement, AnOptimalTourIsKeptAsItIs) {
    Points circle;
    for (int i = 0; i < 100; ++i) {
        const double angle = 2 * M_PI * i / 100;
        circle.emplace_back(static_cast<float>(std::cos(angle) * 1000),
                            static_cast<float>(std::sin(angle) * 1000));
    }
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(rundel::test::node_text(circle)));
    engine.solve_tour();
    const double built = tour_length(engine);
    const auto result = engine.improve_tour();
    EXPECT_EQ(result.length_after, result.length_before);
    EXPECT_DOUBLE_EQ(tour_length(engine), built);
}

} // namespace

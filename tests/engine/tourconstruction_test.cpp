#include "engine/geometry.h"
#include "engine/modshortestpath.h"
#include "support/nodetext.h"

#include <algorithm>
#include <gtest/gtest.h>

using rundel::engine::Construction;
using rundel::engine::ModShortestPath;
using rundel::engine::node_distance;
using rundel::test::node_text;
using rundel::test::Points;

namespace {

std::vector<std::int32_t> tour_of(const ModShortestPath& engine) {
    const auto& tour = engine.tour();
    return {tour.begin() + 1, tour.begin() + 1 + engine.tour_count()};
}

struct Golden {
    const char* name;
    Points points;
    std::vector<std::int32_t> tour;
};

class GoldenTours : public ::testing::TestWithParam<Golden> {};

TEST_P(GoldenTours, BothConstructionsBuildTheHandCheckedTour) {
    for (const Construction construction : {Construction::Reference, Construction::Fast}) {
        ModShortestPath engine;
        ASSERT_TRUE(engine.read_nodetext(node_text(GetParam().points)));
        EXPECT_TRUE(engine.solve_tour(construction));
        EXPECT_EQ(tour_of(engine), GetParam().tour)
            << GetParam().name << (construction == Construction::Fast ? " (fast)" : "");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tours, GoldenTours,
    ::testing::Values(
        Golden{"one", {{5, 5}}, {1}}, Golden{"two", {{0, 0}, {4, 3}}, {1, 2}},
        // centre 4/3: node 3 is farthest and opens; node 2 costs 0 on both edges and takes
        // the first one.
        Golden{"three_on_a_line", {{0, 0}, {1, 0}, {3, 0}}, {3, 2, 1}},
        Golden{"two_at_one_point", {{2, 2}, {2, 2}}, {1, 2}},
        // every distance and every cost is 0: each node goes to position 2.
        Golden{"all_at_one_point", {{7, 7}, {7, 7}, {7, 7}, {7, 7}}, {1, 4, 3, 2}},
        // a square: all four equally far from the centre, taken in number order; node 3 costs
        // the same on both edges and takes the first, node 4 then fits between 1 and 3.
        Golden{"square", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {1, 4, 3, 2}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TourConstruction, CentreSumsAreHeldInFloat) {
    // 2^24 + 1 is not a float: summed in float, the 1s vanish one by one.
    Points points{{16777216.0F, 0.0F}};
    points.insert(points.end(), 8, {1.0F, 0.0F});
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(node_text(points)));
    engine.solve_tour(Construction::Reference);
    EXPECT_FLOAT_EQ(engine.centre_x(), static_cast<float>(16777216.0 / 9.0));
}

TEST(TourConstruction, CostsAtTheSentinelNeverWinSoNodesAreAppended) {
    // Points so far apart that every insertion costs well over 999999: the tour is simply
    // the order of decreasing distance from the centre.
    const Points points{{0, 0},           {3.0e9F, 1.0e8F},   {-5.0e9F, 2.0e9F}, {1.0e8F, -9.0e9F},
                        {8.0e9F, 8.0e9F}, {-2.0e9F, -3.0e9F}, {4.0e9F, -6.0e9F}};
    for (const Construction construction : {Construction::Reference, Construction::Fast}) {
        ModShortestPath engine;
        ASSERT_TRUE(engine.read_nodetext(node_text(points)));
        engine.solve_tour(construction);
        std::vector<std::int32_t> expected(points.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            expected[i] = static_cast<std::int32_t>(i + 1);
        }
        std::stable_sort(expected.begin(), expected.end(), [&](std::int32_t a, std::int32_t b) {
            return engine.nodes()[static_cast<std::size_t>(a)].centre_dist >
                   engine.nodes()[static_cast<std::size_t>(b)].centre_dist;
        });
        EXPECT_EQ(tour_of(engine), expected);
    }
}

TEST(TourConstruction, EmptyTableFailsQuietly) {
    ModShortestPath engine;
    EXPECT_FALSE(engine.solve_tour());
    EXPECT_EQ(engine.tour_count(), 0);
    EXPECT_FALSE(engine.make_tourlist());
    EXPECT_EQ(engine.tour_list_count(), 0);
}

TEST(TourConstruction, FarthestAndInsertionStepByStep) {
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(node_text({{0, 0}, {1, 0}, {3, 0}})));
    EXPECT_EQ(engine.find_farthest(), 1); // before a solve every centre_dist is 0: a tie
    engine.solve_tour(Construction::Reference);
    EXPECT_EQ(engine.find_farthest(), 0); // every node visited
    const auto inserted = engine.insert_cheapest(2);
    EXPECT_FALSE(inserted);
    EXPECT_NE(inserted.error().find("insert_cheapest"), std::string::npos);
}

TEST(NodeDistance, RoundsOnceToFloat) {
    EXPECT_EQ(node_distance(0, 0, 3, 4), 5.0F);
    EXPECT_EQ(node_distance(1, 1, 1, 1), 0.0F);
    // Far-apart floats: the difference is taken in double, so no float overflow on the way.
    EXPECT_EQ(node_distance(-3.0e38F, 0, 3.0e38F, 0), std::numeric_limits<float>::infinity());
    EXPECT_EQ(node_distance(0, -1.0e38F, 0, 1.0e38F), 2.0e38F);
}

} // namespace

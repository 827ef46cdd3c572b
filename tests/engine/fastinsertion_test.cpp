#include "engine/modshortestpath.h"
#include "support/nodetext.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <random>

using rundel::engine::Construction;
using rundel::engine::ModShortestPath;
using rundel::test::Points;

namespace {

/// Draws the points of one layout: uniform(low, high) and integer(low, high) are random,
/// centres are seven random points, side is about half the square root of the count.
struct Draw {
    std::function<float(double, double)> uniform;
    std::function<float(int, int)> integer;
    std::function<float()> spread;
    Points centres;
    int side;
};

struct Layout {
    const char* name;
    std::function<std::pair<float, float>(Draw&)> point;
};

const Layout kLayouts[] = {
    {"uniform",
     [](Draw& d) {
         return std::pair{d.uniform(0, 1000), d.uniform(0, 1000)};
     }},
    {"clustered",
     [](Draw& d) {
         const auto& centre = d.centres[static_cast<std::size_t>(d.integer(0, 6))];
         return std::pair{centre.first + d.spread(), centre.second + d.spread()};
     }},
    {"integer_grid",
     [](Draw& d) {
         return std::pair{d.integer(0, d.side), d.integer(0, d.side)};
     }},
    {"heavy_duplicates",
     [](Draw& d) { return d.centres[static_cast<std::size_t>(d.integer(0, 3))]; }},
    {"on_a_line",
     [](Draw& d) {
         const float t = d.integer(-500, 500);
         return std::pair{t, 2.0F * t + 1.0F};
     }},
    {"millions_apart",
     [](Draw& d) {
         return std::pair{d.uniform(-5e6, 5e6), d.uniform(-5e6, 5e6)};
     }},
    // Clusters far apart: insertions inside a cluster are cheap, between clusters they cost
    // around or beyond the 999999 bound.
    {"around_the_sentinel",
     [](Draw& d) {
         return std::pair{d.integer(0, 3) * 7.0e5F + d.uniform(0, 1000),
                          d.integer(0, 3) * 9.0e5F + d.uniform(0, 1000)};
     }},
    // Floats near 2^24 are whole numbers one apart: lots of rounding ties.
    {"coarse_floats",
     [](Draw& d) {
         return std::pair{1.6e7F + d.integer(0, d.side), 1.6e7F + d.integer(0, d.side)};
     }},
    {"all_equal",
     [](Draw&) {
         return std::pair{3.5F, -2.25F};
     }},
};

Points make_points(const Layout& layout, std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> spread(0.0, 3.0);
    Draw draw{[&](double low, double high) {
                  return static_cast<float>(
                      std::uniform_real_distribution<double>(low, high)(random));
              },
              [&](int low, int high) {
                  return static_cast<float>(std::uniform_int_distribution<int>(low, high)(random));
              },
              [&] { return static_cast<float>(spread(random)); },
              {},
              std::max(2, static_cast<int>(std::sqrt(static_cast<double>(count)) / 2))};
    for (int c = 0; c < 7; ++c) {
        draw.centres.emplace_back(draw.uniform(0, 1000), draw.uniform(0, 1000));
    }
    Points points;
    for (std::size_t i = 0; i < count; ++i) {
        points.push_back(layout.point(draw));
    }
    return points;
}

void expect_same_tour(const Points& points, const std::string& what) {
    const std::string text = rundel::test::node_text(points);
    ModShortestPath reference;
    ModShortestPath fast;
    ASSERT_TRUE(reference.read_nodetext(text));
    ASSERT_TRUE(fast.read_nodetext(text));
    reference.solve_tour(Construction::Reference);
    fast.solve_tour(Construction::Fast);
    ASSERT_EQ(fast.tour_count(), reference.tour_count()) << what;
    for (std::int32_t p = 1; p <= reference.tour_count(); ++p) {
        ASSERT_EQ(fast.tour()[static_cast<std::size_t>(p)],
                  reference.tour()[static_cast<std::size_t>(p)])
            << what << ": first difference at position " << p;
    }
    EXPECT_EQ(fast.centre_x(), reference.centre_x());
    EXPECT_EQ(fast.centre_y(), reference.centre_y());
    for (std::int32_t i = 1; i <= reference.node_count(); ++i) {
        ASSERT_TRUE(fast.nodes()[static_cast<std::size_t>(i)].visited);
    }
}

class FastMatchesReference : public ::testing::TestWithParam<Layout> {};

TEST_P(FastMatchesReference, ManySeedsAndSizes) {
    for (const std::size_t count : {1U, 2U, 3U, 4U, 5U, 8U, 13U, 40U, 150U, 600U}) {
        for (unsigned seed = 1; seed <= 6; ++seed) {
            expect_same_tour(make_points(GetParam(), count, seed),
                             std::string(GetParam().name) + " n=" + std::to_string(count) +
                                 " seed=" + std::to_string(seed));
        }
    }
}

TEST_P(FastMatchesReference, ThousandsOfNodes) {
    for (const std::size_t count : {2000U, 3000U}) {
        expect_same_tour(make_points(GetParam(), count, 99),
                         std::string(GetParam().name) + " n=" + std::to_string(count));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, FastMatchesReference, ::testing::ValuesIn(kLayouts),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(FastMatchesReferenceAtTheEdges, ExtremeFloats) {
    // Coordinates whose differences overflow a float distance: costs turn infinite or NaN and
    // must lose exactly as they do in the plain method.
    expect_same_tour({{3.0e38F, 3.0e38F},
                      {-3.0e38F, -3.0e38F},
                      {0, 0},
                      {1, 1},
                      {3.0e38F, -3.0e38F},
                      {2, 2},
                      {1.0e-40F, 0}},
                     "extreme");
    // Subnormal neighbours.
    expect_same_tour({{1e-44F, 0}, {0, 1e-44F}, {0, 0}, {2e-44F, 2e-44F}, {1e-45F, 1e-45F}},
                     "subnormal");
}

} // namespace

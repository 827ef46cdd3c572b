#include "engine/modshortestpath.h"
#include "support/nodetext.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

using rundel::engine::Construction;
using rundel::engine::ModShortestPath;
using rundel::test::Points;

namespace {

enum class Layout {
    Uniform,
    Clustered,
    IntegerGrid,
    HeavyDuplicates,
    OnALine,
    MillionsApart,
    AroundTheSentinel,
    CoarseFloats,
    AllEqual
};

const char* name_of(Layout layout) {
    switch (layout) {
    case Layout::Uniform:
        return "uniform";
    case Layout::Clustered:
        return "clustered";
    case Layout::IntegerGrid:
        return "integer_grid";
    case Layout::HeavyDuplicates:
        return "heavy_duplicates";
    case Layout::OnALine:
        return "on_a_line";
    case Layout::MillionsApart:
        return "millions_apart";
    case Layout::AroundTheSentinel:
        return "around_the_sentinel";
    case Layout::CoarseFloats:
        return "coarse_floats";
    case Layout::AllEqual:
        return "all_equal";
    }
    return "?";
}

Points make_points(Layout layout, std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    auto uniform = [&](double low, double high) {
        return static_cast<float>(std::uniform_real_distribution<double>(low, high)(random));
    };
    auto integer = [&](int low, int high) {
        return static_cast<float>(std::uniform_int_distribution<int>(low, high)(random));
    };
    Points points;
    points.reserve(count);
    const int side = std::max(2, static_cast<int>(std::sqrt(static_cast<double>(count)) / 2));
    Points centres;
    for (int c = 0; c < 7; ++c) {
        centres.emplace_back(uniform(0, 1000), uniform(0, 1000));
    }
    for (std::size_t i = 0; i < count; ++i) {
        switch (layout) {
        case Layout::Uniform:
            points.emplace_back(uniform(0, 1000), uniform(0, 1000));
            break;
        case Layout::Clustered: {
            const auto& centre = centres[static_cast<std::size_t>(integer(0, 6))];
            std::normal_distribution<double> spread(0.0, 3.0);
            points.emplace_back(static_cast<float>(centre.first + spread(random)),
                                static_cast<float>(centre.second + spread(random)));
            break;
        }
        case Layout::IntegerGrid:
            points.emplace_back(integer(0, side), integer(0, side));
            break;
        case Layout::HeavyDuplicates: {
            const auto& centre = centres[static_cast<std::size_t>(integer(0, 3))];
            points.push_back(centre);
            break;
        }
        case Layout::OnALine: {
            const float t = integer(-500, 500);
            points.emplace_back(t, 2.0F * t + 1.0F);
            break;
        }
        case Layout::MillionsApart:
            points.emplace_back(uniform(-5e6, 5e6), uniform(-5e6, 5e6));
            break;
        case Layout::AroundTheSentinel:
            // Clusters far apart: insertions inside a cluster are cheap, between clusters
            // they cost around or beyond the 999999 bound.
            points.emplace_back(integer(0, 3) * 7.0e5F + uniform(0, 1000),
                                integer(0, 3) * 9.0e5F + uniform(0, 1000));
            break;
        case Layout::CoarseFloats:
            // Floats near 2^24 are whole numbers one apart: lots of rounding ties.
            points.emplace_back(1.6e7F + integer(0, side), 1.6e7F + integer(0, side));
            break;
        case Layout::AllEqual:
            points.emplace_back(3.5F, -2.25F);
            break;
        }
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
                             std::string(name_of(GetParam())) + " n=" + std::to_string(count) +
                                 " seed=" + std::to_string(seed));
        }
    }
}

TEST_P(FastMatchesReference, ThousandsOfNodes) {
    for (const std::size_t count : {2000U, 3000U}) {
        expect_same_tour(make_points(GetParam(), count, 99),
                         std::string(name_of(GetParam())) + " n=" + std::to_string(count));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, FastMatchesReference,
                         ::testing::Values(Layout::Uniform, Layout::Clustered, Layout::IntegerGrid,
                                           Layout::HeavyDuplicates, Layout::OnALine,
                                           Layout::MillionsApart, Layout::AroundTheSentinel,
                                           Layout::CoarseFloats, Layout::AllEqual),
                         [](const auto& param) { return std::string(name_of(param.param)); });

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

#include "engine/neighbourgrid.h"

#include <algorithm>
#include <gtest/gtest.h>

using rundel::engine::NeighbourLists;
using rundel::engine::PointSet;

namespace {

/// Two 5×5 blocks of points a gap of 8 apart: every point's 8 nearest lie in its own block.
PointSet two_blocks() {
    PointSet points;
    for (const double left : {0.0, 12.0}) {
        for (int i = 0; i < 25; ++i) {
            points.at.push_back({left + i % 5, static_cast<double>(i / 5)});
        }
    }
    return points;
}

bool crosses(const PointSet& points, std::int32_t p, std::int32_t q) {
    return (points[p].x < 6) != (points[q].x < 6);
}

TEST(NeighbourLists, SpreadReachesAcrossAGapAndKeepsTheNearestFirst) {
    const PointSet points = two_blocks();
    NeighbourLists lists(points, 8);
    const std::int32_t rim = 14; // (4, 2): the middle of the left block's right side
    const auto has_crossing = [&](std::int32_t p) {
        return std::any_of(lists.of(p), lists.of(p) + lists.count(p),
                           [&](std::int32_t q) { return crosses(points, p, q); });
    };
    ASSERT_FALSE(has_crossing(rim));
    const std::vector<std::int32_t> nearest(lists.of(rim), lists.of(rim) + 5);

    lists.spread(points, 5);
    EXPECT_TRUE(has_crossing(rim));
    for (std::int32_t p = 0; p < points.size(); ++p) {
        ASSERT_EQ(lists.count(p), 8);
        std::vector<std::int32_t> list(lists.of(p), lists.of(p) + 8);
        EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [&](std::int32_t a, std::int32_t b) {
            return points.distance(p, a) < points.distance(p, b);
        }));
        EXPECT_EQ(std::count(list.begin(), list.end(), p), 0);
        std::sort(list.begin(), list.end());
        EXPECT_EQ(std::adjacent_find(list.begin(), list.end()), list.end()) << "repeat at " << p;
    }
    for (const std::int32_t q : nearest) { // the 5 nearest stay
        EXPECT_NE(std::find(lists.of(rim), lists.of(rim) + 8, q), lists.of(rim) + 8);
    }
    EXPECT_FALSE(has_crossing(12)) << "the middle of a block looks no further";
}

} // namespace

#include "engine/modshortestpath.h"
#include "support/nodetext.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>
#include <numeric>
#include <sstream>

using rundel::engine::ModShortestPath;
using rundel::test::node_text;

namespace {

/// The result list of @p points' tour, listed @p times without clearing in between.
ModShortestPath listed(const rundel::test::Points& points, int times = 1) {
    ModShortestPath engine;
    EXPECT_TRUE(engine.read_nodetext(node_text(points)));
    engine.solve_tour();
    engine.clear_tourlist();
    for (int i = 0; i < times; ++i) {
        engine.make_tourlist();
    }
    return engine;
}

TEST(ResultList, RouteTextStartsAndEndsAtNodeOne) {
    const ModShortestPath three = listed({{0, 0}, {1, 0}, {3, 0}});
    EXPECT_EQ(three.tour_list(), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(three.route_text("/"), "1/3/2/1");
    EXPECT_EQ(three.route_text("\r\n"), "1\r\n3\r\n2\r\n1");
    // Node 5 lies farthest from the centre and opens the tour 5, 1, 4, 3, 2: rotated to node 1.
    const ModShortestPath five = listed({{0, 0}, {2, 9}, {3, 6}, {1, 3}, {-9, -3}});
    EXPECT_EQ(five.tour_list(), (std::vector<std::string>{"5", "1", "4", "3", "2"}));
    EXPECT_EQ(five.route_text("/"), "1/4/3/2/5/1");
    EXPECT_EQ(listed({{4, 4}}).route_text("/"), "1/1");
}

TEST(ResultList, ListingTwiceAppendsAndClearingEmpties) {
    ModShortestPath engine = listed({{0, 0}, {1, 0}, {3, 0}}, 2);
    EXPECT_EQ(engine.tour_list_count(), 6);
    EXPECT_EQ(engine.route_text("/"), "1/3/2/1/3/2/1");
    engine.clear_tourlist();
    EXPECT_EQ(engine.tour_list_count(), 0);
    EXPECT_EQ(engine.route_text("/"), "");
}

TEST(ResultList, ListsBeyondSixteenBitCounts) {
    // More nodes than a 16-bit count can hold: every node is listed and named once.
    const int count = 40000;
    rundel::test::Points points;
    for (int i = 0; i < count; ++i) {
        points.emplace_back(static_cast<float>(i % 200), static_cast<float>(i / 200));
    }
    const ModShortestPath engine = listed(points);
    ASSERT_EQ(engine.tour_list_count(), count);
    std::istringstream text(engine.route_text("\n"));
    std::vector<int> route(std::istream_iterator<int>(text), {});
    ASSERT_EQ(route.size(), static_cast<std::size_t>(count) + 1);
    EXPECT_EQ(route.front(), 1);
    EXPECT_EQ(route.back(), 1);
    route.pop_back();
    std::sort(route.begin(), route.end());
    std::vector<int> every(count);
    std::iota(every.begin(), every.end(), 1);
    EXPECT_EQ(route, every);
}

} // namespace

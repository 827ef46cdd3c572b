#include "engine/modshortestpath.h"
#include "support/nodetext.h"

#include <gtest/gtest.h>

using rundel::engine::Construction;
using rundel::engine::ModShortestPath;
using rundel::test::node_text;

namespace {

TEST(ResultList, RouteTextStartsAndEndsAtNodeOne) {
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(node_text({{0, 0}, {1, 0}, {3, 0}})));
    engine.solve_tour();
    engine.clear_tourlist();
    ASSERT_TRUE(engine.make_tourlist());
    EXPECT_EQ(engine.tour_list(), (std::vector<std::string>{"3", "2", "1"}));
    EXPECT_EQ(engine.tour_list_count(), 3);
    EXPECT_EQ(engine.route_text("/"), "1/3/2/1");
    EXPECT_EQ(engine.route_text("\r\n"), "1\r\n3\r\n2\r\n1");
}

TEST(ResultList, TourOpeningWithNodeFiveIsRotated) {
    // Node 5 lies farthest from the centre and opens the tour 5, 1, 4, 3, 2.
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(node_text({{0, 0}, {2, 9}, {3, 6}, {1, 3}, {-9, -3}})));
    engine.solve_tour(Construction::Reference);
    engine.clear_tourlist();
    engine.make_tourlist();
    EXPECT_EQ(engine.tour_list(), (std::vector<std::string>{"5", "1", "4", "3", "2"}));
    EXPECT_EQ(engine.route_text("/"), "1/4/3/2/5/1");
}

TEST(ResultList, OneNodeAndListingTwiceAndClearing) {
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(node_text({{4, 4}})));
    engine.solve_tour();
    engine.clear_tourlist();
    engine.make_tourlist();
    EXPECT_EQ(engine.route_text("/"), "1/1");

    ASSERT_TRUE(engine.read_nodetext(node_text({{0, 0}, {1, 0}, {3, 0}})));
    engine.solve_tour();
    engine.clear_tourlist();
    engine.make_tourlist();
    engine.make_tourlist();
    EXPECT_EQ(engine.tour_list_count(), 6);
    EXPECT_EQ(engine.route_text("/"), "1/3/2/1/3/2/1");

    engine.clear_tourlist();
    EXPECT_EQ(engine.tour_list_count(), 0);
    EXPECT_TRUE(engine.tour_list().empty());
    EXPECT_EQ(engine.route_text("/"), "");
}

TEST(ResultList, ListsBeyondSixteenBitCounts) {
    // More nodes than a 16-bit count can hold: every node is listed and named once.
    const std::int32_t count = 40000;
    rundel::test::Points points;
    for (std::int32_t i = 0; i < count; ++i) {
        points.emplace_back(static_cast<float>(i % 200), static_cast<float>(i / 200));
    }
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(node_text(points)));
    engine.solve_tour();
    engine.clear_tourlist();
    engine.make_tourlist();
    ASSERT_EQ(engine.tour_list_count(), count);
    const std::string text = engine.route_text("/");
    std::vector<bool> seen(count + 1, false);
    std::size_t pos = 0;
    std::int32_t listed = 0;
    while (true) {
        const std::size_t slash = text.find('/', pos);
        if (slash == std::string::npos) {
            EXPECT_EQ(text.substr(pos), "1");
            break;
        }
        const int node = std::stoi(text.substr(pos, slash - pos));
        ASSERT_FALSE(seen[static_cast<std::size_t>(node)]) << node;
        seen[static_cast<std::size_t>(node)] = true;
        ++listed;
        pos = slash + 1;
    }
    EXPECT_EQ(listed, count);
    EXPECT_EQ(text.substr(0, 2), "1/");
}

} // namespace

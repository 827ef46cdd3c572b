#include "mapserver/roadrouter.h"
#include "runningserver.h"
#include "support/osrmstandin.h"

#include <chrono>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using nlohmann::json;
using rundel::test::OsrmStandIn;
using Stop = OsrmStandIn::Stop;

namespace {

/// Three stops west of the river, two east of it.
const std::vector<Stop> kStops{
    {35.70, 139.70}, {35.66, 139.72}, {35.72, 139.74}, {35.70, 139.80}, {35.65, 139.78}};

std::string body_of(const std::vector<Stop>& stops) {
    json list = json::array();
    for (const Stop& stop : stops) {
        list.push_back({stop.lat, stop.lon});
    }
    return json{{"stops", list}}.dump();
}

struct Routed {
    explicit Routed(int limit = 100, int block = 100, const std::filesystem::path& data_dir = {})
        : router(limit), map(
                             [&](rundel::mapserver::MapServerOptions& options) {
                                 options.router = "osrm=" + router.base();
                                 options.router_block = block;
                             },
                             data_dir) {}

    json post(const std::string& path, const std::vector<Stop>& stops, int status = 200) {
        const auto answer = map.client().Post(path, body_of(stops), "application/json");
        EXPECT_TRUE(answer);
        if (!answer) {
            return {};
        }
        EXPECT_EQ(answer->status, status) << answer->body;
        return json::parse(answer->body);
    }

    OsrmStandIn router;
    rundel::test::RunningServer map;
};

/// The table's every cell against the stand-in's roads.
void expect_roads(const json& table, const std::vector<Stop>& stops) {
    ASSERT_TRUE(table.value("ok", false)) << table.dump();
    for (std::size_t i = 0; i < stops.size(); ++i) {
        for (std::size_t j = 0; j < stops.size(); ++j) {
            const auto metres =
                i == j ? std::optional<double>(0.0) : OsrmStandIn::road_metres(stops[i], stops[j]);
            if (!metres) {
                EXPECT_TRUE(table["metres"][i][j].is_null()) << i << "→" << j;
                continue;
            }
            EXPECT_NEAR(table["metres"][i][j].get<double>(), *metres, 0.1) << i << "→" << j;
            EXPECT_NEAR(table["seconds"][i][j].get<double>(), OsrmStandIn::seconds(*metres), 0.1);
        }
    }
}

TEST(RoadRouter, TheTableComesInBlocksAndIsAskedOnlyOnce) {
    const rundel::test::TempFolder kept;
    {
        // Blocks of 2 × 2: 3 × 3 for five stops, less the last, which is all diagonal.
        Routed routed(100, 2);
        const json table = routed.post("/router/table", kStops);
        expect_roads(table, kStops);
        EXPECT_EQ(table["requests"], 8);
        EXPECT_EQ(routed.router.server.requests, 8);
        EXPECT_EQ(routed.post("/router/table", kStops)["requests"], 0);
        EXPECT_EQ(routed.router.server.requests, 8);
    }
    // A server started anew reads what it was told from its cache.
    Routed first(100, 100, kept.path() / "data");
    expect_roads(first.post("/router/table", kStops), kStops);
    Routed again(100, 100, kept.path() / "data");
    const json cached = again.post("/router/table", kStops);
    expect_roads(cached, kStops);
    EXPECT_EQ(cached["requests"], 0);
    EXPECT_EQ(again.router.server.requests, 0);
}

TEST(RoadRouter, ATableTooBigForTheRouterIsAskedInSmallerBlocks) {
    Routed routed(2, 100); // the router takes 2 × 2 at most
    const json table = routed.post("/router/table", kStops);
    expect_roads(table, kStops);
    EXPECT_GT(table["requests"].get<int>(), 1);
}

TEST(RoadRouter, StopsOffTheRoadsAndIslandsAreSaidNotGuessed) {
    std::vector<Stop> stops = kStops;
    stops.push_back({70.0, 139.70});  // off every road
    stops.push_back({35.70, 141.50}); // no road reaches it
    Routed routed;
    const json table = routed.post("/router/table", stops);
    EXPECT_EQ(table["offRoad"], json::array({5}));
    for (std::size_t i = 0; i < stops.size(); ++i) {
        EXPECT_TRUE(table["seconds"][5][i].is_null());
        EXPECT_TRUE(table["seconds"][i][5].is_null());
    }
    EXPECT_TRUE(table["metres"][0][6].is_null());
    EXPECT_TRUE(table["metres"][6][0].is_null());
    EXPECT_NEAR(table["metres"][0][3].get<double>(), *OsrmStandIn::road_metres(stops[0], stops[3]),
                0.1);

    const json legs = routed.post("/router/legs", {stops[0], stops[6], stops[1]});
    EXPECT_TRUE(legs["legs"][0].is_null());
}

TEST(RoadRouter, LegsFollowTheRoadsAcrossTheBridge) {
    Routed routed;
    const std::vector<Stop> day{kStops[0], kStops[3], kStops[1]}; // west, east, west
    const json legs = routed.post("/router/legs", day);
    ASSERT_EQ(legs["legs"].size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        const json& leg = legs["legs"][i];
        EXPECT_NEAR(leg["metres"].get<double>(), *OsrmStandIn::road_metres(day[i], day[i + 1]),
                    0.1);
        const json& path = leg["path"];
        ASSERT_EQ(path.size(), 3U); // the stop, the bridge, the next stop
        EXPECT_NEAR(path[1][0].get<double>(), OsrmStandIn::kBridge.lat, 1e-6);
        EXPECT_NEAR(path[1][1].get<double>(), OsrmStandIn::kBridge.lon, 1e-6);
        EXPECT_NEAR(path[2][0].get<double>(), day[i + 1].lat, 1e-6);
    }
    const int asked = routed.router.server.requests;
    EXPECT_EQ(routed.post("/router/legs", day)["legs"], legs["legs"]);
    EXPECT_EQ(routed.router.server.requests, asked);
}

TEST(RoadRouter, ARouterThatDoesNotAnswerIsLeftAloneForAWhile) {
    Routed routed;
    routed.router.server.stop();
    EXPECT_FALSE(routed.post("/router/table", kStops, 503).value("ok", true));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NE(routed.post("/router/legs", kStops, 503)["error"].get<std::string>().find("minute"),
              std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(RoadRouter, BadRequestsAndAServerWithoutARouter) {
    Routed routed;
    for (const char* body :
         {"[]", "{\"stops\": 3}", "{\"stops\": [[91, 0]]}", "{\"stops\": [[1]]}"}) {
        const auto answer = routed.map.client().Post("/router/table", body, "application/json");
        ASSERT_TRUE(answer);
        EXPECT_EQ(answer->status, 400) << body;
    }
    const rundel::test::RunningServer plain;
    const auto answer = plain.client().Post("/router/table", body_of(kStops), "application/json");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->status, 404);
}

TEST(RoadRouter, ServicesAndPolylines) {
    using rundel::mapserver::RouterService;
    EXPECT_EQ(RouterService::parse("osrm").value().address.scheme_host, "http://127.0.0.1:5000");
    EXPECT_EQ(RouterService::parse("osrm=https://example.org/osrm/").value().address.path, "/osrm");
    EXPECT_EQ(RouterService::parse("valhalla=http://10.0.0.2:8002").value().name, "valhalla");
    for (const char* bad : {"", "fast", "osrm=ftp://x", "=http://x"}) {
        EXPECT_FALSE(RouterService::parse(bad)) << bad;
    }
    // The encoding's own documented example, at five decimals.
    const auto points = rundel::mapserver::decode_polyline("_p~iF~ps|U_ulLnnqC_mqNvxq`@", 5);
    ASSERT_TRUE(points);
    ASSERT_EQ(points->size(), 3U);
    EXPECT_NEAR((*points)[2].lat, 43.252, 1e-9);
    EXPECT_NEAR((*points)[2].lon, -126.453, 1e-9);
    EXPECT_FALSE(rundel::mapserver::decode_polyline("_p~iF~ps|U_", 5));
}

} // namespace

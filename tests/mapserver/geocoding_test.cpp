#include "mapserver/gazetteer.h"
#include "mapserver/mapserver.h"
#include "mapserver/onlinegeocoder.h"
#include "mapserver/querytext.h"
#include "mapserver/roadrouter.h"
#include "mapserver/tileproxy.h"
#include "runningserver.h"
#include "support/loopbackserver.h"
#include "support/nodetext.h"
#include "support/tempfolder.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <mutex>
#include <nlohmann/json.hpp>
#include <thread>

using rundel::mapserver::Gazetteer;
using rundel::mapserver::normalise_query;

namespace {

const Gazetteer& gazetteer() {
    static const Gazetteer loaded = [] {
        Gazetteer g;
        const rundel::Status read =
            g.load(std::filesystem::path(RUNDEL_PROGRAM_DIR) / "mapdata/gazetteer.tsv");
        EXPECT_TRUE(read) << read.error();
        return g;
    }();
    return loaded;
}

struct Query {
    const char* name;
    const char* text;
    const char* label; // nullptr: not found
    double latitude;
    double longitude;
};

class GazetteerLookup : public ::testing::TestWithParam<Query> {};

TEST_P(GazetteerLookup, FindsThePlace) {
    const Query& query = GetParam();
    const auto place = gazetteer().lookup(normalise_query(query.text));
    if (query.label == nullptr) {
        EXPECT_FALSE(place) << place->label;
        return;
    }
    ASSERT_TRUE(place) << query.text;
    EXPECT_EQ(place->label, query.label);
    EXPECT_NEAR(place->latitude, query.latitude, 0.3);
    EXPECT_NEAR(place->longitude, query.longitude, 0.3);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, GazetteerLookup,
    ::testing::Values(
        Query{"tokyo_chiyoda", "東京都千代田区", "東京都千代田区", 35.69, 139.75},
        Query{"ward_of_a_designated_city", "大阪市北区", "大阪府大阪市北区", 34.71, 135.51},
        Query{"fukuoka_ward", "福岡県福岡市中央区天神1-8-1", "福岡県福岡市中央区", 33.59, 130.39},
        Query{"kitakyushu", "北九州市", "福岡県北九州市", 33.88, 130.88},
        Query{"ishigaki", "沖縄県石垣市", "沖縄県石垣市", 24.34, 124.19},
        Query{"yusuhara", "高知県梼原町", "高知県梼原町", 33.38, 132.93},
        Query{"city", "札幌市", "北海道札幌市", 43.06, 141.35},
        Query{"street_address", "東京都千代田区丸の内１丁目９－１", "東京都千代田区", 35.69,
              139.75},
        Query{"postcode_and_full_width_blank", "〒530-0001　大阪府大阪市北区梅田",
              "大阪府大阪市北区", 34.71, 135.51},
        Query{"prefecture_only", "北海道", "北海道", 43.45, 142.82},
        Query{"prefecture_then_unknown_town", "京都府どこかの町", "京都府", 35.2, 135.5},
        Query{"kyoto_city_not_prefecture", "京都市左京区", "京都府京都市左京区", 35.05, 135.78},
        Query{"world_city", "Paris", "Paris, FR", 48.85, 2.35},
        Query{"world_city_full_width", "ＰＡＲＩＳ", "Paris, FR", 48.85, 2.35},
        Query{"world_city_with_country", "Paris, US", "Paris, US", 33.66, -95.56},
        Query{"unknown", "存在しない架空の地名", nullptr, 0, 0},
        Query{"empty", "   ", nullptr, 0, 0}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(QueryText, NormalisesWidthsBlanksAndPostcodes) {
    EXPECT_EQ(normalise_query("　東京都　千代田区　"), "東京都 千代田区");
    EXPECT_EQ(normalise_query("〒100-0005 東京都"), "東京都");
    EXPECT_EQ(normalise_query("１２３４５"), "12345");
    EXPECT_EQ(normalise_query("1000005 東京都"), "東京都");
}

/// A loopback stand-in for an online service; it remembers who asked last.
struct StandIn : rundel::test::LoopbackServer {
    std::string user_agent;
};

using rundel::mapserver::GeocoderService;
using rundel::mapserver::OnlineGeocoder;

/// The GSI address search, as documented: a JSON array of GeoJSON features.
void answer_as_gsi(StandIn& gsi) {
    gsi.server.Get("/address-search/AddressSearch", [&gsi](const httplib::Request& request,
                                                           httplib::Response& response) {
        ++gsi.requests;
        gsi.user_agent = request.get_header_value("User-Agent");
        const std::string q = request.get_param_value("q");
        if (q.find("遅い") != std::string::npos) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        }
        if (q.find("壊れた") != std::string::npos) {
            response.set_content("<html>maintenance</html>", "text/html");
        } else if (q.find("失敗") != std::string::npos) {
            response.status = 500;
        } else if (q.find("西新宿") != std::string::npos) {
            response.set_content(
                R"([{"geometry":{"coordinates":[139.691717,35.689568],"type":"Point"},)"
                R"("type":"Feature","properties":{"addressCode":"","title":"東京都新宿区西新宿二丁目"}}])",
                "application/json");
        } else {
            response.set_content("[]", "application/json");
        }
    });
    gsi.start();
}

OnlineGeocoder make_geocoder(const std::string& preset, const std::filesystem::path& cache = {}) {
    const auto service = GeocoderService::parse(preset);
    EXPECT_TRUE(service) << service.error();
    OnlineGeocoder::Options options;
    options.min_interval = std::chrono::milliseconds(0);
    options.timeout = std::chrono::seconds(1);
    options.cache_file = cache;
    return OnlineGeocoder(service.value(), options);
}

TEST(OnlineGeocoder, GsiAnswersAreReadCachedOnDiskAndNameUs) {
    StandIn gsi;
    answer_as_gsi(gsi);
    rundel::test::TempFolder folder;
    const auto cache = folder.path() / "cache" / "geocode.tsv";
    {
        OnlineGeocoder geocoder = make_geocoder("gsi=" + gsi.base(), cache);
        const auto place = geocoder.lookup("東京都新宿区西新宿2-8-1");
        ASSERT_TRUE(place);
        EXPECT_NEAR(place->latitude, 35.689568, 1e-9);
        EXPECT_NEAR(place->longitude, 139.691717, 1e-9);
        EXPECT_EQ(place->label, "東京都新宿区西新宿二丁目");
        EXPECT_FALSE(geocoder.lookup("どこにもない"));
        EXPECT_EQ(gsi.requests, 2);
        EXPECT_NE(gsi.user_agent.find("Rundel_Engine"), std::string::npos);
    }
    // A new server (a restart, a re-import) asks nothing it asked before.
    OnlineGeocoder again = make_geocoder("gsi=" + gsi.base(), cache);
    EXPECT_TRUE(again.lookup("東京都新宿区西新宿2-8-1"));
    EXPECT_FALSE(again.lookup("どこにもない"));
    EXPECT_EQ(gsi.requests, 2);
}

struct Failure {
    const char* name;
    const char* query;
};

class OnlineFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(OnlineFailure, IsNotFoundNotCachedAndLeavesTheServiceAloneForAWhile) {
    StandIn gsi;
    answer_as_gsi(gsi);
    OnlineGeocoder geocoder = make_geocoder("gsi=" + gsi.base());
    EXPECT_FALSE(geocoder.lookup(GetParam().query));
    EXPECT_FALSE(geocoder.lookup("東京都新宿区西新宿2-8-1")); // down: not even asked
    EXPECT_EQ(gsi.requests, 1);
}

INSTANTIATE_TEST_SUITE_P(Answers, OnlineFailure,
                         ::testing::Values(Failure{"slow", "遅い住所"},
                                           Failure{"server_error", "失敗する住所"},
                                           Failure{"malformed", "壊れた住所"}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(OnlineGeocoder, NominatimAndUnreachableServices) {
    StandIn nominatim;
    nominatim.server.Get(
        "/search", [&](const httplib::Request& request, httplib::Response& response) {
            ++nominatim.requests;
            response.set_content(request.get_param_value("q") == "nowhere"
                                     ? "[]"
                                     : R"([{"lat":"51.5","lon":"-0.12","display_name":"London"}])",
                                 "application/json");
        });
    nominatim.start();
    OnlineGeocoder geocoder = make_geocoder(nominatim.base());
    ASSERT_TRUE(geocoder.lookup("london"));
    EXPECT_EQ(geocoder.lookup("london")->label, "London");
    EXPECT_FALSE(geocoder.lookup("nowhere"));
    EXPECT_FALSE(geocoder.lookup("nowhere"));
    EXPECT_EQ(nominatim.requests, 2);

    OnlineGeocoder unreachable = make_geocoder("nominatim=http://127.0.0.1:1");
    EXPECT_FALSE(unreachable.lookup("london"));
    EXPECT_FALSE(unreachable.lookup("paris"));
    EXPECT_EQ(unreachable.requests_sent(), 1);
}

struct PresetCase {
    const char* option; ///< tiles, geocoder or router
    const char* text;
    const char* reaches; ///< the address asked first; empty: refused, naming the option
};

/// Where an online source's value leads: the first tile template, the geocoder's or the
/// router's scheme, host and path.
std::string reached(const std::string& option, const std::string& text, std::string& error) {
    const auto address = [](const rundel::mapserver::ServiceAddress& at) {
        return at.scheme_host + at.path;
    };
    if (option == "tiles") {
        const auto source = rundel::mapserver::TileSource::parse(text);
        error = source.error();
        return source ? source.value().templates.begin()->second : std::string();
    }
    if (option == "geocoder") {
        const auto service = GeocoderService::parse(text);
        error = service.error();
        return service ? address(service.value().address) : std::string();
    }
    const auto router = rundel::mapserver::RouterService::parse(text);
    error = router.error();
    return router ? address(router.value().address) : std::string();
}

class OnlinePresets : public ::testing::TestWithParam<PresetCase> {};

TEST_P(OnlinePresets, LeadWhereTheyNameOrAreRefused) {
    std::string error;
    const std::string where = reached(GetParam().option, GetParam().text, error);
    const std::string expected = GetParam().reaches;
    if (expected.empty()) {
        EXPECT_TRUE(where.empty());
        EXPECT_NE(error.find(std::string("--") + GetParam().option), std::string::npos) << error;
    } else {
        EXPECT_EQ(where.substr(0, expected.size()), expected) << where;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, OnlinePresets,
    ::testing::Values(
        PresetCase{"tiles", "gsi", "https://cyberjapandata.gsi.go.jp/"},
        PresetCase{"tiles", "gsi=http://127.0.0.1:8080", "http://127.0.0.1:8080/"},
        PresetCase{"tiles", "osm", "https://tile.openstreetmap.org/{z}/{x}/{y}.png"},
        PresetCase{"tiles", "https://example.org/{z}/{x}/{y}.png", "https://example.org/{z}"},
        PresetCase{"tiles", "https://example.org/{z}/{x}.png", ""},
        PresetCase{"tiles", "gsi=ftp://x", ""},
        PresetCase{"geocoder", "gsi", "https://msearch.gsi.go.jp"},
        PresetCase{"geocoder", "gsi=http://127.0.0.1:8080/", "http://127.0.0.1:8080"},
        PresetCase{"geocoder", "nominatim", "https://nominatim.openstreetmap.org"},
        PresetCase{"geocoder", "https://example.org/nominatim", "https://example.org/nominatim"},
        PresetCase{"geocoder", "gsi=ftp://x", ""}, PresetCase{"geocoder", "google", ""},
        PresetCase{"router", "osrm", "http://127.0.0.1:5000"},
        PresetCase{"router", "osrm=https://example.org/osrm/", "https://example.org/osrm"},
        PresetCase{"router", "valhalla=http://10.0.0.2:8002", "http://10.0.0.2:8002"},
        PresetCase{"router", "fast", ""}, PresetCase{"router", "osrm=ftp://x", ""},
        PresetCase{"router", "=http://x", ""}),
    [](const auto& param) {
        return std::string(param.param.option) + "_" + rundel::test::test_name(param.param.text);
    });

using OnlineMapServer = rundel::test::RunningServer;

TEST(OnlineMapServer, StreetAddressesOnlineFirstThenTheGazetteer) {
    StandIn gsi;
    answer_as_gsi(gsi);
    OnlineMapServer map("", "gsi=" + gsi.base());
    const auto street =
        nlohmann::json::parse(map.get("/Rundel_SRV/geocode?q=" +
                                      rundel::mapserver::url_encoded("東京都新宿区西新宿2-8-1"))
                                  ->body);
    EXPECT_TRUE(street["found"].get<bool>());
    EXPECT_NEAR(street["lat"].get<double>(), 35.689568, 1e-9);
    // Places the service does not know (a world city) still come from the gazetteer.
    EXPECT_TRUE(nlohmann::json::parse(map.get("/Rundel_SRV/geocode?q=Paris")->body)["found"]);

    gsi.stop(); // the service goes away: the municipality is found offline
    const auto offline =
        nlohmann::json::parse(map.get("/Rundel_SRV/geocode?q=" +
                                      rundel::mapserver::url_encoded("東京都新宿区西新宿3-1-1"))
                                  ->body);
    EXPECT_TRUE(offline["found"].get<bool>());
    EXPECT_EQ(offline["label"], "東京都新宿区");
    EXPECT_FALSE(nlohmann::json::parse(
        map.get("/Rundel_SRV/geocode?q=" + rundel::mapserver::url_encoded("存在しない架空の地名"))
            ->body)["found"]);
}

TEST(OnlineMapServer, TilesComeThroughTheServerAndStayInItsCache) {
    StandIn provider;
    std::vector<std::string> asked;
    std::mutex asked_mutex;
    provider.server.Get(
        R"(/xyz/.*)", [&](const httplib::Request& request, httplib::Response& response) {
            const std::lock_guard lock(asked_mutex);
            asked.push_back(request.path);
            if (request.path.find("/9/") != std::string::npos) {
                response.status = 404; // outside the coverage
                return;
            }
            response.set_content(std::string("\x89PNG\r\n\x1a\n") + request.path, "image/png");
        });
    provider.start();
    OnlineMapServer map("gsi=" + provider.base(), "");
    const auto page = map.get("/Rundel_SRV/Rundel_SRV.php");
    ASSERT_TRUE(page);
    EXPECT_NE(page->body.find(R"("url":"/tiles/{type}/{z}/{x}/{y}")"), std::string::npos);
    EXPECT_NE(page->body.find("地理院タイル"), std::string::npos);

    const auto normal = map.get("/tiles/normal/5/28/12");
    ASSERT_TRUE(normal);
    EXPECT_EQ(normal->status, 200);
    EXPECT_EQ(normal->get_header_value("Content-Type"), "image/png");
    EXPECT_NE(normal->body.find("/xyz/std/5/28/12.png"), std::string::npos);
    EXPECT_EQ(map.get("/tiles/satellite/5/28/12")->status, 200);
    EXPECT_EQ(map.get("/tiles/normal/9/450/200")->status, 404);
    EXPECT_EQ(map.get("/tiles/normal/5/99/12")->status, 404); // no such tile at zoom 5
    EXPECT_EQ(map.get("/tiles/earth/5/28/12")->status, 404);  // no such type

    provider.stop();
    EXPECT_EQ(map.get("/tiles/normal/5/28/12")->status, 200); // from the cache
    EXPECT_EQ(map.get("/tiles/normal/5/27/12")->status, 404); // never seen, provider gone
    EXPECT_EQ(asked,
              (std::vector<std::string>{"/xyz/std/5/28/12.png", "/xyz/seamlessphoto/5/28/12.jpg",
                                        "/xyz/std/9/450/200.png"}));
}

} // namespace

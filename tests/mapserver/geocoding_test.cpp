#include "mapserver/gazetteer.h"
#include "mapserver/onlinegeocoder.h"
#include "mapserver/querytext.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <httplib.h>
#include <thread>

using rundel::mapserver::Gazetteer;
using rundel::mapserver::normalise_query;

namespace {

const Gazetteer& gazetteer() {
    static const Gazetteer loaded = [] {
        Gazetteer g;
        std::string error;
        EXPECT_TRUE(
            g.load(std::filesystem::path(RUNDEL_PROGRAM_DIR) / "mapdata/gazetteer.tsv", error))
            << error;
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
        Query{"ward_falls_back_to_city", "大阪市北区", "大阪府大阪市", 34.69, 135.50},
        Query{"city", "札幌市", "北海道札幌市", 43.06, 141.35},
        Query{"street_address", "東京都千代田区丸の内１丁目９－１", "東京都千代田区", 35.69,
              139.75},
        Query{"postcode_and_full_width_blank", "〒530-0001　大阪府大阪市北区梅田", "大阪府大阪市",
              34.69, 135.50},
        Query{"prefecture_only", "北海道", "北海道", 43.45, 142.82},
        Query{"prefecture_then_unknown_town", "京都府どこかの町", "京都府", 35.2, 135.5},
        Query{"kyoto_city_not_prefecture", "京都市左京区", "京都府京都市", 35.02, 135.76},
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

class FakeNominatim {
public:
    FakeNominatim() {
        server.Get("/search", [this](const httplib::Request& request, httplib::Response& response) {
            ++requests;
            user_agent = request.get_header_value("User-Agent");
            const std::string q = request.get_param_value("q");
            response.set_content(
                q == "nowhere" ? "[]" : R"([{"lat":"51.5","lon":"-0.12","display_name":"London"}])",
                "application/json");
        });
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        // stop() before the loop runs would be lost and leave the thread listening.
        while (!server.is_running()) {
            std::this_thread::yield();
        }
    }
    ~FakeNominatim() {
        server.stop();
        thread.join();
    }
    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::atomic<int> requests{0};
    std::string user_agent;
};

TEST(OnlineGeocoder, CachesAnswersSpacesRequestsAndNamesItself) {
    FakeNominatim upstream;
    rundel::mapserver::OnlineGeocoder geocoder("http://127.0.0.1:" + std::to_string(upstream.port),
                                               std::chrono::milliseconds(300));
    const auto first = geocoder.lookup("london");
    ASSERT_TRUE(first);
    EXPECT_NEAR(first->latitude, 51.5, 1e-9);
    EXPECT_TRUE(geocoder.lookup("london"));
    EXPECT_EQ(upstream.requests, 1);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(geocoder.lookup("nowhere"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_FALSE(geocoder.lookup("nowhere")); // a "not found" is cached too
    EXPECT_EQ(upstream.requests, 2);
    EXPECT_NE(upstream.user_agent.find("Rundel_Engine"), std::string::npos);
}

TEST(OnlineGeocoder, UnreachableServiceIsNotFoundAndNotCached) {
    rundel::mapserver::OnlineGeocoder geocoder("http://127.0.0.1:1", std::chrono::milliseconds(0));
    EXPECT_FALSE(geocoder.lookup("london"));
    EXPECT_FALSE(geocoder.lookup("london"));
    EXPECT_EQ(geocoder.requests_sent(), 2);
}

} // namespace

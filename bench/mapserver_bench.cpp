// Map server benchmark: a page visit, 1,000 markers posted, and the node file downloaded, on
// loopback against the real server.

#include "benchserver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <random>
#include <regex>
#include <vector>

int main() {
    namespace fs = std::filesystem;
    using Clock = std::chrono::steady_clock;
    const fs::path data = fs::temp_directory_path() / "rundel-mapserver-bench";
    const auto started = rundel::bench::start_server(data);
    if (!started) {
        return 1;
    }
    rundel::mapserver::MapServer& server = *started;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> lat(34.0, 36.0);
    std::uniform_real_distribution<double> lng(135.0, 140.0);
    nlohmann::json markers = nlohmann::json::array();
    for (int i = 0; i < 1000; ++i) {
        markers.push_back({lat(random), lng(random)});
    }
    std::vector<double> post_ms;
    std::vector<double> get_ms;
    std::size_t bytes = 0;
    for (int round = 0; round < 30; ++round) {
        httplib::Client client("127.0.0.1", server.port());
        const auto page = client.Get("/Rundel_SRV/Rundel_SRV.php");
        std::smatch match;
        static const std::regex sesid(R"re("sesid":"([0-9a-f]{16})")re");
        if (!page || !std::regex_search(page->body, match, sesid)) {
            return 1;
        }
        const std::string id = match[1];
        const std::string body = nlohmann::json{{"sesid", id}, {"markers", markers}}.dump();
        auto start = Clock::now();
        const auto posted = client.Post("/Rundel_SRV/nodedata", body, "application/json");
        post_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        start = Clock::now();
        const auto file = client.Get(("/Rundel_SRV/tsp_node_data/" + id + "_nodedata.tsp").c_str(),
                                     {{"Accept-Encoding", "identity"}});
        get_ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
        if (!posted || posted->status != 200 || !file || file->status != 200) {
            return 1;
        }
        bytes = file->body.size();
    }
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    std::printf("mapserver: 1000 markers posted in %.2f ms, node file (%zu bytes) downloaded in "
                "%.2f ms (medians of %zu rounds)\n",
                median(post_ms), bytes, median(get_ms), post_ms.size());
    server.stop();
    fs::remove_all(data);
    return 0;
}

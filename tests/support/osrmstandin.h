#pragma once

#include "support/loopbackserver.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace rundel::test {

/// A stand-in for osrm-routed on loopback, answering /table and /route in OSRM's documented
/// shapes and codes over a small road network: a river along longitude 139.75 that only one
/// bridge, at 35.68° N, crosses; roads are straight on either bank. A stop north of 60° is off
/// every road (NoSegment); one east of 141° is on an island no road reaches (null cells,
/// NoRoute). Tables larger than `limit` × `limit` are TooBig.
class OsrmStandIn {
public:
    struct Stop {
        double lat, lon;
    };
    static constexpr Stop kBridge{35.68, 139.75};

    explicit OsrmStandIn(int limit = 100) : limit_(limit) {
        server.server.Get(R"(/table/v1/driving/([^/?]+))", [this](const auto& rq, auto& rs) {
            ++server.requests;
            table(rq, rs);
        });
        server.server.Get(R"(/route/v1/driving/([^/?]+))", [this](const auto& rq, auto& rs) {
            ++server.requests;
            route(rq, rs);
        });
        server.start();
    }

    /// Metres on the roads; nullopt where none leads.
    static std::optional<double> road_metres(Stop a, Stop b) {
        if (island(a) != island(b)) {
            return std::nullopt;
        }
        if (west(a) == west(b)) {
            return straight(a, b);
        }
        return straight(a, kBridge) + straight(kBridge, b);
    }
    static double seconds(double metres) { return metres / 10.0; }

    /// Google's polyline encoding at 6 decimals, as OSRM's polyline6.
    static std::string polyline6(const std::vector<Stop>& points) {
        std::string out;
        long previous_lat = 0;
        long previous_lon = 0;
        const auto put = [&out](long delta) {
            unsigned long value = delta < 0 ? ~(static_cast<unsigned long>(delta) << 1U)
                                            : static_cast<unsigned long>(delta) << 1U;
            while (value >= 0x20) {
                out += static_cast<char>((0x20 | (value & 0x1F)) + 63);
                value >>= 5U;
            }
            out += static_cast<char>(value + 63);
        };
        for (const Stop& p : points) {
            const long lat = std::lround(p.lat * 1e6);
            const long lon = std::lround(p.lon * 1e6);
            put(lat - previous_lat);
            put(lon - previous_lon);
            previous_lat = lat;
            previous_lon = lon;
        }
        return out;
    }

    [[nodiscard]] std::string base() const { return server.base(); }
    LoopbackServer server;

private:
    static bool west(Stop s) { return s.lon < kBridge.lon; }
    static bool island(Stop s) { return s.lon > 141.0; }
    static double straight(Stop a, Stop b) {
        constexpr double kMetresPerDegree = 111195.0;
        const double x = (b.lon - a.lon) * std::cos((a.lat + b.lat) / 2 * M_PI / 180);
        return std::hypot(x, b.lat - a.lat) * kMetresPerDegree;
    }

    static std::vector<Stop> stops_in(const std::string& text) {
        std::vector<Stop> stops;
        std::istringstream in(text);
        std::string pair;
        while (std::getline(in, pair, ';')) {
            Stop stop{};
            std::sscanf(pair.c_str(), "%lf,%lf", &stop.lon, &stop.lat);
            stops.push_back(stop);
        }
        return stops;
    }
    static std::vector<int> list(const std::string& text, int all) {
        std::vector<int> out;
        if (text.empty()) {
            for (int i = 0; i < all; ++i) {
                out.push_back(i);
            }
            return out;
        }
        std::istringstream in(text);
        std::string item;
        while (std::getline(in, item, ';')) {
            out.push_back(std::stoi(item));
        }
        return out;
    }
    static void answer(httplib::Response& response, int status, const nlohmann::json& body) {
        response.status = status;
        response.set_content(body.dump(), "application/json");
    }
    /// NoSegment for the first stop off every road; false when there is none.
    static bool off_road(const std::vector<Stop>& stops, httplib::Response& response) {
        for (std::size_t i = 0; i < stops.size(); ++i) {
            if (stops[i].lat > 60) {
                answer(response, 400,
                       {{"code", "NoSegment"},
                        {"message",
                         "Could not find a matching segment for coordinate " + std::to_string(i)}});
                return true;
            }
        }
        return false;
    }

    void table(const httplib::Request& request, httplib::Response& response) const {
        const std::vector<Stop> stops = stops_in(request.matches[1]);
        const auto sources =
            list(request.get_param_value("sources"), static_cast<int>(stops.size()));
        const auto targets =
            list(request.get_param_value("destinations"), static_cast<int>(stops.size()));
        if (static_cast<int>(sources.size() * targets.size()) > limit_ * limit_) {
            answer(response, 400, {{"code", "TooBig"}, {"message", "Too many table coordinates"}});
            return;
        }
        if (off_road(stops, response)) {
            return;
        }
        nlohmann::json durations = nlohmann::json::array();
        nlohmann::json distances = nlohmann::json::array();
        for (const int s : sources) {
            nlohmann::json row_d = nlohmann::json::array();
            nlohmann::json row_m = nlohmann::json::array();
            for (const int t : targets) {
                const auto metres = road_metres(stops[static_cast<std::size_t>(s)],
                                                stops[static_cast<std::size_t>(t)]);
                row_m.push_back(metres ? nlohmann::json(*metres) : nlohmann::json(nullptr));
                row_d.push_back(metres ? nlohmann::json(seconds(*metres))
                                       : nlohmann::json(nullptr));
            }
            durations.push_back(row_d);
            distances.push_back(row_m);
        }
        answer(response, 200, {{"code", "Ok"}, {"durations", durations}, {"distances", distances}});
    }

    void route(const httplib::Request& request, httplib::Response& response) const {
        const std::vector<Stop> stops = stops_in(request.matches[1]);
        if (stops.size() != 2 || request.get_param_value("geometries") != "polyline6") {
            answer(response, 400, {{"code", "InvalidOptions"}, {"message", "stand-in"}});
            return;
        }
        if (off_road(stops, response)) {
            return;
        }
        const auto metres = road_metres(stops[0], stops[1]);
        if (!metres) {
            answer(response, 400, {{"code", "NoRoute"}, {"message", "Impossible route"}});
            return;
        }
        std::vector<Stop> shape{stops[0]};
        if (west(stops[0]) != west(stops[1])) {
            shape.push_back(kBridge);
        }
        shape.push_back(stops[1]);
        answer(response, 200,
               {{"code", "Ok"},
                {"routes",
                 {{{"distance", *metres},
                   {"duration", seconds(*metres)},
                   {"geometry", polyline6(shape)},
                   {"legs", {{{"distance", *metres}, {"duration", seconds(*metres)}}}}}}}});
    }

    int limit_;
};

} // namespace rundel::test

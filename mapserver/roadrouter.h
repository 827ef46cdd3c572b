#pragma once

#include "engine/result.h"
#include "mapserver/onlineservice.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rundel::mapserver {

struct LatLon {
    double lat = 0;
    double lon = 0;
};

/// Drive times and road distances between stops, from row to column; NaN where the router
/// knows no route.
struct RoadMatrix {
    std::int32_t size = 0;
    std::vector<double> seconds;
    std::vector<double> metres;
    /// Stops the router could not place on any road: their rows and columns are NaN.
    std::vector<std::int32_t> off_road;
    int requests = 0; ///< requests this answer cost (0: all from the cache)

    [[nodiscard]] std::size_t cell(std::int32_t from, std::int32_t to) const {
        return static_cast<std::size_t>(from) * static_cast<std::size_t>(size) +
               static_cast<std::size_t>(to);
    }
};

/// The road from one stop to the next.
struct RoadLeg {
    double seconds = 0;
    double metres = 0;
    std::vector<LatLon> path; ///< the road's shape, first stop to second
};

/// A road router, as the map server asks it. OSRM's HTTP API is the one spoken today; other
/// engines with a matrix and a route service (Valhalla, openrouteservice) fit behind it.
class RoadRouter {
public:
    virtual ~RoadRouter() = default;
    /// The router's name, for the map's attribution.
    [[nodiscard]] virtual std::string name() const = 0;
    /// Every stop to every stop; a failure when the router cannot be asked.
    [[nodiscard]] virtual Result<RoadMatrix> table(const std::vector<LatLon>& stops) = 0;
    /// The road of each leg between consecutive stops; nullopt for a leg without a road.
    /// A failure when the router cannot be asked.
    [[nodiscard]] virtual Result<std::vector<std::optional<RoadLeg>>>
    legs(const std::vector<LatLon>& stops) = 0;
};

/// Where the router lives: "osrm" (a local osrm-routed, http://127.0.0.1:5000), "osrm=BASE"
/// or "NAME=BASE" for another server that speaks OSRM's API.
struct RouterService {
    std::string name = "osrm";
    ServiceAddress address;
    std::string profile = "driving";

    [[nodiscard]] static Result<RouterService> parse(const std::string& text);
};

/// The points of an encoded polyline (Google's format) of @p precision decimals; nullopt
/// when the text is not one.
[[nodiscard]] std::optional<std::vector<LatLon>> decode_polyline(std::string_view text,
                                                                 int precision = 6);

/// OSRM's /table and /route, politely: the matrix asked in blocks of at most `block` sources
/// and destinations (smaller when the server says TooBig); every cell and road kept, also on
/// disk, so that a day's stops asked again cost nothing; each request times out after a few
/// seconds, and after a failure the router is left alone for a minute.
class OsrmRouter final : public RoadRouter {
public:
    struct Options {
        std::int32_t block = 100;
        std::chrono::milliseconds down_for{60000};
        std::chrono::seconds timeout{5};
        std::filesystem::path cache_dir; ///< empty: cache in memory only
    };

    OsrmRouter(RouterService service, Options options);

    [[nodiscard]] std::string name() const override { return service_.name; }
    [[nodiscard]] Result<RoadMatrix> table(const std::vector<LatLon>& stops) override;
    [[nodiscard]] Result<std::vector<std::optional<RoadLeg>>>
    legs(const std::vector<LatLon>& stops) override;

private:
    struct Cell {
        double seconds, metres; // NaN: no route
    };
    struct Block;

    Status ask_block(const std::vector<LatLon>& stops, Block& block, RoadMatrix& matrix);
    Result<std::optional<RoadLeg>> ask_leg(const LatLon& from, const LatLon& to);
    /// GET @p path; the parsed answer, or why there is none. HTTP 400 answers are OSRM's own
    /// and are returned too.
    Result<std::string> get(const std::string& path);
    [[nodiscard]] std::string key(const LatLon& from, const LatLon& to) const;
    /// The cache's note that a stop lies off every road.
    [[nodiscard]] std::string off_road_key(const LatLon& stop) const;
    void load_cache();
    void remember(const std::vector<std::pair<std::string, Cell>>& cells);
    void remember(const std::string& key, const std::optional<RoadLeg>& leg,
                  const std::string& encoded);

    RouterService service_;
    Options options_;
    Availability availability_;
    std::mutex mutex_;
    std::map<std::string, Cell> cells_;
    std::map<std::string, std::optional<RoadLeg>> roads_;
    int requests_sent_ = 0;
};

} // namespace rundel::mapserver

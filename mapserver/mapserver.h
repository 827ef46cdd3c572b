#pragma once

#include "engine/result.h"
#include "mapserver/gazetteer.h"
#include "mapserver/sessionregistry.h"

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib

namespace rundel::mapserver {

class OnlineGeocoder;
class RoadRouter;
struct LatLon;
class TileProxy;

struct MapServerOptions {
    std::string bind = "127.0.0.1";
    int port = 0;                    ///< 0: let the system choose
    std::filesystem::path data_dir;  ///< node files
    std::filesystem::path web_root;  ///< the page (index.html), its scripts and map data
    std::filesystem::path gazetteer; ///< the offline geocoder's place list
    /// Online map tiles: "gsi", "osm" (either "=BASE"), an address template, or empty for
    /// the offline map only.
    std::string tiles;
    /// Online geocoder: "gsi", "nominatim" (either "=BASE"), a Nominatim address, or empty
    /// for the gazetteer only.
    std::string geocoder;
    /// Road router: "osrm", "osrm=BASE" or "NAME=BASE" (OSRM's API), or empty for straight
    /// lines only.
    std::string router;
    /// The most sources (and destinations) one table request asks for.
    std::int32_t router_block = 100;
};

/// The map server: the map page at the addresses of both server modes, its files, one session
/// per page visit, the sessions' node files and geocoding.
class MapServer {
public:
    explicit MapServer(MapServerOptions options);
    ~MapServer();
    MapServer(const MapServer&) = delete;
    MapServer& operator=(const MapServer&) = delete;

    /// Loads the page and the gazetteer and starts listening; a failure says why not.
    [[nodiscard]] Status start();
    /// Stops listening and waits for the server's threads.
    void stop();
    /// Blocks until stop() is called from elsewhere.
    void wait();

    [[nodiscard]] int port() const { return port_; }
    [[nodiscard]] SessionRegistry& sessions() { return sessions_; }

    /// Largest accepted marker list body, and marker count.
    static constexpr std::size_t kMaxBody = 8U * 1024U * 1024U;
    static constexpr std::size_t kMaxMarkers = 32767;
    /// Worker threads: each connection holds one while it is open.
    static constexpr std::size_t kWorkers = 256;
    /// The most stops one road table may have (a million cells).
    static constexpr std::size_t kMaxRoadStops = 1000;

private:
    void routes();
    void page(const httplib::Request& request, httplib::Response& response);
    void node_data(const httplib::Request& request, httplib::Response& response);
    void node_file(const httplib::Request& request, httplib::Response& response);
    void geocode(const httplib::Request& request, httplib::Response& response);
    void tile(const httplib::Request& request, httplib::Response& response);
    void road_table(const httplib::Request& request, httplib::Response& response);
    void road_legs(const httplib::Request& request, httplib::Response& response);
    /// The stops of a router request; nothing, with the error answered, when there is no
    /// router or the body is not a list of at most @p most stops.
    std::optional<std::vector<struct LatLon>>
    router_stops(const httplib::Request& request, httplib::Response& response, std::size_t most);
    Status start_online_services();
    Status start_geocoder(const std::filesystem::path& cache);
    Status start_tiles(const std::filesystem::path& cache);
    Status start_router(const std::filesystem::path& cache);
    void expiry_loop();

    MapServerOptions options_;
    SessionRegistry sessions_;
    Gazetteer gazetteer_;
    std::unique_ptr<OnlineGeocoder> online_;
    std::unique_ptr<TileProxy> tiles_;
    std::unique_ptr<RoadRouter> router_;
    std::unique_ptr<httplib::Server> server_;
    std::string page_template_;
    std::thread listener_;
    std::atomic<bool> listener_done_{false};
    std::thread expiry_;
    std::mutex mutex_;
    std::condition_variable stop_signal_;
    bool stopping_ = false;
    int port_ = 0;
    int listening_socket_ = -1;
};

} // namespace rundel::mapserver

#include "mapserver/mapserver.h"

#include "engine/nodefilename.h"
#include "mapserver/atomicfile.h"
#include "mapserver/nodefile.h"
#include "mapserver/onlinegeocoder.h"
#include "mapserver/querytext.h"
#include "mapserver/roadrouter.h"
#include "mapserver/tileproxy.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/socket.h>

namespace rundel::mapserver {
namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr const char* kPagePaths[] = {"/Rundel_SRV/Rundel_SRV.php",
                                      "/Rundel_WEB/Rundel/Rundel_WEB.php"};
constexpr auto kMaxIdle = std::chrono::hours(24);

void send_json(httplib::Response& response, int status, const json& body) {
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(body.dump(), "application/json; charset=utf-8");
}

void send_error(httplib::Response& response, int status, const std::string& message) {
    send_json(response, status, json{{"ok", false}, {"error", message}});
}

std::string library_error_text(int status) {
    switch (status) {
    case 404:
        return "not found";
    case 413:
        return "the request is larger than 8 MiB";
    default:
        return "the request could not be served (HTTP " + std::to_string(status) + ")";
    }
}

} // namespace

MapServer::MapServer(MapServerOptions options)
    : options_(std::move(options)), sessions_(options_.data_dir),
      server_(std::make_unique<httplib::Server>()) {}

MapServer::~MapServer() {
    stop();
}

Status MapServer::start() {
    std::error_code ec;
    fs::create_directories(options_.data_dir, ec);
    if (!fs::is_directory(options_.data_dir)) {
        return Status::failure("cannot use the data folder " + options_.data_dir.string());
    }
    std::ifstream page(options_.web_root / "index.html", std::ios::binary);
    if (!page) {
        return Status::failure("no map page at " + (options_.web_root / "index.html").string());
    }
    std::ostringstream text;
    text << page.rdbuf();
    page_template_ = text.str();
    if (Status loaded = gazetteer_.load(options_.gazetteer); !loaded) {
        return loaded;
    }
    if (Status online = start_online_services(); !online) {
        return online;
    }
    sessions_.adopt_existing();
    routes();

    // Short keep-alive so that stop() returns promptly and idle clients do not hold threads;
    // a short read timeout, so that a client that stalls mid-request lets its worker go.
    server_->set_keep_alive_timeout(1);
    server_->set_keep_alive_max_count(100);
    server_->set_read_timeout(3);
    server_->set_write_timeout(10);
    // Without it every keep-alive answer waits for the client's delayed acknowledgement.
    server_->set_tcp_nodelay(true);
    // Every connection holds a worker for its lifetime, idle ones too: the pool is large
    // enough that a few hundred idle or slow clients leave workers for the rest. Idle
    // threads cost address space, not memory.
    server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    // The library refuses a larger body by its declared length, before reading it.
    server_->set_payload_max_length(kMaxBody);
    server_->set_socket_options([this](int socket) {
        httplib::default_socket_options(socket);
        if (listening_socket_ < 0) {
            listening_socket_ = socket;
        }
    });
    // Errors the library answers itself (a body over the limit, no such file) carry a JSON
    // reason like the server's own.
    server_->set_error_handler(
        [](const httplib::Request& /*request*/, httplib::Response& response) {
            if (response.body.empty()) {
                send_error(response, response.status, library_error_text(response.status));
            }
        });
    port_ = options_.port == 0
                ? server_->bind_to_any_port(options_.bind)
                : (server_->bind_to_port(options_.bind, options_.port) ? options_.port : -1);
    if (port_ < 0) {
        return Status::failure("cannot listen on " + options_.bind + ":" +
                               std::to_string(options_.port));
    }
    // The library listens with a backlog of five, and bursts of clients get resets; listen()
    // again raises it.
    if (listening_socket_ >= 0) {
        ::listen(listening_socket_, SOMAXCONN);
    }
    listener_ = std::thread([this] {
        server_->listen_after_bind();
        listener_done_ = true;
    });
    // A stop() that came before the accept loop runs would be lost.
    while (!server_->is_running() && !listener_done_) {
        std::this_thread::yield();
    }
    expiry_ = std::thread([this] { expiry_loop(); });
    return std::monostate{};
}

Status MapServer::start_online_services() {
    // Answers and tiles are kept beside the node files, so that what was seen once works
    // offline later.
    const fs::path cache = options_.data_dir / "cache";
    if (!options_.geocoder.empty()) {
        if (Status started = start_geocoder(cache); !started) {
            return started;
        }
    }
    if (!options_.router.empty()) {
        if (Status started = start_router(cache); !started) {
            return started;
        }
    }
    return options_.tiles.empty() ? Status(std::monostate{}) : start_tiles(cache);
}

Status MapServer::start_router(const fs::path& cache) {
    const Result<RouterService> service = RouterService::parse(options_.router);
    if (!service) {
        return Status::failure(service.error());
    }
    OsrmRouter::Options router;
    router.cache_dir = cache;
    router.block = options_.router_block;
    router_ = std::make_unique<OsrmRouter>(service.value(), router);
    return std::monostate{};
}

Status MapServer::start_geocoder(const fs::path& cache) {
    const Result<GeocoderService> service = GeocoderService::parse(options_.geocoder);
    if (!service) {
        return Status::failure(service.error());
    }
    OnlineGeocoder::Options online;
    online.cache_file = cache / "geocode.tsv";
    // The national service asks for no spacing; Nominatim's policy asks for a second.
    online.min_interval = service.value().kind == GeocoderService::Kind::Gsi
                              ? std::chrono::milliseconds(200)
                              : std::chrono::milliseconds(1000);
    online_ = std::make_unique<OnlineGeocoder>(service.value(), online);
    return std::monostate{};
}

Status MapServer::start_tiles(const fs::path& cache) {
    const Result<TileSource> source = TileSource::parse(options_.tiles);
    if (!source) {
        return Status::failure(source.error());
    }
    TileProxy::Options proxy;
    proxy.cache_dir = cache / "tiles";
    tiles_ = std::make_unique<TileProxy>(source.value(), proxy);
    return std::monostate{};
}

void MapServer::stop() {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        stopping_ = true;
    }
    stop_signal_.notify_all();
    server_->stop();
    if (listener_.joinable()) {
        listener_.join();
    }
    if (expiry_.joinable()) {
        expiry_.join();
    }
}

void MapServer::wait() {
    std::unique_lock lock(mutex_);
    stop_signal_.wait(lock, [this] { return stopping_; });
}

void MapServer::expiry_loop() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        lock.unlock();
        sessions_.expire(SessionRegistry::Clock::now(),
                         std::chrono::duration_cast<std::chrono::seconds>(kMaxIdle));
        lock.lock();
        stop_signal_.wait_for(lock, std::chrono::minutes(10), [this] { return stopping_; });
    }
}

void MapServer::routes() {
    for (const char* path : kPagePaths) {
        server_->Get(path,
                     [this](const auto& request, auto& response) { page(request, response); });
    }
    server_->Post("/Rundel_SRV/nodedata",
                  [this](const auto& request, auto& response) { node_data(request, response); });
    server_->Get(std::string(engine::kNodeFileRoute) + "([^/]+)",
                 [this](const auto& request, auto& response) { node_file(request, response); });
    server_->Get("/Rundel_SRV/geocode",
                 [this](const auto& request, auto& response) { geocode(request, response); });
    server_->Get(R"(/tiles/([a-z]+)/(\d{1,2})/(\d{1,9})/(\d{1,9}))",
                 [this](const auto& request, auto& response) { tile(request, response); });
    server_->Post("/router/table",
                  [this](const auto& request, auto& response) { road_table(request, response); });
    server_->Post("/router/legs",
                  [this](const auto& request, auto& response) { road_legs(request, response); });
    server_->Get("/favicon.ico", [](const auto&, auto& response) { response.status = 204; });
    server_->set_mount_point("/static", options_.web_root.string());
}

void MapServer::page(const httplib::Request& /*request*/, httplib::Response& response) {
    json tiles = nullptr;
    if (tiles_) {
        const TileSource& source = tiles_->source();
        tiles = json{{"url", "/tiles/{type}/{z}/{x}/{y}"},
                     {"named", source.named},
                     {"attribution", source.attribution},
                     {"typed", source.typed},
                     {"maxZoom", source.max_zoom}};
    }
    const json config{{"sesid", sessions_.issue()},
                      {"tiles", tiles},
                      {"onlineGeocoder", online_ != nullptr},
                      {"router", router_ ? json(router_->name()) : json(nullptr)}};
    std::string script = config.dump();
    // Inside a <script> element "</" would end it early.
    for (std::size_t at = script.find("</"); at != std::string::npos; at = script.find("</", at)) {
        script.replace(at, 2, "<\\/");
    }
    std::string html = page_template_;
    const std::string placeholder = "%RUNDEL_CONFIG%";
    const std::size_t at = html.find(placeholder);
    if (at != std::string::npos) {
        html.replace(at, placeholder.size(), script);
    }
    response.set_header("Cache-Control", "no-store");
    response.set_content(html, "text/html; charset=utf-8");
}

void MapServer::node_data(const httplib::Request& request, httplib::Response& response) {
    if (request.body.size() > kMaxBody) {
        send_error(response, 400, "the marker list is larger than 8 MiB");
        return;
    }
    const json body = json::parse(request.body, nullptr, false);
    if (body.is_discarded() || !body.is_object()) {
        send_error(response, 400, "the body is not a JSON object");
        return;
    }
    const auto sesid = body.find("sesid");
    const auto markers = body.find("markers");
    if (sesid == body.end() || !sesid->is_string() || markers == body.end() ||
        !markers->is_array()) {
        send_error(response, 400, "expected {\"sesid\": text, \"markers\": [[lat, lng], ...]}");
        return;
    }
    const std::string id = sesid->get<std::string>();
    if (!SessionRegistry::is_session_id(id) || !sessions_.touch(id)) {
        send_error(response, 404, "unknown session");
        return;
    }
    if (markers->empty()) {
        send_error(response, 400, "no markers");
        return;
    }
    if (markers->size() > kMaxMarkers) {
        send_error(response, 400, "more than 32767 markers");
        return;
    }
    std::vector<Marker> points;
    points.reserve(markers->size());
    for (const json& marker : *markers) {
        if (!marker.is_array() || marker.size() != 2 || !marker[0].is_number() ||
            !marker[1].is_number()) {
            send_error(response, 400, "a marker is not [latitude, longitude]");
            return;
        }
        const double latitude = marker[0].get<double>();
        const double longitude = marker[1].get<double>();
        if (!std::isfinite(latitude) || !std::isfinite(longitude) || std::abs(latitude) > 90.0 ||
            std::abs(longitude) > 180.0) {
            send_error(response, 400, "a marker lies outside -90..90, -180..180");
            return;
        }
        points.emplace_back(latitude, longitude);
    }
    if (!write_atomically(sessions_.node_file(id), node_file_text(id, points))) {
        send_error(response, 500, "the node file could not be written");
        return;
    }
    send_json(response, 200, json{{"ok", true}, {"nodes", points.size()}});
}

void MapServer::node_file(const httplib::Request& request, httplib::Response& response) {
    const std::string id = engine::session_of_node_file(request.matches[1].str());
    if (!SessionRegistry::is_session_id(id) || !sessions_.touch(id)) {
        send_error(response, 404, "unknown session");
        return;
    }
    std::ifstream in(sessions_.node_file(id), std::ios::binary);
    if (!in) {
        send_error(response, 404, "no node file for this session yet");
        return;
    }
    std::ostringstream text;
    text << in.rdbuf();
    // Not a compressible type: the body goes out as stored, with its exact Content-Length.
    response.set_header("Cache-Control", "no-store");
    response.set_content(text.str(), "application/octet-stream");
}

void MapServer::geocode(const httplib::Request& request, httplib::Response& response) {
    const std::string query = request.get_param_value("q");
    if (query.size() > 1000) {
        send_error(response, 400, "the address is too long");
        return;
    }
    const std::string normal = normalise_query(query);
    // The online service finds street addresses; the gazetteer, municipalities and the
    // world's cities, also when the service is out of reach.
    std::optional<Place> place;
    if (online_ != nullptr && !normal.empty()) {
        place = online_->lookup(normal);
    }
    if (!place) {
        place = gazetteer_.lookup(normal);
    }
    if (!place) {
        send_json(response, 200, json{{"found", false}, {"query", normal}});
        return;
    }
    send_json(response, 200,
              json{{"found", true},
                   {"lat", place->latitude},
                   {"lng", place->longitude},
                   {"label", place->label},
                   {"zoom", place->zoom}});
}

void MapServer::tile(const httplib::Request& request, httplib::Response& response) {
    std::optional<TileProxy::Tile> found;
    if (tiles_) {
        found = tiles_->get(request.matches[1], std::stoi(request.matches[2]),
                            std::stol(request.matches[3]), std::stol(request.matches[4]));
    }
    if (!found) {
        response.status = 404; // the page's own map shows where a tile is missing
        response.set_header("Cache-Control", "no-store");
        return;
    }
    response.set_header("Cache-Control", "max-age=86400");
    response.set_content(found->bytes, found->content_type);
}

namespace {

/// The stops of a router request: {"stops": [[lat, lng], ...]}; empty with @p error set when
/// the body is not that.
std::vector<LatLon> stops_of(const std::string& body, std::size_t most, std::string& error) {
    const json parsed = json::parse(body, nullptr, false);
    const auto stops = parsed.is_object() ? parsed.find("stops") : parsed.end();
    if (!parsed.is_object() || stops == parsed.end() || !stops->is_array()) {
        error = "expected {\"stops\": [[lat, lng], ...]}";
        return {};
    }
    if (stops->size() > most) {
        error = "more than " + std::to_string(most) + " stops";
        return {};
    }
    std::vector<LatLon> points;
    for (const json& stop : *stops) {
        if (!stop.is_array() || stop.size() != 2 || !stop[0].is_number() || !stop[1].is_number() ||
            std::abs(stop[0].get<double>()) > 90.0 || std::abs(stop[1].get<double>()) > 180.0) {
            error = "a stop is not [latitude, longitude] within -90..90, -180..180";
            return {};
        }
        points.push_back({stop[0].get<double>(), stop[1].get<double>()});
    }
    return points;
}

json number_or_null(double value) {
    return std::isnan(value) ? json(nullptr) : json(value);
}

} // namespace

std::optional<std::vector<LatLon>> MapServer::router_stops(const httplib::Request& request,
                                                           httplib::Response& response,
                                                           std::size_t most) {
    if (!router_) {
        send_error(response, 404, "no router is set (--router)");
        return std::nullopt;
    }
    std::string error;
    std::vector<LatLon> stops = stops_of(request.body, most, error);
    if (!error.empty()) {
        send_error(response, 400, error);
        return std::nullopt;
    }
    return stops;
}

void MapServer::road_table(const httplib::Request& request, httplib::Response& response) {
    const auto stops = router_stops(request, response, kMaxRoadStops);
    if (!stops) {
        return;
    }
    const Result<RoadMatrix> matrix = router_->table(*stops);
    if (!matrix) {
        send_error(response, 503, matrix.error());
        return;
    }
    const RoadMatrix& m = matrix.value();
    json seconds = json::array();
    json metres = json::array();
    for (std::int32_t i = 0; i < m.size; ++i) {
        json row_seconds = json::array();
        json row_metres = json::array();
        for (std::int32_t j = 0; j < m.size; ++j) {
            row_seconds.push_back(number_or_null(m.seconds[m.cell(i, j)]));
            row_metres.push_back(number_or_null(m.metres[m.cell(i, j)]));
        }
        seconds.push_back(std::move(row_seconds));
        metres.push_back(std::move(row_metres));
    }
    send_json(response, 200,
              json{{"ok", true},
                   {"router", router_->name()},
                   {"seconds", std::move(seconds)},
                   {"metres", std::move(metres)},
                   {"offRoad", m.off_road},
                   {"requests", m.requests}});
}

void MapServer::road_legs(const httplib::Request& request, httplib::Response& response) {
    const auto stops = router_stops(request, response, kMaxMarkers);
    if (!stops) {
        return;
    }
    const auto legs = router_->legs(*stops);
    if (!legs) {
        send_error(response, 503, legs.error());
        return;
    }
    json list = json::array();
    for (const std::optional<RoadLeg>& leg : legs.value()) {
        if (!leg) {
            list.push_back(nullptr);
            continue;
        }
        json path = json::array();
        for (const LatLon& point : leg->path) {
            path.push_back(json::array({point.lat, point.lon}));
        }
        list.push_back(json{{"seconds", number_or_null(leg->seconds)},
                            {"metres", number_or_null(leg->metres)},
                            {"path", std::move(path)}});
    }
    send_json(response, 200, json{{"ok", true}, {"router", router_->name()}, {"legs", list}});
}

} // namespace rundel::mapserver

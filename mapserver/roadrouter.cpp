#include "mapserver/roadrouter.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <httplib.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

namespace rundel::mapserver {
namespace {

constexpr const char* kLocalOsrm = "http://127.0.0.1:5000";
constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

std::string coordinates(const std::vector<LatLon>& stops, const std::vector<std::int32_t>& which) {
    std::string text;
    char pair[64];
    for (const std::int32_t i : which) {
        const LatLon& at = stops[static_cast<std::size_t>(i)];
        std::snprintf(pair, sizeof pair, "%s%.6f,%.6f", text.empty() ? "" : ";", at.lon, at.lat);
        text += pair;
    }
    return text;
}

std::string indices(std::size_t from, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += (i == 0 ? "" : ";") + std::to_string(from + i);
    }
    return text;
}

/// The coordinate a NoSegment answer names ("... for coordinate 3"); -1 when none.
std::int32_t coordinate_named(const std::string& message) {
    const std::size_t at = message.find_last_of("0123456789");
    if (at == std::string::npos) {
        return -1;
    }
    std::size_t first = at;
    while (first > 0 && std::isdigit(static_cast<unsigned char>(message[first - 1])) != 0) {
        --first;
    }
    std::int32_t index = -1;
    std::from_chars(message.data() + first, message.data() + at + 1, index);
    return index;
}

double number_or_none(const nlohmann::json& value) {
    return value.is_number() ? value.get<double>() : kNone;
}

std::string written(double value) {
    if (std::isnan(value)) {
        return "-";
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

double read_number(const std::string& text) {
    return text == "-" ? kNone : std::strtod(text.c_str(), nullptr);
}

} // namespace

/// The stops a block asks for: sources × destinations, as stop numbers.
struct OsrmRouter::Block {
    std::vector<std::int32_t> sources;
    std::vector<std::int32_t> destinations;
};

Result<RouterService> RouterService::parse(const std::string& text) {
    const Preset preset = split_preset(text);
    RouterService service;
    service.name = preset.name;
    const std::string base =
        preset.value.empty() && preset.name == "osrm" ? kLocalOsrm : preset.value;
    const auto address = ServiceAddress::parse(base);
    if (preset.name.empty() || !address) {
        return Result<RouterService>::failure(
            "--router takes osrm (a local osrm-routed), osrm=BASE or NAME=BASE for a server "
            "with OSRM's API: " +
            text);
    }
    service.address = *address;
    return service;
}

std::optional<std::vector<LatLon>> decode_polyline(std::string_view text, int precision) {
    const double scale = std::pow(10.0, precision);
    std::vector<LatLon> points;
    std::int64_t lat = 0;
    std::int64_t lon = 0;
    std::size_t at = 0;
    const auto next = [&](std::int64_t& value) {
        std::uint64_t result = 0;
        unsigned shift = 0;
        for (;;) {
            if (at >= text.size() || shift > 60) {
                return false;
            }
            const int chunk = static_cast<unsigned char>(text[at++]) - 63;
            if (chunk < 0 || chunk > 63) {
                return false;
            }
            result |= static_cast<std::uint64_t>(chunk & 0x1F) << shift;
            shift += 5;
            if (chunk < 0x20) {
                break;
            }
        }
        const auto delta = static_cast<std::int64_t>(result >> 1U);
        value += (result & 1U) != 0 ? ~delta : delta;
        return true;
    };
    while (at < text.size()) {
        if (!next(lat) || !next(lon)) {
            return std::nullopt;
        }
        points.push_back({static_cast<double>(lat) / scale, static_cast<double>(lon) / scale});
    }
    return points;
}

OsrmRouter::OsrmRouter(RouterService service, Options options)
    : service_(std::move(service)), options_(std::move(options)), availability_(options_.down_for) {
    load_cache();
}

std::string OsrmRouter::key(const LatLon& from, const LatLon& to) const {
    char text[128];
    std::snprintf(text, sizeof text, "%s/%s:%.6f,%.6f;%.6f,%.6f", service_.name.c_str(),
                  service_.profile.c_str(), from.lat, from.lon, to.lat, to.lon);
    return text;
}

std::string OsrmRouter::off_road_key(const LatLon& stop) const {
    char text[96];
    std::snprintf(text, sizeof text, "%s/%s:%.6f,%.6f;off-road", service_.name.c_str(),
                  service_.profile.c_str(), stop.lat, stop.lon);
    return text;
}

void OsrmRouter::load_cache() {
    if (options_.cache_dir.empty()) {
        return;
    }
    std::ifstream cells(options_.cache_dir / "road-cells.tsv");
    std::string line;
    while (std::getline(cells, line)) {
        std::istringstream fields(line);
        std::string key, seconds, metres;
        if (std::getline(fields, key, '\t') && std::getline(fields, seconds, '\t') &&
            std::getline(fields, metres)) {
            cells_[key] = {read_number(seconds), read_number(metres)};
        }
    }
    std::ifstream roads(options_.cache_dir / "road-legs.tsv");
    while (std::getline(roads, line)) {
        std::istringstream fields(line);
        std::string key, seconds, metres, encoded;
        if (!std::getline(fields, key, '\t') || !std::getline(fields, seconds, '\t') ||
            !std::getline(fields, metres, '\t')) {
            continue;
        }
        std::getline(fields, encoded);
        if (seconds == "-") {
            roads_[key] = std::nullopt;
        } else if (auto path = decode_polyline(encoded)) {
            roads_[key] = RoadLeg{read_number(seconds), read_number(metres), std::move(*path)};
        }
    }
}

void OsrmRouter::remember(const std::vector<std::pair<std::string, Cell>>& cells) {
    for (const auto& [key, cell] : cells) {
        cells_[key] = cell;
    }
    if (options_.cache_dir.empty() || cells.empty()) {
        return;
    }
    // One opening of the file for a whole block: a thousand stops are a million cells.
    std::error_code ec;
    std::filesystem::create_directories(options_.cache_dir, ec);
    std::ofstream out(options_.cache_dir / "road-cells.tsv", std::ios::app);
    for (const auto& [key, cell] : cells) {
        out << key << '\t' << written(cell.seconds) << '\t' << written(cell.metres) << '\n';
    }
}

void OsrmRouter::remember(const std::string& key, const std::optional<RoadLeg>& leg,
                          const std::string& encoded) {
    roads_[key] = leg;
    if (!options_.cache_dir.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options_.cache_dir, ec);
        std::ofstream(options_.cache_dir / "road-legs.tsv", std::ios::app)
            << key << '\t' << (leg ? written(leg->seconds) : "-") << '\t'
            << (leg ? written(leg->metres) : "-") << '\t' << encoded << '\n';
    }
}

Result<std::string> OsrmRouter::get(const std::string& path) {
    if (!availability_.usable()) {
        return Result<std::string>::failure("the router failed a moment ago and is left alone "
                                            "for a minute");
    }
    httplib::Client client(service_.address.scheme_host);
    client.set_connection_timeout(options_.timeout);
    client.set_read_timeout(options_.timeout);
    client.set_write_timeout(options_.timeout);
    ++requests_sent_;
    const auto response = client.Get(path, httplib::Headers{{"User-Agent", kUserAgent}});
    if (!response || (response->status != 200 && response->status != 400)) {
        availability_.failed();
        return Result<std::string>::failure(
            response ? "the router answered HTTP " + std::to_string(response->status)
                     : "the router did not answer (" + service_.address.scheme_host + ")");
    }
    availability_.answered();
    return response->body;
}

Result<RoadMatrix> OsrmRouter::table(const std::vector<LatLon>& stops) {
    const std::lock_guard lock(mutex_);
    RoadMatrix matrix;
    matrix.size = static_cast<std::int32_t>(stops.size());
    const std::size_t cells = stops.size() * stops.size();
    matrix.seconds.assign(cells, kNone);
    matrix.metres.assign(cells, kNone);
    const int sent_before = requests_sent_;
    const std::int32_t n = matrix.size;
    for (std::int32_t i = 0; i < n; ++i) {
        if (cells_.count(off_road_key(stops[static_cast<std::size_t>(i)])) != 0) {
            matrix.off_road.push_back(i);
        }
    }
    const auto off = [&matrix](std::int32_t i) {
        return std::find(matrix.off_road.begin(), matrix.off_road.end(), i) !=
               matrix.off_road.end();
    };
    const std::int32_t size = std::max<std::int32_t>(1, options_.block);
    for (std::int32_t from = 0; from < n; from += size) {
        for (std::int32_t to = 0; to < n; to += size) {
            Block block;
            for (std::int32_t i = from; i < std::min(n, from + size); ++i) {
                for (std::int32_t j = to; j < std::min(n, to + size); ++j) {
                    if (i == j || off(i) || off(j)) {
                        continue;
                    }
                    const auto cached = cells_.find(key(stops[static_cast<std::size_t>(i)],
                                                        stops[static_cast<std::size_t>(j)]));
                    if (cached != cells_.end()) {
                        matrix.seconds[matrix.cell(i, j)] = cached->second.seconds;
                        matrix.metres[matrix.cell(i, j)] = cached->second.metres;
                    } else {
                        block.sources.push_back(i);
                        block.destinations.push_back(j);
                    }
                }
            }
            if (block.sources.empty()) {
                continue;
            }
            // Ask for the rows and columns that hold a missing cell.
            std::sort(block.sources.begin(), block.sources.end());
            block.sources.erase(std::unique(block.sources.begin(), block.sources.end()),
                                block.sources.end());
            std::sort(block.destinations.begin(), block.destinations.end());
            block.destinations.erase(
                std::unique(block.destinations.begin(), block.destinations.end()),
                block.destinations.end());
            if (Status asked = ask_block(stops, block, matrix); !asked) {
                return Result<RoadMatrix>::failure(asked.error());
            }
        }
    }
    for (std::int32_t i = 0; i < n; ++i) {
        if (!off(i)) {
            matrix.seconds[matrix.cell(i, i)] = 0;
            matrix.metres[matrix.cell(i, i)] = 0;
        }
    }
    std::sort(matrix.off_road.begin(), matrix.off_road.end());
    matrix.requests = requests_sent_ - sent_before;
    return matrix;
}

Status OsrmRouter::ask_block(const std::vector<LatLon>& stops, Block& block, RoadMatrix& matrix) {
    for (;;) {
        if (block.sources.empty() || block.destinations.empty()) {
            return std::monostate{};
        }
        std::vector<std::int32_t> asked = block.sources;
        asked.insert(asked.end(), block.destinations.begin(), block.destinations.end());
        const std::string path =
            service_.address.path + "/table/v1/" + service_.profile + "/" +
            coordinates(stops, asked) +
            "?annotations=duration,distance&sources=" + indices(0, block.sources.size()) +
            "&destinations=" + indices(block.sources.size(), block.destinations.size());
        const Result<std::string> body = get(path);
        if (!body) {
            return Status::failure(body.error());
        }
        const auto json = nlohmann::json::parse(body.value(), nullptr, false);
        const std::string code = json.is_object() ? json.value("code", "") : "";
        if (code == "NoSegment") {
            // A stop too far from any road: known from now on, and left out of the block.
            const std::int32_t named = coordinate_named(json.value("message", ""));
            if (named < 0 || static_cast<std::size_t>(named) >= asked.size()) {
                return Status::failure("the router could not place a stop on a road");
            }
            const std::int32_t stop = asked[static_cast<std::size_t>(named)];
            matrix.off_road.push_back(stop);
            remember({{off_road_key(stops[static_cast<std::size_t>(stop)]), Cell{kNone, kNone}}});
            std::erase(block.sources, stop);
            std::erase(block.destinations, stop);
            continue;
        }
        if (code == "TooBig" && block.sources.size() + block.destinations.size() > 2) {
            // The server's table limit is lower than ours: halve the block.
            Block half = block;
            const bool by_rows = block.sources.size() >= block.destinations.size();
            auto& split = by_rows ? block.sources : block.destinations;
            auto& other = by_rows ? half.sources : half.destinations;
            const auto middle = split.begin() + static_cast<std::ptrdiff_t>(split.size() / 2);
            other.assign(middle, split.end());
            split.erase(middle, split.end());
            if (Status first = ask_block(stops, block, matrix); !first) {
                return first;
            }
            return ask_block(stops, half, matrix);
        }
        if (code != "Ok" || !json.contains("durations") || !json.contains("distances")) {
            return Status::failure("the router refused the table: " + code + " " +
                                   (json.is_object() ? json.value("message", "") : ""));
        }
        const auto& durations = json["durations"];
        const auto& distances = json["distances"];
        std::vector<std::pair<std::string, Cell>> answered;
        answered.reserve(block.sources.size() * block.destinations.size());
        for (std::size_t r = 0; r < block.sources.size(); ++r) {
            for (std::size_t c = 0; c < block.destinations.size(); ++c) {
                const std::int32_t i = block.sources[r];
                const std::int32_t j = block.destinations[c];
                const Cell cell{number_or_none(durations.at(r).at(c)),
                                number_or_none(distances.at(r).at(c))};
                if (i != j) {
                    matrix.seconds[matrix.cell(i, j)] = cell.seconds;
                    matrix.metres[matrix.cell(i, j)] = cell.metres;
                    answered.emplace_back(
                        key(stops[static_cast<std::size_t>(i)], stops[static_cast<std::size_t>(j)]),
                        cell);
                }
            }
        }
        remember(answered);
        return std::monostate{};
    }
}

Result<std::vector<std::optional<RoadLeg>>> OsrmRouter::legs(const std::vector<LatLon>& stops) {
    const std::lock_guard lock(mutex_);
    std::vector<std::optional<RoadLeg>> result;
    for (std::size_t i = 0; i + 1 < stops.size(); ++i) {
        const auto cached = roads_.find(key(stops[i], stops[i + 1]));
        if (cached != roads_.end()) {
            result.push_back(cached->second);
            continue;
        }
        Result<std::optional<RoadLeg>> leg = ask_leg(stops[i], stops[i + 1]);
        if (!leg) {
            return Result<std::vector<std::optional<RoadLeg>>>::failure(leg.error());
        }
        result.push_back(std::move(leg).value());
    }
    return result;
}

Result<std::optional<RoadLeg>> OsrmRouter::ask_leg(const LatLon& from, const LatLon& to) {
    const std::vector<LatLon> pair{from, to};
    const std::string path = service_.address.path + "/route/v1/" + service_.profile + "/" +
                             coordinates(pair, {0, 1}) +
                             "?overview=full&geometries=polyline6&steps=false";
    const Result<std::string> body = get(path);
    if (!body) {
        return Result<std::optional<RoadLeg>>::failure(body.error());
    }
    const auto json = nlohmann::json::parse(body.value(), nullptr, false);
    const std::string code = json.is_object() ? json.value("code", "") : "";
    if (code == "NoRoute" || code == "NoSegment") {
        remember(key(from, to), std::nullopt, "");
        return std::optional<RoadLeg>{};
    }
    const auto routes =
        json.is_object() ? json.value("routes", nlohmann::json::array()) : nlohmann::json::array();
    if (code != "Ok" || routes.empty() || !routes[0].is_object()) {
        return Result<std::optional<RoadLeg>>::failure("the router refused the route: " + code);
    }
    const auto& route = routes[0];
    const std::string encoded = route.value("geometry", "");
    auto path_points = decode_polyline(encoded);
    if (!path_points) {
        return Result<std::optional<RoadLeg>>::failure("the router's road shape is unreadable");
    }
    RoadLeg leg{number_or_none(route.value("duration", nlohmann::json())),
                number_or_none(route.value("distance", nlohmann::json())), std::move(*path_points)};
    remember(key(from, to), leg, encoded);
    return std::optional<RoadLeg>{std::move(leg)};
}

} // namespace rundel::mapserver

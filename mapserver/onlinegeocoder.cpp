#include "mapserver/onlinegeocoder.h"

#include <cmath>
#include <fstream>
#include <httplib.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

namespace rundel::mapserver {
namespace {

constexpr const char* kGsiBase = "https://msearch.gsi.go.jp";
constexpr const char* kNominatimBase = "https://nominatim.openstreetmap.org";

std::string kind_name(GeocoderService::Kind kind) {
    return kind == GeocoderService::Kind::Gsi ? "gsi" : "nominatim";
}

std::string clean(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return text;
}

/// GSI: [{"geometry": {"coordinates": [lon, lat]}, "properties": {"title": "..."}}]
std::optional<Place> gsi_answer(const nlohmann::json& json) {
    if (!json.is_array() || json.empty() || !json[0].is_object()) {
        return std::nullopt;
    }
    const auto& first = json[0];
    const auto coordinates = first.value("geometry", nlohmann::json::object())
                                 .value("coordinates", nlohmann::json::array());
    if (!coordinates.is_array() || coordinates.size() < 2 || !coordinates[0].is_number() ||
        !coordinates[1].is_number()) {
        return std::nullopt;
    }
    Place place;
    place.longitude = coordinates[0].get<double>();
    place.latitude = coordinates[1].get<double>();
    place.label = first.value("properties", nlohmann::json::object()).value("title", "");
    place.zoom = 16;
    return place;
}

/// Nominatim: [{"lat": "..", "lon": "..", "display_name": ".."}]
std::optional<Place> nominatim_answer(const nlohmann::json& json) {
    if (!json.is_array() || json.empty() || !json[0].is_object()) {
        return std::nullopt;
    }
    const auto& first = json[0];
    Place place;
    try {
        place.latitude = std::stod(first.value("lat", std::string("x")));
        place.longitude = std::stod(first.value("lon", std::string("x")));
    } catch (const std::exception&) {
        return std::nullopt;
    }
    place.label = first.value("display_name", std::string());
    place.zoom = 15;
    return place;
}

bool plausible(const Place& place) {
    return std::isfinite(place.latitude) && std::isfinite(place.longitude) &&
           std::abs(place.latitude) <= 90 && std::abs(place.longitude) <= 180;
}

} // namespace

Result<GeocoderService> GeocoderService::parse(const std::string& text) {
    const Preset preset = split_preset(text);
    GeocoderService service;
    std::string base;
    if (preset.name == "gsi" || preset.name == "nominatim") {
        service.kind = preset.name == "gsi" ? Kind::Gsi : Kind::Nominatim;
        base = preset.value.empty() ? (preset.name == "gsi" ? kGsiBase : kNominatimBase)
                                    : preset.value;
    } else {
        service.kind = Kind::Nominatim;
        base = text;
    }
    const auto address = ServiceAddress::parse(base);
    if (!address) {
        return Result<GeocoderService>::failure(
            "--geocoder takes gsi, nominatim (each optionally =BASE) or an http(s) address: " +
            text);
    }
    service.address = *address;
    return service;
}

OnlineGeocoder::OnlineGeocoder(GeocoderService service, Options options)
    : service_(std::move(service)), options_(std::move(options)), availability_(options_.down_for) {
    load_cache();
}

void OnlineGeocoder::load_cache() {
    if (options_.cache_file.empty()) {
        return;
    }
    std::ifstream in(options_.cache_file);
    std::string line;
    const std::string prefix = kind_name(service_.kind) + '\t';
    while (std::getline(in, line)) {
        // kind, query, found, latitude, longitude, zoom, label
        std::istringstream fields(line);
        std::string kind, query, found, latitude, longitude, zoom, label;
        if (!std::getline(fields, kind, '\t') || kind + '\t' != prefix ||
            !std::getline(fields, query, '\t') || !std::getline(fields, found, '\t')) {
            continue;
        }
        if (found != "1") {
            cache_[query] = std::nullopt;
            continue;
        }
        std::getline(fields, latitude, '\t');
        std::getline(fields, longitude, '\t');
        std::getline(fields, zoom, '\t');
        std::getline(fields, label);
        try {
            cache_[query] =
                Place{std::stod(latitude), std::stod(longitude), label, std::stoi(zoom)};
        } catch (const std::exception&) {
        }
    }
}

void OnlineGeocoder::remember(const std::string& query, const std::optional<Place>& place) {
    cache_[query] = place;
    if (options_.cache_file.empty()) {
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(options_.cache_file.parent_path(), ec);
    std::ofstream out(options_.cache_file, std::ios::app);
    out << kind_name(service_.kind) << '\t' << clean(query) << '\t' << (place ? "1" : "0");
    if (place) {
        out.precision(9);
        out << '\t' << place->latitude << '\t' << place->longitude << '\t' << place->zoom << '\t'
            << clean(place->label);
    }
    out << '\n';
}

std::optional<Place> OnlineGeocoder::lookup(const std::string& normalised_query) {
    // One request at a time: the lock also spaces them out.
    const std::lock_guard lock(mutex_);
    const auto cached = cache_.find(normalised_query);
    if (cached != cache_.end()) {
        return cached->second;
    }
    if (!availability_.usable()) {
        return std::nullopt;
    }
    const auto answer = ask(normalised_query);
    if (!answer) {
        availability_.failed();
        return std::nullopt;
    }
    availability_.answered();
    remember(normalised_query, *answer);
    return *answer;
}

std::optional<std::optional<Place>> OnlineGeocoder::ask(const std::string& query) {
    const auto next_allowed = last_request_ + options_.min_interval;
    if (requests_sent_ > 0 && std::chrono::steady_clock::now() < next_allowed) {
        std::this_thread::sleep_until(next_allowed);
    }
    last_request_ = std::chrono::steady_clock::now();
    ++requests_sent_;

    httplib::Client client(service_.address.scheme_host);
    client.set_connection_timeout(options_.timeout);
    client.set_read_timeout(options_.timeout);
    client.set_write_timeout(options_.timeout);
    const httplib::Headers headers{{"User-Agent", kUserAgent}, {"Accept-Language", "ja,en"}};
    const std::string path =
        service_.kind == GeocoderService::Kind::Gsi
            ? service_.address.path + "/address-search/AddressSearch?q=" + url_encoded(query)
            : service_.address.path + "/search?format=json&limit=1&q=" + url_encoded(query);
    const auto response = client.Get(path, headers);
    if (!response || response->status != 200) {
        return std::nullopt; // no answer from the service: nothing to cache
    }
    const auto json = nlohmann::json::parse(response->body, nullptr, false);
    if (json.is_discarded()) {
        return std::nullopt; // not the service's answer (an error page, say)
    }
    std::optional<Place> place = read_answer(json, query);
    return place && plausible(*place) ? place : std::nullopt;
}

std::optional<Place> OnlineGeocoder::read_answer(const nlohmann::json& json,
                                                 const std::string& query) const {
    std::optional<Place> place =
        service_.kind == GeocoderService::Kind::Gsi ? gsi_answer(json) : nominatim_answer(json);
    if (place && place->label.empty()) {
        place->label = query;
    }
    return place;
}

} // namespace rundel::mapserver

#pragma once

#include "engine/result.h"
#include "mapserver/onlineservice.h"
#include "mapserver/place.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>

namespace rundel::mapserver {

/// An online address service: the national address search of the Geospatial Information
/// Authority of Japan ("gsi"), or a Nominatim API ("nominatim", or its address).
struct GeocoderService {
    enum class Kind { Gsi, Nominatim };
    Kind kind = Kind::Gsi;
    ServiceAddress address;

    /// "gsi", "gsi=BASE", "nominatim", "nominatim=BASE" or a Nominatim address; a failure
    /// says what the option takes when it names none of these.
    [[nodiscard]] static Result<GeocoderService> parse(const std::string& text);
};

/// Asks an online service for addresses, politely: answers (found or not) are cached, also on
/// disk so that importing the same list again costs no requests; requests are spaced; each
/// times out after a few seconds, and after one that failed the service counts as down for
/// a minute.
class OnlineGeocoder {
public:
    struct Options {
        std::chrono::milliseconds min_interval{1000};
        std::chrono::milliseconds down_for{60000};
        std::chrono::seconds timeout{5};
        std::filesystem::path cache_file; ///< empty: cache in memory only
    };

    OnlineGeocoder(GeocoderService service, Options options);

    /// The place the service finds for a normalised query; nullopt when it finds none or
    /// cannot be asked (the caller then falls back to the gazetteer).
    [[nodiscard]] std::optional<Place> lookup(const std::string& normalised_query);

    [[nodiscard]] int requests_sent() const { return requests_sent_; }

private:
    /// Sends the request; nullopt when the service gave no usable answer (not cached).
    std::optional<std::optional<Place>> ask(const std::string& query);
    [[nodiscard]] std::optional<Place> read_answer(const nlohmann::json& json,
                                                   const std::string& query) const;
    void load_cache();
    void remember(const std::string& query, const std::optional<Place>& place);

    GeocoderService service_;
    Options options_;
    Availability availability_;
    std::mutex mutex_;
    std::map<std::string, std::optional<Place>> cache_;
    std::chrono::steady_clock::time_point last_request_{};
    int requests_sent_ = 0;
};

} // namespace rundel::mapserver

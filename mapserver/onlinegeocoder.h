#pragma once

#include "mapserver/place.h"

#include <chrono>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace rundel::mapserver {

/// A Nominatim-compatible online geocoder, asked only for what the gazetteer does not know:
/// answers (found or not) are cached, requests are at most one a second, and every request
/// names this program in its User-Agent, as the public service's usage policy asks.
class OnlineGeocoder {
public:
    /// @param base_url for example "https://nominatim.openstreetmap.org"
    explicit OnlineGeocoder(std::string base_url,
                            std::chrono::milliseconds min_interval = std::chrono::seconds(1));

    [[nodiscard]] std::optional<Place> lookup(const std::string& normalised_query);

    [[nodiscard]] int requests_sent() const { return requests_sent_; }

private:
    std::string scheme_host_;
    std::string path_prefix_;
    std::chrono::milliseconds min_interval_;
    std::mutex mutex_;
    std::map<std::string, std::optional<Place>> cache_;
    std::chrono::steady_clock::time_point last_request_{};
    int requests_sent_ = 0;
};

} // namespace rundel::mapserver

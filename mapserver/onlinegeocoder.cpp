#include "mapserver/onlinegeocoder.h"

#include <httplib.h>
#include <nlohmann/json.hpp>
#include <thread>

namespace rundel::mapserver {

OnlineGeocoder::OnlineGeocoder(std::string base_url, std::chrono::milliseconds min_interval)
    : min_interval_(min_interval) {
    // Split "scheme://host[:port]/path" into what the client connects to and the path.
    const std::size_t scheme_end = base_url.find("://");
    const std::size_t path_start =
        base_url.find('/', scheme_end == std::string::npos ? 0 : scheme_end + 3);
    scheme_host_ = base_url.substr(0, path_start);
    path_prefix_ = path_start == std::string::npos ? "" : base_url.substr(path_start);
    while (!path_prefix_.empty() && path_prefix_.back() == '/') {
        path_prefix_.pop_back();
    }
}

std::optional<Place> OnlineGeocoder::lookup(const std::string& normalised_query) {
    // One request at a time: the lock also spaces them out.
    const std::lock_guard lock(mutex_);
    const auto cached = cache_.find(normalised_query);
    if (cached != cache_.end()) {
        return cached->second;
    }
    const auto next_allowed = last_request_ + min_interval_;
    const auto now = std::chrono::steady_clock::now();
    if (requests_sent_ > 0 && now < next_allowed) {
        std::this_thread::sleep_for(next_allowed - now);
    }
    last_request_ = std::chrono::steady_clock::now();
    ++requests_sent_;

    httplib::Client client(scheme_host_);
    client.set_connection_timeout(5);
    client.set_read_timeout(10);
    const httplib::Headers headers{
        {"User-Agent", "Rundel_Engine/0.9.0 (rundel-mapserver; route planner)"},
        {"Accept-Language", "ja,en"}};
    const std::string path = path_prefix_ + "/search?format=json&limit=1&q=" +
                             httplib::detail::encode_query_param(normalised_query);
    const auto response = client.Get(path.c_str(), headers);
    std::optional<Place> place;
    if (response && response->status == 200) {
        const auto json = nlohmann::json::parse(response->body, nullptr, false);
        if (json.is_array() && !json.empty() && json[0].is_object()) {
            const auto& first = json[0];
            try {
                Place found;
                found.latitude = std::stod(first.value("lat", std::string("x")));
                found.longitude = std::stod(first.value("lon", std::string("x")));
                found.label = first.value("display_name", normalised_query);
                found.zoom = 15;
                place = found;
            } catch (const std::exception&) {
            }
        }
    } else {
        return std::nullopt; // a transport failure is not an answer: do not cache it
    }
    cache_[normalised_query] = place;
    return place;
}

} // namespace rundel::mapserver

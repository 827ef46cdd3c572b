#pragma once

#include "rundel/version.h"

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace rundel::mapserver {

/// Where an online service lives: "scheme://host[:port]" to connect to and a path prefix.
struct ServiceAddress {
    std::string scheme_host;
    std::string path; ///< without a trailing slash; may be empty

    /// Splits @p url; nullopt unless it starts with http:// or https:// and names a host.
    [[nodiscard]] static std::optional<ServiceAddress> parse(std::string_view url);
};

/// "name" or "name=value" as the --tiles and --geocoder options take presets.
struct Preset {
    std::string name;
    std::string value; ///< empty when not given
};
[[nodiscard]] Preset split_preset(std::string_view text);

/// @p text percent-encoded for a query parameter (UTF-8 bytes; unreserved characters kept).
[[nodiscard]] std::string url_encoded(std::string_view text);

/// Remembers that a service failed to answer, so that the requests of the next minute fail at
/// once instead of each waiting for a time-out (a CSV of 500 addresses on a machine without
/// network must not wait 500 time-outs).
class Availability {
public:
    using Clock = std::chrono::steady_clock;
    explicit Availability(std::chrono::milliseconds down_for) : down_for_(down_for) {}

    [[nodiscard]] bool usable() const { return Clock::now().time_since_epoch().count() >= until_; }
    void failed() { until_ = (Clock::now() + down_for_).time_since_epoch().count(); }
    void answered() { until_ = 0; }

private:
    std::chrono::milliseconds down_for_;
    std::atomic<Clock::rep> until_{0};
};

/// The User-Agent every request names us by, as the public services ask.
inline constexpr const char* kUserAgent =
    "Rundel_Engine/" RUNDEL_VERSION " (rundel-mapserver; route planner)";

} // namespace rundel::mapserver

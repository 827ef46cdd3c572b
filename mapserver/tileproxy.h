#pragma once

#include "engine/result.h"
#include "mapserver/onlineservice.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace rundel::mapserver {

/// Online map tiles for the page's map types: 地理院タイル ("gsi": standard map, seamless
/// aerial photo, relief), OpenStreetMap ("osm"), or one address template for every type.
struct TileSource {
    std::string name; ///< names the cache folder: "gsi", "osm" or "custom"
    /// Map type (normal, satellite, normalsate, chikei) -> address with {z}, {x} and {y}.
    std::map<std::string, std::string> templates;
    /// The map types whose tiles carry place names (the page then draws none of its own).
    std::map<std::string, bool> named;
    std::string attribution; ///< HTML, as the provider requires it shown
    int max_zoom = 18;
    bool typed = false; ///< a picture of its own for each map type

    /// "gsi", "gsi=BASE", "osm", "osm=BASE" or an address template; a failure says what the
    /// option takes otherwise.
    [[nodiscard]] static Result<TileSource> parse(const std::string& text);
};

/// Fetches tiles for the page and keeps them on disk, so that the page talks to one origin
/// and areas seen once show offline later. A tile that cannot be had is simply missing: the
/// page's own map shows through.
class TileProxy {
public:
    struct Options {
        std::filesystem::path cache_dir; ///< tiles go to <cache_dir>/<source>/<type>/z/x/y
        std::chrono::seconds timeout{5};
        std::chrono::milliseconds down_for{60000};
    };
    struct Tile {
        std::string bytes;
        std::string content_type;
    };

    TileProxy(TileSource source, Options options);

    [[nodiscard]] const TileSource& source() const { return source_; }
    /// The tile, from the cache or the provider; nullopt when neither has it (or the request
    /// names no tile).
    [[nodiscard]] std::optional<Tile> get(const std::string& type, int z, long x, long y);

private:
    std::optional<std::string> fetch(const std::string& address);

    TileSource source_;
    Options options_;
    Availability availability_;
};

} // namespace rundel::mapserver

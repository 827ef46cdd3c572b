#include "mapserver/tileproxy.h"

#include "mapserver/atomicfile.h"

#include <atomic>
#include <fstream>
#include <httplib.h>
#include <sstream>

namespace rundel::mapserver {
namespace fs = std::filesystem;
namespace {

const char* const kTypes[] = {"normal", "satellite", "normalsate", "chikei"};

TileSource gsi(const std::string& base) {
    TileSource source{"gsi",
                      {},
                      {},
                      "<a href=\"https://maps.gsi.go.jp/development/ichiran.html\">"
                      "地理院タイル</a>",
                      18};
    const std::string photo = base + "/xyz/seamlessphoto/{z}/{x}/{y}.jpg";
    source.templates = {{"normal", base + "/xyz/std/{z}/{x}/{y}.png"},
                        {"satellite", photo},
                        {"normalsate", photo},
                        {"chikei", base + "/xyz/relief/{z}/{x}/{y}.png"}};
    source.named = {
        {"normal", true}, {"satellite", false}, {"normalsate", false}, {"chikei", false}};
    return source;
}

TileSource single(const std::string& name, const std::string& address,
                  const std::string& attribution, int max_zoom) {
    TileSource source{name, {}, {}, attribution, max_zoom};
    for (const char* type : kTypes) {
        source.templates[type] = address;
        source.named[type] = true;
    }
    return source;
}

void replace(std::string& text, const std::string& what, const std::string& with) {
    const std::size_t at = text.find(what);
    if (at != std::string::npos) {
        text.replace(at, what.size(), with);
    }
}

std::string content_type(const std::string& bytes) {
    if (bytes.rfind("\x89PNG", 0) == 0) {
        return "image/png";
    }
    if (bytes.rfind("\xFF\xD8", 0) == 0) {
        return "image/jpeg";
    }
    return {};
}

} // namespace

Result<TileSource> TileSource::parse(const std::string& text) {
    const Preset preset = split_preset(text);
    std::optional<TileSource> source;
    if (preset.name == "gsi") {
        source = gsi(preset.value.empty() ? "https://cyberjapandata.gsi.go.jp" : preset.value);
    } else if (preset.name == "osm") {
        source = single("osm",
                        (preset.value.empty() ? "https://tile.openstreetmap.org" : preset.value) +
                            "/{z}/{x}/{y}.png",
                        "&copy; <a href=\"https://www.openstreetmap.org/copyright\">"
                        "OpenStreetMap</a> contributors",
                        19);
    } else if (text.find("{z}") != std::string::npos && text.find("{x}") != std::string::npos &&
               text.find("{y}") != std::string::npos) {
        source = single("custom", text, {}, 19);
    }
    for (const auto& [type, address] :
         source ? source->templates : std::map<std::string, std::string>{}) {
        if (!ServiceAddress::parse(address)) {
            source.reset();
        }
    }
    if (!source) {
        return Result<TileSource>::failure(
            "--tiles takes gsi, osm (each optionally =BASE) or an http(s) address with {z}, {x} "
            "and {y}: " +
            text);
    }
    return *source;
}

TileProxy::TileProxy(TileSource source, Options options)
    : source_(std::move(source)), options_(std::move(options)), availability_(options_.down_for) {}

std::optional<TileProxy::Tile> TileProxy::get(const std::string& type, int z, long x, long y) {
    const auto found = source_.templates.find(type);
    const long side = z >= 0 && z <= 30 ? 1L << z : 0;
    if (found == source_.templates.end() || z > source_.max_zoom || x < 0 || y < 0 || x >= side ||
        y >= side) {
        return std::nullopt;
    }
    const fs::path file = options_.cache_dir / source_.name / type / std::to_string(z) /
                          std::to_string(x) / std::to_string(y);
    std::ifstream cached(file, std::ios::binary);
    if (cached) {
        std::ostringstream bytes;
        bytes << cached.rdbuf();
        return Tile{bytes.str(), content_type(bytes.str())};
    }
    std::string address = found->second;
    replace(address, "{z}", std::to_string(z));
    replace(address, "{x}", std::to_string(x));
    replace(address, "{y}", std::to_string(y));
    const auto bytes = fetch(address);
    if (!bytes) {
        return std::nullopt;
    }
    write_atomically(file, *bytes);
    return Tile{*bytes, content_type(*bytes)};
}

std::optional<std::string> TileProxy::fetch(const std::string& address) {
    if (!availability_.usable()) {
        return std::nullopt;
    }
    const auto where = ServiceAddress::parse(address);
    if (!where) {
        return std::nullopt;
    }
    httplib::Client client(where->scheme_host);
    client.set_connection_timeout(options_.timeout);
    client.set_read_timeout(options_.timeout);
    const auto response = client.Get(where->path, {{"User-Agent", kUserAgent}});
    if (!response) {
        availability_.failed(); // no answer at all: the provider is out of reach
        return std::nullopt;
    }
    availability_.answered();
    // A missing tile (sea, beyond the coverage) is an answer, not an outage.
    if (response->status != 200 || content_type(response->body).empty()) {
        return std::nullopt;
    }
    return response->body;
}

} // namespace rundel::mapserver

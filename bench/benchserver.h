#pragma once

#include "mapserver/mapserver.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace rundel::bench {

/// The map server of the staged program folder on a free loopback port, its node files in
/// a fresh temporary folder @p name; null (after saying why) when it cannot start.
inline std::unique_ptr<mapserver::MapServer> start_server(const std::filesystem::path& data) {
    std::filesystem::create_directories(data);
    mapserver::MapServerOptions options;
    options.data_dir = data;
    options.web_root = std::filesystem::path(RUNDEL_PROGRAM_DIR) / "web";
    options.gazetteer = std::filesystem::path(RUNDEL_PROGRAM_DIR) / "mapdata" / "gazetteer.tsv";
    auto server = std::make_unique<mapserver::MapServer>(options);
    if (const rundel::Status started = server->start(); !started) {
        std::fprintf(stderr, "%s\n", started.error().c_str());
        return nullptr;
    }
    return server;
}

} // namespace rundel::bench

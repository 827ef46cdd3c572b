#pragma once

#include "mapserver/mapserver.h"
#include "support/tempfolder.h"

#include <functional>
#include <gtest/gtest.h>
#include <httplib.h>

namespace rundel::test {

/// The real map server on loopback with the staged page and gazetteer, a fresh data folder,
/// and online sources when given.
struct RunningServer {
    explicit RunningServer(const std::string& tiles = {}, const std::string& geocoder = {})
        : RunningServer([&](mapserver::MapServerOptions& options) {
              options.tiles = tiles;
              options.geocoder = geocoder;
          }) {}

    /// With options of the test's own; @p data_dir: a data folder to reuse (else a fresh one).
    explicit RunningServer(const std::function<void(mapserver::MapServerOptions&)>& adjust,
                           const std::filesystem::path& data_dir = {}) {
        mapserver::MapServerOptions options;
        options.data_dir = data_dir.empty() ? data.path() / "nodes" : data_dir;
        options.web_root = std::filesystem::path(RUNDEL_PROGRAM_DIR) / "web";
        options.gazetteer = std::filesystem::path(RUNDEL_PROGRAM_DIR) / "mapdata/gazetteer.tsv";
        adjust(options);
        server = std::make_unique<mapserver::MapServer>(options);
        const Status started = server->start();
        EXPECT_TRUE(started) << started.error();
    }

    [[nodiscard]] httplib::Client client() const {
        httplib::Client c("127.0.0.1", server->port());
        c.set_read_timeout(10);
        return c;
    }
    [[nodiscard]] httplib::Result get(const std::string& path) const { return client().Get(path); }

    TempFolder data;
    std::unique_ptr<mapserver::MapServer> server;
};

} // namespace rundel::test

// rundel-mapserver: serves the map page, its sessions' node files and geocoding.

#include "mapserver/mapserver.h"
#include "mapserver/onlinegeocoder.h"
#include "mapserver/roadrouter.h"
#include "mapserver/tileproxy.h"
#include "session/workfolders.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
int g_stop_pipe[2] = {-1, -1};

extern "C" void on_stop_signal(int /*signal*/) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_stop_pipe[1], &byte, 1);
}

constexpr const char* kUsage = R"(Usage: rundel-mapserver [options]

Serves the Rundel_Engine map page at /Rundel_SRV/Rundel_SRV.php and
/Rundel_WEB/Rundel/Rundel_WEB.php, each visit's node file at
/Rundel_SRV/tsp_node_data/<session id>_nodedata.tsp, and geocoding for the page.
Without --tiles the page draws its own offline map; without --geocoder addresses are
found in the offline gazetteer (Japanese prefectures and municipalities, world cities).

Options:
  --port N          port to listen on (default 8080; 0: any free port)
  --bind ADDRESS    address to listen on (default 127.0.0.1)
  --data-dir DIR    where node files are kept (default: Rundel/server_data
                    beside this program)
  --tiles SOURCE    online map tiles, fetched through this server (/tiles/...) and kept
                    in DIR/cache/tiles: gsi (地理院タイル: standard map, aerial photo,
                    relief), osm (OpenStreetMap), either as NAME=BASE for a mirror, or
                    an address template such as https://example.org/{z}/{x}/{y}.png.
                    Where a tile cannot be had, the offline map shows.
  --geocoder SOURCE online address search, asked first: gsi (the GSI address search,
                    street addresses in Japan), nominatim (OpenStreetMap), either as
                    NAME=BASE, or a Nominatim address. Answers are kept in
                    DIR/cache/geocode.tsv; when the service fails the gazetteer answers,
                    and a service that did not answer is left alone for a minute.
  --router SOURCE   road distances and drive times, and the roads' shapes, from a router
                    with OSRM's HTTP API: osrm (a local osrm-routed at
                    http://127.0.0.1:5000), osrm=BASE or NAME=BASE. Served at
                    /router/table and /router/legs; answers are kept in DIR/cache, so a
                    day's stops asked again cost no request; a router that did not
                    answer is left alone for a minute.
  --router-table N  the most sources and destinations one table request asks for
                    (default 100, OSRM's own default limit; halved when the router says
                    the table is too big)
  --help            show this text

It prints the address of the map page once it listens, and stops on SIGINT or SIGTERM.
Exit status: 0 stopped, 1 bad arguments, 2 cannot start.
)";

fs::path own_folder(const char* argv0) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::absolute(argv0, ec).parent_path() : self.parent_path();
}

} // namespace

int main(int argc, char** argv) {
    const fs::path folder = own_folder(argv[0]);
    rundel::mapserver::MapServerOptions options;
    options.port = 8080;
    options.web_root = folder / "web";
    options.gazetteer = folder / "mapdata" / "gazetteer.tsv";
    // The same folder the desktop program gives the server it starts.
    options.data_dir = rundel::session::WorkFolders(folder).server_data();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--port" && has_value) {
            try {
                std::size_t used = 0;
                const std::string text = argv[++i];
                options.port = std::stoi(text, &used);
                if (used != text.size() || options.port < 0 || options.port > 65535) {
                    throw std::out_of_range(text);
                }
            } catch (const std::exception&) {
                std::cerr << "rundel-mapserver: --port takes a number from 0 to 65535\n";
                return 1;
            }
        } else if (arg == "--bind" && has_value) {
            options.bind = argv[++i];
        } else if (arg == "--data-dir" && has_value) {
            options.data_dir = argv[++i];
        } else if (arg == "--tiles" && has_value) {
            options.tiles = argv[++i];
        } else if (arg == "--geocoder" && has_value) {
            options.geocoder = argv[++i];
        } else if (arg == "--router" && has_value) {
            options.router = argv[++i];
        } else if (arg == "--router-table" && has_value) {
            const std::string text = argv[++i];
            const auto [end, error] =
                std::from_chars(text.data(), text.data() + text.size(), options.router_block);
            if (error != std::errc{} || end != text.data() + text.size() ||
                options.router_block < 1 || options.router_block > 10000) {
                std::cerr << "rundel-mapserver: --router-table takes a number from 1 to 10000\n";
                return 1;
            }
        } else {
            std::cerr << "rundel-mapserver: unknown or incomplete argument: " << arg << "\n\n"
                      << kUsage;
            return 1;
        }
    }

    std::string bad;
    if (!options.geocoder.empty()) {
        bad = rundel::mapserver::GeocoderService::parse(options.geocoder).error();
    }
    if (bad.empty() && !options.tiles.empty()) {
        bad = rundel::mapserver::TileSource::parse(options.tiles).error();
    }
    if (bad.empty() && !options.router.empty()) {
        bad = rundel::mapserver::RouterService::parse(options.router).error();
    }
    if (!bad.empty()) {
        std::cerr << "rundel-mapserver: " << bad << '\n';
        return 1;
    }

    if (::pipe(g_stop_pipe) != 0) {
        return 2;
    }
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    rundel::mapserver::MapServer server(options);
    if (const rundel::Status started = server.start(); !started) {
        std::cerr << "rundel-mapserver: " << started.error() << '\n';
        return 2;
    }
    std::cout << "rundel-mapserver: listening on http://" << options.bind << ':' << server.port()
              << "/Rundel_SRV/Rundel_SRV.php" << std::endl;
    char byte = 0;
    while (::read(g_stop_pipe[0], &byte, 1) < 0 && errno == EINTR) {
    }
    server.stop();
    return 0;
}

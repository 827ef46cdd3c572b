// rundel-batch: the batch folder engine on its own, for machines without a desktop.

#include "engine/modshortestpath.h"
#include "session/batchfolderengine.h"
#include "session/batchlistener.h"

#include <atomic>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using rundel::session::BatchFolderEngine;

std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void on_stop_signal(int /*signal*/) {
    g_stop.store(true);
}

constexpr const char* kUsage = R"(Usage: rundel-batch [--folder DIR] [--once] [--improve[=N]]

Solves node files that other software requests through the working folders of a
Rundel_Engine program folder, as the desktop program does in local server mode.

  DIR/Rundel/tsp_node_data/   node files: NODE_COORD_SECTION with "number x y" lines,
                              or TSPLIB files (EDGE_WEIGHT_TYPE EUC_2D, CEIL_2D, ATT,
                              GEO or EXPLICIT; TYPE TSP or ATSP)
  DIR/Rundel/tsp_pre_file/    requests: any file whose first line names a node file
                              and whose second line is the result id; optional lines
                              "improve" (or "improve N") shorten the tour, "start N",
                              "end M" and "open" make a route from N, to M, or with
                              the best last stop
  DIR/Rundel/tsp_node/        results: <result id>_tspdata.txt, one node number a
                              line (CR LF), starting and ending with node 1 (a route
                              from its first stop to its last), in the direction of
                              travel

Each request is deleted once it has been handled, whether or not a result was
written. Requests are taken in name order.

Options:
  --folder DIR   the program folder to serve (default: the folder of this program)
  --once         handle the requests waiting now, then exit
                 (default: look again every second until SIGINT or SIGTERM)
  --improve[=N]  shorten every tour after its construction (2-opt, Or-opt and
                 iterated local search; N perturbations per node, 0 to 1000,
                 default: a budget by size that adds about a second at 100,000
                 nodes). A request's own "improve" line takes precedence.
                 Without it, results are the construction's tours, as always.
  --help         show this text

What the desktop program would show in a message box is printed to standard error,
preceded by the request's file name. Each result written is listed on standard output.

Exit status: 0 done, 1 bad arguments, 2 the folder cannot be used.
)";

class ConsoleListener final : public rundel::session::BatchListener {
public:
    void message(std::string_view request, std::string_view text) override {
        std::cerr << (request.empty() ? "rundel-batch" : request) << ": " << text << std::endl;
    }
    void result_written(std::string_view request, const fs::path& file) override {
        std::cout << request << ": " << file.string() << std::endl;
    }
};

fs::path own_folder(const char* argv0) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.parent_path();
    }
    return fs::absolute(argv0, ec).parent_path();
}

/// Sleeps up to @p seconds; a stop signal ends the sleep at once.
void pause_for(int seconds) {
    timespec left{seconds, 0};
    while (!g_stop.load() && ::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_ALL, "");
    fs::path folder;
    bool once = false;
    rundel::session::ImproveChoice improve;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (arg == "--once") {
            once = true;
        } else if (arg == "--improve" || arg.rfind("--improve=", 0) == 0) {
            improve = BatchFolderEngine::parse_improve(
                "improve " + (arg.size() > 10 ? arg.substr(10) : std::string()));
            if (!improve.valid) {
                std::cerr << "rundel-batch: --improve takes a number from 0 to 1000: " << arg
                          << '\n';
                return 1;
            }
        } else if (arg == "--folder" && i + 1 < argc) {
            folder = argv[++i];
        } else if (arg.rfind("--folder=", 0) == 0) {
            folder = arg.substr(9);
        } else {
            std::cerr << "rundel-batch: unknown or incomplete argument: " << arg << "\n\n"
                      << kUsage;
            return 1;
        }
    }
    if (folder.empty()) {
        folder = own_folder(argv[0]);
    }

    const rundel::session::WorkFolders folders(folder);
    std::error_code ec;
    if (!fs::is_directory(folders.root(), ec)) {
        std::cerr << "rundel-batch: " << folders.root().string()
                  << ": no such folder; a program folder holds the working folder Rundel\n";
        return 2;
    }
    if (const rundel::Status made = folders.make_workfolders(); !made) {
        std::cerr << "rundel-batch: " << made.error() << '\n';
        return 2;
    }

    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    ConsoleListener listener;
    rundel::engine::ModShortestPath engine;
    BatchFolderEngine batch(folders, engine, listener);
    batch.set_stop_flag(&g_stop);
    batch.set_default_improve(improve);
    do {
        batch.tick();
        if (once) {
            break;
        }
        pause_for(1);
    } while (!g_stop.load());
    return 0;
}

// Route engine benchmark: read + solve + list on seeded uniform random tables and TSPLIB
// files, each case in a child process of its own so that its peak memory is its own.
//
//   engine_bench            the standard set (reference included where it finishes in seconds)
//   engine_bench --quick    without the million-node cases

#include "benchsupport.h"
#include "engine/modshortestpath.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using rundel::bench::Clock;
using rundel::bench::ms_since;
using rundel::engine::Construction;
using rundel::engine::ModShortestPath;

long rss_kib() {
    return rundel::bench::status_kib("VmRSS:");
}

enum class Layout { Uniform, AllEqual, IntegerGrid, OnALine };

std::string node_text(Layout layout, std::int32_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> coordinate(0.0, 1000000.0);
    const int side = static_cast<int>(std::sqrt(static_cast<double>(count)) / 2) + 1;
    std::uniform_int_distribution<int> cell(0, side);
    std::string text = "NAME: generated\r\nTYPE: TSP\r\nNODE_COORD_SECTION\r\n";
    text.reserve(static_cast<std::size_t>(count) * 28 + 64);
    char line[80];
    for (std::int32_t i = 1; i <= count; ++i) {
        double x = 0;
        double y = 0;
        switch (layout) {
        case Layout::Uniform:
            x = coordinate(random);
            y = coordinate(random);
            break;
        case Layout::AllEqual:
            x = y = 5.0;
            break;
        case Layout::IntegerGrid:
            x = cell(random);
            y = cell(random);
            break;
        case Layout::OnALine:
            x = coordinate(random);
            y = 2.0 * x;
            break;
        }
        std::snprintf(line, sizeof line, "%d %.3f %.3f\r\n", i, x, y);
        text += line;
    }
    return text + "EOF\r\n";
}

std::string uniform_text(std::int32_t count, unsigned seed) {
    return node_text(Layout::Uniform, count, seed);
}

struct Case {
    std::string label;
    std::int32_t random_nodes; // 0: use file
    std::string file;
    Construction construction;
    Layout layout = Layout::Uniform;
};

void run_case(const Case& c) {
    const long base_kib = rss_kib();
    std::string text =
        c.random_nodes > 0
            ? uniform_text(c.random_nodes, 2026)
            : ModShortestPath::load_nodefile(std::string(RUNDEL_TSPLIB_DIR) + "/" + c.file).value();
    ModShortestPath engine;
    auto start = Clock::now();
    engine.clear_tourlist();
    if (!engine.read_nodetext(text)) {
        std::printf("%-28s read failed\n", c.label.c_str());
        return;
    }
    const double read_ms = ms_since(start);
    std::string().swap(text);
    start = Clock::now();
    engine.solve_tour(c.construction);
    const double solve_ms = ms_since(start);
    start = Clock::now();
    engine.make_tourlist();
    const std::string route = engine.route_text("\r\n");
    const double list_ms = ms_since(start);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const double peak_bytes = static_cast<double>(usage.ru_maxrss - base_kib) * 1024.0;
    std::printf("%-28s %9d %9.1f %10.1f %8.1f %9.1f %9.1f %10.0f\n", c.label.c_str(),
                engine.node_count(), read_ms, solve_ms, list_ms, read_ms + solve_ms + list_ms,
                static_cast<double>(usage.ru_maxrss) / 1024.0, peak_bytes / engine.node_count());
    std::fflush(stdout);
}

void in_child(const Case& c) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        run_case(c);
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

/// rundel-batch --once on a request for a node file of @p count random nodes, end to end;
/// with @p improve the request asks for the improved tour.
void batch_end_to_end(std::int32_t count, bool improve) {
    char pattern[] = "/tmp/rundel-bench-XXXXXX";
    const std::string root = mkdtemp(pattern);
    const std::string work = root + "/Rundel";
    for (const char* sub : {"", "/tsp_node_data", "/tsp_pre_file", "/tsp_node", "/result"}) {
        mkdir((work + sub).c_str(), 0755);
    }
    {
        std::ofstream(work + "/tsp_node_data/big.tsp", std::ios::binary)
            << uniform_text(count, 2026);
        std::ofstream(work + "/tsp_pre_file/request", std::ios::binary)
            << (improve ? "big.tsp\r\nbig\r\nimprove\r\n" : "big.tsp\r\nbig\r\n");
    }
    const std::string command =
        std::string(RUNDEL_BATCH_PATH) + " --once --folder " + root + " >/dev/null";
    const auto start = Clock::now();
    const int status = std::system(command.c_str());
    const double ms = ms_since(start);
    std::ifstream result(work + "/tsp_node/big_tspdata.txt");
    std::size_t lines = 0;
    std::string line;
    while (std::getline(result, line)) {
        ++lines;
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("%-28s %9d %41.1f   (exit %d, %zu result lines, peak %.0f B/node)\n",
                improve ? "rundel-batch improve" : "rundel-batch --once", count, ms, status, lines,
                static_cast<double>(children.ru_maxrss) * 1024.0 / count);
    std::system(("rm -rf " + root).c_str());
}

} // namespace

int main(int argc, char** argv) {
    const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
    std::printf("%-28s %9s %9s %10s %8s %9s %9s %10s\n", "case", "nodes", "read ms", "solve ms",
                "list ms", "total ms", "peak MiB", "bytes/node");
    const Case cases[] = {
        {"uniform fast", 1000, "", Construction::Fast},
        {"uniform reference", 1000, "", Construction::Reference},
        {"uniform fast", 10000, "", Construction::Fast},
        {"uniform reference", 10000, "", Construction::Reference},
        {"uniform fast", 32767, "", Construction::Fast},
        {"uniform reference", 32767, "", Construction::Reference},
        {"usa13509 fast", 0, "usa13509.tsp", Construction::Fast},
        {"usa13509 reference", 0, "usa13509.tsp", Construction::Reference},
    };
    for (const Case& c : cases) {
        in_child(c);
    }
    // Inputs full of exact ties, where only the tour positions decide.
    in_child({"all equal fast", 100000, "", Construction::Fast, Layout::AllEqual});
    in_child({"integer grid fast", 100000, "", Construction::Fast, Layout::IntegerGrid});
    in_child({"on a line fast", 100000, "", Construction::Fast, Layout::OnALine});
    if (!quick) {
        in_child({"uniform fast", 1000000, "", Construction::Fast});
        batch_end_to_end(1000000, false);
        batch_end_to_end(1000000, true);
    }
    return 0;
}

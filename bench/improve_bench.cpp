// Improvement stage benchmark: length and added time of the improved tour against the known
// optimum (TSPLIB) or the expected optimal length of uniform random points.
//
//   improve_bench                       the standard set
//   improve_bench --quick               without the million-node cases
//   improve_bench FILE|N [BUDGET...]    one instance (a TSPLIB file name or a random count)
//                                       at the budgets given (perturbations per node)

#include "engine/modshortestpath.h"
#include "optima.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using rundel::engine::ImproveOptions;
using rundel::engine::ModShortestPath;
using Clock = std::chrono::steady_clock;

constexpr double kSide = 1000000.0;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::map<std::string, double> optima() {
    return rundel::tsplib::optimal_lengths(RUNDEL_TSPLIB_DIR);
}

std::string uniform_text(std::int32_t count) {
    std::mt19937 random(2026);
    std::uniform_real_distribution<double> coordinate(0.0, kSide);
    std::string text = "NODE_COORD_SECTION\n";
    char line[80];
    for (std::int32_t i = 1; i <= count; ++i) {
        const double x = coordinate(random);
        std::snprintf(line, sizeof line, "%d %.3f %.3f\n", i, x, coordinate(random));
        text += line;
    }
    return text;
}

/// Expected optimal tour length of n uniform points in a square of side kSide.
double expected_optimum(std::int32_t n) {
    return std::sqrt(n * kSide * kSide) * (0.7138 + 0.370 / std::sqrt(n));
}

struct Instance {
    std::string label;
    std::string text;
    double target;
};

Instance load(const std::string& what) {
    if (what.find(".tsp") != std::string::npos) {
        const std::string name = what.substr(0, what.find('.'));
        return {name,
                ModShortestPath::load_nodefile(std::string(RUNDEL_TSPLIB_DIR) + "/" + what).value(),
                optima().at(name)};
    }
    const auto n = static_cast<std::int32_t>(std::atol(what.c_str()));
    return {"uniform " + what, uniform_text(n), expected_optimum(n)};
}

void run(const Instance& instance, double budget) {
    ModShortestPath engine;
    if (const auto read = engine.read_nodetext(instance.text); !read) {
        std::fprintf(stderr, "%s: %s\n", instance.label.c_str(), read.error().c_str());
        return;
    }
    auto start = Clock::now();
    engine.solve_tour();
    const double construct_s = seconds_since(start);
    ImproveOptions options;
    options.perturbations_per_node = budget;
    start = Clock::now();
    const auto result = engine.improve_tour(options);
    if (budget < 0) {
        budget = rundel::engine::default_perturbations(engine.node_count());
    }
    const double improve_s = seconds_since(start);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-16s %8d %7.1f %9.3f %9.2f%% %9.3f %9.2f%% %9.1f\n", instance.label.c_str(),
                engine.node_count(), budget, construct_s,
                100.0 * (result.length_before / instance.target - 1.0), improve_s,
                100.0 * (result.length_after / instance.target - 1.0),
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    std::printf("%-16s %8s %7s %9s %10s %9s %10s %9s\n", "instance", "nodes", "budget", "build s",
                "built gap", "added s", "final gap", "peak MiB");
    if (argc > 1 && std::strcmp(argv[1], "--quick") != 0) {
        const Instance instance = load(argv[1]);
        for (int i = 2; i < argc; ++i) {
            run(instance, std::atof(argv[i]));
        }
        if (argc == 2) {
            run(instance, -1);
        }
        return 0;
    }
    const bool quick = argc > 1;
    const double standard = -1; // the default budget
    for (const char* file : {"eil51.tsp", "berlin52.tsp", "pr76.tsp", "kroA100.tsp", "d198.tsp",
                             "pr1002.tsp", "pr2392.tsp", "usa13509.tsp"}) {
        run(load(file), standard);
    }
    for (const char* count : {"10000", "100000"}) {
        const Instance instance = load(count);
        run(instance, 0);
        run(instance, standard);
    }
    if (!quick) {
        const Instance instance = load("1000000");
        run(instance, 0);
        run(instance, standard);
        run(instance, 1.0); // the larger budget
    }
    return 0;
}

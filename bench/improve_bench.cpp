// Improvement stage benchmark: length and added time of the improved tour against the known
// optimum (TSPLIB) or the expected optimal length of uniform random points.
//
//   improve_bench                       the standard set
//   improve_bench --quick               without the million-node cases
//   improve_bench FILE|N [BUDGET...]    one instance (a TSPLIB file name or a random count)
//                                       at the budgets given (perturbations per node)
//   improve_bench --seeds K ...         each figure the mean of seeds 1..K: one run's gap
//                                       depends much on where its kicks fall
//   improve_bench --cap S ...           every improvement stopped after S seconds (its time
//                                       cap): gaps of settings compared at equal time

#include "engine/modshortestpath.h"
#include "optima.h"

#include <algorithm>
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

/// Runs with seeds 1..seeds from the same built tour; @p built receives its length,
/// @p length and @p seconds the means.
void improve_means(ModShortestPath& engine, double budget, int seeds, double cap, double& built,
                   double& length, double& seconds) {
    length = 0;
    seconds = 0;
    for (int seed = 1; seed <= seeds; ++seed) {
        if (seed > 1) {
            engine.solve_tour(); // the same built tour again
        }
        ImproveOptions options;
        options.perturbations_per_node = budget;
        options.seed = static_cast<std::uint64_t>(seed);
        options.time_cap_seconds = cap;
        const auto start = Clock::now();
        const auto result = engine.improve_tour(options);
        seconds += seconds_since(start) / seeds;
        built = result.length_before;
        length += result.length_after / seeds;
    }
}

void run(const Instance& instance, double budget, int seeds, double cap = 0) {
    ModShortestPath engine;
    if (const auto read = engine.read_nodetext(instance.text); !read) {
        std::fprintf(stderr, "%s: %s\n", instance.label.c_str(), read.error().c_str());
        return;
    }
    const auto start = Clock::now();
    engine.solve_tour();
    const double construct_s = seconds_since(start);
    double built = 0;
    double improved = 0;
    double improve_s = 0;
    improve_means(engine, budget, seeds, cap, built, improved, improve_s);
    if (budget < 0) {
        budget = rundel::engine::default_perturbations(engine.node_count());
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%-16s %8d %7.2f %9.3f %9.2f%% %9.3f %9.2f%% %9.1f\n", instance.label.c_str(),
                engine.node_count(), budget, construct_s, 100.0 * (built / instance.target - 1.0),
                improve_s, 100.0 * (improved / instance.target - 1.0),
                static_cast<double>(usage.ru_maxrss) / 1024.0);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    int seeds = 1;
    double cap = 0;
    while (argc > 2 &&
           (std::strcmp(argv[1], "--seeds") == 0 || std::strcmp(argv[1], "--cap") == 0)) {
        if (argv[1][2] == 's') {
            seeds = std::max(1, std::atoi(argv[2]));
        } else {
            cap = std::atof(argv[2]);
        }
        argc -= 2;
        argv += 2;
    }
    std::printf("%-16s %8s %7s %9s %10s %9s %10s %9s\n", "instance", "nodes", "budget", "build s",
                "built gap", "added s", "final gap", "peak MiB");
    if (argc > 1 && std::strcmp(argv[1], "--quick") != 0) {
        const Instance instance = load(argv[1]);
        for (int i = 2; i < argc; ++i) {
            run(instance, std::atof(argv[i]), seeds, cap);
        }
        if (argc == 2) {
            run(instance, -1, seeds, cap);
        }
        return 0;
    }
    const bool quick = argc > 1;
    const double standard = -1; // the default budget
    for (const char* file : {"eil51.tsp", "berlin52.tsp", "pr76.tsp", "kroA100.tsp", "d198.tsp",
                             "pr1002.tsp", "pr2392.tsp", "usa13509.tsp"}) {
        run(load(file), standard, seeds);
    }
    for (const char* count : {"10000", "100000"}) {
        const Instance instance = load(count);
        run(instance, 0, seeds);
        run(instance, standard, seeds);
    }
    if (!quick) {
        const Instance instance = load("1000000");
        run(instance, 0, 1);
        run(instance, standard, 1);
        run(instance, 1.0, 1); // the larger budget
    }
    return 0;
}

// Costs other than plane distances: asymmetric TSPLIB matrices, symmetric instances given as
// explicit matrices, and GEO instances. Gaps are to the published optima, in TSPLIB's own
// lengths; times are this process's, one core.
//
//   distance_bench          the standard set

#include "engine/modshortestpath.h"
#include "engine/solve.h"
#include "engine/tsplibreader.h"
#include "optima.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

using rundel::engine::ModShortestPath;
using rundel::engine::Problem;
using rundel::engine::SolveOptions;
using rundel::engine::TsplibReader;
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string file_text(const std::string& path) {
    return ModShortestPath::load_nodefile(path).value();
}

/// pr1002 and the like written out as a FULL_MATRIX of their EUC_2D distances.
std::string as_full_matrix(const Problem& problem) {
    const std::int32_t n = problem.size();
    std::string text = "NAME: matrix\nTYPE: TSP\nDIMENSION: " + std::to_string(n) +
                       "\nEDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n"
                       "EDGE_WEIGHT_SECTION\n";
    text.reserve(static_cast<std::size_t>(n) * static_cast<std::size_t>(n) * 6);
    for (std::int32_t a = 1; a <= n; ++a) {
        for (std::int32_t b = 1; b <= n; ++b) {
            text += std::to_string(static_cast<long>(problem.cost(a, b)));
            text += b == n ? '\n' : ' ';
        }
    }
    return text + "EOF\n";
}

void row(const std::string& label, const Problem& problem, double optimum, double read_s) {
    auto start = Clock::now();
    const auto built = rundel::engine::solve(problem);
    const double build_s = seconds_since(start);
    SolveOptions options;
    options.improve = true;
    start = Clock::now();
    const auto improved = rundel::engine::solve(problem, options);
    const double total_s = seconds_since(start);
    std::printf("%-22s %6d %5s %8.3f %9.2f%% %9.3f %9.2f%% %9.3f\n", label.c_str(), problem.size(),
                problem.asymmetric ? "yes" : "no", read_s,
                100.0 * (built.value().length / optimum - 1.0), build_s,
                100.0 * (improved.value().length / optimum - 1.0), total_s - build_s);
}

Problem read(const std::string& text, double& seconds) {
    const auto start = Clock::now();
    Problem problem = TsplibReader::read(text).value();
    seconds = seconds_since(start);
    return problem;
}

} // namespace

int main() {
    std::printf("%-22s %6s %5s %8s %10s %9s %10s %9s\n", "instance", "nodes", "asym", "read s",
                "built gap", "build s", "final gap", "added s");
    double read_s = 0;
    for (const auto& [name, optimum] : rundel::tsplib::atsp_optimal_lengths(RUNDEL_ATSP_DIR)) {
        const Problem problem =
            read(file_text(std::string(RUNDEL_ATSP_DIR) + "/" + name + ".atsp"), read_s);
        row(name, problem, optimum, read_s);
    }
    const auto optima = rundel::tsplib::optimal_lengths(RUNDEL_TSPLIB_DIR);
    for (const char* name : {"ulysses22", "gr96"}) {
        const Problem problem =
            read(file_text(std::string(RUNDEL_TSPLIB_DIR) + "/" + name + ".tsp"), read_s);
        row(std::string(name) + " (GEO)", problem, optima.at(name), read_s);
    }
    for (const char* name : {"kroA100", "pr1002"}) {
        const Problem points =
            read(file_text(std::string(RUNDEL_TSPLIB_DIR) + "/" + name + ".tsp"), read_s);
        row(std::string(name) + " (EUC_2D)", points, optima.at(name), read_s);
        const Problem matrix = read(as_full_matrix(points), read_s);
        row(std::string(name) + " (FULL_MATRIX)", matrix, optima.at(name), read_s);
    }
    return 0;
}

#pragma once

#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace rundel::tsplib {

/// The optimal tour lengths of the "solutions" file beside this header ("name : length" a
/// line), for tests and benchmarks.
inline std::map<std::string, double> optimal_lengths(const std::string& folder) {
    std::ifstream in(folder + "/solutions");
    std::map<std::string, double> lengths;
    std::string name;
    std::string colon;
    double length = 0;
    std::string rest;
    while (in >> name >> colon >> length) {
        lengths[name] = length;
        std::getline(in, rest);
    }
    return lengths;
}

/// The optimal tour lengths of the asymmetric instances: the rows "| name | nodes | optimum |"
/// of the SOURCE.md in @p folder.
inline std::map<std::string, double> atsp_optimal_lengths(const std::string& folder) {
    std::ifstream in(folder + "/SOURCE.md");
    std::map<std::string, double> lengths;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        std::string bar;
        std::string name;
        std::string nodes;
        double length = 0;
        if (row >> bar >> name >> bar >> nodes >> bar >> length && bar == "|" && length > 0) {
            lengths[name] = length;
        }
    }
    return lengths;
}

} // namespace rundel::tsplib

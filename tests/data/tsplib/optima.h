#pragma once

#include <fstream>
#include <map>
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

} // namespace rundel::tsplib

#pragma once

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

namespace rundel::bench {

using Clock = std::chrono::steady_clock;

inline double ms_since(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:").
inline long status_kib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string prefix = field;
    while (std::getline(status, line)) {
        if (line.rfind(prefix, 0) == 0) {
            return std::strtol(line.c_str() + prefix.size(), nullptr, 10);
        }
    }
    return 0;
}

} // namespace rundel::bench

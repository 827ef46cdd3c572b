#pragma once

#include <cstdint>

namespace rundel::engine {

/// splitmix64: fixed, portable output for a seed (std distributions are not portable).
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27U)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31U);
    }
    std::int32_t below(std::int32_t bound) {
        return static_cast<std::int32_t>(next() % static_cast<std::uint64_t>(bound));
    }

private:
    std::uint64_t state_;
};

} // namespace rundel::engine

#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace rundel::engine {

/// The shortest route through a handful of nodes, by dynamic programming over the subsets of
/// nodes visited (Held–Karp): 2^n · n² steps, a few milliseconds at 12 nodes.
class ExactRoute {
public:
    using Cost = std::function<double(std::int32_t, std::int32_t)>;
    /// The most nodes it is asked for: 13 would still be quick, 20 would not.
    static constexpr std::int32_t kMaxNodes = 16;

    /// @p count nodes (0-based), @p cost from one to another; @p start and @p end a fixed
    /// first and last node, or -1. A round trip (@p open false) opens at @p start (or 0) and
    /// returns there; an open route ends at @p end, or wherever is best. Among equally short
    /// routes the first found in node order is given, so the answer is always the same.
    [[nodiscard]] static std::vector<std::int32_t>
    solve(std::int32_t count, const Cost& cost, std::int32_t start, std::int32_t end, bool open);
};

} // namespace rundel::engine

#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace rundel::engine {

/// Cheapest insertion over costs alone, for nodes without coordinates (a matrix), costs that
/// may differ by direction included.
///
/// Without coordinates there is no centre of gravity; its stand-in is the node whose costs
/// to and from all others add up least (the lowest number among equals). The tour opens with
/// the node farthest from it — the mean of the two directions — and takes the others
/// farthest first, ties by lowest number, each where it adds least to the tour travelled in
/// its direction: cost(a, k) + cost(k, b) − cost(a, b) for the leg a→b, the earliest leg
/// from the opening node among equals. The same costs always give the same tour. Quadratic
/// time, which a matrix's own size already is.
class CostInsertion {
public:
    using Cost = std::function<double(std::int32_t, std::int32_t)>;

    /// The tour of @p count nodes (0-based) in the order of travel, opening node first.
    [[nodiscard]] static std::vector<std::int32_t> run(std::int32_t count, const Cost& cost);
};

} // namespace rundel::engine

#pragma once

#include <cmath>

namespace rundel::engine {

/// Straight-line distance of two points: computed in double from the float inputs and
/// rounded once to float. Every distance of the tour construction goes through here.
[[nodiscard]] inline float node_distance(float x1, float y1, float x2, float y2) noexcept {
    const double dy = static_cast<double>(y1) - static_cast<double>(y2);
    const double dx = static_cast<double>(x1) - static_cast<double>(x2);
    return static_cast<float>(std::sqrt(dy * dy + dx * dx));
}

/// What inserting k between a and b adds to the tour: (d(a,k) + d(k,b)) - d(a,b), the three
/// float distances combined in double and rounded once to float.
[[nodiscard]] inline float insertion_cost(float d_ak, float d_kb, float d_ab) noexcept {
    const double sum = static_cast<double>(d_ak) + static_cast<double>(d_kb);
    return static_cast<float>(sum - static_cast<double>(d_ab));
}

/// The finite bound that stands for "no place found yet" and "nothing visited yet".
inline constexpr float kSentinel = 999999.0F;

} // namespace rundel::engine

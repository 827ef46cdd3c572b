#include "chrome/gradient.h"

#include <algorithm>
#include <cmath>

namespace rundel::chrome {

std::vector<QColor> build_gradient(const QColor& start, const QColor& end, int n) {
    std::vector<QColor> entries;
    if (n <= 0) {
        return entries;
    }
    const double steps[3] = {static_cast<double>(end.red() - start.red()) / n,
                             static_cast<double>(end.green() - start.green()) / n,
                             static_cast<double>(end.blue() - start.blue()) / n};
    double running[3] = {static_cast<double>(start.red()), static_cast<double>(start.green()),
                         static_cast<double>(start.blue())};
    entries.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i) {
        for (int c = 0; c < 3; ++c) {
            running[c] = std::clamp(running[c] + steps[c], 0.0, 255.0);
        }
        // std::nearbyint rounds halves to the even number in the default rounding mode.
        entries.emplace_back(static_cast<int>(std::nearbyint(running[0])),
                             static_cast<int>(std::nearbyint(running[1])),
                             static_cast<int>(std::nearbyint(running[2])));
    }
    return entries;
}

} // namespace rundel::chrome

#pragma once

#include <string>

namespace rundel::mapserver {

/// A geocoded place.
struct Place {
    double latitude = 0.0;
    double longitude = 0.0;
    std::string label; ///< what was found, for example "東京都千代田区" or "Paris, FR"
    int zoom = 12;     ///< a map zoom level that shows the place well
};

} // namespace rundel::mapserver

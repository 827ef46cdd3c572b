#pragma once

#include <algorithm>
#include <cmath>

namespace rundel::engine {

/// The mean Earth radius (IUGG), in kilometres.
inline constexpr double kEarthRadiusKm = 6371.0088;

/// Great-circle distance in kilometres between two points given in decimal degrees, on a
/// sphere of the mean Earth radius (haversine: accurate for short legs too). Within 0.5 % of
/// the ellipsoidal distance everywhere.
[[nodiscard]] inline double great_circle_km(double lat1, double lon1, double lat2,
                                            double lon2) noexcept {
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double dlat = (lat2 - lat1) * kRad;
    const double dlon = (lon2 - lon1) * kRad;
    const double h =
        std::sin(dlat / 2) * std::sin(dlat / 2) +
        std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dlon / 2) * std::sin(dlon / 2);
    return 2 * kEarthRadiusKm * std::asin(std::sqrt(std::min(1.0, h)));
}

} // namespace rundel::engine

#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rundel::mapserver {

/// A marker as the page sends it: latitude and longitude in decimal degrees.
using Marker = std::pair<double, double>;

/// The node file of a session: header lines, "NODE_COORD_SECTION", one "i x y" line per
/// marker in marker order, "EOF", every line ending in CR LF. The route engine measures
/// straight lines, so the coordinates are planar kilometres: an equirectangular projection
/// about the markers' mean latitude, written with "." and six decimals.
[[nodiscard]] std::string node_file_text(std::string_view session_id,
                                         const std::vector<Marker>& markers);

} // namespace rundel::mapserver

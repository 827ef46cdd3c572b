#include "mapserver/nodefile.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace rundel::mapserver {
namespace {

constexpr double kKmPerDegreeLongitude = 111.320; // at the equator
constexpr double kKmPerDegreeLatitude = 110.574;

void append_number(std::string& text, double value) {
    char buffer[64];
    // Adding 0.0 turns -0 into 0, so that no "-0.000000" appears.
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value + 0.0, std::chars_format::fixed, 6);
    text.append(buffer, result.ptr);
}

} // namespace

std::string node_file_text(std::string_view session_id, const std::vector<Marker>& markers) {
    double latitude_sum = 0.0;
    for (const Marker& marker : markers) {
        latitude_sum += marker.first;
    }
    const double mean_latitude =
        markers.empty() ? 0.0 : latitude_sum / static_cast<double>(markers.size());
    const double x_scale =
        std::cos(mean_latitude * std::numbers::pi / 180.0) * kKmPerDegreeLongitude;

    std::string text;
    text.reserve(160 + markers.size() * 32);
    text += "NAME : ";
    text += session_id;
    text += "_nodedata\r\nTYPE : TSP\r\nCOMMENT : Rundel_Engine markers, kilometres about "
            "latitude ";
    append_number(text, mean_latitude);
    text += "\r\nDIMENSION : " + std::to_string(markers.size()) +
            "\r\nEDGE_WEIGHT_TYPE : EUC_2D\r\nNODE_COORD_SECTION\r\n";
    for (std::size_t i = 0; i < markers.size(); ++i) {
        text += std::to_string(i + 1);
        text += ' ';
        append_number(text, markers[i].second * x_scale);
        text += ' ';
        append_number(text, markers[i].first * kKmPerDegreeLatitude);
        text += "\r\n";
    }
    text += "EOF\r\n";
    return text;
}

} // namespace rundel::mapserver

#include "mapserver/gazetteer.h"

#include "mapserver/querytext.h"

#include <fstream>

namespace rundel::mapserver {
namespace {

std::vector<std::string_view> split_tabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) {
            return fields;
        }
        start = tab + 1;
    }
}

/// Byte offsets at which a UTF-8 character starts, from the longest prefix down.
std::vector<std::size_t> prefix_ends(std::string_view text) {
    std::vector<std::size_t> ends;
    for (std::size_t i = text.size(); i > 0; --i) {
        if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0U) != 0x80U) {
            ends.push_back(i);
        }
    }
    return ends;
}

} // namespace

Status Gazetteer::load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        return Status::failure("cannot read the gazetteer " + file.string());
    }
    japanese_.clear();
    world_.clear();
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const auto fields = split_tabs(line);
        if (fields.size() < 6) {
            continue;
        }
        Place place;
        try {
            place.latitude = std::stod(std::string(fields[2]));
            place.longitude = std::stod(std::string(fields[3]));
        } catch (const std::exception&) {
            continue;
        }
        place.label = std::string(fields[5]);
        const long weight = std::strtol(std::string(fields[4]).c_str(), nullptr, 10);
        if (fields[0] == "J") {
            place.zoom = weight >= 3 ? 9 : 12;
            japanese_.emplace(std::string(fields[1]), std::move(place));
        } else if (fields[0] == "W") {
            place.zoom = 11;
            const std::size_t comma = place.label.rfind(", ");
            std::string country = comma == std::string::npos ? "" : place.label.substr(comma + 2);
            world_[std::string(fields[1])].push_back(
                {std::move(place), lower_case(country), weight});
        }
    }
    return std::monostate{};
}

std::optional<Place> Gazetteer::lookup(std::string_view normalised_query) const {
    const std::string compact = without_blanks(normalised_query);
    if (compact.empty()) {
        return std::nullopt;
    }
    for (const std::size_t end : prefix_ends(compact)) {
        const auto found = japanese_.find(compact.substr(0, end));
        if (found != japanese_.end()) {
            return found->second;
        }
    }

    std::string name = lower_case(normalised_query);
    std::string country;
    const std::size_t comma = name.find(',');
    if (comma != std::string::npos) {
        country = without_blanks(std::string_view(name).substr(comma + 1));
        name = name.substr(0, comma);
        while (!name.empty() && name.back() == ' ') {
            name.pop_back();
        }
    }
    const auto found = world_.find(name);
    if (found == world_.end()) {
        return std::nullopt;
    }
    const WorldCity* best = nullptr;
    for (const WorldCity& city : found->second) {
        if (country.empty() || city.country == country) {
            if (best == nullptr || city.population > best->population) {
                best = &city;
            }
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    return best->place;
}

} // namespace rundel::mapserver

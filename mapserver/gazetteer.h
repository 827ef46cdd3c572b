#pragma once

#include "engine/result.h"
#include "mapserver/place.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rundel::mapserver {

/// The offline geocoder: Japanese prefectures, municipalities and designated-city wards, and
/// the world's cities, loaded from the gazetteer file made at build time.
class Gazetteer {
public:
    /// Loads @p file; false with @p error when it cannot be read.
    [[nodiscard]] Status load(const std::filesystem::path& file);

    /// Looks a normalised query up (see normalise_query). A Japanese address is matched by
    /// its longest leading place name ("東京都千代田区丸の内" finds 東京都千代田区); a designated
    /// city's ward falls back to its city. Otherwise the query is taken as a world city name,
    /// optionally followed by ", " and a country code; the most populous city wins.
    [[nodiscard]] std::optional<Place> lookup(std::string_view normalised_query) const;

    [[nodiscard]] std::size_t size() const { return japanese_.size() + world_.size(); }

private:
    struct WorldCity {
        Place place;
        std::string country;
        long population = 0;
    };

    std::unordered_map<std::string, Place> japanese_;
    std::unordered_map<std::string, std::vector<WorldCity>> world_;
};

} // namespace rundel::mapserver

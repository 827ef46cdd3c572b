#pragma once

#include <string>
#include <string_view>

namespace rundel::mapserver {

/// Normalises an address query the way the gazetteer's keys are made: NFKC (full-width
/// letters, digits and blanks become ASCII), the postal mark 〒 and a Japanese postcode
/// (123-4567) removed, blanks trimmed and runs of white space folded to one blank.
[[nodiscard]] std::string normalise_query(std::string_view query);

/// The query without any white space, for Japanese names.
[[nodiscard]] std::string without_blanks(std::string_view text);

/// Lower case, for world city names.
[[nodiscard]] std::string lower_case(std::string_view text);

} // namespace rundel::mapserver

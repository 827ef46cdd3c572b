#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace rundel::engine {
class ModShortestPath;
}

namespace rundel::test {

using Points = std::vector<std::pair<float, float>>;

/// A node file text for @p points, with CR LF line ends and coordinates that read back to
/// exactly the same floats.
[[nodiscard]] std::string node_text(const Points& points, const std::string& eol = "\r\n");

/// The tsplib data file @p name, read whole.
[[nodiscard]] std::string tsplib_text(const std::string& name);

/// The closed length of the engine's tour; with @p rounded, each leg rounded to the nearest
/// integer as TSPLIB measures its optima.
[[nodiscard]] double tour_length(const engine::ModShortestPath& engine, bool rounded = false);

/// True when the tour visits every node once (a gtest failure names the first that is not).
[[nodiscard]] bool visits_every_node_once(const engine::ModShortestPath& engine);

/// A test name made of the letters and digits of @p text (the rest become '_').
[[nodiscard]] std::string test_name(const std::string& text);

} // namespace rundel::test

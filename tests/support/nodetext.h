#pragma once

#include <string>
#include <utility>
#include <vector>

namespace rundel::test {

using Points = std::vector<std::pair<float, float>>;

/// A node file text for @p points, with CR LF line ends and coordinates that read back to
/// exactly the same floats.
[[nodiscard]] std::string node_text(const Points& points, const std::string& eol = "\r\n");

/// The tsplib data file @p name, read whole.
[[nodiscard]] std::string tsplib_text(const std::string& name);

/// A test name made of the letters and digits of @p text (the rest become '_').
[[nodiscard]] std::string test_name(const std::string& text);

} // namespace rundel::test

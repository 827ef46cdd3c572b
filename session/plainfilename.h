#pragma once

#include <string_view>

namespace rundel::session {

/// True when @p name can only name a file inside the folder it is joined to: not empty, no
/// path separator of any platform, not "." or "..", no control character.
[[nodiscard]] bool is_plain_file_name(std::string_view name);

} // namespace rundel::session

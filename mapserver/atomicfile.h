#pragma once

#include <filesystem>
#include <string_view>

namespace rundel::mapserver {

/// Writes @p bytes to @p file through a temporary name of its own (parent folders made), so
/// that a reader never sees half a file and concurrent writers never share one: the last
/// complete write wins. False, with nothing left behind, when it cannot be written.
bool write_atomically(const std::filesystem::path& file, std::string_view bytes);

} // namespace rundel::mapserver

#pragma once

#include <string>
#include <string_view>

namespace rundel::engine {

/// A page session's node file: "<session id>_nodedata.tsp", the same name on the map server,
/// in the address the program downloads it from, and in the program's node-data folder.
inline constexpr std::string_view kNodeFileSuffix = "_nodedata.tsp";

/// Where the map server serves the session node files.
inline constexpr std::string_view kNodeFileRoute = "/Rundel_SRV/tsp_node_data/";

[[nodiscard]] inline std::string node_file_name(std::string_view session_id) {
    return std::string(session_id).append(kNodeFileSuffix);
}

/// The session id of a node file's name; empty when @p name is no node file's.
[[nodiscard]] inline std::string session_of_node_file(std::string_view name) {
    if (name.size() <= kNodeFileSuffix.size() || !name.ends_with(kNodeFileSuffix)) {
        return {};
    }
    return std::string(name.substr(0, name.size() - kNodeFileSuffix.size()));
}

} // namespace rundel::engine

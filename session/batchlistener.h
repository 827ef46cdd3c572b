#pragma once

#include <filesystem>
#include <string_view>

namespace rundel::session {

/// What the batch folder engine tells its host. The desktop program mirrors it into its
/// hidden engine panel and message boxes; the batch runner prints it.
class BatchListener {
public:
    virtual ~BatchListener() = default;

    /// A message for the user; @p request names the request file, empty outside a tick.
    virtual void message(std::string_view request, std::string_view text) = 0;
    /// The node file being solved (the engine panel's txtFile).
    virtual void show_node_file(std::string_view /*name*/) {}
    /// The route text of the last solve, empty while solving (the engine panel's txtResult).
    virtual void show_result(std::string_view /*text*/) {}
    /// A result file has been written.
    virtual void result_written(std::string_view /*request*/,
                                const std::filesystem::path& /*file*/) {}
};

} // namespace rundel::session

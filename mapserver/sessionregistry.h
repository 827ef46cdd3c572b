#pragma once

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace rundel::mapserver {

/// The page sessions of a server: one id per page visit, and the session's node file in the
/// data folder. Safe to use from the server's worker threads.
class SessionRegistry {
public:
    using Clock = std::chrono::system_clock;

    explicit SessionRegistry(std::filesystem::path data_dir);

    /// True for what issue() makes: 16 lower-case hex digits, fit for a URL and a file name.
    [[nodiscard]] static bool is_session_id(std::string_view text);

    /// A fresh, unguessable session id, known from now on.
    [[nodiscard]] std::string issue();
    /// Marks @p id as active now; false when the session is unknown.
    bool touch(const std::string& id);

    [[nodiscard]] std::filesystem::path node_file(const std::string& id) const;

    /// Takes over the sessions whose node files are in the data folder (after a restart),
    /// each as last active when its file was written, and deletes the temporary files of
    /// writes that never finished.
    void adopt_existing();
    /// Forgets sessions idle for longer than @p max_idle and deletes their node files, and any
    /// other node file that old. Returns how many files were deleted.
    int expire(Clock::time_point now, std::chrono::seconds max_idle);

private:
    std::filesystem::path data_dir_;
    std::mutex mutex_;
    std::unordered_map<std::string, Clock::time_point> last_active_;
};

} // namespace rundel::mapserver

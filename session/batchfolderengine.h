#pragma once

#include "engine/failuresink.h"
#include "session/workfolders.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace rundel::engine {
class ModShortestPath;
}

namespace rundel::session {

class BatchListener;

/// Solves node files that other software requests through the working folders.
///
/// A request is any file in "tsp_pre_file": its first line names a node file in
/// "tsp_node_data", its second line the result id. The tour goes to
/// "tsp_node/<result id>_tspdata.txt", one node number per CR LF-terminated line, starting
/// and ending with node 1. Each tick handles every request waiting and deletes it.
class BatchFolderEngine final : private engine::FailureSink {
public:
    BatchFolderEngine(WorkFolders folders, engine::ModShortestPath& engine,
                      BatchListener& listener);
    ~BatchFolderEngine() override = default;
    BatchFolderEngine(const BatchFolderEngine&) = delete;
    BatchFolderEngine& operator=(const BatchFolderEngine&) = delete;

    [[nodiscard]] const WorkFolders& folders() const { return folders_; }

    /// The request files waiting, by name.
    [[nodiscard]] std::vector<std::string> prefile_names() const;
    /// The same names as one text, each preceded by "," (empty when none wait).
    [[nodiscard]] std::string get_prefile_list() const;

    /// Solves one node file of "tsp_node_data" and writes its result file; true when written.
    bool batch_calc(const std::string& node_file, const std::string& result_id);

    /// Handles every waiting request; returns how many were taken. Stops between requests once
    /// the stop flag is raised.
    int tick();

    /// A flag (for example raised by a signal handler) that ends a tick after the request in
    /// hand.
    void set_stop_flag(const std::atomic<bool>* stop) { stop_ = stop; }

private:
    void engine_failure(std::string_view message) override;
    bool handle_request(const std::string& name);
    bool write_result(const std::filesystem::path& file, std::string_view text);

    WorkFolders folders_;
    engine::ModShortestPath& engine_;
    BatchListener& listener_;
    const std::atomic<bool>* stop_ = nullptr;
    std::string current_request_;
};

} // namespace rundel::session

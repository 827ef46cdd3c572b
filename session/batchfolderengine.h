#pragma once

#include "engine/solve.h"
#include "session/workfolders.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace rundel::engine {
class ModShortestPath;
}

namespace rundel::session {

class BatchListener;

/// Whether a request improves its tour, and with what budget.
struct ImproveChoice {
    bool asked = false; ///< improve the constructed tour
    double budget = -1; ///< perturbations per node; negative: the engine's default
    bool valid = true;  ///< false when the request's budget could not be read
};

/// Where a request's route begins and ends ("start N", "end M", "open" lines).
struct RouteChoice {
    engine::RouteEnds ends;
    std::string error; ///< why a line with one of these words could not be read; empty: fine
    [[nodiscard]] bool asked() const { return ends.chosen(); }
};

/// A version of a request file (inode, size, modification time).
struct RequestStamp {
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t modified = 0;
    bool operator==(const RequestStamp&) const = default;
};

/// Solves node files that other software requests through the working folders.
///
/// A request is any file in "tsp_pre_file": its first line names a node file in
/// "tsp_node_data", its second line the result id. The tour goes to
/// "tsp_node/<result id>_tspdata.txt", one node number per CR LF-terminated line, starting
/// and ending with node 1. Optional further lines, in any order: "improve" or "improve N"
/// shortens the tour (N perturbations per node); "start N" opens the route at node N,
/// "end M" ends it at node M without a return, "open" ends it at the best last stop; the
/// result then lists the route from its first stop to its last (back to the first for a
/// round trip). Other lines are notes that other software may send, and are not read. Each
/// tick handles every request waiting and deletes it; hidden files (names starting with a
/// dot) are files still being written and wait.
class BatchFolderEngine final {
public:
    BatchFolderEngine(WorkFolders folders, engine::ModShortestPath& engine,
                      BatchListener& listener);
    ~BatchFolderEngine() = default;
    BatchFolderEngine(const BatchFolderEngine&) = delete;
    BatchFolderEngine& operator=(const BatchFolderEngine&) = delete;

    [[nodiscard]] const WorkFolders& folders() const { return folders_; }

    /// The request files waiting, by name.
    [[nodiscard]] std::vector<std::string> prefile_names() const;
    /// The same names as one text, each preceded by "," (empty when none wait).
    [[nodiscard]] std::string get_prefile_list() const;

    /// Reads a request's third line: "improve" or "improve N" (N perturbations per node,
    /// 0 to 1000). Any other line is a note that older requests may carry: not asked.
    [[nodiscard]] static ImproveChoice parse_improve(std::string_view line);

    /// Reads the lines of a request after its first two into a route choice.
    [[nodiscard]] static RouteChoice parse_route(const std::vector<std::string_view>& lines);

    /// Solves one node file of "tsp_node_data" and writes its result file; true when written.
    bool batch_calc(const std::string& node_file, const std::string& result_id,
                    ImproveChoice improve = {}, const RouteChoice& route = {});

    /// The improvement applied to requests that do not ask for one themselves (by default
    /// none: the construction's tour, as always).
    void set_default_improve(ImproveChoice choice) { default_improve_ = choice; }

    /// Handles every waiting request; returns how many were taken. Stops between requests once
    /// the stop flag is raised.
    int tick();

    /// A flag (for example raised by a signal handler) that ends a tick after the request in
    /// hand.
    void set_stop_flag(const std::atomic<bool>* stop) { stop_ = stop; }

private:
    /// Passes an engine message on, names from requests cut short.
    void engine_message(std::string_view message);
    bool handle_request(const std::string& name);
    bool write_result(const std::filesystem::path& file, std::string_view text);
    /// The route of a request with start, end or open lines, as the result file's text;
    /// empty, with the reason told, when there is none.
    std::string solve_route(const RouteChoice& route, const ImproveChoice& improve);

    WorkFolders folders_;
    engine::ModShortestPath& engine_;
    BatchListener& listener_;
    const std::atomic<bool>* stop_ = nullptr;
    std::string current_request_;
    ImproveChoice default_improve_;
    std::set<std::string> unreadable_;                ///< reported once, tried again
    std::map<std::string, RequestStamp> undeletable_; ///< handled once, not again
};

/// @p name in quotes, cut to a readable length (the cut is marked, and the full size given).
[[nodiscard]] std::string cut_name(std::string_view name);

} // namespace rundel::session

#pragma once

#include "engine/result.h"

#include <filesystem>
#include <string>

namespace rundel::session {

/// The working folders under the program folder: "Rundel" with "tsp_node" (batch results),
/// "tsp_node_data" (node files), "tsp_pre_file" (batch requests) and "result" (exports), and
/// "server_data", the bundled map server's node files and caches (made by the server).
class WorkFolders {
public:
    explicit WorkFolders(std::filesystem::path program_folder);

    [[nodiscard]] const std::filesystem::path& program_folder() const { return program_; }
    [[nodiscard]] std::filesystem::path root() const { return program_ / "Rundel"; }
    [[nodiscard]] std::filesystem::path batch_results() const { return root() / "tsp_node"; }
    [[nodiscard]] std::filesystem::path node_data() const { return root() / "tsp_node_data"; }
    [[nodiscard]] std::filesystem::path batch_requests() const { return root() / "tsp_pre_file"; }
    [[nodiscard]] std::filesystem::path results() const { return root() / "result"; }
    [[nodiscard]] std::filesystem::path server_data() const { return root() / "server_data"; }
    /// The settings file "ini_tsproblem.txt", beside the program.
    [[nodiscard]] std::filesystem::path settings_file() const {
        return program_ / "ini_tsproblem.txt";
    }

    /// Creates the four sub-folders of "Rundel" where missing ("Rundel" itself comes with the
    /// program). A failure names each one that is missing and cannot be created.
    [[nodiscard]] Status make_workfolders() const;

private:
    std::filesystem::path program_;
};

} // namespace rundel::session

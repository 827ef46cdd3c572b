#include "session/workfolders.h"

#include <system_error>
#include <utility>

namespace rundel::session {

WorkFolders::WorkFolders(std::filesystem::path program_folder)
    : program_(std::move(program_folder)) {}

Status WorkFolders::make_workfolders() const {
    namespace fs = std::filesystem;
    std::string error;
    for (const fs::path& folder : {batch_results(), node_data(), batch_requests(), results()}) {
        std::error_code ec;
        if (fs::is_directory(folder, ec)) {
            continue;
        }
        if (fs::exists(folder, ec)) {
            error += folder.string() + ": フォルダーではないファイルがあります\n";
            continue;
        }
        if (!fs::create_directory(folder, ec) && ec) {
            error += folder.string() + ": " + ec.message() + "\n";
        }
    }
    if (error.empty()) {
        return std::monostate{};
    }
    error.pop_back(); // the last line end
    return Status::failure(error);
}

} // namespace rundel::session

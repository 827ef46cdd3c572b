#include "session/workfolders.h"

#include <system_error>
#include <utility>

namespace rundel::session {

WorkFolders::WorkFolders(std::filesystem::path program_folder)
    : program_(std::move(program_folder)) {}

bool WorkFolders::make_workfolders(std::string& error) const {
    namespace fs = std::filesystem;
    bool ok = true;
    for (const fs::path& folder : {batch_results(), node_data(), batch_requests(), results()}) {
        std::error_code ec;
        if (fs::is_directory(folder, ec)) {
            continue;
        }
        if (fs::exists(folder, ec)) {
            error += folder.string() + ": フォルダーではないファイルがあります\n";
            ok = false;
            continue;
        }
        if (!fs::create_directory(folder, ec) && ec) {
            error += folder.string() + ": " + ec.message() + "\n";
            ok = false;
        }
    }
    if (!ok && !error.empty() && error.back() == '\n') {
        error.pop_back();
    }
    return ok;
}

} // namespace rundel::session

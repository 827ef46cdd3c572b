#include "session/batchfolderengine.h"

#include "engine/modshortestpath.h"
#include "session/batchlistener.h"
#include "session/plainfilename.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

namespace rundel::session {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLoadError = "Erorr Load File";

/// The first two lines of a request; a missing line is an empty text.
void split_request(std::string_view text, std::string& node_file, std::string& result_id) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3); // written by an editor that marks UTF-8
    }
    std::string* targets[] = {&node_file, &result_id};
    for (std::string* target : targets) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        target->assign(line);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    }
}

} // namespace

BatchFolderEngine::BatchFolderEngine(WorkFolders folders, engine::ModShortestPath& engine,
                                     BatchListener& listener)
    : folders_(std::move(folders)), engine_(engine), listener_(listener) {}

void BatchFolderEngine::engine_failure(std::string_view message) {
    listener_.message(current_request_, message);
}

std::vector<std::string> BatchFolderEngine::prefile_names() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folders_.batch_requests(), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code type_ec;
        if (it->is_regular_file(type_ec)) {
            names.push_back(it->path().filename().string());
        }
    }
    // Name order, so that other software can sequence its requests.
    std::sort(names.begin(), names.end());
    return names;
}

std::string BatchFolderEngine::get_prefile_list() const {
    std::string list;
    for (const std::string& name : prefile_names()) {
        list += ',';
        list += name;
    }
    return list;
}

bool BatchFolderEngine::batch_calc(const std::string& node_file, const std::string& result_id) {
    listener_.show_node_file(node_file);
    engine_.clear_tourlist();
    if (!is_plain_file_name(node_file) || (!result_id.empty() && !is_plain_file_name(result_id))) {
        listener_.message(current_request_,
                          "ノードファイル名または結果IDがファイル名として使えません: \"" +
                              node_file + "\", \"" + result_id + "\"");
        return false;
    }

    engine::FailureSink* const previous = engine_.failure_sink();
    engine_.set_failure_sink(this);
    const bool loaded = engine_.read_nodefile((folders_.node_data() / node_file).string());
    if (loaded) {
        engine_.solve_tour();
        engine_.make_tourlist();
    }
    engine_.set_failure_sink(previous);
    if (!loaded) {
        listener_.message(current_request_, kLoadError);
        return false;
    }
    listener_.show_result({});
    if (engine_.tour_list_count() == 0) {
        return false;
    }
    const std::string route = engine_.route_text("\r\n");
    listener_.show_result(route);
    const fs::path file = folders_.batch_results() / (result_id + "_tspdata.txt");
    if (!write_result(file, route)) {
        return false;
    }
    listener_.result_written(current_request_, file);
    return true;
}

bool BatchFolderEngine::write_result(const fs::path& file, std::string_view text) {
    // Written under a hidden name and renamed, so that software polling the folder never
    // reads half a result.
    const fs::path part = file.parent_path() / ("." + file.filename().string() + ".part");
    errno = 0;
    std::FILE* out = std::fopen(part.c_str(), "wb");
    int error = out == nullptr ? errno : 0;
    if (out != nullptr) {
        const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size() &&
                             std::fwrite("\r\n", 1, 2, out) == 2;
        error = written ? 0 : (errno != 0 ? errno : EIO);
        if (std::fclose(out) != 0 && error == 0) {
            error = errno;
        }
        if (error == 0 && std::rename(part.c_str(), file.c_str()) != 0) {
            error = errno;
        }
        if (error != 0) {
            std::remove(part.c_str());
        }
    }
    if (error != 0) {
        listener_.message(current_request_, "結果ファイルを書けません: " + file.string() + ": " +
                                                std::strerror(error));
        return false;
    }
    return true;
}

bool BatchFolderEngine::handle_request(const std::string& name) {
    const fs::path request = folders_.batch_requests() / name;
    bool readable = false;
    const std::string text = engine::ModShortestPath::load_nodefile(request.string(), &readable);
    if (!readable) {
        return false; // perhaps still being written: try again on a later tick
    }
    current_request_ = name;
    std::string node_file;
    std::string result_id;
    split_request(text, node_file, result_id);
    batch_calc(node_file, result_id);
    std::error_code ec;
    if (!fs::remove(request, ec) && ec) {
        listener_.message(current_request_, "リクエストファイルを削除できません: " +
                                                request.string() + ": " + ec.message());
    }
    current_request_.clear();
    return true;
}

int BatchFolderEngine::tick() {
    int taken = 0;
    for (const std::string& name : prefile_names()) {
        if (stop_ != nullptr && stop_->load()) {
            break;
        }
        if (handle_request(name)) {
            ++taken;
        }
    }
    return taken;
}

} // namespace rundel::session

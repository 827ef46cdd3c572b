#include "session/batchfolderengine.h"

#include "engine/modshortestpath.h"
#include "session/batchlistener.h"
#include "session/plainfilename.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace rundel::session {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLoadError = "Erorr Load File";

/// Requests are a few short lines; anything longer is not one of ours.
constexpr std::size_t kMaxRequestBytes = 64 * 1024;
/// Names quoted in messages are cut to this many bytes: a message must stay readable.
constexpr std::size_t kQuoteBytes = 120;
/// The most perturbations per node a request may ask for.
constexpr double kMaxPerturbations = 1000;

/// The next line of @p text, which may end in CR LF, LF or a lone CR.
std::string_view take_line(std::string_view& text) {
    const std::size_t end = text.find_first_of("\r\n");
    const std::string_view line = text.substr(0, end);
    if (end == std::string_view::npos) {
        text = {};
    } else {
        const bool crlf = text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n';
        text.remove_prefix(end + (crlf ? 2 : 1));
    }
    return line;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

struct Request {
    std::string node_file;
    std::string result_id;
    ImproveChoice improve;
    RouteChoice route;
};

Request split_request(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3); // written by an editor that marks UTF-8
    }
    Request request;
    request.node_file = take_line(text);
    request.result_id = take_line(text);
    std::vector<std::string_view> rest;
    while (!text.empty()) {
        rest.push_back(take_line(text));
    }
    for (const std::string_view line : rest) {
        if (const ImproveChoice improve = BatchFolderEngine::parse_improve(line); improve.asked) {
            request.improve = improve;
            break;
        }
    }
    request.route = BatchFolderEngine::parse_route(rest);
    return request;
}

/// The first word of a line and what follows it, both trimmed.
std::pair<std::string_view, std::string_view> word_and_value(std::string_view line) {
    line = trimmed(line);
    const std::size_t blank = line.find_first_of(" \t");
    if (blank == std::string_view::npos) {
        return {line, {}};
    }
    return {line.substr(0, blank), trimmed(line.substr(blank))};
}

/// A node number of a request line: digits only, at least 1.
bool read_node(std::string_view value, std::int32_t& node) {
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), node);
    return error == std::errc{} && end == value.data() + value.size() && node >= 1;
}

/// @p text cut to at most @p bytes (never inside a UTF-8 character), the cut marked with "…".
std::string shortened(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return std::string(text);
    }
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) {
        --cut;
    }
    return std::string(text.substr(0, cut)) + "…";
}

/// What identifies one version of a request file: a new file under an old name is new work.
RequestStamp stamp_of(const fs::path& file) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0) {
        return {};
    }
    return {static_cast<std::uint64_t>(info.st_ino), static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}

} // namespace

ImproveChoice BatchFolderEngine::parse_improve(std::string_view line) {
    const auto [word, budget] = word_and_value(line);
    if (word != "improve") {
        return {};
    }
    ImproveChoice choice;
    choice.asked = true;
    if (budget.empty()) {
        choice.budget = -1; // the engine's default
        return choice;
    }
    const std::string copy(budget);
    char* stop = nullptr;
    const double value = std::strtod(copy.c_str(), &stop);
    choice.valid = stop == copy.c_str() + copy.size() && std::isfinite(value) && value >= 0 &&
                   value <= kMaxPerturbations && copy.find_first_of("xXpP") == std::string::npos;
    choice.budget = value;
    return choice;
}

RouteChoice BatchFolderEngine::parse_route(const std::vector<std::string_view>& lines) {
    RouteChoice choice;
    for (const std::string_view line : lines) {
        const auto [word, value] = word_and_value(line);
        if (word == "open") {
            choice.ends.open = true;
            if (!value.empty()) {
                choice.error = "open の行に値は書きません: " + cut_name(line);
            }
        } else if (word == "start" || word == "end") {
            std::int32_t& node = word == "start" ? choice.ends.start : choice.ends.end;
            if (!read_node(value, node)) {
                choice.error = std::string(word) +
                               " の値がノード番号 (1 以上の整数) ではありません: " + cut_name(line);
            }
        }
        if (!choice.error.empty()) {
            break;
        }
    }
    return choice;
}

std::string cut_name(std::string_view name) {
    const std::string shown = "\"" + shortened(name, kQuoteBytes) + "\"";
    return name.size() <= kQuoteBytes ? shown
                                      : shown + " (" + std::to_string(name.size()) + " バイト)";
}

BatchFolderEngine::BatchFolderEngine(WorkFolders folders, engine::ModShortestPath& engine,
                                     BatchListener& listener)
    : folders_(std::move(folders)), engine_(engine), listener_(listener) {}

void BatchFolderEngine::engine_message(std::string_view message) {
    // The engine's messages quote paths, which hold names from request files.
    constexpr std::size_t kLongest = 1000;
    listener_.message(current_request_,
                      message.size() <= kLongest ? std::string(message) : cut_name(message));
}

std::vector<std::string> BatchFolderEngine::prefile_names() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folders_.batch_requests(), ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code type_ec;
        std::string name = it->path().filename().string();
        // Hidden names are files still being written by software that renames them into
        // place when complete.
        if (name.front() != '.' && it->is_regular_file(type_ec)) {
            names.push_back(std::move(name));
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

bool BatchFolderEngine::batch_calc(const std::string& node_file, const std::string& result_id,
                                   ImproveChoice improve, const RouteChoice& route) {
    listener_.show_node_file(node_file);
    engine_.clear_tourlist();
    if (!is_plain_file_name(node_file) || (!result_id.empty() && !is_plain_file_name(result_id))) {
        listener_.message(current_request_,
                          "ノードファイル名または結果IDがファイル名として使えません: " +
                              cut_name(node_file) + ", " + cut_name(result_id));
        return false;
    }
    if (!improve.asked) {
        improve = default_improve_;
    }
    if (!improve.valid) {
        listener_.message(current_request_, "improve の回数が読めません (0 から 1000 の数)");
        return false;
    }
    if (!route.error.empty()) {
        listener_.message(current_request_, route.error);
        return false;
    }

    const Status loaded = engine_.read_nodefile((folders_.node_data() / node_file).string());
    if (!loaded) {
        engine_message(loaded.error());
        listener_.message(current_request_, kLoadError);
        return false;
    }
    std::string text;
    if (route.asked()) {
        text = solve_route(route, improve);
    } else {
        engine_.solve_tour();
        if (improve.asked) {
            engine::ImproveOptions options;
            options.perturbations_per_node = improve.budget;
            engine_.improve_tour(options);
        }
        engine_.make_tourlist();
        text = engine_.route_text("\r\n");
    }
    listener_.show_result(text);
    if (text.empty()) {
        return false;
    }
    const fs::path file = folders_.batch_results() / (result_id + "_tspdata.txt");
    if (!write_result(file, text)) {
        return false;
    }
    listener_.result_written(current_request_, file);
    return true;
}

std::string BatchFolderEngine::solve_route(const RouteChoice& route, const ImproveChoice& improve) {
    engine::SolveOptions options;
    options.ends = route.ends;
    options.improve = improve.asked;
    options.improvement.perturbations_per_node = improve.budget;
    const Result<engine::Solution> solved = engine::solve(engine_.problem(), options);
    if (!solved) {
        listener_.message(current_request_, solved.error());
        return {};
    }
    std::string text;
    for (const std::int32_t node : solved.value().tour) {
        text += std::to_string(node);
        text += "\r\n";
    }
    if (!solved.value().open) {
        text += std::to_string(solved.value().tour.front()) + "\r\n";
    }
    text.resize(text.size() - 2); // the writer ends the last line
    return text;
}

namespace {

/// Creates a new hidden file beside @p file, never through an existing name or link, readable
/// like any file the user makes. Returns the descriptor (or -1 with errno) and its path.
int create_part_file(const fs::path& file, fs::path& part) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        part = file.parent_path() /
               ("." + file.filename().string() + "." + std::to_string(::getpid()) + "." +
                std::to_string(attempt) + ".part");
        const int fd =
            ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

/// Writes all of @p text; 0 or the errno of the failure.
int write_all(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t done = ::write(fd, text.data(), text.size());
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return done < 0 ? errno : EIO;
        }
        text.remove_prefix(static_cast<std::size_t>(done));
    }
    return 0;
}

} // namespace

bool BatchFolderEngine::write_result(const fs::path& file, std::string_view text) {
    // Written under a hidden name and renamed, so that software polling the folder never
    // reads half a result.
    fs::path part;
    const int fd = create_part_file(file, part);
    int error = fd < 0 ? errno : 0;
    if (fd >= 0) {
        error = write_all(fd, text);
        if (error == 0) {
            error = write_all(fd, "\r\n");
        }
        if (::close(fd) != 0 && error == 0) {
            error = errno;
        }
        if (error == 0 && std::rename(part.c_str(), file.c_str()) != 0) {
            error = errno;
        }
        if (error != 0) {
            ::unlink(part.c_str());
        }
    }
    if (error != 0) {
        listener_.message(current_request_, "結果ファイルを書けません: " + cut_name(file.string()) +
                                                ": " + std::strerror(error));
        return false;
    }
    return true;
}

bool BatchFolderEngine::handle_request(const std::string& name) {
    const fs::path request = folders_.batch_requests() / name;
    const RequestStamp stamp = stamp_of(request);
    if (const auto kept = undeletable_.find(name); kept != undeletable_.end()) {
        if (kept->second == stamp) {
            return false; // handled already; reported when it could not be deleted
        }
        undeletable_.erase(kept);
    }
    const Result<std::string> text =
        engine::ModShortestPath::load_nodefile(request.string(), kMaxRequestBytes);
    if (!text) {
        // Perhaps still being written: tried again on later ticks, reported once.
        if (unreadable_.insert(name).second) {
            listener_.message(name, "リクエストファイルを読めません: " + text.error());
        }
        return false;
    }
    unreadable_.erase(name);
    current_request_ = name;
    const Request parsed = split_request(text.value());
    batch_calc(parsed.node_file, parsed.result_id, parsed.improve, parsed.route);
    std::error_code ec;
    if (!fs::remove(request, ec) && ec) {
        listener_.message(current_request_, "リクエストファイルを削除できません: " +
                                                cut_name(request.string()) + ": " + ec.message());
        undeletable_[name] = stamp;
    }
    current_request_.clear();
    return true;
}

int BatchFolderEngine::tick() {
    int taken = 0;
    const std::vector<std::string> names = prefile_names();
    // Forget requests that are gone, so that the sets stay as small as the folder.
    std::erase_if(unreadable_, [&](const std::string& name) {
        return !std::binary_search(names.begin(), names.end(), name);
    });
    std::erase_if(undeletable_, [&](const auto& entry) {
        return !std::binary_search(names.begin(), names.end(), entry.first);
    });
    for (const std::string& name : names) {
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

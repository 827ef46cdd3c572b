#include "engine/modshortestpath.h"

#include "engine/nodetextreader.h"
#include "engine/solve.h"
#include "engine/tsplibreader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rundel::engine {

Result<std::string> ModShortestPath::load_nodefile(const std::string& path, std::size_t limit) {
    const auto fail = [](std::string reason) {
        return Result<std::string>::failure(std::move(reason));
    };
    // Non-blocking, so that a FIFO planted in the folder cannot hang the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return fail(std::strerror(errno));
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return fail(std::strerror(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        return fail(S_ISDIR(info.st_mode) ? std::string(std::strerror(EISDIR))
                                          : std::string("通常のファイルではありません"));
    }
    const auto too_large = [&] {
        return fail("ファイルが大きすぎます (上限 " + std::to_string(limit) + " バイト)");
    };
    if (static_cast<std::uintmax_t>(info.st_size) > limit) {
        ::close(fd);
        return too_large();
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            ::close(fd);
            return fail(std::strerror(error));
        }
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > limit) { // the file grew while being read
            ::close(fd);
            return too_large();
        }
    }
    ::close(fd);
    return text;
}

Status ModShortestPath::read_nodefile(const std::string& path) {
    const Result<std::string> text = load_nodefile(path);
    if (!text) {
        return Status::failure(path + ": " + text.error());
    }
    Status read = read_nodetext(text.value());
    if (!read) {
        return Status::failure(path + ": " + read.error());
    }
    return read;
}

Status ModShortestPath::read_nodetext(std::string_view text) {
    if (TsplibReader::declares_weights(text)) {
        Result<Problem> problem = TsplibReader::read(text);
        if (!problem) {
            return Status::failure(problem.error());
        }
        problem_ = std::move(problem).value();
        node_count_ = problem_.size();
        return std::monostate{};
    }
    Status read = NodeTextReader::read(text, problem_.nodes, node_count_);
    if (read) {
        problem_.weight = EdgeWeight::Plane;
        problem_.exact.clear();
        problem_.matrix = CostMatrix();
        problem_.asymmetric = false;
        problem_.located = true;
    }
    return read;
}

std::int32_t ModShortestPath::find_farthest() const {
    return farthest_unvisited(problem_.nodes, node_count_);
}

Status ModShortestPath::insert_cheapest(std::int32_t k) {
    return engine::insert_cheapest(problem_.nodes, node_count_, tour_, tour_count_, k);
}

bool ModShortestPath::solve_tour(Construction construction) {
    if (node_count_ < 1) {
        tour_.clear();
        tour_count_ = 0;
        return false;
    }
    if (problem_.weight == EdgeWeight::Geo || problem_.weight == EdgeWeight::Explicit) {
        const std::vector<std::int32_t> order = construct(problem_);
        tour_.assign(1, 0);
        tour_.insert(tour_.end(), order.begin(), order.end());
        centre_x_ = centre_y_ = 0.0F;
    } else {
        const Centre centre = prepare_centre(problem_.nodes, node_count_);
        centre_x_ = centre.x;
        centre_y_ = centre.y;
        construct_on_table(problem_.nodes, node_count_, tour_, construction);
    }
    tour_count_ = node_count_;
    return true;
}

ImproveResult ModShortestPath::improve_tour(const ImproveOptions& options) {
    if (tour_count_ < 1 || tour_count_ != node_count_) {
        return {};
    }
    std::vector<std::int32_t> order;
    order.reserve(static_cast<std::size_t>(tour_count_));
    for (std::int32_t p = 1; p <= tour_count_; ++p) {
        order.push_back(tour_[static_cast<std::size_t>(p)] - 1);
    }
    const ImproveResult result = TourImprover::improve(problem_, order, options);
    const auto first = std::find(order.begin(), order.end(), 0);
    std::rotate(order.begin(), first, order.end());
    for (std::int32_t p = 1; p <= tour_count_; ++p) {
        tour_[static_cast<std::size_t>(p)] = order[static_cast<std::size_t>(p) - 1] + 1;
    }
    return result;
}

void ModShortestPath::clear_tourlist() {
    tour_list_.clear();
    tour_list_count_ = 0;
}

bool ModShortestPath::make_tourlist() {
    if (tour_count_ < 1) {
        return false;
    }
    tour_list_.reserve(tour_list_.size() + static_cast<std::size_t>(tour_count_));
    for (std::int32_t p = 1; p <= tour_count_; ++p) {
        tour_list_.push_back(std::to_string(tour_[static_cast<std::size_t>(p)]));
        ++tour_list_count_;
    }
    return true;
}

std::string ModShortestPath::route_text(std::string_view separator) const {
    if (tour_list_.empty()) {
        return {};
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < tour_list_.size(); ++i) {
        if (tour_list_[i] == "1") {
            start = i;
            break;
        }
    }
    std::string text;
    text.reserve(tour_list_.size() * (8 + separator.size()));
    auto append = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            text += tour_list_[i];
            text += separator;
        }
    };
    append(start, tour_list_.size());
    append(0, start);
    text += '1';
    return text;
}

} // namespace rundel::engine

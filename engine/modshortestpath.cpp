#include "engine/modshortestpath.h"

#include "engine/fastinsertion.h"
#include "engine/geometry.h"
#include "engine/nodetextreader.h"

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
    return read_nodetext(text.value());
}

Status ModShortestPath::read_nodetext(std::string_view text) {
    return NodeTextReader::read(text, nodes_, node_count_);
}

std::int32_t ModShortestPath::find_farthest() const {
    float best = -kSentinel;
    std::int32_t result = 0;
    for (std::int32_t i = 1; i <= node_count_; ++i) {
        const NodeRec& node = nodes_[static_cast<std::size_t>(i)];
        if (!node.visited && node.centre_dist > best) {
            best = node.centre_dist;
            result = i;
        }
    }
    return result;
}

Status ModShortestPath::insert_cheapest(std::int32_t k) {
    if (k < 1 || k > node_count_ || tour_count_ < 1 || tour_count_ >= node_count_ ||
        tour_.size() != nodes_.size()) {
        return Status::failure("insert_cheapest: ノード " + std::to_string(k) +
                               " を挿入できません");
    }
    const NodeRec& node_k = nodes_[static_cast<std::size_t>(k)];
    float best = kSentinel;
    std::int32_t pos = tour_count_ + 1;
    if (tour_count_ != 1) {
        for (std::int32_t i = 1; i <= tour_count_; ++i) {
            const std::int32_t j = i == tour_count_ ? 1 : i + 1;
            const NodeRec& a = nodes_[static_cast<std::size_t>(tour_[static_cast<std::size_t>(i)])];
            const NodeRec& b = nodes_[static_cast<std::size_t>(tour_[static_cast<std::size_t>(j)])];
            const float cost = insertion_cost(node_distance(a.x, a.y, node_k.x, node_k.y),
                                              node_distance(node_k.x, node_k.y, b.x, b.y),
                                              node_distance(a.x, a.y, b.x, b.y));
            if (cost < best) {
                best = cost;
                pos = i + 1;
            }
        }
    }
    for (std::int32_t p = tour_count_; p >= pos; --p) {
        tour_[static_cast<std::size_t>(p) + 1] = tour_[static_cast<std::size_t>(p)];
    }
    ++tour_count_;
    tour_[static_cast<std::size_t>(pos)] = k;
    nodes_[static_cast<std::size_t>(k)].visited = true;
    return std::monostate{};
}

void ModShortestPath::prepare_centre() {
    // The sums are held in float after each addition, as the tours depend on that rounding.
    float sum_x = 0.0F;
    float sum_y = 0.0F;
    for (std::int32_t i = 1; i <= node_count_; ++i) {
        NodeRec& node = nodes_[static_cast<std::size_t>(i)];
        node.visited = false;
        sum_x += node.x;
        sum_y += node.y;
    }
    centre_x_ = static_cast<float>(static_cast<double>(sum_x) / node_count_);
    centre_y_ = static_cast<float>(static_cast<double>(sum_y) / node_count_);
    for (std::int32_t i = 1; i <= node_count_; ++i) {
        NodeRec& node = nodes_[static_cast<std::size_t>(i)];
        node.centre_dist = node_distance(centre_x_, centre_y_, node.x, node.y);
    }
}

bool ModShortestPath::solve_tour(Construction construction) {
    if (node_count_ < 1) {
        tour_.clear();
        tour_count_ = 0;
        return false;
    }
    tour_.assign(static_cast<std::size_t>(node_count_) + 1, 0);
    prepare_centre();
    return construction == Construction::Reference ? solve_reference() : solve_fast();
}

bool ModShortestPath::solve_reference() {
    tour_count_ = 1;
    const std::int32_t first = find_farthest();
    nodes_[static_cast<std::size_t>(first)].visited = true;
    tour_[1] = first;
    for (std::int32_t step = 1; step < node_count_; ++step) {
        if (!insert_cheapest(find_farthest())) {
            return false; // cannot happen while a node is left: find_farthest names it
        }
    }
    return true;
}

bool ModShortestPath::solve_fast() {
    if (!FastInsertion::run(nodes_, node_count_, tour_)) {
        return solve_reference();
    }
    tour_count_ = node_count_;
    return true;
}

ImproveResult ModShortestPath::improve_tour(const ImproveOptions& options) {
    if (tour_count_ < 1 || tour_count_ != node_count_) {
        return {};
    }
    PointSet points;
    std::vector<std::int32_t> order;
    points.at.reserve(static_cast<std::size_t>(node_count_));
    for (std::int32_t i = 1; i <= node_count_; ++i) {
        const NodeRec& node = nodes_[static_cast<std::size_t>(i)];
        points.at.push_back({node.x, node.y});
    }
    order.reserve(static_cast<std::size_t>(tour_count_));
    for (std::int32_t p = 1; p <= tour_count_; ++p) {
        order.push_back(tour_[static_cast<std::size_t>(p)] - 1);
    }
    const ImproveResult result = TourImprover::improve(points, order, options);
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

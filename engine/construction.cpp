#include "engine/construction.h"

#include "engine/fastinsertion.h"
#include "engine/geometry.h"

namespace rundel::engine {
namespace {

std::size_t at(std::int32_t i) {
    return static_cast<std::size_t>(i);
}

void construct_reference(std::vector<NodeRec>& nodes, std::int32_t count,
                         std::vector<std::int32_t>& tour) {
    std::int32_t tour_count = 1;
    const std::int32_t first = farthest_unvisited(nodes, count);
    nodes[at(first)].visited = true;
    tour[1] = first;
    for (std::int32_t step = 1; step < count; ++step) {
        if (!insert_cheapest(nodes, count, tour, tour_count, farthest_unvisited(nodes, count))) {
            return; // cannot happen while a node is left: farthest_unvisited names it
        }
    }
}

} // namespace

Centre prepare_centre(std::vector<NodeRec>& nodes, std::int32_t count) {
    float sum_x = 0.0F;
    float sum_y = 0.0F;
    for (std::int32_t i = 1; i <= count; ++i) {
        NodeRec& node = nodes[at(i)];
        node.visited = false;
        sum_x += node.x;
        sum_y += node.y;
    }
    const Centre centre{static_cast<float>(static_cast<double>(sum_x) / count),
                        static_cast<float>(static_cast<double>(sum_y) / count)};
    for (std::int32_t i = 1; i <= count; ++i) {
        NodeRec& node = nodes[at(i)];
        node.centre_dist = node_distance(centre.x, centre.y, node.x, node.y);
    }
    return centre;
}

std::int32_t farthest_unvisited(const std::vector<NodeRec>& nodes, std::int32_t count) {
    float best = -kSentinel;
    std::int32_t result = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        const NodeRec& node = nodes[at(i)];
        if (!node.visited && node.centre_dist > best) {
            best = node.centre_dist;
            result = i;
        }
    }
    return result;
}

Status insert_cheapest(std::vector<NodeRec>& nodes, std::int32_t count,
                       std::vector<std::int32_t>& tour, std::int32_t& tour_count, std::int32_t k) {
    if (k < 1 || k > count || tour_count < 1 || tour_count >= count ||
        tour.size() != nodes.size()) {
        return Status::failure("insert_cheapest: ノード " + std::to_string(k) +
                               " を挿入できません");
    }
    const NodeRec& node_k = nodes[at(k)];
    float best = kSentinel;
    std::int32_t pos = tour_count + 1;
    if (tour_count != 1) {
        for (std::int32_t i = 1; i <= tour_count; ++i) {
            const std::int32_t j = i == tour_count ? 1 : i + 1;
            const NodeRec& a = nodes[at(tour[at(i)])];
            const NodeRec& b = nodes[at(tour[at(j)])];
            const float cost = insertion_cost(node_distance(a.x, a.y, node_k.x, node_k.y),
                                              node_distance(node_k.x, node_k.y, b.x, b.y),
                                              node_distance(a.x, a.y, b.x, b.y));
            if (cost < best) {
                best = cost;
                pos = i + 1;
            }
        }
    }
    for (std::int32_t p = tour_count; p >= pos; --p) {
        tour[at(p) + 1] = tour[at(p)];
    }
    ++tour_count;
    tour[at(pos)] = k;
    nodes[at(k)].visited = true;
    return std::monostate{};
}

void construct_on_table(std::vector<NodeRec>& nodes, std::int32_t count,
                        std::vector<std::int32_t>& tour, Construction construction) {
    tour.assign(at(count) + 1, 0);
    if (construction == Construction::Fast && FastInsertion::run(nodes, count, tour)) {
        return;
    }
    construct_reference(nodes, count, tour);
}

} // namespace rundel::engine

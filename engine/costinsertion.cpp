#include "engine/costinsertion.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace rundel::engine {
namespace {

std::size_t at(std::int32_t i) {
    return static_cast<std::size_t>(i);
}

/// The node with the least cost to and from all others.
std::int32_t central_node(std::int32_t count, const CostInsertion::Cost& cost) {
    std::vector<double> total(at(count), 0.0);
    for (std::int32_t a = 0; a < count; ++a) {
        for (std::int32_t b = 0; b < count; ++b) {
            if (a != b) {
                const double c = cost(a, b);
                total[at(a)] += c;
                total[at(b)] += c;
            }
        }
    }
    return static_cast<std::int32_t>(std::min_element(total.begin(), total.end()) - total.begin());
}

} // namespace

std::vector<std::int32_t> CostInsertion::run(std::int32_t count, const Cost& cost) {
    if (count < 1) {
        return {};
    }
    const std::int32_t centre = central_node(count, cost);
    std::vector<double> reach(at(count));
    for (std::int32_t i = 0; i < count; ++i) {
        reach[at(i)] = i == centre ? 0.0 : (cost(centre, i) + cost(i, centre)) / 2;
    }
    std::vector<std::int32_t> order(at(count));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&reach](std::int32_t a, std::int32_t b) {
        return reach[at(a)] > reach[at(b)];
    });

    // The tour as successor links from the opening node.
    std::vector<std::int32_t> next(at(count), -1);
    const std::int32_t first = order.front();
    next[at(first)] = first;
    for (std::size_t i = 1; i < order.size(); ++i) {
        const std::int32_t k = order[i];
        double best = std::numeric_limits<double>::infinity();
        std::int32_t after = first;
        std::int32_t a = first;
        do {
            const std::int32_t b = next[at(a)];
            const double added = cost(a, k) + cost(k, b) - (a == b ? 0.0 : cost(a, b));
            if (added < best) {
                best = added;
                after = a;
            }
            a = b;
        } while (a != first);
        next[at(k)] = next[at(after)];
        next[at(after)] = k;
    }
    std::vector<std::int32_t> tour;
    tour.reserve(at(count));
    std::int32_t node = first;
    do {
        tour.push_back(node);
        node = next[at(node)];
    } while (node != first);
    return tour;
}

} // namespace rundel::engine

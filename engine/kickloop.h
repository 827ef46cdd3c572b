#pragma once

#include "engine/splitmix.h"
#include "engine/tourimprover.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace rundel::engine {

/// The points whose surroundings may still hold a gain ("don't-look bits" the other way
/// round), each at most once.
class WorkQueue {
public:
    explicit WorkQueue(std::size_t points) : queued_(points, 0) { queue_.reserve(points); }

    void push(std::int32_t point) {
        auto& flag = queued_[static_cast<std::size_t>(point)];
        if (flag == 0) {
            flag = 1;
            queue_.push_back(point);
        }
    }

    /// Works the queue, which @p improve_at may grow, until empty: a point that gained is
    /// queued again. Returns the total gain.
    template <class Improve> double drain(Improve&& improve_at) {
        double gained = 0;
        std::size_t head = 0;
        while (head < queue_.size()) {
            const std::int32_t point = queue_[head++];
            queued_[static_cast<std::size_t>(point)] = 0;
            const double gain = improve_at(point);
            if (gain > 0) {
                gained += gain;
                push(point);
            }
            if (head > 4096 && head * 2 > queue_.size()) { // keep the queue's memory O(n)
                queue_.erase(queue_.begin(), queue_.begin() + static_cast<std::ptrdiff_t>(head));
                head = 0;
            }
        }
        queue_.clear();
        return gained;
    }

private:
    std::vector<std::uint8_t> queued_;
    std::vector<std::int32_t> queue_;
};

/// The closed length of @p order (points in the order of travel) over @p cost.
template <class Cost>
double closed_length(const Cost& cost, const std::vector<std::int32_t>& order) {
    double length = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        length += cost(order[i], order[i + 1 == order.size() ? 0 : i + 1]);
    }
    return length;
}

/// The iterated search's outer loop, shared by the searches: as many kicks as the budget
/// names (per node), each followed by its repair, unless the time cap ends them first.
template <class Search>
void run_kicks(Search& search, std::int32_t nodes, const ImproveOptions& options,
               ImproveResult& result) {
    Random random(options.seed);
    const double per_node = options.perturbations_per_node < 0 ? default_perturbations(nodes)
                                                               : options.perturbations_per_node;
    const auto kicks = static_cast<std::int64_t>(per_node * nodes);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(options.time_cap_seconds);
    for (; result.perturbations < kicks; ++result.perturbations) {
        if ((result.perturbations & 127) == 0) {
            if (options.time_cap_seconds > 0 && std::chrono::steady_clock::now() >= deadline) {
                result.capped = true;
                break;
            }
            if (options.keep_going && !options.keep_going(result.perturbations, kicks)) {
                result.stopped = true;
                break;
            }
        }
        search.kick(random);
    }
}

} // namespace rundel::engine

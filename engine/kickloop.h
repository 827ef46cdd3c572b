#pragma once

#include "engine/splitmix.h"
#include "engine/tourimprover.h"

#include <chrono>
#include <cstdint>

namespace rundel::engine {

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
        if (options.time_cap_seconds > 0 && (result.perturbations & 127) == 0 &&
            std::chrono::steady_clock::now() >= deadline) {
            result.capped = true;
            break;
        }
        search.kick(random);
    }
}

} // namespace rundel::engine

#pragma once

#include "engine/neighbourgrid.h"

#include <cstdint>
#include <vector>

namespace rundel::engine {

struct Problem;

/// The budget used when none is named: perturbations per node falling with the size, so
/// that small tours get a thorough search (at least 5,000 perturbations) and the time added
/// stays about a second up to 100,000 nodes and a few seconds at a million.
[[nodiscard]] double default_perturbations(std::int32_t nodes);

/// How hard TourImprover works. The same points, tour and options give the same result on
/// every run and machine, unless a time cap stops the search early.
struct ImproveOptions {
    /// Perturbations per node of the iterated local search; 0 runs the local search alone,
    /// a negative value asks for default_perturbations().
    double perturbations_per_node = -1;
    std::uint64_t seed = 1;
    /// Stops the perturbations after this many seconds; 0: no cap (fully reproducible).
    double time_cap_seconds = 0;
};

struct ImproveResult {
    double length_before = 0;
    double length_after = 0;
    std::int64_t perturbations = 0; ///< tried
    bool capped = false;            ///< the time cap ended the search
};

/// Shortens a closed tour: 2-opt and Or-opt (segments of 1 to 3 nodes, both orientations)
/// over nearest-neighbour candidate lists with a work queue, then iterated local search with
/// local double-bridge kicks, each kept only when the tour gets shorter. The tour is an array
/// with a position index; a reversal always flips the shorter side, which keeps moves cheap
/// even at a million nodes since candidate moves join near neighbours.
class TourImprover {
public:
    /// @param order a permutation of 0..points.size()-1, the visiting order; replaced by a
    /// tour never longer than it. Tours of fewer than 5 points are left as they are.
    static ImproveResult improve(const PointSet& points, std::vector<std::int32_t>& order,
                                 const ImproveOptions& options = {});

    /// The same over any problem's costs; @p order holds node numbers less one. The lengths
    /// reported are in the problem's own measure, and the tour never gets longer by it.
    /// Asymmetric costs go to DirectedSearch.
    static ImproveResult improve(const Problem& problem, std::vector<std::int32_t>& order,
                                 const ImproveOptions& options = {});

    /// The closed length of @p order over @p points.
    [[nodiscard]] static double tour_length(const PointSet& points,
                                            const std::vector<std::int32_t>& order);
};

} // namespace rundel::engine

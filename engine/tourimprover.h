#pragma once

#include "engine/neighbourgrid.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace rundel::engine {

struct Problem;

/// The budget used when none is named: perturbations per node falling with the size, so
/// that small tours get a thorough search (at least 3,000 perturbations) and the time added
/// stays about two seconds up to 100,000 nodes and under ten at a million.
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
    /// Asked every 128 perturbations, from the improving thread, with how many are done of
    /// how many; false ends the search there (the tour is the best found so far).
    std::function<bool(std::int64_t done, std::int64_t total)> keep_going;
};

struct ImproveResult {
    double length_before = 0;
    double length_after = 0;
    std::int64_t perturbations = 0; ///< tried
    bool capped = false;            ///< the time cap ended the search
    bool stopped = false;           ///< keep_going ended the search
};

/// An open route searched as a round trip: a stand-in point closes it, joined at no cost to
/// the fixed first and last stops and at a prohibitive cost to any other. With one end fixed,
/// its other leg costs the same whatever it joins, so that end is free.
struct StandIn {
    std::int32_t point = 0;  ///< the stand-in's index
    std::int32_t start = -1; ///< the fixed first stop, or -1
    std::int32_t end = -1;   ///< the fixed last stop, or -1
    double once = 0;         ///< more than the whole route: no move makes up for such a leg
    double never = 0;        ///< more than two of them

    StandIn(std::int32_t point_, std::int32_t start_, std::int32_t end_, double route_length)
        : point(point_), start(start_), end(end_), once(route_length + 1), never(2 * once + 1) {}

    /// The leg between the stand-in and @p other, travelled either way.
    [[nodiscard]] double either_way(std::int32_t other) const {
        const bool fixed = other == start || other == end;
        if (start >= 0 && end >= 0) {
            return fixed ? 0.0 : never;
        }
        if (start >= 0 || end >= 0) {
            return fixed ? 0.0 : once;
        }
        return 0.0;
    }
    /// The leg from @p from to @p to where one of them is the stand-in: stand-in → first stop,
    /// last stop → stand-in.
    [[nodiscard]] double directed(std::int32_t from, std::int32_t to) const {
        if (from == point) {
            return start < 0 || to == start ? 0.0 : never;
        }
        return end < 0 || from == end ? 0.0 : never;
    }
};

/// Shortens a closed tour: Lin–Kernighan chains of sequential 3-opt moves (2-opt among
/// them) and Or-opt (segments of 1 to 3 nodes, both orientations) over nearest-neighbour
/// candidate lists (for an explicit budget on a clustered plane layout, spread over the
/// quadrants) with a work queue, then iterated local search with local kicks (block swaps
/// for the quick default budget, double bridges for an explicit one), each kept only when
/// the tour gets shorter. The tour is an array with a position index;
/// a reversal always flips the shorter side, and the tentative steps of a chain only short
/// ones, which keeps moves cheap even at a million nodes since candidate moves join near
/// neighbours.
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

    /// Shortens a closed tour of @p count points (0-based) over any symmetric @p cost, with
    /// the candidates given; the points are not renumbered. For costs that only the caller
    /// knows (an open route closed through a stand-in point).
    static ImproveResult improve(std::int32_t count,
                                 const std::function<double(std::int32_t, std::int32_t)>& cost,
                                 const NeighbourLists& neighbours, std::vector<std::int32_t>& order,
                                 const ImproveOptions& options = {});

    /// Shortens an open route over plane @p points: @p path (0-based, first stop to last) is
    /// closed through a stand-in, its first stop fixed when @p start_fixed and its last when
    /// @p end_fixed; the result keeps them in place. Lengths are without a return.
    static ImproveResult improve_open(const PointSet& points, std::vector<std::int32_t>& path,
                                      bool start_fixed, bool end_fixed,
                                      const ImproveOptions& options = {});

    /// The closed length of @p order over @p points.
    [[nodiscard]] static double tour_length(const PointSet& points,
                                            const std::vector<std::int32_t>& order);
};

} // namespace rundel::engine

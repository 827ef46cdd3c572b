#pragma once

#include "engine/construction.h"
#include "engine/noderec.h"
#include "engine/problem.h"
#include "engine/result.h"
#include "engine/tourimprover.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rundel::engine {

/// The route engine: one problem (its node table, and its costs where they are not plane
/// distances), the tour built over it and the result list.
///
/// Every flow uses it in the order clear_tourlist(), read_nodetext(), solve_tour(),
/// make_tourlist() and then reads the list or route_text(). Node numbers are 1-based
/// positions in the node file; nodes() and tour() keep an unused slot at index 0 so that
/// they can be indexed by node number and tour position directly. It keeps that call order
/// over the engine's stateless parts: construct() and TourImprover, which solve() puts
/// together for callers that hold a Problem of their own.
class ModShortestPath {
public:
    /// The largest node file read: far more than the largest table the engine can solve in
    /// memory, and a bound for files that never end (a device behind a link).
    static constexpr std::size_t kMaxNodeFileBytes = std::size_t{1} << 30U;

    /// Reads a whole regular file of at most @p limit bytes; a FIFO, device or folder is
    /// refused without blocking. The failure says why, in words for a person.
    [[nodiscard]] static Result<std::string> load_nodefile(const std::string& path,
                                                           std::size_t limit = kMaxNodeFileBytes);

    /// load_nodefile, then read_nodetext. A file that cannot be read fails with its path and
    /// the reason.
    Status read_nodefile(const std::string& path);

    /// Parses a node text into the problem. A text whose header declares an EDGE_WEIGHT_TYPE is
    /// read as TSPLIB defines it (TsplibReader), and a failure then leaves the problem as it
    /// was; any other is a plain node file (NodeTextReader): its failures say why and where,
    /// and a text without a "NODE_COORD_SECTION" line leaves the table untouched.
    Status read_nodetext(std::string_view text);

    /// The unvisited node farthest from the centre (ties: lowest number); 0 when none.
    [[nodiscard]] std::int32_t find_farthest() const;

    /// Inserts node @p k at the cheapest place of the current tour (reference method); fails
    /// for a node or a tour it cannot be inserted into.
    Status insert_cheapest(std::int32_t k);

    /// Builds the tour over the current problem (construct(); plane coordinates on the table
    /// itself, by @p construction). False, quietly, when no table was ever read.
    bool solve_tour(Construction construction = Construction::Fast);

    /// Shortens the tour built by solve_tour() (see TourImprover); the tour then opens with
    /// node 1 and keeps its direction of travel. Lengths are in the problem's own measure.
    ImproveResult improve_tour(const ImproveOptions& options = {});

    void clear_tourlist();
    /// Appends the tour to the result list; false when there is no tour.
    bool make_tourlist();

    /// The result list rotated to start at node 1, every entry followed by @p separator,
    /// closed by "1" (for example 1/3/2/1). Empty when the list is empty.
    [[nodiscard]] std::string route_text(std::string_view separator) const;

    [[nodiscard]] const std::vector<NodeRec>& nodes() const { return problem_.nodes; }
    [[nodiscard]] const Problem& problem() const { return problem_; }
    [[nodiscard]] std::int32_t node_count() const { return node_count_; }
    [[nodiscard]] const std::vector<std::int32_t>& tour() const { return tour_; }
    [[nodiscard]] std::int32_t tour_count() const { return tour_count_; }
    [[nodiscard]] float centre_x() const { return centre_x_; }
    [[nodiscard]] float centre_y() const { return centre_y_; }
    [[nodiscard]] const std::vector<std::string>& tour_list() const { return tour_list_; }
    [[nodiscard]] std::int32_t tour_list_count() const { return tour_list_count_; }

private:
    Problem problem_;
    std::int32_t node_count_ = 0;
    std::vector<std::int32_t> tour_;
    std::int32_t tour_count_ = 0;
    float centre_x_ = 0.0F;
    float centre_y_ = 0.0F;
    std::vector<std::string> tour_list_;
    std::int32_t tour_list_count_ = 0;
};

} // namespace rundel::engine

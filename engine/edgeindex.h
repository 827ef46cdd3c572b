#pragma once

#include "engine/noderec.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace rundel::engine {

class OrderedTour;

/// A spatial index over the edges of a growing tour, for finding the cheapest insertion
/// place of a node without looking at every edge.
///
/// It is a k-d tree over all node positions, built once; every tour node owns the edge to its
/// successor. Each cell keeps, for the edges owned by its nodes, their bounding box, their
/// longest rounded length and the owner that comes first in the tour. From those a search
/// bounds the insertion cost of every edge below a cell from beneath, with margins for the
/// float rounding of the cost, so a cell is skipped only when none of its edges could beat or
/// tie the best place found so far.
class EdgeIndex {
public:
    /// @param nodes the node table, slot 0 unused; a node is in the tour when it is visited.
    EdgeIndex(const std::vector<NodeRec>& nodes, std::int32_t count);

    /// Takes note that the edge owned by @p node (a tour node) has changed or is new.
    void refresh(std::int32_t node, const OrderedTour& tour);

    /// The owner of the edge where inserting @p k costs least, the earliest one in the tour
    /// among equal costs; 0 when no place costs less than the sentinel.
    [[nodiscard]] std::int32_t cheapest_edge(std::int32_t k, const OrderedTour& tour);

private:
    struct Cell {
        float px0, py0, px1, py1; // bounding box of every node below the cell
        float ex0, ey0, ex1, ey1; // bounding box of the edges owned below the cell
        float lmax;               // longest rounded edge length owned below the cell
        std::int32_t head;        // owner that comes first in the tour; 0 when none
        std::int32_t lo, hi;      // range in order_
        std::int32_t child;       // first of two children; -1 for a leaf
        std::int32_t parent;      // -1 for the root
    };

    void build(std::int32_t cell, std::int32_t lo, std::int32_t hi);
    void refresh_leaf(Cell& cell, const OrderedTour& tour) const;
    static void merge(Cell& cell, const Cell& left, const Cell& right, const OrderedTour& tour);
    [[nodiscard]] static double lower_bound(const Cell& cell, float x, float y);

    const std::vector<NodeRec>& nodes_;
    std::vector<std::int32_t> order_;   // node numbers, grouped by leaf
    std::vector<std::int32_t> leaf_of_; // leaf cell of each node
    std::vector<Cell> cells_;
    std::vector<std::pair<std::int32_t, double>> stack_;
};

} // namespace rundel::engine

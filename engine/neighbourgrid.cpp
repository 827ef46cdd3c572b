#include "engine/neighbourgrid.h"

#include <algorithm>
#include <array>
#include <utility>

namespace rundel::engine {

namespace {

/// Points bucketed by square cells; cell c holds order[start[c] .. start[c + 1]).
struct Grid {
    double min_x = 0;
    double min_y = 0;
    double side = 1;
    std::int32_t cols = 1;
    std::int32_t rows = 1;
    std::vector<std::int32_t> start;
    std::vector<std::int32_t> order;

    [[nodiscard]] std::int32_t col_of(double v) const { return clamp_cell(v - min_x, cols); }
    [[nodiscard]] std::int32_t row_of(double v) const { return clamp_cell(v - min_y, rows); }
    [[nodiscard]] std::int32_t clamp_cell(double offset, std::int32_t limit) const {
        const double cell = std::floor(offset / side);
        return cell >= limit ? limit - 1 : std::max(0, static_cast<std::int32_t>(cell));
    }
    [[nodiscard]] std::size_t cell(std::int32_t col, std::int32_t row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(cols) +
               static_cast<std::size_t>(col);
    }
};

/// Square cells for about two points each; a flat or single-point layout gets one row or
/// one cell, so a line of points or a pile of duplicates still spreads or stays cheap.
void size_grid(Grid& grid, const PointSet& points) {
    const auto by_x = [](const Point& a, const Point& b) { return a.x < b.x; };
    const auto by_y = [](const Point& a, const Point& b) { return a.y < b.y; };
    const auto [min_x, max_x] = std::minmax_element(points.at.begin(), points.at.end(), by_x);
    const auto [min_y, max_y] = std::minmax_element(points.at.begin(), points.at.end(), by_y);
    grid.min_x = min_x->x;
    grid.min_y = min_y->y;
    const double width = max_x->x - min_x->x;
    const double height = max_y->y - min_y->y;
    const double cells = std::max(1.0, points.size() / 2.0);
    if (width > 0 && height > 0) {
        grid.side = std::sqrt(width * height / cells);
    } else if (width > 0 || height > 0) {
        grid.side = std::max(width, height) / cells;
    }
    if (!(grid.side > 0) || !std::isfinite(grid.side)) {
        grid.side = 1;
        return;
    }
    const double limit = cells + 1;
    grid.cols = static_cast<std::int32_t>(std::min(limit, std::floor(width / grid.side) + 1));
    grid.rows = static_cast<std::int32_t>(std::min(limit, std::floor(height / grid.side) + 1));
}

Grid make_grid(const PointSet& points) {
    Grid grid;
    size_grid(grid, points);
    const std::size_t cells = grid.cell(grid.cols - 1, grid.rows - 1) + 1;
    std::vector<std::size_t> cell_of(points.at.size());
    grid.start.assign(cells + 1, 0);
    for (std::size_t i = 0; i < cell_of.size(); ++i) {
        cell_of[i] = grid.cell(grid.col_of(points.at[i].x), grid.row_of(points.at[i].y));
        ++grid.start[cell_of[i] + 1];
    }
    for (std::size_t c = 0; c < cells; ++c) {
        grid.start[c + 1] += grid.start[c];
    }
    grid.order.resize(cell_of.size());
    std::vector<std::int32_t> fill(grid.start.begin(), grid.start.end() - 1);
    for (std::size_t i = 0; i < cell_of.size(); ++i) {
        grid.order[static_cast<std::size_t>(fill[cell_of[i]]++)] = static_cast<std::int32_t>(i);
    }
    return grid;
}

/// The k best candidates so far, nearest first (k is small: insertion is cheapest).
class Nearest {
public:
    Nearest(std::int32_t* out, std::int32_t k) : out_(out), k_(k) {}

    [[nodiscard]] bool full() const { return count_ == k_; }
    [[nodiscard]] double worst() const { return dist_[std::size_t(count_ - 1)]; }
    [[nodiscard]] std::int32_t count() const { return count_; }

    void offer(std::int32_t point, double squared) {
        if (full() && squared >= worst()) {
            return;
        }
        std::int32_t at = full() ? count_ - 1 : count_++;
        while (at > 0 && dist_[std::size_t(at - 1)] > squared) {
            dist_[std::size_t(at)] = dist_[std::size_t(at - 1)];
            out_[at] = out_[at - 1];
            --at;
        }
        dist_[std::size_t(at)] = squared;
        out_[at] = point;
    }

private:
    std::int32_t* out_;
    std::int32_t k_;
    std::array<double, kMaxNeighbours> dist_{};
    std::int32_t count_ = 0;
};

/// Offers every point of one cell; false once k duplicates at distance 0 are found, since
/// nothing can beat them and a pile of equal points must not be scanned whole.
bool scan_cell(const Grid& grid, const PointSet& points, std::size_t cell, std::int32_t self,
               Nearest& nearest) {
    const Point& from = points[self];
    for (std::int32_t i = grid.start[cell]; i < grid.start[cell + 1]; ++i) {
        const std::int32_t other = grid.order[static_cast<std::size_t>(i)];
        if (other == self) {
            continue;
        }
        const double dx = points[other].x - from.x;
        const double dy = points[other].y - from.y;
        nearest.offer(other, dx * dx + dy * dy);
        if (nearest.full() && nearest.worst() == 0) {
            return false;
        }
    }
    return true;
}

/// Offers each cell of the grid at Chebyshev distance @p r from (col, row), row by row, to
/// @p visit(cell, dx, dy); stops, returning false, as soon as @p visit returns false.
template <class Visit>
bool each_cell_of_ring(const Grid& grid, std::int32_t col, std::int32_t row, std::int32_t r,
                       Visit&& visit) {
    for (std::int32_t dy = -r; dy <= r; ++dy) {
        const std::int32_t y = row + dy;
        if (y < 0 || y >= grid.rows) {
            continue;
        }
        const bool edge_row = dy == -r || dy == r;
        for (std::int32_t dx = -r; dx <= r; dx += edge_row ? 1 : 2 * std::max(r, 1)) {
            const std::int32_t x = col + dx;
            if (x >= 0 && x < grid.cols && !visit(grid.cell(x, y), dx, dy)) {
                return false;
            }
        }
    }
    return true;
}

/// Scans the ring of cells at Chebyshev distance @p r around (col, row).
bool scan_ring(const Grid& grid, const PointSet& points, std::int32_t col, std::int32_t row,
               std::int32_t r, std::int32_t self, Nearest& nearest) {
    return each_cell_of_ring(grid, col, row, r, [&](std::size_t cell, std::int32_t, std::int32_t) {
        return scan_cell(grid, points, cell, self, nearest);
    });
}

void find_nearest(const Grid& grid, const PointSet& points, std::int32_t self, Nearest& nearest) {
    const std::int32_t col = grid.col_of(points[self].x);
    const std::int32_t row = grid.row_of(points[self].y);
    const std::int32_t last_ring = std::max(grid.cols, grid.rows);
    for (std::int32_t r = 0; r <= last_ring; ++r) {
        if (!scan_ring(grid, points, col, row, r, self, nearest)) {
            return;
        }
        // Every point beyond ring r lies more than r cell sides away.
        const double reach = r * grid.side;
        if (nearest.full() && nearest.worst() <= reach * reach) {
            return;
        }
    }
}

void sort_by_distance(const PointSet& points, std::int32_t from, std::vector<std::int32_t>& list) {
    const Point& at = points[from];
    const auto squared = [&](std::int32_t other) {
        const double dx = points[other].x - at.x;
        const double dy = points[other].y - at.y;
        return dx * dx + dy * dy;
    };
    std::sort(list.begin(), list.end(),
              [&](std::int32_t a, std::int32_t b) { return squared(a) < squared(b); });
}

/// Rings of cells searched for quadrant neighbours: far enough to cross the gaps between
/// clusters that matter to a tour, near enough that a point on the rim of the layout, with
/// a quadrant empty, does not scan the whole grid.
constexpr std::int32_t kQuadrantRings = 8;
/// Quadrant neighbours looked for in each quadrant.
constexpr std::int32_t kPerQuadrant = 2;

/// The quadrant of @p offset around a point: 0 to 3 counterclockwise from +x.
int quadrant_of(double dx, double dy) {
    if (dx > 0 && dy >= 0) {
        return 0;
    }
    if (dx <= 0 && dy > 0) {
        return 1;
    }
    return dx < 0 ? 2 : 3;
}

/// The quadrants a cell (dx, dy) cells away may hold points of, as bits.
unsigned quadrants_of_cell(std::int32_t dx, std::int32_t dy) {
    return (dx >= 0 && dy >= 0 ? 1U : 0U) | (dx <= 0 && dy >= 0 ? 2U : 0U) |
           (dx <= 0 && dy <= 0 ? 4U : 0U) | (dx >= 0 && dy <= 0 ? 8U : 0U);
}

/// The nearest kPerQuadrant points in each quadrant around @p self, within kQuadrantRings
/// rings of cells; skips cells whose quadrants are settled.
class QuadrantSearch {
public:
    QuadrantSearch(const Grid& grid, const PointSet& points) : grid_(grid), points_(points) {}

    /// Fills @p found with the quadrant neighbours of @p self, nearest first.
    void run(std::int32_t self, std::vector<std::int32_t>& found) {
        std::array<Nearest, 4> quarter{Nearest(&slots_[0], kPerQuadrant),
                                       Nearest(&slots_[kPerQuadrant], kPerQuadrant),
                                       Nearest(&slots_[2 * kPerQuadrant], kPerQuadrant),
                                       Nearest(&slots_[3 * kPerQuadrant], kPerQuadrant)};
        const std::int32_t col = grid_.col_of(points_[self].x);
        const std::int32_t row = grid_.row_of(points_[self].y);
        unsigned settled = 0; // bit q: nothing further out can enter quadrant q
        for (std::int32_t r = 0; r <= kQuadrantRings && settled != 15U; ++r) {
            scan_ring(self, col, row, r, settled, quarter);
            const double reach = r * grid_.side;
            for (std::size_t q = 0; q < 4; ++q) {
                if (quarter[q].full() && quarter[q].worst() <= reach * reach) {
                    settled |= 1U << q;
                }
            }
        }
        found.clear();
        for (std::size_t q = 0; q < 4; ++q) {
            found.insert(found.end(), &slots_[q * kPerQuadrant],
                         &slots_[q * kPerQuadrant] + quarter[q].count());
        }
        sort_by_distance(points_, self, found);
    }

private:
    void scan_ring(std::int32_t self, std::int32_t col, std::int32_t row, std::int32_t r,
                   unsigned settled, std::array<Nearest, 4>& quarter) const {
        const Point& from = points_[self];
        each_cell_of_ring(
            grid_, col, row, r, [&](std::size_t cell, std::int32_t dx, std::int32_t dy) {
                if ((quadrants_of_cell(dx, dy) & ~settled) == 0) {
                    return true; // nothing here can enter a quadrant still open
                }
                for (std::int32_t i = grid_.start[cell]; i < grid_.start[cell + 1]; ++i) {
                    const std::int32_t other = grid_.order[static_cast<std::size_t>(i)];
                    const double ox = points_[other].x - from.x;
                    const double oy = points_[other].y - from.y;
                    if (ox != 0 || oy != 0) { // itself and its duplicates lie in no quadrant
                        quarter[static_cast<std::size_t>(quadrant_of(ox, oy))].offer(
                            other, ox * ox + oy * oy);
                    }
                }
                return true;
            });
    }

    const Grid& grid_;
    const PointSet& points_;
    std::array<std::int32_t, 4 * kPerQuadrant> slots_{};
};

} // namespace

NeighbourLists::NeighbourLists(const PointSet& points, std::int32_t k)
    : k_(std::clamp<std::int32_t>(std::min(k, points.size() - 1), 1, kMaxNeighbours)) {
    const auto n = static_cast<std::size_t>(points.size());
    list_.assign(n * static_cast<std::size_t>(k_), 0);
    counts_.assign(n, 0);
    if (points.size() < 2) {
        return;
    }
    const Grid grid = make_grid(points);
    for (std::int32_t p = 0; p < points.size(); ++p) {
        Nearest nearest(&list_[static_cast<std::size_t>(p) * static_cast<std::size_t>(k_)], k_);
        find_nearest(grid, points, p, nearest);
        counts_[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(nearest.count());
    }
}

NeighbourLists::NeighbourLists(std::int32_t count, std::int32_t k,
                               const std::function<double(std::int32_t, std::int32_t)>& cost)
    : k_(std::clamp<std::int32_t>(std::min(k, count - 1), 1, kMaxNeighbours)) {
    const auto n = static_cast<std::size_t>(std::max(count, 0));
    list_.assign(n * static_cast<std::size_t>(k_), 0);
    counts_.assign(n, 0);
    for (std::int32_t p = 0; p < count; ++p) {
        Nearest nearest(&list_[static_cast<std::size_t>(p) * static_cast<std::size_t>(k_)], k_);
        for (std::int32_t q = 0; q < count; ++q) {
            if (q != p) {
                nearest.offer(q, cost(p, q));
            }
        }
        counts_[static_cast<std::size_t>(p)] = static_cast<std::uint8_t>(nearest.count());
    }
}

void NeighbourLists::spread(const PointSet& points, std::int32_t kept) {
    if (points.size() < 2 || kept >= k_) {
        return;
    }
    const Grid grid = make_grid(points);
    QuadrantSearch search(grid, points);
    std::vector<std::int32_t> found;
    std::vector<std::int32_t> merged;
    for (std::int32_t p = 0; p < points.size(); ++p) {
        std::int32_t* list = &list_[static_cast<std::size_t>(p) * static_cast<std::size_t>(k_)];
        const std::int32_t count = counts_[static_cast<std::size_t>(p)];
        search.run(p, found);
        merged.assign(list, list + std::min(kept, count));
        const auto take = [&](const std::int32_t* from, std::size_t size) {
            for (std::size_t i = 0; i < size && std::cmp_less(merged.size(), count); ++i) {
                if (std::find(merged.begin(), merged.end(), from[i]) == merged.end()) {
                    merged.push_back(from[i]);
                }
            }
        };
        take(found.data(), found.size());            // the directions first,
        take(list, static_cast<std::size_t>(count)); // then the nearest again
        sort_by_distance(points, p, merged);
        std::copy(merged.begin(), merged.end(), list);
    }
}

void NeighbourLists::add(const std::vector<std::int32_t>& neighbours) {
    const std::size_t taken = std::min(neighbours.size(), static_cast<std::size_t>(k_));
    const std::size_t first = list_.size();
    list_.resize(first + static_cast<std::size_t>(k_), 0);
    std::copy_n(neighbours.begin(), taken, list_.begin() + static_cast<std::ptrdiff_t>(first));
    counts_.push_back(static_cast<std::uint8_t>(taken));
}

} // namespace rundel::engine

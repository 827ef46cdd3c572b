#include "engine/directedsearch.h"

#include "engine/kickloop.h"

#include <algorithm>

namespace rundel::engine {
namespace {

/// Candidates per node and direction.
constexpr std::int32_t kCandidates = 10;
/// Candidates tried for the third leg of an exchange, for each second leg.
constexpr std::int32_t kBreadth = 5;
/// Longest segment Or-opt moves.
constexpr std::int32_t kOrOptSegment = 3;
/// Bridges in one kick.
constexpr int kBridges = 3;
/// The kicks of the default budget (at least two a point).
constexpr double kDefaultKicks = 1000;
/// Longest block a kick swaps.
constexpr std::int32_t kKickBlock = 30;

/// What each leg costs more backwards than forwards, by the position it leaves, with
/// prefix sums that are brought up to date when first asked after a change.
class LegExtras {
public:
    explicit LegExtras(std::int32_t size) : value_(idx(size), 0.0), prefix_(idx(size) + 1, 0.0) {}

    [[nodiscard]] double operator[](std::int32_t p) const { return value_[idx(p)]; }
    void set(std::int32_t p, double value) {
        value_[idx(p)] = value;
        dirty_ = std::min(dirty_, idx(p));
    }
    /// The sum over the positions from..to going forward, both included.
    [[nodiscard]] double range(std::int32_t from, std::int32_t to) {
        if (dirty_ < value_.size()) {
            for (std::size_t p = dirty_; p < value_.size(); ++p) {
                prefix_[p + 1] = prefix_[p] + value_[p];
            }
            dirty_ = value_.size();
        }
        if (from <= to) {
            return prefix_[idx(to) + 1] - prefix_[idx(from)];
        }
        return prefix_.back() - prefix_[idx(from)] + prefix_[idx(to) + 1];
    }

private:
    static std::size_t idx(std::int32_t i) { return static_cast<std::size_t>(i); }

    std::vector<double> value_;
    std::vector<double> prefix_;
    std::size_t dirty_ = 0;
};

/// The tour as an array with each point's position, and what each leg costs more backwards
/// than forwards, so that the cost of travelling any part backwards is known at once. A
/// change moves the legs inside the blocks it moves along with them; only the legs at the
/// seams are measured again.
template <class Cost> class BlockTour {
public:
    BlockTour(std::vector<std::int32_t> order, const Cost& cost)
        : n_(static_cast<std::int32_t>(order.size())), at_(std::move(order)), pos_(at_.size()),
          cost_(cost), extra_(n_) {
        for (std::int32_t p = 0; p < n_; ++p) {
            pos_[idx(at_[idx(p)])] = p;
            measure_leg(p);
        }
    }

    [[nodiscard]] std::int32_t size() const { return n_; }
    [[nodiscard]] const std::vector<std::int32_t>& order() const { return at_; }
    [[nodiscard]] std::int32_t at(std::int32_t p) const { return at_[idx(wrap(p))]; }
    [[nodiscard]] std::int32_t pos(std::int32_t point) const { return pos_[idx(point)]; }
    [[nodiscard]] std::int32_t next(std::int32_t point) const { return at(pos(point) + 1); }
    [[nodiscard]] std::int32_t prev(std::int32_t point) const { return at(pos(point) - 1); }
    /// How many steps forward from @p from to @p to (0 when equal).
    [[nodiscard]] std::int32_t ahead(std::int32_t from, std::int32_t to) const {
        return wrap(pos(to) - pos(from));
    }
    /// A position in -n..2n-1 brought into 0..n-1 (no division: this runs in every move).
    [[nodiscard]] std::int32_t wrap(std::int32_t p) const {
        return p >= n_ ? p - n_ : (p < 0 ? p + n_ : p);
    }
    /// What travelling the path from @p first forward to @p last costs more backwards.
    [[nodiscard]] double reversal_extra(std::int32_t first, std::int32_t last) {
        if (first == last) {
            return 0;
        }
        return extra_.range(pos(first), wrap(pos(last) - 1));
    }

    /// The blocks of @p first and @p second points from position @p start swap places.
    void swap_blocks(std::int32_t start, std::int32_t first, std::int32_t second) {
        const std::int32_t length = first + second;
        gather(start, length);
        std::rotate(points_.begin(), points_.begin() + first, points_.end());
        // Inside each block the legs stay as they were; the seam between them is new.
        std::rotate(legs_.begin(), legs_.begin() + first, legs_.end());
        scatter(start, length);
        measure_leg(start + second - 1);
    }

    /// The @p length points from position @p start are travelled in the opposite order.
    void reverse(std::int32_t start, std::int32_t length) {
        gather(start, length);
        std::reverse(points_.begin(), points_.end());
        // A leg travelled the other way costs what its extra was less.
        std::reverse(legs_.begin(), legs_.end() - 1);
        for (std::size_t i = 0; i + 1 < legs_.size(); ++i) {
            legs_[i] = -legs_[i];
        }
        scatter(start, length);
    }

private:
    static std::size_t idx(std::int32_t i) { return static_cast<std::size_t>(i); }

    /// Takes the points of the window and the legs inside it (the last slot is for the leg
    /// that leaves the window).
    void gather(std::int32_t start, std::int32_t length) {
        points_.resize(idx(length));
        legs_.resize(idx(length));
        for (std::int32_t i = 0; i < length; ++i) {
            points_[idx(i)] = at(start + i);
            legs_[idx(i)] = extra_[wrap(start + i)];
        }
    }

    void scatter(std::int32_t start, std::int32_t length) {
        for (std::int32_t i = 0; i < length; ++i) {
            const std::int32_t p = wrap(start + i);
            at_[idx(p)] = points_[idx(i)];
            pos_[idx(points_[idx(i)])] = p;
            if (i + 1 < length) {
                extra_.set(p, legs_[idx(i)]);
            }
        }
        measure_leg(start - 1);
        measure_leg(start + length - 1);
    }

    void measure_leg(std::int32_t p) {
        p = wrap(p);
        const std::int32_t a = at_[idx(p)];
        const std::int32_t b = at(p + 1);
        extra_.set(p, cost_(b, a) - cost_(a, b));
    }

    std::int32_t n_;
    std::vector<std::int32_t> at_;
    std::vector<std::int32_t> pos_;
    const Cost& cost_;
    LegExtras extra_;
    std::vector<std::int32_t> points_;
    std::vector<double> legs_;
};

template <class Cost> class Search {
public:
    Search(std::int32_t count, const Cost& cost, std::vector<std::int32_t> order, double epsilon)
        : cost_(cost), out_(count, kCandidates, cost),
          in_(count, kCandidates, [&cost](std::int32_t a, std::int32_t b) { return cost(b, a); }),
          tour_(std::move(order), cost), epsilon_(epsilon),
          queue_(static_cast<std::size_t>(count)) {}

    [[nodiscard]] const std::vector<std::int32_t>& order() const { return tour_.order(); }

    void optimise_all() {
        for (std::int32_t p = 0; p < tour_.size(); ++p) {
            push(tour_.at(p));
        }
        drain();
    }

    /// One kick and the repair around it; kept only when the tour got shorter.
    void kick(Random& random) {
        undo_.clear();
        kicking_ = true;
        // Three bridges: the repair undoes a single one as a rule (one exchange does it).
        double change = 0;
        for (int i = 0; i < kBridges; ++i) {
            change += double_bridge(random);
        }
        const double gained = drain();
        kicking_ = false;
        if (change - gained < -epsilon_) {
            return;
        }
        for (std::size_t i = undo_.size(); i-- > 0;) {
            const Swap& swap = undo_[i];
            if (swap.first == 0) {
                tour_.reverse(swap.start, swap.second);
            } else {
                tour_.swap_blocks(swap.start, swap.second, swap.first);
            }
        }
    }

private:
    /// A change made, to be undone: blocks swapped, or (first 0) a part reversed.
    struct Swap {
        std::int32_t start, first, second;
    };

    [[nodiscard]] double d(std::int32_t a, std::int32_t b) const { return cost_(a, b); }

    void push(std::int32_t point) { queue_.push(point); }

    /// Works the queue until empty; returns the total gain.
    double drain() {
        return queue_.drain([this](std::int32_t point) { return improve_at(point); });
    }

    double improve_at(std::int32_t a) {
        if (const double gain = try_two_opt(a); gain > 0) {
            return gain;
        }
        if (const double gain = try_or_opt(a); gain > 0) {
            return gain;
        }
        return try_exchange(a);
    }

    /// a→b … c→d becomes a→c … b→d, the part b..c travelled backwards at its own costs;
    /// either c is one of a's cheapest successors, or (a as b) d one of b's.
    double try_two_opt(std::int32_t a) {
        const std::int32_t b = tour_.next(a);
        const double ab = d(a, b);
        for (std::int32_t i = 0; i < out_.count(a); ++i) {
            const std::int32_t c = out_.of(a)[i];
            const double g1 = ab - d(a, c);
            if (g1 <= epsilon_) {
                break;
            }
            if (const double gain = two_opt(a, b, c, tour_.next(c)); gain > 0) {
                return gain;
            }
        }
        // a in the role of b: a→d is the new edge, with the leg before a.
        const std::int32_t before = tour_.prev(a);
        const double into = d(before, a);
        for (std::int32_t i = 0; i < out_.count(a); ++i) {
            const std::int32_t dd = out_.of(a)[i];
            const double g1 = into - d(a, dd);
            if (g1 <= epsilon_) {
                break;
            }
            if (const double gain = two_opt(before, a, tour_.prev(dd), dd); gain > 0) {
                return gain;
            }
        }
        return 0;
    }

    /// Reverses b..c between a and d when that gains.
    double two_opt(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t dd) {
        const std::int32_t span = tour_.ahead(a, c);
        if (span < 2 || span + 1 >= tour_.size()) {
            return 0;
        }
        const double gain = d(a, b) + d(c, dd) - d(a, c) - d(b, dd) - tour_.reversal_extra(b, c);
        if (gain <= epsilon_) {
            return 0;
        }
        reverse(tour_.pos(b), span);
        push_all({a, b, c, dd});
        return gain;
    }

    /// The tour read from @p start as three blocks P, Q, R (lengths @p p and @p q, R the rest)
    /// becomes Q P R. Of the three block swaps that do this, the one moving fewest points.
    void exchange(std::int32_t start, std::int32_t p, std::int32_t q) {
        const std::int32_t r = tour_.size() - p - q;
        Swap swap{start, p, q};
        if (q + r < p + q && q + r <= r + p) {
            swap = {start + p, q, r};
        } else if (r + p < p + q) {
            swap = {start + p + q, r, p};
        }
        swap.start = tour_.wrap(swap.start);
        tour_.swap_blocks(swap.start, swap.first, swap.second);
        if (kicking_) {
            undo_.push_back(swap);
        }
    }

    /// Moves the segment a..last (1 to 3 points forward from a) between c and its successor,
    /// where c is one of a's cheapest predecessors, or between an e and its predecessor, where
    /// e is one of the last point's cheapest successors.
    double try_or_opt(std::int32_t a) {
        const std::int32_t before = tour_.prev(a);
        std::int32_t last = a;
        const std::int32_t longest = std::min(kOrOptSegment, tour_.size() - 3);
        for (std::int32_t length = 1; length <= longest; ++length) {
            if (length > 1) {
                last = tour_.next(last);
            }
            const std::int32_t after = tour_.next(last);
            const double removed = d(before, a) + d(last, after) - d(before, after);
            if (removed <= epsilon_) {
                continue;
            }
            const Segment segment{a, last, before, after, length, removed};
            for (const bool reversed : {false, true}) {
                if (const double gain = place_segment(segment, reversed); gain > 0) {
                    return gain;
                }
            }
        }
        return 0;
    }

    struct Segment {
        std::int32_t first, last, before, after, length;
        double removed;
    };

    /// Places the segment between c and its successor e, travelled forwards (c→first,
    /// last→e) or backwards (c→last, first→e), where c is one of the cheapest predecessors
    /// of its new first point, or e one of the cheapest successors of its new last point.
    double place_segment(const Segment& s, bool reversed) {
        const std::int32_t head = reversed ? s.last : s.first;
        const std::int32_t tail = reversed ? s.first : s.last;
        const double extra = reversed ? tour_.reversal_extra(s.first, s.last) : 0.0;
        const auto place = [&](std::int32_t c, std::int32_t e) {
            // c must lie outside the segment and not be its own predecessor.
            if (tour_.ahead(s.first, c) < s.length || c == s.before) {
                return 0.0;
            }
            const double gain = s.removed - (d(c, head) + d(tail, e) - d(c, e) + extra);
            if (gain <= epsilon_) {
                return 0.0;
            }
            exchange(tour_.pos(s.first), s.length, tour_.ahead(s.after, c) + 1);
            if (reversed) {
                reverse(tour_.pos(s.first), s.length);
            }
            push_all({s.before, s.after, s.first, s.last, c, e});
            return gain;
        };
        for (std::int32_t i = 0; i < in_.count(head); ++i) {
            const std::int32_t c = in_.of(head)[i];
            if (d(c, head) >= s.removed) {
                break;
            }
            if (const double gain = place(c, tour_.next(c)); gain > 0) {
                return gain;
            }
        }
        for (std::int32_t i = 0; i < out_.count(tail); ++i) {
            const std::int32_t e = out_.of(tail)[i];
            if (d(tail, e) >= s.removed) {
                break;
            }
            if (const double gain = place(tour_.prev(e), e); gain > 0) {
                return gain;
            }
        }
        return 0;
    }

    /// Reverses the @p length points from position @p start, noted for undoing.
    void reverse(std::int32_t start, std::int32_t length) {
        tour_.reverse(start, length);
        if (kicking_) {
            undo_.push_back({start, 0, length});
        }
    }

    /// a→b … c→d … e→f becomes a→d … e→b … c→f: the parts b..c and d..e swap places.
    /// d is one of a's cheapest successors, e one of b's cheapest predecessors.
    double try_exchange(std::int32_t a) {
        const std::int32_t b = tour_.next(a);
        const double ab = d(a, b);
        for (std::int32_t i = 0; i < out_.count(a); ++i) {
            const std::int32_t dd = out_.of(a)[i];
            const double g1 = ab - d(a, dd);
            if (g1 <= epsilon_) {
                break;
            }
            const std::int32_t to_d = tour_.ahead(a, dd);
            if (to_d < 2) {
                continue;
            }
            const std::int32_t c = tour_.prev(dd);
            const double g2 = g1 + d(c, dd);
            // The third new leg from b's cheapest predecessors, or from c's cheapest successors.
            for (std::int32_t j = 0; j < std::min(kBreadth, in_.count(b)); ++j) {
                const std::int32_t e = in_.of(b)[j];
                if (g2 - d(e, b) <= epsilon_) {
                    break;
                }
                if (const double gain = exchange_if_gains(a, dd, e, g2); gain > 0) {
                    return gain;
                }
            }
            for (std::int32_t j = 0; j < std::min(kBreadth, out_.count(c)); ++j) {
                const std::int32_t f = out_.of(c)[j];
                if (g2 - d(c, f) <= epsilon_) {
                    break;
                }
                if (const double gain = exchange_if_gains(a, dd, tour_.prev(f), g2); gain > 0) {
                    return gain;
                }
            }
        }
        return 0;
    }

    /// The exchange of try_exchange() for a, d and e, made when it gains; @p g2 is what
    /// a→d gains over a→b and c→d.
    double exchange_if_gains(std::int32_t a, std::int32_t dd, std::int32_t e, double g2) {
        const std::int32_t to_d = tour_.ahead(a, dd);
        const std::int32_t to_e = tour_.ahead(a, e);
        if (to_e < to_d) {
            return 0;
        }
        const std::int32_t b = tour_.next(a);
        const std::int32_t c = tour_.prev(dd);
        const std::int32_t f = tour_.next(e);
        const double gain = g2 - d(e, b) + d(e, f) - d(c, f);
        if (gain <= epsilon_) {
            return 0;
        }
        exchange(tour_.pos(b), to_d - 1, to_e - to_d + 1);
        push_all({a, b, c, dd, e, f});
        return gain;
    }

    void push_all(std::initializer_list<std::int32_t> points) {
        for (const std::int32_t point : points) {
            push(point);
        }
    }

    /// Swaps two neighbouring blocks of at most kKickBlock points; returns the length added.
    double double_bridge(Random& random) {
        const std::int32_t n = tour_.size();
        const std::int32_t most = std::max(1, std::min(kKickBlock, (n - 1) / 3));
        const std::int32_t start = random.below(n);
        const std::int32_t l1 = 1 + random.below(most);
        const std::int32_t l2 = 1 + random.below(most);
        const std::int32_t x = tour_.at(start - 1);
        const std::int32_t a0 = tour_.at(start);
        const std::int32_t a1 = tour_.at(start + l1 - 1);
        const std::int32_t b0 = tour_.at(start + l1);
        const std::int32_t b1 = tour_.at(start + l1 + l2 - 1);
        const std::int32_t y = tour_.at(start + l1 + l2);
        const double removed = d(x, a0) + d(a1, b0) + d(b1, y);
        if ((random.next() & 1U) != 0) {
            // B also turned round: a change of direction that the moves rarely make alone.
            const double change =
                d(x, b1) + d(b0, a0) + d(a1, y) + tour_.reversal_extra(b0, b1) - removed;
            exchange(start, l1, l2);
            reverse(tour_.pos(b0), l2);
            push_all({x, a0, a1, b0, b1, y});
            return change;
        }
        const double change = d(x, b0) + d(b1, a0) + d(a1, y) - removed;
        exchange(start, l1, l2);
        push_all({x, a0, a1, b0, b1, y});
        return change;
    }

    const Cost& cost_;
    NeighbourLists out_;
    NeighbourLists in_;
    BlockTour<Cost> tour_;
    double epsilon_;
    WorkQueue queue_;
    bool kicking_ = false;
    std::vector<Swap> undo_;
};

template <class Cost>
ImproveResult improve_with(std::int32_t count, const Cost& cost, std::vector<std::int32_t>& order,
                           const ImproveOptions& options) {
    ImproveResult result;
    result.length_before = closed_length(cost, order);
    result.length_after = result.length_before;
    if (count < 4) {
        return result;
    }
    const double epsilon = std::max(result.length_before, 1.0) / count * 1e-9;
    Search<Cost> search(count, cost, order, epsilon);
    search.optimise_all();
    ImproveOptions budget = options;
    if (budget.perturbations_per_node < 0) {
        // Each kick here is three bridges, and worth several of the plane search's.
        budget.perturbations_per_node = std::max(2.0, kDefaultKicks / count);
    }
    run_kicks(search, count, budget, result);
    const double length = closed_length(cost, search.order());
    if (length < result.length_before) {
        order = search.order();
        result.length_after = length;
    }
    return result;
}

/// A matrix's cells, read without a call through a function object.
struct MatrixCells {
    const CostMatrix& matrix;
    double operator()(std::int32_t a, std::int32_t b) const { return matrix(a, b); }
};

} // namespace

ImproveResult DirectedSearch::improve(std::int32_t count, const Cost& cost,
                                      std::vector<std::int32_t>& order,
                                      const ImproveOptions& options) {
    return improve_with(count, cost, order, options);
}

ImproveResult DirectedSearch::improve(const CostMatrix& matrix, std::vector<std::int32_t>& order,
                                      const ImproveOptions& options) {
    return improve_with(matrix.size(), MatrixCells{matrix}, order, options);
}

} // namespace rundel::engine

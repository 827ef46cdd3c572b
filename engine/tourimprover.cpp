#include "engine/tourimprover.h"

#include "engine/directedsearch.h"
#include "engine/kickloop.h"
#include "engine/problem.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

namespace rundel::engine {
namespace {

/// Candidates per node: enough for 2-opt and Or-opt to find what a larger list would.
constexpr std::int32_t kCandidates = 8;
/// TSPLIB distances are tabulated for the search up to this many nodes (16 MB).
constexpr std::int32_t kTabulated = 2048;
/// Candidates tried for the third exchange of a 3-opt move.
constexpr std::int32_t kDeepBreadth = 5;
/// 3-opt steps a Lin–Kernighan chain may take before it must have gained.
constexpr std::int32_t kChainSteps = 5;
/// Up to this many nodes the default budget searches with plain 3-opt moves (chains of one
/// step): in its short time many cheap kicks find more there than fewer deep ones. Above it
/// the budget is a fraction of a kick a node, and the depth of each local optimum counts.
constexpr std::int32_t kQuickNodes = 25000;
/// Longest flip a tentative step of a chain may make.
constexpr std::int32_t kTentativeFlip = 1000;
/// Up to this many nodes each candidate's cost is kept (64 bytes a node at 8 candidates):
/// the search reads it at every step.
constexpr std::int32_t kCachedNodes = 250000;
/// Longest segment Or-opt moves.
constexpr std::int32_t kOrOptSegment = 3;
/// How improve N kicks: a double bridge (three adjacent blocks of up to kBridgeBlock nodes
/// put back in the opposite order), a change of four edges that no sequential move of the
/// repair can simply take back, so each kick leads somewhere new: on usa13509 a third of the
/// gap left at the same number of kicks, which pays for its costlier repair.
constexpr std::int32_t kBridgeBlock = 150;
/// The quick default budget, whose time is its point, swaps two adjacent blocks of up to
/// kQuickKickBlock nodes instead: a cheaper kick of three edges, long enough that the 3-opt
/// moves of the repair do not simply swap the blocks back.
constexpr std::int32_t kQuickKickBlock = 80;
/// improve N on a clustered layout gives each point this many of its nearest as candidates and
/// fills the rest from its quadrants (NeighbourLists::spread): on usa13509 nearly a third of the
/// gap at the same time. On an even layout the nearest serve better (a tenth more gap on uniform
/// points), and it is left as it is.
constexpr std::int32_t kSpreadKept = 4;
/// A layout counts as clustered where points lie, on average, nearer their nearest
/// neighbour than this share of the spacing of as many points spread evenly over the same
/// bounding box (random points: about 0.5; usa13509: 0.33; printed circuits: about 0.5).
constexpr double kClusteredSpacing = 0.4;

/// Longest flips allowed: generous while the constructed tour is untangled, short during
/// the kicks, whose repairs are local; a rare far-reaching move is not worth its flip.
constexpr std::int32_t kLocalFlip = 50000;
constexpr std::int32_t kKickFlip = 25000;

/// The perturbation of the iterated search (see kBridgeBlock and kQuickKickBlock).
enum class Kick : std::uint8_t { SwapBlocks, DoubleBridge };

/// The tour as an array plus each node's position. Directions: +1 forward, -1 backward.
class ArrayTour {
public:
    explicit ArrayTour(const std::vector<std::int32_t>& order)
        : n_(static_cast<std::int32_t>(order.size())), at_(order), pos_(order.size()) {
        for (std::int32_t p = 0; p < n_; ++p) {
            pos_[idx(at_[idx(p)])] = p;
        }
    }

    [[nodiscard]] std::int32_t size() const { return n_; }
    [[nodiscard]] const std::vector<std::int32_t>& order() const { return at_; }
    [[nodiscard]] std::int32_t at(std::int32_t p) const { return at_[idx(wrap(p))]; }
    [[nodiscard]] std::int32_t pos(std::int32_t node) const { return pos_[idx(node)]; }
    [[nodiscard]] std::int32_t next(std::int32_t node) const { return at(pos(node) + 1); }
    [[nodiscard]] std::int32_t prev(std::int32_t node) const { return at(pos(node) - 1); }
    [[nodiscard]] std::int32_t step(std::int32_t node, int dir) const {
        return at(pos(node) + dir);
    }

    /// Reverses positions from..to going forward (cyclic); returns nothing to undo beyond
    /// doing the same again.
    void reverse_positions(std::int32_t from, std::int32_t to) {
        std::int32_t i = wrap(from);
        std::int32_t j = wrap(to);
        std::int32_t left = span(i, j) / 2;
        if (i < j) { // no wrap: the common case, without the checks
            for (; left > 0; --left, ++i, --j) {
                exchange(i, j);
            }
            return;
        }
        for (; left > 0; --left) {
            exchange(i, j);
            i = i + 1 == n_ ? 0 : i + 1;
            j = j == 0 ? n_ - 1 : j - 1;
        }
    }

    /// The number of positions from..to going forward, both included.
    [[nodiscard]] std::int32_t span(std::int32_t from, std::int32_t to) const {
        return wrap(to - from) + 1;
    }

    [[nodiscard]] std::int32_t wrap(std::int32_t p) const {
        return p >= n_ ? p - n_ : (p < 0 ? p + n_ : p);
    }

private:
    static std::size_t idx(std::int32_t i) { return static_cast<std::size_t>(i); }

    /// Swaps the nodes at positions i and j.
    void exchange(std::int32_t i, std::int32_t j) {
        std::swap(at_[idx(i)], at_[idx(j)]);
        pos_[idx(at_[idx(i)])] = i;
        pos_[idx(at_[idx(j)])] = j;
    }

    std::int32_t n_;
    std::vector<std::int32_t> at_;
    std::vector<std::int32_t> pos_;
};

/// 2-opt + Or-opt local search with a work queue, and the kicks of the iterated search, over
/// symmetric costs: Cost(a, b) is the cost between two points in either direction.
template <class Cost> class LocalSearch {
public:
    LocalSearch(const Cost& cost, const NeighbourLists& neighbours,
                const std::vector<std::int32_t>& order, double epsilon)
        : cost_(cost), neighbours_(neighbours), tour_(order), epsilon_(epsilon),
          queue_(order.size()) {
        if (tour_.size() <= kCachedNodes) {
            near_.resize(order.size() * static_cast<std::size_t>(neighbours_.k()));
            for (std::int32_t a = 0; a < tour_.size(); ++a) {
                for (std::int32_t i = 0; i < neighbours_.count(a); ++i) {
                    near_[near_slot(a, i)] = d(a, neighbours_.of(a)[i]);
                }
            }
        }
    }

    [[nodiscard]] const std::vector<std::int32_t>& order() const { return tour_.order(); }

    /// Queues every node in tour order and improves until no move gains.
    void optimise_all() {
        for (std::int32_t p = 0; p < tour_.size(); ++p) {
            push(tour_.at(p));
        }
        drain();
    }

    /// 3-opt steps a chain may take; 1 is plain 3-opt.
    void set_chain_steps(std::int32_t steps) { chain_steps_ = steps; }

    /// How each kick perturbs the tour.
    void set_kick(Kick kind) { kick_ = kind; }

    /// Moves that would flip more nodes than this are passed over.
    void set_max_flip(std::int32_t nodes) { max_flip_ = nodes; }

    /// One kick and the repair around it; kept only when the tour got shorter.
    void kick(Random& random) {
        logging_ = true;
        undo_.clear();
        const double change = kick_ == Kick::DoubleBridge
                                  ? reverse_blocks(random, 3, kBridgeBlock)
                                  : reverse_blocks(random, 2, kQuickKickBlock);
        const double gained = drain();
        logging_ = false;
        if (change - gained < -epsilon_) {
            return;
        }
        for (std::size_t i = undo_.size(); i-- > 0;) { // last flip first
            tour_.reverse_positions(undo_[i].first, undo_[i].second);
        }
    }

private:
    [[nodiscard]] double d(std::int32_t a, std::int32_t b) const { return cost_(a, b); }

    /// The cost from @p a to its i-th candidate.
    [[nodiscard]] double near(std::int32_t a, std::int32_t i) const {
        return near_.empty() ? d(a, neighbours_.of(a)[i]) : near_[near_slot(a, i)];
    }
    [[nodiscard]] std::size_t near_slot(std::int32_t a, std::int32_t i) const {
        return static_cast<std::size_t>(a) * static_cast<std::size_t>(neighbours_.k()) +
               static_cast<std::size_t>(i);
    }

    void push(std::int32_t node) { queue_.push(node); }

    /// Works the queue until empty; returns the total gain.
    double drain() {
        return queue_.drain([this](std::int32_t node) { return improve_at(node); });
    }

    double improve_at(std::int32_t a) {
        for (const int dir : {1, -1}) {
            if (const double gain = try_chain(a, dir); gain > 0) {
                return gain;
            }
            if (const double gain = try_or_opt(a, dir); gain > 0) {
                return gain;
            }
        }
        return 0;
    }

    /// Flips the path between a–b and c–d so that a joins c and b joins d; (a, b) and (c, d)
    /// must be tour edges in the same direction. Flips the shorter side.
    void make_two_opt(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
        if (b == c || a == d) {
            return; // the edges wanted are already there
        }
        std::int32_t from = tour_.pos(b);
        std::int32_t to = tour_.pos(c);
        if (tour_.next(a) != b) {
            from = tour_.pos(a);
            to = tour_.pos(d);
        }
        if (tour_.span(from, to) * 2 > tour_.size()) {
            const std::int32_t inner_from = from;
            from = tour_.wrap(to + 1);
            to = tour_.wrap(inner_from - 1);
        }
        tour_.reverse_positions(from, to);
        if (logging_) {
            undo_.emplace_back(from, to);
        }
        chain_.emplace_back(from, to); // cleared as each chain starts
    }

    /// True when b lies on the way from a to c going in direction dir, a and c included.
    [[nodiscard]] bool between(std::int32_t a, std::int32_t b, std::int32_t c, int dir) const {
        if (dir < 0) {
            std::swap(a, c);
        }
        const std::int32_t from = tour_.pos(a);
        return tour_.wrap(tour_.pos(b) - from) <= tour_.wrap(tour_.pos(c) - from);
    }

    /// How a 3-opt move joins its ends again (see close_reversing and close_cycle).
    enum class Reconnect : std::uint8_t { Reversing, Exchange, BothTurned };

    /// A move t1 … t6 that leaves the tour joined t6–t1 with @p gain before that last edge.
    struct Move {
        Reconnect kind = Reconnect::Reversing;
        std::int32_t t1 = 0, t2 = 0, t3 = 0, t4 = 0, t5 = 0, t6 = 0;
        double gain = 0;
    };

    /// Lin–Kernighan over 3-opt steps: the best 3-opt move from t1 is made when it gains;
    /// otherwise the most promising one is made tentatively and the search goes on from the
    /// edge it closed, t6–t1, counting that edge as not yet paid for, up to chain_steps_
    /// steps. A chain that never gains is taken back.
    double try_chain(std::int32_t t1, int dir) {
        std::int32_t t2 = tour_.step(t1, dir);
        double g0 = d(t1, t2);
        chain_.clear();
        double gain = 0;
        for (std::int32_t step = 0; step < chain_steps_; ++step) {
            Move open;
            gain = three_opt_step(t1, t2, g0, dir, open);
            if (gain > 0 || step + 1 == chain_steps_ || open.gain <= epsilon_) {
                break;
            }
            make(open);
            touched_.insert(touched_.end(), {open.t2, open.t3, open.t4, open.t5, open.t6});
            t2 = open.t6;
            g0 = open.gain;
            dir = tour_.next(t1) == t2 ? 1 : -1;
        }
        if (gain > 0) { // the closing move queued its own ends, t1 among them
            for (const std::int32_t node : touched_) {
                push(node);
            }
        } else {
            take_back_chain();
        }
        touched_.clear();
        return gain;
    }

    void take_back_chain() {
        for (std::size_t i = chain_.size(); i-- > 0;) {
            tour_.reverse_positions(chain_[i].first, chain_[i].second);
        }
        if (logging_) {
            undo_.resize(undo_.size() - chain_.size());
        }
    }

    /// The sequential 3-opt move from t1 (2-opt being its first closing): the edge t1–t2
    /// (t2 the next node in direction dir) goes, t2 joins a near neighbour t3, and t3 leaves
    /// one of its tour neighbours t4. Where t4 can close back to t1 that is a 2-opt move;
    /// otherwise, or when a deeper close gains, t4 joins a near neighbour t5, which leaves
    /// the neighbour t6 that keeps one tour, and t6 closes to t1. Every partial sum must
    /// stay a gain (Lin and Kernighan's rule), which keeps the search narrow. The first
    /// gaining move is made; @p open receives the best of those that do not gain.
    double three_opt_step(std::int32_t t1, std::int32_t t2, double g0, int dir, Move& open) {
        const std::int32_t* cands = neighbours_.of(t2);
        for (std::int32_t i = 0; i < neighbours_.count(t2); ++i) {
            const std::int32_t t3 = cands[i];
            const double g1 = g0 - near(t2, i);
            if (g1 <= epsilon_) {
                break;
            }
            if (t3 == t1 || t3 == tour_.step(t2, dir) || too_far(t2, t3)) {
                continue;
            }
            Move move{Reconnect::Reversing, t1, t2, t3, tour_.step(t3, -dir), 0, 0, 0};
            if (const double gain = close_reversing(move, g1, dir, open); gain > 0) {
                return gain;
            }
            move = {Reconnect::Exchange, t1, t2, t3, tour_.step(t3, dir), 0, 0, 0};
            if (const double gain = close_cycle(move, g1, dir, open); gain > 0) {
                return gain;
            }
        }
        return 0;
    }

    /// t4 before t3 (in direction dir): removing t3–t4 and closing t4–t1 is a 2-opt move;
    /// a third exchange from the Hamiltonian path t4 … t1 may gain more.
    double close_reversing(Move& move, double g1, int dir, Move& open) {
        const double g2 = g1 + d(move.t3, move.t4);
        if (const double gain = g2 - d(move.t4, move.t1); gain > epsilon_) {
            make_two_opt(move.t1, move.t2, move.t4, move.t3);
            push_all({move.t1, move.t2, move.t3, move.t4});
            return gain;
        }
        const bool made = each_t5(move, g2, [&](double g3) {
            if (move.t5 == move.t3 || move.t5 == move.t1 || too_far(move.t4, move.t5)) {
                return false;
            }
            // On the path t4 … t2 t3 … t1, t6 is t5's neighbour on the side of t4.
            move.t6 = tour_.step(move.t5, between(move.t2, move.t5, move.t4, dir) ? dir : -dir);
            return move.t6 != move.t4 && settle(move, g3, open);
        });
        return made ? move.gain : 0;
    }

    /// t4 after t3: t2 … t3 closed by t2–t3 is a cycle apart from the path t4 … t1, so t4
    /// must join a node t5 of that cycle, which leaves either of its neighbours t6. With t6
    /// after t5 the two stretches change places as they are (the move no 2-opt or Or-opt
    /// makes); with t6 before it each is turned round.
    double close_cycle(Move& move, double g1, int dir, Move& open) {
        const double g2 = g1 + d(move.t3, move.t4);
        const bool made = each_t5(move, g2, [&](double g3) {
            if (move.t5 == move.t3 || !between(move.t2, move.t5, move.t3, dir)) {
                return false;
            }
            move.kind = Reconnect::Exchange;
            move.t6 = tour_.step(move.t5, dir);
            if (settle(move, g3, open)) {
                return true;
            }
            move.kind = Reconnect::BothTurned;
            move.t6 = tour_.step(move.t5, -dir);
            return move.t5 != move.t2 && settle(move, g3, open);
        });
        return made ? move.gain : 0;
    }

    /// Offers each near neighbour t5 of t4, as long as joining them keeps the partial sum a
    /// gain, to @p try_t5 (given that sum), which returns true once it has made a move.
    template <class TryT5> bool each_t5(Move& move, double g2, TryT5&& try_t5) {
        const std::int32_t* cands = neighbours_.of(move.t4);
        for (std::int32_t i = 0; i < std::min(neighbours_.count(move.t4), kDeepBreadth); ++i) {
            move.t5 = cands[i];
            const double g3 = g2 - near(move.t4, i);
            if (g3 <= epsilon_) {
                return false;
            }
            if (try_t5(g3)) {
                return true;
            }
        }
        return false;
    }

    /// Makes @p move when closing it gains; otherwise keeps it in @p open if it is the most
    /// promising so far.
    bool settle(Move& move, double g3, Move& open) {
        move.gain = g3 + d(move.t5, move.t6);
        const double closed = move.gain - d(move.t6, move.t1);
        if (closed > epsilon_) {
            make(move);
            push_all({move.t1, move.t2, move.t3, move.t4, move.t5, move.t6});
            move.gain = closed;
            return true;
        }
        if (move.gain > open.gain && short_flips(move)) {
            open = move;
        }
        return false;
    }

    /// True when every flip of @p move is short: a tentative move is mostly taken back, and
    /// a long flip made twice for nothing costs more than the chain can win.
    [[nodiscard]] bool short_flips(const Move& m) const {
        const std::int32_t p = tour_.pos(m.t1);
        for (const std::int32_t node : {m.t3, m.t5}) {
            const std::int32_t apart = tour_.wrap(tour_.pos(node) - p);
            if (std::min(apart, tour_.size() - apart) > kTentativeFlip) {
                return false;
            }
        }
        return true;
    }

    /// Makes @p move as two or three 2-opt moves, leaving the tour joined t6–t1.
    void make(const Move& m) {
        switch (m.kind) {
        case Reconnect::Reversing:
            make_two_opt(m.t1, m.t2, m.t4, m.t3);
            make_two_opt(m.t1, m.t4, m.t6, m.t5);
            break;
        case Reconnect::Exchange:
            make_two_opt(m.t1, m.t2, m.t3, m.t4);
            make_two_opt(m.t1, m.t3, m.t6, m.t5);
            make_two_opt(m.t3, m.t5, m.t2, m.t4);
            break;
        case Reconnect::BothTurned:
            make_two_opt(m.t1, m.t2, m.t6, m.t5);
            make_two_opt(m.t2, m.t5, m.t3, m.t4);
            break;
        }
    }

    /// True when joining a and b flips more than max_flip_ nodes (the shorter side).
    [[nodiscard]] bool too_far(std::int32_t a, std::int32_t b) const {
        const std::int32_t apart = tour_.span(tour_.pos(a), tour_.pos(b));
        return std::min(apart, tour_.size() - apart) > max_flip_;
    }

    void push_all(std::initializer_list<std::int32_t> nodes) {
        for (const std::int32_t node : nodes) {
            push(node);
        }
    }

    struct Segment {
        std::int32_t first, last, before, after;
        [[nodiscard]] bool holds(std::int32_t node, const ArrayTour& tour, int dir) const {
            for (std::int32_t x = first;; x = tour.step(x, dir)) {
                if (x == node) {
                    return true;
                }
                if (x == last) {
                    return false;
                }
            }
        }
    };

    /// Moves the segment starting at a (1 to 3 nodes in direction dir) between a near
    /// neighbour c of a and one of c's tour neighbours e, a joined to c.
    double try_or_opt(std::int32_t a, int dir) {
        Segment seg{a, a, tour_.step(a, -dir), 0};
        const std::int32_t longest = std::min(kOrOptSegment, tour_.size() - 4);
        for (std::int32_t length = 1; length <= longest; ++length) {
            if (length > 1) {
                seg.last = tour_.step(seg.last, dir);
            }
            seg.after = tour_.step(seg.last, dir);
            const double removed =
                d(seg.before, seg.first) + d(seg.last, seg.after) - d(seg.before, seg.after);
            if (removed <= epsilon_) {
                continue;
            }
            if (const double gain = place_segment(seg, dir, removed); gain > 0) {
                return gain;
            }
        }
        return 0;
    }

    double place_segment(const Segment& seg, int dir, double removed) {
        const std::int32_t* cands = neighbours_.of(seg.first);
        for (std::int32_t i = 0; i < neighbours_.count(seg.first); ++i) {
            const std::int32_t c = cands[i];
            const double join = near(seg.first, i);
            if (join >= removed - epsilon_) {
                break;
            }
            if (seg.holds(c, tour_, dir) || too_far(seg.first, c)) {
                continue;
            }
            for (const std::int32_t e : {tour_.next(c), tour_.prev(c)}) {
                if (seg.holds(e, tour_, dir)) {
                    continue;
                }
                const double gain = removed - (join + d(seg.last, e) - d(c, e));
                if (gain > epsilon_) {
                    move_segment(seg, dir, c, e);
                    push_all({seg.before, seg.after, seg.first, seg.last, c, e});
                    return gain;
                }
            }
        }
        return 0;
    }

    /// Or-opt as two or three 2-opt moves, written for the segment read forward (S1..S2
    /// between P and N) and the target edge C→D; afterwards C joins S2 unless a third flip
    /// turns the segment round.
    void move_segment(const Segment& seg, int dir, std::int32_t c, std::int32_t e) {
        const bool forward = dir == 1;
        const std::int32_t s1 = forward ? seg.first : seg.last;
        const std::int32_t s2 = forward ? seg.last : seg.first;
        const std::int32_t p = forward ? seg.before : seg.after;
        const std::int32_t n = forward ? seg.after : seg.before;
        const bool c_first = tour_.next(c) == e;
        const std::int32_t cc = c_first ? c : e;
        const std::int32_t dd = c_first ? e : c;
        make_two_opt(p, s1, cc, dd);
        make_two_opt(p, cc, n, s2);
        // Wanted: c joined to seg.first and e to seg.last.
        const bool done = (cc == c) == (s2 == seg.first);
        if (!done) {
            make_two_opt(cc, s2, s1, dd);
        }
    }

    /// x B1 … Bk y becomes x Bk … B1 y, each of the @p count blocks (at most @p longest nodes)
    /// keeping its direction; returns the length added. Two blocks swapped change three
    /// edges, three blocks (a double bridge) four.
    double reverse_blocks(Random& random, std::int32_t count, std::int32_t longest) {
        constexpr std::size_t kMostBlocks = 3;
        const std::int32_t most = std::min(longest, (tour_.size() - 2) / count);
        const std::int32_t start = random.below(tour_.size());
        std::array<std::int32_t, kMostBlocks> length{};
        std::array<std::int32_t, kMostBlocks> first{};
        std::array<std::int32_t, kMostBlocks> last{};
        const auto k = static_cast<std::size_t>(count);
        std::int32_t end = start;
        for (std::size_t i = 0; i < k; ++i) {
            length[i] = 1 + random.below(most);
            first[i] = tour_.at(end + 1);
            end += length[i];
            last[i] = tour_.at(end);
        }
        const std::int32_t x = tour_.at(start);
        const std::int32_t y = tour_.at(end + 1);
        double change = d(x, first[k - 1]) + d(last[0], y) - d(x, first[0]) - d(last[k - 1], y);
        for (std::size_t i = 0; i + 1 < k; ++i) {
            change += d(last[i + 1], first[i]) - d(last[i], first[i + 1]);
        }
        reverse_logged(start + 1, end); // the blocks in the new order, each turned round,
        std::int32_t from = start + 1;
        for (std::size_t i = k; i-- > 0; from += length[i]) { // then turned back
            reverse_logged(from, from + length[i] - 1);
        }
        push(x);
        for (std::size_t i = 0; i < k; ++i) {
            push_all({first[i], last[i]});
        }
        push(y);
        return change;
    }

    void reverse_logged(std::int32_t from, std::int32_t to) {
        tour_.reverse_positions(from, to);
        undo_.emplace_back(tour_.wrap(from), tour_.wrap(to));
    }

    const Cost& cost_;
    const NeighbourLists& neighbours_;
    ArrayTour tour_;
    double epsilon_;
    WorkQueue queue_;
    bool logging_ = false;
    std::int32_t max_flip_ = std::numeric_limits<std::int32_t>::max();
    std::vector<std::pair<std::int32_t, std::int32_t>> undo_;
    std::vector<std::pair<std::int32_t, std::int32_t>> chain_;
    std::vector<std::int32_t> touched_;
    std::vector<double> near_; ///< the candidates' costs, kept up to kCachedNodes
    std::int32_t chain_steps_ = kChainSteps;
    Kick kick_ = Kick::DoubleBridge;
};

} // namespace

double default_perturbations(std::int32_t nodes) {
    const double n = std::max(nodes, 1);
    double per_node = 0.05;
    if (n <= 2500) {
        per_node = 3.6;
    } else if (n <= 25000) {
        per_node = 1.45;
    } else if (n <= 250000) {
        per_node = 0.33;
    }
    return std::max(per_node, 3000 / n);
}

double TourImprover::tour_length(const PointSet& points, const std::vector<std::int32_t>& order) {
    double length = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        length += points.distance(order[i], order[i + 1 == order.size() ? 0 : i + 1]);
    }
    return length;
}

namespace {

/// True when the points lie, on average, nearer their nearest neighbour than
/// kClusteredSpacing of the spacing of as many points spread evenly over their bounding box.
bool clustered(const PointSet& points, const NeighbourLists& neighbours) {
    double nearest = 0;
    Point low = points[0];
    Point high = points[0];
    for (std::int32_t p = 0; p < points.size(); ++p) {
        nearest += neighbours.count(p) > 0 ? points.distance(p, neighbours.of(p)[0]) : 0.0;
        low = {std::min(low.x, points[p].x), std::min(low.y, points[p].y)};
        high = {std::max(high.x, points[p].x), std::max(high.y, points[p].y)};
    }
    const double spacing = std::sqrt((high.x - low.x) * (high.y - low.y) / points.size());
    return spacing > 0 && nearest / points.size() < kClusteredSpacing * spacing;
}

/// The candidates of the search over plane @p points: the nearest, spread over the
/// quadrants for improve N on a clustered layout.
NeighbourLists plane_candidates(const PointSet& points, const ImproveOptions& options) {
    NeighbourLists neighbours(points, kCandidates);
    if (options.perturbations_per_node > 0 && clustered(points, neighbours)) {
        neighbours.spread(points, kSpreadKept);
    }
    return neighbours;
}

/// Runs the local search and then the kicks; @p result.length_before must be set.
template <class Cost>
std::vector<std::int32_t> search(const Cost& cost, const NeighbourLists& neighbours,
                                 std::vector<std::int32_t> order, const ImproveOptions& options,
                                 ImproveResult& result) {
    const auto n = static_cast<std::int32_t>(order.size());
    // Gains below this are rounding noise, whatever the scale of the coordinates.
    const double epsilon = result.length_before / n * 1e-9;
    LocalSearch<Cost> search(cost, neighbours, order, epsilon);
    std::vector<std::int32_t>().swap(order);
    const bool quick = options.perturbations_per_node < 0;
    search.set_chain_steps(quick && n <= kQuickNodes ? 1 : kChainSteps);
    search.set_kick(quick ? Kick::SwapBlocks : Kick::DoubleBridge);
    search.set_max_flip(std::max(kLocalFlip, n / 10));
    search.optimise_all();
    search.set_max_flip(kKickFlip);
    run_kicks(search, n, options, result);
    return search.order();
}

/// Plane distances between points numbered in tour order.
struct PlaneCost {
    const PointSet& points;
    double operator()(std::int32_t a, std::int32_t b) const { return points.distance(a, b); }
};

/// A TSPLIB distance function between points numbered in tour order.
struct FunctionCost {
    const std::vector<Point>& at;
    double (*measure)(double, double, double, double);
    double operator()(std::int32_t a, std::int32_t b) const {
        const Point& p = at[static_cast<std::size_t>(a)];
        const Point& q = at[static_cast<std::size_t>(b)];
        return measure(p.x, p.y, q.x, q.y);
    }
};

/// A symmetric matrix seen through the tour-order numbering.
struct MatrixCost {
    const CostMatrix& matrix;
    const std::vector<std::int32_t>& original;
    double operator()(std::int32_t a, std::int32_t b) const {
        return matrix(original[static_cast<std::size_t>(a)], original[static_cast<std::size_t>(b)]);
    }
};

/// Improves @p order (0-based) with the points renumbered in tour order, so that neighbours
/// on the tour are neighbours in memory (at a million points this saves most cache misses).
/// @p cost and @p neighbours speak of the renumbered points: point p is order[p].
template <class Cost>
ImproveResult improve_renumbered(std::vector<std::int32_t>& order, const ImproveOptions& options,
                                 const Cost& cost, const NeighbourLists& neighbours) {
    ImproveResult result;
    std::vector<std::int32_t> identity(order.size());
    std::iota(identity.begin(), identity.end(), 0);
    result.length_before = closed_length(cost, identity);
    result.length_after = result.length_before;
    std::vector<std::int32_t> improved =
        search(cost, neighbours, std::move(identity), options, result);
    // Accumulated gains are rounded; the measured lengths decide.
    const double length = closed_length(cost, improved);
    if (length < result.length_before) {
        for (std::int32_t& point : improved) {
            point = order[static_cast<std::size_t>(point)];
        }
        order = std::move(improved);
        result.length_after = length;
    }
    return result;
}

/// A cost with a stand-in point that closes an open route (see StandIn).
template <class Base> struct WithStandIn {
    Base base;
    StandIn stand_in;
    double operator()(std::int32_t a, std::int32_t b) const {
        if (a == stand_in.point) {
            return stand_in.either_way(b);
        }
        return b == stand_in.point ? stand_in.either_way(a) : base(a, b);
    }
};

double (*measure_of(EdgeWeight weight))(double, double, double, double) {
    switch (weight) {
    case EdgeWeight::Ceil2D:
        return tsplib::ceil_2d;
    case EdgeWeight::Att:
        return tsplib::att;
    case EdgeWeight::Geo:
        return tsplib::geo;
    default:
        return tsplib::euc_2d;
    }
}

ImproveResult improve_matrix(const CostMatrix& matrix, std::vector<std::int32_t>& order,
                             const ImproveOptions& options) {
    const std::vector<std::int32_t> original = order;
    const MatrixCost cost{matrix, original};
    const NeighbourLists neighbours(static_cast<std::int32_t>(order.size()), kCandidates, cost);
    return improve_renumbered(order, options, cost, neighbours);
}

/// TSPLIB coordinates: the metric over the exact coordinates, candidates from a grid over
/// located_points().
ImproveResult improve_measured(const Problem& problem, std::vector<std::int32_t>& order,
                               const ImproveOptions& options) {
    const auto n = static_cast<std::int32_t>(order.size());
    if (n <= kTabulated) {
        // Every distance once: far cheaper than the trigonometry of GEO at every look.
        CostMatrix matrix(n);
        for (std::int32_t a = 0; a < n; ++a) {
            for (std::int32_t b = 0; b < n; ++b) {
                matrix.at(a, b) = a == b ? 0.0F : static_cast<float>(problem.cost(a + 1, b + 1));
            }
        }
        return improve_matrix(matrix, order, options);
    }
    const PointSet located = located_points(problem);
    std::vector<Point> local;
    PointSet grid_points;
    local.reserve(order.size());
    grid_points.at.reserve(order.size());
    for (const std::int32_t point : order) {
        local.push_back(problem.exact[static_cast<std::size_t>(point)]);
        grid_points.at.push_back(located[point]);
    }
    return improve_renumbered(order, options, FunctionCost{local, measure_of(problem.weight)},
                              plane_candidates(grid_points, options));
}

} // namespace

ImproveResult TourImprover::improve(const PointSet& points, std::vector<std::int32_t>& order,
                                    const ImproveOptions& options) {
    if (order.size() < 5) {
        ImproveResult result;
        result.length_before = result.length_after = tour_length(points, order);
        return result;
    }
    PointSet local;
    local.at.reserve(order.size());
    for (const std::int32_t point : order) {
        local.at.push_back(points[point]);
    }
    return improve_renumbered(order, options, PlaneCost{local}, plane_candidates(local, options));
}

ImproveResult TourImprover::improve(std::int32_t count,
                                    const std::function<double(std::int32_t, std::int32_t)>& cost,
                                    const NeighbourLists& neighbours,
                                    std::vector<std::int32_t>& order,
                                    const ImproveOptions& options) {
    ImproveResult result;
    result.length_before = closed_length(cost, order);
    result.length_after = result.length_before;
    if (count < 5) {
        return result;
    }
    std::vector<std::int32_t> improved = search(cost, neighbours, order, options, result);
    const double length = closed_length(cost, improved);
    if (length < result.length_before) {
        order = std::move(improved);
        result.length_after = length;
    }
    return result;
}

ImproveResult TourImprover::improve_open(const PointSet& points, std::vector<std::int32_t>& path,
                                         bool start_fixed, bool end_fixed,
                                         const ImproveOptions& options) {
    const auto n = static_cast<std::int32_t>(path.size());
    PointSet local;
    local.at.reserve(path.size());
    double length = 0;
    for (std::int32_t p = 0; p < n; ++p) {
        local.at.push_back(points[path[static_cast<std::size_t>(p)]]);
        length += p > 0 ? local.distance(p - 1, p) : 0.0;
    }
    // The stand-in is point n, closing the route from its last stop back to its first.
    const StandIn stand_in(n, start_fixed ? 0 : -1, end_fixed ? n - 1 : -1, length);
    NeighbourLists neighbours(local, kCandidates);
    std::vector<std::int32_t> near;
    for (const std::int32_t end : {stand_in.start, stand_in.end}) {
        if (end >= 0) {
            near.push_back(end);
        }
    }
    neighbours.add(near);
    std::vector<std::int32_t> order = path;
    order.push_back(-1);
    ImproveResult result = improve_renumbered(
        order, options, WithStandIn<PlaneCost>{PlaneCost{local}, stand_in}, neighbours);
    // Open again after the stand-in, the route read from its fixed first stop (or towards
    // its fixed last one).
    std::rotate(order.begin(), std::find(order.begin(), order.end(), -1) + 1, order.end());
    order.pop_back();
    if ((start_fixed && order.front() != path.front()) ||
        (!start_fixed && end_fixed && order.back() != path.back())) {
        std::reverse(order.begin(), order.end());
    }
    result.length_before = length;
    result.length_after =
        TourImprover::tour_length(points, order) - points.distance(order.back(), order.front());
    if (result.length_after < length) {
        path = std::move(order);
    } else {
        result.length_after = length;
    }
    return result;
}

ImproveResult TourImprover::improve(const Problem& problem, std::vector<std::int32_t>& order,
                                    const ImproveOptions& options) {
    const auto measure = [&problem](const std::vector<std::int32_t>& tour) {
        double length = 0;
        for (std::size_t i = 0; i < tour.size(); ++i) {
            length += problem.cost(tour[i] + 1, tour[i + 1 == tour.size() ? 0 : i + 1] + 1);
        }
        return length;
    };
    const auto n = static_cast<std::int32_t>(order.size());
    if (problem.weight == EdgeWeight::Plane || problem.weight == EdgeWeight::Euc2D) {
        // EUC_2D is searched, and judged, over the straight lines themselves, exactly as plane
        // node files are (the same tours); only the figures are TSPLIB's rounded lengths. Its
        // legs rounded to whole units could make a shorter tour look longer.
        PointSet points;
        points.at.reserve(order.size());
        for (std::int32_t i = 1; i <= n; ++i) {
            const NodeRec& node = problem.nodes[static_cast<std::size_t>(i)];
            points.at.push_back({node.x, node.y});
        }
        const double length_before = measure(order);
        ImproveResult result = improve(points, order, options);
        if (problem.weight == EdgeWeight::Euc2D) {
            result.length_before = length_before;
            result.length_after = measure(order);
        }
        return result;
    }
    const std::vector<std::int32_t> before = order;
    const double length_before = measure(order);
    ImproveResult result;
    if (problem.asymmetric) {
        result = DirectedSearch::improve(problem.matrix, order, options);
    } else if (n < 5) {
        result = {};
    } else if (problem.weight == EdgeWeight::Explicit) {
        result = improve_matrix(problem.matrix, order, options);
    } else {
        result = improve_measured(problem, order, options);
    }
    result.length_before = length_before;
    result.length_after = measure(order);
    if (result.length_after > length_before) {
        order = before;
        result.length_after = length_before;
    }
    return result;
}

} // namespace rundel::engine

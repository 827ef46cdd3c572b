#pragma once

#include <cstdint>
#include <vector>

namespace rundel::engine {

/// A closed tour as a linked list that can also say, in constant time, which of two nodes
/// comes first from the opening node on. Positions shift with every insertion, so each node
/// carries an order label instead; labels are respread over a small window when two
/// neighbours leave no room between them (amortised logarithmic cost).
class OrderedTour {
public:
    /// Room for the nodes 1..@p capacity.
    explicit OrderedTour(std::int32_t capacity);

    /// Opens the tour with @p node alone.
    void start(std::int32_t node);
    /// Inserts @p node right after @p after.
    void insert_after(std::int32_t after, std::int32_t node);

    [[nodiscard]] std::int32_t first() const { return first_; }
    [[nodiscard]] std::int32_t last() const { return prev_[idx(first_)]; }
    [[nodiscard]] std::int32_t successor(std::int32_t node) const { return next_[idx(node)]; }
    /// True when @p a stands before @p b, counted from the opening node.
    [[nodiscard]] bool precedes(std::int32_t a, std::int32_t b) const {
        return label_[idx(a)] < label_[idx(b)];
    }

    /// Writes the nodes in visiting order to tour[1..count].
    void write_positions(std::vector<std::int32_t>& tour) const;

private:
    static std::size_t idx(std::int32_t node) { return static_cast<std::size_t>(node); }
    void relabel_around(std::int32_t node);

    std::vector<std::int32_t> next_;
    std::vector<std::int32_t> prev_;
    std::vector<std::uint64_t> label_;
    std::int32_t first_ = 0;
};

} // namespace rundel::engine

#include "engine/orderedtour.h"

#include <array>
#include <cmath>

namespace rundel::engine {
namespace {

constexpr int kLabelBits = 63;
constexpr std::uint64_t kLabelEnd = std::uint64_t{1} << kLabelBits;

/// How many labels a window of 2^i may hold before a respread: (2/1.4)^i. The density bound
/// shrinks with the window size, which keeps relabelling cheap on average; at 2^63 it still
/// admits billions of nodes.
const std::array<std::uint64_t, kLabelBits + 1>& window_capacity() {
    static const auto table = [] {
        std::array<std::uint64_t, kLabelBits + 1> caps{};
        for (int i = 0; i <= kLabelBits; ++i) {
            caps[static_cast<std::size_t>(i)] =
                static_cast<std::uint64_t>(std::floor(std::pow(2.0 / 1.4, i)));
        }
        return caps;
    }();
    return table;
}

} // namespace

OrderedTour::OrderedTour(std::int32_t capacity)
    : next_(static_cast<std::size_t>(capacity) + 1, 0),
      prev_(static_cast<std::size_t>(capacity) + 1, 0),
      label_(static_cast<std::size_t>(capacity) + 1, 0) {}

void OrderedTour::start(std::int32_t node) {
    first_ = node;
    next_[idx(node)] = node;
    prev_[idx(node)] = node;
    label_[idx(node)] = 0;
}

void OrderedTour::insert_after(std::int32_t after, std::int32_t node) {
    const std::int32_t before = next_[idx(after)];
    next_[idx(after)] = node;
    prev_[idx(node)] = after;
    next_[idx(node)] = before;
    prev_[idx(before)] = node;

    const std::uint64_t low = label_[idx(after)];
    const std::uint64_t high = before == first_ ? kLabelEnd : label_[idx(before)];
    if (high - low >= 2) {
        label_[idx(node)] = low + (high - low) / 2;
        return;
    }
    relabel_around(node);
}

void OrderedTour::relabel_around(std::int32_t node) {
    // The new node shares its predecessor's label until the window is respread.
    const std::uint64_t pivot = label_[idx(prev_[idx(node)])];
    label_[idx(node)] = pivot;
    std::int32_t left = node;
    std::int32_t right = node;
    std::uint64_t count = 1;
    const auto& caps = window_capacity();
    for (int i = 1; i <= kLabelBits; ++i) {
        const std::uint64_t size = std::uint64_t{1} << i;
        const std::uint64_t base = pivot & ~(size - 1);
        while (left != first_ && label_[idx(prev_[idx(left)])] >= base) {
            left = prev_[idx(left)];
            ++count;
        }
        while (next_[idx(right)] != first_ && label_[idx(next_[idx(right)])] - base < size) {
            right = next_[idx(right)];
            ++count;
        }
        if (count <= caps[static_cast<std::size_t>(i)] || i == kLabelBits) {
            const std::uint64_t step = size / count;
            std::uint64_t value = base;
            for (std::int32_t at = left;; at = next_[idx(at)]) {
                label_[idx(at)] = value;
                value += step;
                if (at == right) {
                    break;
                }
            }
            return;
        }
    }
}

void OrderedTour::write_positions(std::vector<std::int32_t>& tour) const {
    std::size_t position = 1;
    std::int32_t at = first_;
    do {
        tour[position++] = at;
        at = next_[idx(at)];
    } while (at != first_);
}

} // namespace rundel::engine

#include "engine/orderedtour.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using rundel::engine::OrderedTour;

namespace {

enum class Where { Random, AfterFirst, AfterLast, AfterNewest };

class OrderedTourTest : public ::testing::TestWithParam<Where> {};

TEST_P(OrderedTourTest, OrderAgreesWithPositionsAfterEveryKindOfInsertion) {
    const std::int32_t count = 20000;
    OrderedTour tour(count);
    std::vector<std::int32_t> model{1};
    tour.start(1);
    std::mt19937 random(7);
    for (std::int32_t node = 2; node <= count; ++node) {
        std::size_t at = 0;
        switch (GetParam()) {
        case Where::Random:
            at = std::uniform_int_distribution<std::size_t>(0, model.size() - 1)(random);
            break;
        case Where::AfterFirst:
            at = 0;
            break;
        case Where::AfterLast:
            at = model.size() - 1;
            break;
        case Where::AfterNewest:
            at = static_cast<std::size_t>(std::find(model.begin(), model.end(), node - 1) -
                                          model.begin());
            break;
        }
        tour.insert_after(model[at], node);
        model.insert(model.begin() + static_cast<std::ptrdiff_t>(at) + 1, node);
    }
    std::vector<std::int32_t> positions(static_cast<std::size_t>(count) + 1);
    tour.write_positions(positions);
    EXPECT_TRUE(std::equal(model.begin(), model.end(), positions.begin() + 1));
    EXPECT_EQ(tour.first(), 1);
    EXPECT_EQ(tour.last(), model.back());
    for (std::size_t i = 1; i < model.size(); ++i) {
        ASSERT_TRUE(tour.precedes(model[i - 1], model[i])) << i;
        ASSERT_EQ(tour.successor(model[i - 1]), model[i]);
    }
    EXPECT_EQ(tour.successor(model.back()), 1);
}

INSTANTIATE_TEST_SUITE_P(Insertions, OrderedTourTest,
                         ::testing::Values(Where::Random, Where::AfterFirst, Where::AfterLast,
                                           Where::AfterNewest));

} // namespace

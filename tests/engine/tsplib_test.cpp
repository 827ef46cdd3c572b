#include "engine/modshortestpath.h"
#include "optima.h"
#include "support/nodetext.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

using rundel::engine::Construction;
using rundel::engine::ModShortestPath;

namespace {

std::map<std::string, double> optimal_lengths() {
    return rundel::tsplib::optimal_lengths(RUNDEL_TSPLIB_DIR);
}

struct Instance {
    const char* file;
    int count; // 0: refused
};

class Tsplib : public ::testing::TestWithParam<Instance> {};

TEST_P(Tsplib, ReadsAndGivesAGoodRoundTrip) {
    ModShortestPath engine;
    const Instance& instance = GetParam();
    const std::string text = rundel::test::tsplib_text(instance.file);
    if (instance.count == 0) {
        const auto read = engine.read_nodetext(text);
        ASSERT_FALSE(read);
        EXPECT_NE(read.error().find("行目"), std::string::npos) << read.error();
        return;
    }
    ASSERT_TRUE(engine.read_nodetext(text));
    ASSERT_EQ(engine.node_count(), instance.count);

    engine.solve_tour(Construction::Fast);
    const std::vector<std::int32_t> fast = engine.tour();
    engine.solve_tour(Construction::Reference);
    ASSERT_EQ(fast, engine.tour());

    ASSERT_TRUE(rundel::test::visits_every_node_once(engine));
    const double length = rundel::test::tour_length(engine);
    // Farthest-first cheapest insertion stays well within a third of the optimum.
    const std::string name =
        std::string(instance.file).substr(0, std::string(instance.file).find('.'));
    const double optimum = optimal_lengths().at(name);
    EXPECT_LT(length, 1.33 * optimum) << name;
    EXPECT_GT(length, 0.99 * optimum) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, Tsplib,
                         ::testing::Values(Instance{"a280.tsp", 0}, Instance{"berlin52.tsp", 52},
                                           Instance{"d198.tsp", 198}, Instance{"eil51.tsp", 51},
                                           Instance{"kroA100.tsp", 100},
                                           Instance{"pr1002.tsp", 1002},
                                           Instance{"pr2392.tsp", 2392}, Instance{"pr76.tsp", 76},
                                           Instance{"usa13509.tsp", 13509}),
                         [](const auto& param) {
                             const std::string file = param.param.file;
                             return file.substr(0, file.find('.'));
                         });

} // namespace

#include "engine/modshortestpath.h"
#include "optima.h"
#include "support/nodetext.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>

using rundel::engine::Construction;
using rundel::engine::ModShortestPath;

namespace {

std::map<std::string, double> optimal_lengths() {
    return rundel::tsplib::optimal_lengths(RUNDEL_TSPLIB_DIR);
}

std::map<std::string, double> atsp_optima() {
    return rundel::tsplib::atsp_optimal_lengths(RUNDEL_ATSP_DIR);
}

struct Instance {
    const char* file;
    int count;             // 0: refused
    bool plain_too = true; ///< also readable as a plain node file (single blanks)
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
    // EUC_2D is built on exactly as a node file without the weight type: the same tour.
    if (const std::size_t type = text.find("EDGE_WEIGHT_TYPE"); instance.plain_too) {
        ModShortestPath plain;
        const std::string untyped = text.substr(0, type) + text.substr(text.find('\n', type) + 1);
        ASSERT_TRUE(plain.read_nodetext(untyped));
        plain.solve_tour();
        EXPECT_EQ(plain.tour(), fast);
    }
    const double length = rundel::test::tour_length(engine);
    // Farthest-first cheapest insertion stays well within a third of the optimum.
    const std::string name =
        std::string(instance.file).substr(0, std::string(instance.file).find('.'));
    const double optimum = optimal_lengths().at(name);
    EXPECT_LT(length, 1.33 * optimum) << name;
    EXPECT_GT(length, 0.99 * optimum) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, Tsplib,
                         ::testing::Values(Instance{"a280.tsp", 280, false},
                                           Instance{"berlin52.tsp", 52}, Instance{"d198.tsp", 198},
                                           Instance{"eil51.tsp", 51}, Instance{"kroA100.tsp", 100},
                                           Instance{"pr1002.tsp", 1002},
                                           Instance{"pr2392.tsp", 2392}, Instance{"pr76.tsp", 76},
                                           Instance{"usa13509.tsp", 13509}),
                         [](const auto& param) {
                             const std::string file = param.param.file;
                             return file.substr(0, file.find('.'));
                         });

} // namespace

namespace {

struct Solved {
    const char* file;
    double within; ///< of the published optimum, in TSPLIB's own length
};

class SolvedTsplib : public ::testing::TestWithParam<Solved> {};

/// Asymmetric matrices and GEO coordinates, solved and improved through the one engine, in
/// the direction of travel.
TEST_P(SolvedTsplib, ComesNearTheOptimumInTheFilesOwnMeasure) {
    const std::string file = GetParam().file;
    const std::string name = file.substr(0, file.find('.'));
    const bool atsp = file.ends_with(".atsp");
    const std::string folder = atsp ? RUNDEL_ATSP_DIR : RUNDEL_TSPLIB_DIR;
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodefile(folder + "/" + file));
    EXPECT_EQ(engine.problem().asymmetric, atsp);
    ASSERT_TRUE(engine.solve_tour());
    const auto result = engine.improve_tour();
    ASSERT_TRUE(rundel::test::visits_every_node_once(engine));
    EXPECT_EQ(engine.tour()[1], 1);
    std::vector<std::int32_t> order(engine.tour().begin() + 1, engine.tour().end());
    const double length = rundel::engine::tour_cost(engine.problem(), order);
    EXPECT_DOUBLE_EQ(result.length_after, length);
    const double optimum = atsp ? atsp_optima().at(name) : optimal_lengths().at(name);
    EXPECT_GE(length, optimum);
    EXPECT_LE(length, optimum * (1 + GetParam().within)) << name;
}

INSTANTIATE_TEST_SUITE_P(Files, SolvedTsplib,
                         ::testing::Values(Solved{"br17.atsp", 0}, Solved{"ftv33.atsp", 0},
                                           Solved{"ftv70.atsp", 0.01}, Solved{"kro124p.atsp", 0.01},
                                           Solved{"ftv170.atsp", 0.01}, Solved{"rbg443.atsp", 0.01},
                                           Solved{"ulysses22.tsp", 0}, Solved{"gr96.tsp", 0.01}),
                         [](const auto& param) {
                             const std::string file = param.param.file;
                             return file.substr(0, file.find('.'));
                         });

} // namespace

namespace {

/// The map server writes its kilometre node files as EUC_2D: a day's legs of a few hundred
/// metres, which TSPLIB's whole-unit rounding would blur. Improved, they must come out exactly
/// as the same file without the weight type.
TEST(Euc2D, ImprovesExactlyAsAPlainNodeFile) {
    std::mt19937 random(9);
    std::uniform_real_distribution<double> km(0.0, 1.5);
    for (int instance = 0; instance < 20; ++instance) {
        const int count = 8 + instance;
        std::string body = "NODE_COORD_SECTION\r\n";
        for (int i = 1; i <= count; ++i) {
            body += std::to_string(i) + " " + std::to_string(km(random)) + " " +
                    std::to_string(km(random)) + "\r\n";
        }
        body += "EOF\r\n";
        ModShortestPath typed;
        ASSERT_TRUE(typed.read_nodetext("DIMENSION : " + std::to_string(count) +
                                        "\r\nEDGE_WEIGHT_TYPE : EUC_2D\r\n" + body));
        ModShortestPath plain;
        ASSERT_TRUE(plain.read_nodetext(body));
        for (ModShortestPath* engine : {&typed, &plain}) {
            engine->solve_tour();
            engine->improve_tour();
        }
        EXPECT_EQ(typed.tour(), plain.tour()) << count << " nodes";
    }
}

} // namespace

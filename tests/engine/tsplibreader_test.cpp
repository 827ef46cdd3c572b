#include "engine/modshortestpath.h"
#include "engine/solve.h"
#include "engine/tsplibreader.h"
#include "support/nodetext.h"

#include <gtest/gtest.h>

using rundel::engine::EdgeWeight;
using rundel::engine::ModShortestPath;
using rundel::engine::Problem;
using rundel::engine::TsplibReader;

namespace {

std::string header(const std::string& type, const std::string& dimension,
                   const std::string& weights) {
    return "NAME: t\nTYPE: " + type + "\nDIMENSION: " + dimension + "\n" + weights;
}

struct Bad {
    const char* name;
    std::string text;
    const char* says; ///< expected in the message (a line number where one is at fault)
};

class TsplibFailures : public ::testing::TestWithParam<Bad> {};

TEST_P(TsplibFailures, GiveAMessageAndLeaveTheProblemAsItWas) {
    ModShortestPath engine;
    ASSERT_TRUE(engine.read_nodetext(rundel::test::node_text({{0, 0}, {3, 4}})));
    const auto read = engine.read_nodetext(GetParam().text);
    ASSERT_FALSE(read) << GetParam().name;
    EXPECT_NE(read.error().find(GetParam().says), std::string::npos) << read.error();
    EXPECT_EQ(engine.node_count(), 2);
    EXPECT_EQ(engine.problem().weight, EdgeWeight::Plane);
}

const std::string kFull = "EDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_FORMAT: FULL_MATRIX\n"
                          "EDGE_WEIGHT_SECTION\n";
const std::string kCoords = "EDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_SECTION\n";

INSTANTIATE_TEST_SUITE_P(
    Headers, TsplibFailures,
    ::testing::Values(
        Bad{"no dimension", "TYPE: TSP\n" + kCoords + "1 0 0\n", "3 行目"},
        Bad{"dimension not a number", header("TSP", "three", kCoords), "3 行目"},
        Bad{"dimension zero", header("TSP", "0", kCoords), "3 行目"},
        Bad{"dimension twice", header("TSP", "2", "DIMENSION: 2\n" + kCoords), "4 行目"},
        Bad{"unknown type", header("CVRP", "2", kCoords), "2 行目"},
        Bad{"unknown weight type", header("TSP", "2", "EDGE_WEIGHT_TYPE: MAN_3D\n"), "4 行目"},
        Bad{"unknown format",
            header("TSP", "2", "EDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_FORMAT: FUNCTION\n"),
            "5 行目"},
        Bad{"three-dimensional",
            header("TSP", "2", "EDGE_WEIGHT_TYPE: EUC_2D\nNODE_COORD_TYPE: THREED_COORDS\n"),
            "5 行目"},
        Bad{"fewer nodes", header("TSP", "3", kCoords + "1 0 0\n2 1 1\nEOF\n"), "8 行目"},
        Bad{"more nodes", header("TSP", "2", kCoords + "1 0 0\n2 1 1\n3 2 2\nEOF\n"), "8 行目"},
        Bad{"node number out of range", header("TSP", "2", kCoords + "1 0 0\n5 1 1\n"), "7 行目"},
        Bad{"node number twice", header("TSP", "2", kCoords + "1 0 0\n1 1 1\n"), "7 行目"},
        Bad{"coordinate not a number", header("TSP", "2", kCoords + "1 0 0\n2 x 1\n"), "7 行目"},
        Bad{"no coordinates", header("TSP", "2", "EDGE_WEIGHT_TYPE: GEO\nEOF\n"),
            "NODE_COORD_SECTION"},
        Bad{"matrix without format",
            header("TSP", "2", "EDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_SECTION\n0 1\n1 0\n"),
            "EDGE_WEIGHT_FORMAT"},
        Bad{"too few numbers", header("ATSP", "3", kFull + "0 1 2\n3 0 4\n5 6\nEOF\n"),
            "EDGE_WEIGHT_SECTION"},
        Bad{"too many numbers", header("ATSP", "2", kFull + "0 1\n2 0 7\nEOF\n"), "8 行目"},
        Bad{"negative weight", header("ATSP", "2", kFull + "0 -1\n2 0\n"), "7 行目"},
        Bad{"weight not a number", header("ATSP", "2", kFull + "0 1\nx 0\n"), "8 行目"},
        Bad{"asymmetric in a triangle",
            header("ATSP", "2",
                   "EDGE_WEIGHT_TYPE: EXPLICIT\nEDGE_WEIGHT_FORMAT: UPPER_ROW\n"
                   "EDGE_WEIGHT_SECTION\n1\n"),
            "FULL_MATRIX"},
        Bad{"matrix over the cap",
            header("ATSP", std::to_string(TsplibReader::kMaxMatrixNodes + 1), kFull + "0 1\n"),
            "上限"},
        Bad{"dimension far beyond the text", header("TSP", "2000000000", kCoords + "1 0 0\n"),
            "DIMENSION"},
        Bad{"weights for coordinates",
            header("TSP", "2", kCoords + "1 0 0\n2 1 1\nEDGE_WEIGHT_SECTION\n0 1 1 0\n"),
            "EXPLICIT"},
        Bad{"unsupported section", header("TSP", "2", kCoords + "1 0 0\n2 1 1\nDEMAND_SECTION\n"),
            "8 行目"},
        Bad{"stray line", header("TSP", "2", "hello\n" + kCoords), "4 行目"}),
    [](const auto& param) { return rundel::test::test_name(param.param.name); });

TEST(TsplibReader, EveryMatrixFormatGivesTheSameCostsWrappedInAnyWay) {
    // Four nodes; cost(i, j) = 10 * (min + 1) + max + 1 for i != j.
    const std::string formats[][2] = {
        {"FULL_MATRIX", "0 12 13 14\n12 0 23\n24 13 23 0 34 14 24 34 0"},
        {"UPPER_ROW", "12 13 14 23\n24 34"},
        {"LOWER_ROW", "12\n13 23 14 24 34"},
        {"UPPER_DIAG_ROW", "0 12 13 14 0 23 24 0\n34 0"},
        {"LOWER_DIAG_ROW", "0 12 0 13 23 0 14 24 34 0"},
        {"UPPER_COL", "12 13 23 14 24 34"},
    };
    for (const auto& [format, numbers] : formats) {
        const auto read = TsplibReader::read(header("TSP", "4",
                                                    "EDGE_WEIGHT_TYPE: EXPLICIT\n"
                                                    "EDGE_WEIGHT_FORMAT: " +
                                                        format + "\nEDGE_WEIGHT_SECTION\n" +
                                                        numbers + "\nEOF\n"));
        ASSERT_TRUE(read) << format << ": " << read.error();
        const Problem& problem = read.value();
        EXPECT_FALSE(problem.asymmetric) << format;
        EXPECT_FALSE(problem.located) << format;
        for (int a = 1; a <= 4; ++a) {
            for (int b = 1; b <= 4; ++b) {
                if (a != b) {
                    EXPECT_EQ(problem.cost(a, b), 10 * std::min(a, b) + std::max(a, b))
                        << format << " " << a << "→" << b;
                }
            }
        }
    }
}

TEST(TsplibReader, DistancesAreTsplibsOwn) {
    struct Case {
        const char* type;
        const char* second; ///< "x y" of node 2; node 1 is at the origin
        double cost;
    };
    const Case cases[] = {
        {"EUC_2D", "1 1", 1},   // 1.414 to the nearest
        {"EUC_2D", "3 4", 5},   //
        {"EUC_2D", "1.5 2", 3}, // 2.5 rounds up
        {"CEIL_2D", "1 1", 2},  // always up
        {"ATT", "10 0", 4},     // sqrt(10) = 3.16 → 3, less than 3.16 → 4
        {"ATT", "0 20", 7},     // sqrt(40) = 6.32 → 6 → 7
        {"ATT", "30 40", 16},   // sqrt(250) = 15.81 → 16, not less: 16
        {"GEO", "0.30 0", 56},  // 0°30': half a degree of 111.3 km, cut, plus one
        {"GEO", "1.00 0", 112}, // one degree
        {"GEO", "0.99 0", 184}, // 0°99' as written: 1.65°, not 0.99 rounded to 1° first
    };
    for (const Case& c : cases) {
        const auto read =
            TsplibReader::read(header("TSP", "2",
                                      std::string("EDGE_WEIGHT_TYPE: ") + c.type +
                                          "\nNODE_COORD_SECTION\n1 0 0\n2 " + c.second + "\n"));
        ASSERT_TRUE(read) << c.type << ": " << read.error();
        EXPECT_EQ(read.value().cost(1, 2), c.cost) << c.type << " " << c.second;
        EXPECT_EQ(read.value().cost(2, 1), c.cost) << c.type << " " << c.second;
    }
}

TEST(TsplibReader, NodesAreNumberedAsWrittenAndDisplayDataShowsAMatrix) {
    const auto coords = TsplibReader::read(header("TSP", "3",
                                                  "EDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n"
                                                  "3\t7 8\n  1 1   2\n2 4 6\nEOF\n"));
    ASSERT_TRUE(coords) << coords.error();
    EXPECT_EQ(coords.value().nodes[3].x, 7.0F);
    EXPECT_EQ(coords.value().nodes[1].y, 2.0F);

    const auto matrix = TsplibReader::read(header(
        "ATSP", "2", kFull + "9999 5\n7 9999\nDISPLAY_DATA_SECTION\n1 10 20\n2 30 40\nEOF\n"));
    ASSERT_TRUE(matrix) << matrix.error();
    const Problem& problem = matrix.value();
    EXPECT_TRUE(problem.asymmetric);
    EXPECT_TRUE(problem.located);
    EXPECT_EQ(problem.nodes[2].x, 30.0F);
    EXPECT_EQ(rundel::engine::tour_cost(problem, {1, 2}), 12);
}

TEST(TsplibReader, OnlyAHeaderWithAWeightTypeIsReadAsTsplib) {
    EXPECT_TRUE(TsplibReader::declares_weights("NAME: x\nEDGE_WEIGHT_TYPE: EUC_2D\n"));
    EXPECT_FALSE(TsplibReader::declares_weights("NAME: x\nNODE_COORD_SECTION\n1 0 0\n"));
    // A weight type after the first section is no header of the file.
    EXPECT_FALSE(TsplibReader::declares_weights("NODE_COORD_SECTION\nEDGE_WEIGHT_TYPE: GEO\n"));
}

} // namespace

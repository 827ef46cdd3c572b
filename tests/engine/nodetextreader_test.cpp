#include "engine/modshortestpath.h"
#include "engine/nodetextreader.h"
#include "support/nodetext.h"

#include <clocale>
#include <gtest/gtest.h>

using rundel::engine::ModShortestPath;
using rundel::engine::NodeTextReader;

namespace {

constexpr const char* kThree = "NAME: three\r\nDIMENSION: 3\r\nNODE_COORD_SECTION\r\n"
                               "1 0 0\r\n2 1 0\r\n3 3 0\r\nEOF\r\n";

class NodeTextReaderTest : public ::testing::Test {
protected:
    ModShortestPath engine;
};

TEST_F(NodeTextReaderTest, WellFormedFileReadsEveryNodeLine) {
    const std::string text = rundel::test::tsplib_text("pr76.tsp");
    ASSERT_TRUE(engine.read_nodetext(text));
    EXPECT_EQ(engine.node_count(), 76);
    EXPECT_FLOAT_EQ(engine.nodes()[1].x, 3600.0F);
    EXPECT_FLOAT_EQ(engine.nodes()[1].y, 2300.0F);
    EXPECT_FLOAT_EQ(engine.nodes()[76].x, 200.0F);
    EXPECT_FLOAT_EQ(engine.nodes()[76].y, 800.0F);
}

struct Shape {
    const char* name;
    const char* text;
    int count;
    float last_x;
};

class NodeTextShapes : public ::testing::TestWithParam<Shape> {};

TEST_P(NodeTextShapes, ReadsTheNodeLines) {
    ModShortestPath engine;
    const Shape& shape = GetParam();
    const auto read = engine.read_nodetext(shape.text);
    ASSERT_TRUE(read) << shape.name << ": " << read.error();
    EXPECT_EQ(engine.node_count(), shape.count) << shape.name;
    EXPECT_FLOAT_EQ(engine.nodes()[static_cast<std::size_t>(shape.count)].x, shape.last_x);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, NodeTextShapes,
    ::testing::Values(
        Shape{"crlf", "NODE_COORD_SECTION\r\n1 1 2\r\n2 3 4\r\nEOF\r\n", 2, 3.0F},
        Shape{"lf", "NODE_COORD_SECTION\n1 1 2\n2 3 4\nEOF\n", 2, 3.0F},
        Shape{"mixed", "H\nNODE_COORD_SECTION\r\n1 1 2\n2 3 4\r\nEOF", 2, 3.0F},
        Shape{"no final line end", "NODE_COORD_SECTION\r\n1 1 2\r\n2 3 4", 2, 3.0F},
        Shape{"no EOF, empty lines at the end", "NODE_COORD_SECTION\n1 1 2\n2 3 4\n\n\n", 2, 3.0F},
        Shape{"lines after EOF", "NODE_COORD_SECTION\n1 1 2\n2 3 4\nEOF\n3 9 9\n\n", 2, 3.0F},
        Shape{"EOF with more fields", "NODE_COORD_SECTION\n1 1 2\nEOF trailer\n", 1, 1.0F},
        Shape{"leading blanks", "NODE_COORD_SECTION\n   1 1 2\n  2 3 4\n EOF\n", 2, 3.0F},
        Shape{"trailing blanks and extra fields", "NODE_COORD_SECTION\n1 1 2  \n2 3 4 x\n", 2,
              3.0F},
        Shape{"decimals, exponents, signs", "NODE_COORD_SECTION\n1 -1.5 2e3\n2 +2.25 1E-3\n", 2,
              2.25F},
        Shape{"tiny values underflow to numbers", "NODE_COORD_SECTION\n1 1e-50 0\n", 1, 0.0F},
        // The count comes from the lines, not the header; the first field is not read.
        Shape{"count from the lines", "DIMENSION: 10\nNODE_COORD_SECTION\n1 5 6\n17 7 8\n2 9 1\n",
              3, 9.0F}),
    [](const auto& param) { return rundel::test::test_name(param.param.name); });

struct Bad {
    const char* name;
    const char* text;
    const char* names_line; // expected in the message; empty when no line is at fault
};

class NodeTextFailures : public ::testing::TestWithParam<Bad> {};

TEST_P(NodeTextFailures, FailWithAMessage) {
    ModShortestPath engine;
    const Bad& bad = GetParam();
    const auto read = engine.read_nodetext(bad.text);
    ASSERT_FALSE(read) << bad.name;
    EXPECT_NE(read.error().find(bad.names_line), std::string::npos) << read.error();
}

INSTANTIATE_TEST_SUITE_P(
    Failures, NodeTextFailures,
    ::testing::Values(
        Bad{"two blanks", "NODE_COORD_SECTION\r\n1 1  2\r\nEOF\r\n", "2 行目"},
        Bad{"tabs", "NODE_COORD_SECTION\r\n1\t1\t2\r\nEOF\r\n", "2 行目"},
        Bad{"only EOF", "NODE_COORD_SECTION\r\nEOF\r\n", ""},
        Bad{"empty section at end", "NODE_COORD_SECTION\r\n\r\n", ""},
        Bad{"empty line inside", "NODE_COORD_SECTION\r\n1 1 2\r\n\r\n2 3 4\r\nEOF\r\n", "3 行目"},
        Bad{"two fields", "X\nNODE_COORD_SECTION\n1 1 2\n2 3\n", "4 行目"},
        Bad{"not a number", "NODE_COORD_SECTION\n1 1 abc\n", "y が"},
        Bad{"number then text", "NODE_COORD_SECTION\n1 12abc 3\n", "x が"},
        Bad{"overflows a float", "NODE_COORD_SECTION\n1 1e39 3\n", "x が"},
        Bad{"infinity", "NODE_COORD_SECTION\n1 inf 3\n", "x が"},
        Bad{"nan", "NODE_COORD_SECTION\n1 1 nan\n", "y が"},
        Bad{"empty field", "NODE_COORD_SECTION\n1 1 \n", "y が"},
        Bad{"lower-case section line", "node_coord_section\n1 1 2\n", "NODE_COORD_SECTION"},
        Bad{"section line with a blank", "NODE_COORD_SECTION \n1 1 2\n", "NODE_COORD_SECTION"},
        // The line is quoted without its control characters.
        Bad{"control character", "NODE_COORD_SECTION\n1\x01 2\n", "\"1? 2\""}),
    [](const auto& param) { return rundel::test::test_name(param.param.name); });

TEST_F(NodeTextReaderTest, TextWithoutSectionLeavesTheTableAlone) {
    ASSERT_TRUE(engine.read_nodetext(kThree));
    EXPECT_FALSE(engine.read_nodetext("No such file or directory"));
    EXPECT_EQ(engine.node_count(), 3);
    EXPECT_FLOAT_EQ(engine.nodes()[3].x, 3.0F);
}

TEST_F(NodeTextReaderTest, FailureMidwayKeepsWhatWasReadAndNeverSolvesStaleNodes) {
    ASSERT_TRUE(engine.read_nodetext(kThree));
    EXPECT_FALSE(engine.read_nodetext("NODE_COORD_SECTION\n1 7 8\n2 x 9\n3 1 1\n4 2 2\n"));
    // Re-dimensioned to the new count; the first line was read, the rest stay zero.
    EXPECT_EQ(engine.node_count(), 4);
    EXPECT_FLOAT_EQ(engine.nodes()[1].x, 7.0F);
    EXPECT_FLOAT_EQ(engine.nodes()[3].x, 0.0F);
}

TEST(NodeFieldConversion, UsesTheLocaleDecimalSeparatorAndStillReadsDots) {
    const char* const previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    float value = 0.0F;
    EXPECT_TRUE(NodeTextReader::to_float("1,5", value));
    EXPECT_FLOAT_EQ(value, 1.5F);
    EXPECT_TRUE(NodeTextReader::to_float("2.25", value));
    EXPECT_FLOAT_EQ(value, 2.25F);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NodeFieldConversion, CommaIsNoDecimalSeparatorInTheCLocale) {
    float value = 7.0F;
    EXPECT_FALSE(NodeTextReader::to_float("1,5", value));
    EXPECT_FALSE(NodeTextReader::to_float(" 1", value));
    EXPECT_FALSE(NodeTextReader::to_float("", value));
    EXPECT_FLOAT_EQ(value, 7.0F);
}

TEST(LoadNodefile, ReportsWhyAFileCannotBeRead) {
    for (const char* path : {"/nonexistent/file.tsp", "/", "/dev/zero"}) {
        const auto loaded = ModShortestPath::load_nodefile(path);
        EXPECT_FALSE(loaded) << path;
        EXPECT_FALSE(loaded.error().empty()) << path;
    }
    const auto tiny =
        ModShortestPath::load_nodefile(std::string(RUNDEL_TSPLIB_DIR) + "/eil51.tsp", 100);
    EXPECT_FALSE(tiny);
    EXPECT_NE(tiny.error().find("100"), std::string::npos) << tiny.error();
}

} // namespace

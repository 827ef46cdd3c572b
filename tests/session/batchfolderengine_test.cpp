#include "engine/modshortestpath.h"
#include "session/batchfolderengine.h"
#include "session/batchlistener.h"
#include "support/nodetext.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

using rundel::session::BatchFolderEngine;
using rundel::session::WorkFolders;
namespace fs = std::filesystem;

namespace {

class RecordingListener final : public rundel::session::BatchListener {
public:
    void message(std::string_view request, std::string_view text) override {
        messages.push_back(std::string(request) + ": " + std::string(text));
    }
    void show_node_file(std::string_view name) override { node_file = name; }
    void show_result(std::string_view text) override { result = text; }
    std::vector<std::string> messages;
    std::string node_file;
    std::string result;
};

constexpr const char* kThree = "NAME: three\r\nNODE_COORD_SECTION\r\n1 0 0\r\n2 1 0\r\n3 3 0\r\n"
                               "EOF\r\n";

class BatchFolderEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder.path() / "Rundel");
        std::string error;
        ASSERT_TRUE(folders.make_workfolders(error)) << error;
        folder.write("Rundel/tsp_node_data/three.tsp", kThree);
    }

    [[nodiscard]] std::vector<std::string> files_in(const fs::path& dir) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    rundel::test::TempFolder folder;
    WorkFolders folders{folder.path()};
    rundel::engine::ModShortestPath engine;
    RecordingListener listener;
    BatchFolderEngine batch{folders, engine, listener};
};

TEST_F(BatchFolderEngineTest, NothingWaitingDoesNothing) {
    EXPECT_EQ(batch.get_prefile_list(), "");
    EXPECT_EQ(batch.tick(), 0);
    EXPECT_TRUE(files_in(folders.batch_results()).empty());
}

TEST_F(BatchFolderEngineTest, TwoRequestsGiveTwoResultsInNameOrder) {
    folder.write("Rundel/tsp_node_data/pr76.tsp", rundel::test::tsplib_text("pr76.tsp"));
    folder.write("Rundel/tsp_pre_file/b.txt", "three.tsp\r\nsmall\r\nignored\r\n");
    folder.write("Rundel/tsp_pre_file/a.txt", "pr76.tsp\n42\n");
    EXPECT_EQ(batch.get_prefile_list(), ",a.txt,b.txt");
    EXPECT_EQ(batch.tick(), 2);

    EXPECT_TRUE(files_in(folders.batch_requests()).empty());
    EXPECT_EQ(files_in(folders.batch_results()),
              (std::vector<std::string>{"42_tspdata.txt", "small_tspdata.txt"}));
    EXPECT_EQ(folder.read("Rundel/tsp_node/small_tspdata.txt"), "1\r\n3\r\n2\r\n1\r\n");
    const std::string pr76 = folder.read("Rundel/tsp_node/42_tspdata.txt");
    EXPECT_EQ(pr76.substr(0, 3), "1\r\n");
    EXPECT_EQ(pr76.substr(pr76.size() - 5), "\r\n1\r\n");
    EXPECT_EQ(std::count(pr76.begin(), pr76.end(), '\n'), 77);
    EXPECT_EQ(listener.node_file, "three.tsp"); // the last request handled
    EXPECT_EQ(listener.result, "1\r\n3\r\n2\r\n1");
    EXPECT_TRUE(listener.messages.empty());
}

TEST_F(BatchFolderEngineTest, OneLineRequestWritesTheUnnamedResult) {
    folder.write("Rundel/tsp_pre_file/req", "three.tsp");
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_EQ(folder.read("Rundel/tsp_node/_tspdata.txt"), "1\r\n3\r\n2\r\n1\r\n");
}

TEST_F(BatchFolderEngineTest, ExistingResultIsReplaced) {
    folder.write("Rundel/tsp_node/7_tspdata.txt", "old and much longer content\r\n");
    folder.write("Rundel/tsp_pre_file/req", "\xEF\xBB\xBFthree.tsp\r\n7\r\n");
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_EQ(folder.read("Rundel/tsp_node/7_tspdata.txt"), "1\r\n3\r\n2\r\n1\r\n");
    EXPECT_EQ(files_in(folders.batch_results()), (std::vector<std::string>{"7_tspdata.txt"}));
}

TEST_F(BatchFolderEngineTest, MalformedOrMissingNodeFilesWriteNothing) {
    folder.write("Rundel/tsp_node_data/bad.tsp", "NODE_COORD_SECTION\r\n1 1  2\r\nEOF\r\n");
    folder.write("Rundel/tsp_node_data/nosection.tsp", "1 1 2\r\n");
    folder.write("Rundel/tsp_pre_file/1", "bad.tsp\r\nx\r\n");
    folder.write("Rundel/tsp_pre_file/2", "missing.tsp\r\ny\r\n");
    folder.write("Rundel/tsp_pre_file/3", "nosection.tsp\r\nz\r\n");
    EXPECT_EQ(batch.tick(), 3);
    EXPECT_TRUE(files_in(folders.batch_requests()).empty());
    EXPECT_TRUE(files_in(folders.batch_results()).empty());
    // Each: why, then the load failure, both naming the request.
    ASSERT_EQ(listener.messages.size(), 6U);
    EXPECT_NE(listener.messages[0].find("1: ノードファイル 2 行目"), std::string::npos);
    EXPECT_EQ(listener.messages[1], "1: Erorr Load File");
    EXPECT_NE(listener.messages[2].find("missing.tsp"), std::string::npos);
    EXPECT_EQ(listener.messages[3], "2: Erorr Load File");
    EXPECT_NE(listener.messages[4].find("NODE_COORD_SECTION"), std::string::npos);
    EXPECT_EQ(listener.messages[5], "3: Erorr Load File");
}

TEST_F(BatchFolderEngineTest, UnsafeNamesAreRefusedAndNothingLeavesTheFolders) {
    folder.write("outside.tsp", kThree);
    folder.write("Rundel/tsp_pre_file/1", "../../outside.tsp\r\nup\r\n");
    folder.write("Rundel/tsp_pre_file/2", "three.tsp\r\n../../escaped\r\n");
    folder.write("Rundel/tsp_pre_file/3", "three.tsp\r\nsub/dir\r\n");
    folder.write("Rundel/tsp_pre_file/4", "\r\nempty-name\r\n");
    folder.write("Rundel/tsp_pre_file/5", "three.tsp\r\nbell\a\r\n");
    folder.write("Rundel/tsp_pre_file/6", "..\r\ndots\r\n");
    EXPECT_EQ(batch.tick(), 6);
    EXPECT_TRUE(files_in(folders.batch_requests()).empty());
    EXPECT_TRUE(files_in(folders.batch_results()).empty());
    EXPECT_FALSE(fs::exists(folder.path() / "escaped_tspdata.txt"));
    EXPECT_FALSE(fs::exists(folder.path() / "Rundel" / "escaped_tspdata.txt"));
    EXPECT_EQ(listener.messages.size(), 6U);
}

TEST_F(BatchFolderEngineTest, UnwritableResultIsReportedNotDropped) {
    fs::create_directories(folders.batch_results() / "blocked_tspdata.txt");
    EXPECT_FALSE(batch.batch_calc("three.tsp", "blocked"));
    ASSERT_EQ(listener.messages.size(), 1U);
    EXPECT_NE(listener.messages[0].find("blocked_tspdata.txt"), std::string::npos);
    EXPECT_EQ(files_in(folders.batch_results()), (std::vector<std::string>{"blocked_tspdata.txt"}));
}

TEST_F(BatchFolderEngineTest, StopFlagEndsTheTickBetweenRequests) {
    std::atomic<bool> stop{true};
    batch.set_stop_flag(&stop);
    folder.write("Rundel/tsp_pre_file/req", "three.tsp\r\n1\r\n");
    EXPECT_EQ(batch.tick(), 0);
    EXPECT_EQ(files_in(folders.batch_requests()), (std::vector<std::string>{"req"}));
    stop = false;
    EXPECT_EQ(batch.tick(), 1);
}

TEST_F(BatchFolderEngineTest, FoldersAreNotRequests) {
    fs::create_directories(folders.batch_requests() / "sub");
    EXPECT_EQ(batch.get_prefile_list(), "");
    EXPECT_EQ(batch.tick(), 0);
    EXPECT_TRUE(fs::is_directory(folders.batch_requests() / "sub"));
}

} // namespace

#include "engine/modshortestpath.h"
#include "session/batchfolderengine.h"
#include "session/batchlistener.h"
#include "support/nodetext.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

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
        const rundel::Status made = folders.make_workfolders();
        ASSERT_TRUE(made) << made.error();
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

TEST_F(BatchFolderEngineTest, NothingWaitingDoesNothingAndFoldersAreNoRequests) {
    fs::create_directories(folders.batch_requests() / "sub");
    EXPECT_EQ(batch.get_prefile_list(), "");
    EXPECT_EQ(batch.tick(), 0);
    EXPECT_TRUE(files_in(folders.batch_results()).empty());
    EXPECT_TRUE(fs::is_directory(folders.batch_requests() / "sub"));
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

TEST_F(BatchFolderEngineTest, ResultsReplaceOldOnesAndOneLineGivesTheUnnamedResult) {
    folder.write("Rundel/tsp_node/7_tspdata.txt", "old and much longer content\r\n");
    folder.write("Rundel/tsp_pre_file/a", "\xEF\xBB\xBFthree.tsp\r\n7\r\n");
    folder.write("Rundel/tsp_pre_file/b", "three.tsp");
    EXPECT_EQ(batch.tick(), 2);
    EXPECT_EQ(folder.read("Rundel/tsp_node/7_tspdata.txt"), "1\r\n3\r\n2\r\n1\r\n");
    EXPECT_EQ(folder.read("Rundel/tsp_node/_tspdata.txt"), "1\r\n3\r\n2\r\n1\r\n");
    EXPECT_EQ(files_in(folders.batch_results()),
              (std::vector<std::string>{"7_tspdata.txt", "_tspdata.txt"}));
}

TEST_F(BatchFolderEngineTest, AnAsymmetricMatrixIsSolvedInItsDirectionOfTravel) {
    const std::string text =
        rundel::engine::ModShortestPath::load_nodefile(std::string(RUNDEL_ATSP_DIR) + "/ftv33.atsp")
            .value();
    folder.write("Rundel/tsp_node_data/ftv33.atsp", text);
    folder.write("Rundel/tsp_pre_file/a", "ftv33.atsp\r\n33\r\nimprove\r\n");
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_TRUE(listener.messages.empty());

    // The result read in its own order, over the file's own matrix: the known optimum.
    rundel::engine::ModShortestPath check;
    ASSERT_TRUE(check.read_nodetext(text));
    std::vector<std::int32_t> order;
    std::istringstream lines(folder.read("Rundel/tsp_node/33_tspdata.txt"));
    for (std::int32_t node = 0; lines >> node;) {
        order.push_back(node);
    }
    ASSERT_EQ(order.size(), 35U);
    EXPECT_EQ(order.front(), 1);
    EXPECT_EQ(order.back(), 1);
    order.pop_back();
    EXPECT_EQ(rundel::engine::tour_cost(check.problem(), order), 1286);
}

struct BadRequest {
    const char* name;
    const char* request;
    const char* says;          ///< in the first message
    bool load_failure = false; ///< followed by "Erorr Load File"
};

class BatchBadRequests : public BatchFolderEngineTest,
                         public ::testing::WithParamInterface<BadRequest> {};

/// Each: deleted, no result anywhere, and why, naming the request.
TEST_P(BatchBadRequests, WriteNothingAndSayWhy) {
    folder.write("Rundel/tsp_node_data/bad.tsp", "NODE_COORD_SECTION\r\n1 1  2\r\nEOF\r\n");
    folder.write("Rundel/tsp_node_data/nosection.tsp", "1 1 2\r\n");
    folder.write("outside.tsp", kThree);
    folder.write("Rundel/tsp_pre_file/req", GetParam().request);
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_TRUE(files_in(folders.batch_requests()).empty());
    EXPECT_TRUE(files_in(folders.batch_results()).empty());
    EXPECT_FALSE(fs::exists(folder.path() / "escaped_tspdata.txt"));
    EXPECT_FALSE(fs::exists(folder.path() / "Rundel" / "escaped_tspdata.txt"));
    ASSERT_EQ(listener.messages.size(), GetParam().load_failure ? 2U : 1U);
    EXPECT_EQ(listener.messages[0].rfind("req: ", 0), 0U) << listener.messages[0];
    EXPECT_NE(listener.messages[0].find(GetParam().says), std::string::npos)
        << listener.messages[0];
    if (GetParam().load_failure) {
        EXPECT_EQ(listener.messages[1], "req: Erorr Load File");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BatchBadRequests,
    ::testing::Values(
        BadRequest{"malformed_node_file", "bad.tsp\r\nx\r\n", "bad.tsp: ノードファイル 2 行目",
                   true},
        BadRequest{"missing_node_file", "missing.tsp\r\ny\r\n", "missing.tsp", true},
        BadRequest{"no_node_section", "nosection.tsp\r\nz\r\n", "NODE_COORD_SECTION", true},
        BadRequest{"node_file_outside", "../../outside.tsp\r\nup\r\n", "outside.tsp"},
        BadRequest{"result_outside", "three.tsp\r\n../../escaped\r\n", "escaped"},
        BadRequest{"result_in_a_subfolder", "three.tsp\r\nsub/dir\r\n", "sub/dir"},
        BadRequest{"empty_node_file_name", "\r\nempty-name\r\n", "empty-name"},
        BadRequest{"control_character", "three.tsp\r\nbell\a\r\n", "bell"},
        BadRequest{"dots", "..\r\ndots\r\n", "dots"},
        BadRequest{"budget_not_a_number", "three.tsp\nbad\nimprove lots\n", "improve"},
        BadRequest{"budget_too_large", "three.tsp\nbig\nimprove 5000\n", "improve"},
        BadRequest{"start_not_a_number", "three.tsp\nr\nstart x\n", "start"},
        BadRequest{"end_zero", "three.tsp\nr\nend 0\n", "end"},
        BadRequest{"open_with_a_value", "three.tsp\nr\nopen now\n", "open"},
        BadRequest{"start_beyond_the_nodes", "three.tsp\nr\nstart 9\n", "9"}),
    [](const auto& param) { return std::string(param.param.name); });

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

struct RequestCase {
    const char* name;
    const char* request;
    bool improved; // false: exactly the construction's tour
};

class BatchRequestLines : public BatchFolderEngineTest,
                          public ::testing::WithParamInterface<RequestCase> {};

TEST_P(BatchRequestLines, ConstructionUnlessImproveIsAsked) {
    folder.write("Rundel/tsp_node_data/pr76.tsp", rundel::test::tsplib_text("pr76.tsp"));
    rundel::engine::ModShortestPath reference;
    ASSERT_TRUE(reference.read_nodetext(rundel::test::tsplib_text("pr76.tsp")));
    reference.solve_tour();
    reference.make_tourlist();
    const std::string constructed = reference.route_text("\r\n") + "\r\n";

    folder.write("Rundel/tsp_pre_file/req", GetParam().request);
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_TRUE(listener.messages.empty()) << listener.messages.front();
    const std::string result = folder.read("Rundel/tsp_node/42_tspdata.txt");
    if (GetParam().improved) {
        EXPECT_NE(result, constructed);
        EXPECT_EQ(result.substr(0, 3), "1\r\n");
        EXPECT_EQ(std::count(result.begin(), result.end(), '\n'), 77);
    } else {
        EXPECT_EQ(result, constructed);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, BatchRequestLines,
    ::testing::Values(RequestCase{"crlf", "pr76.tsp\r\n42\r\n", false},
                      RequestCase{"lone_cr", "pr76.tsp\r42\r", false},
                      RequestCase{"note_line", "pr76.tsp\n42\nnot improve\n", false},
                      RequestCase{"improve", "pr76.tsp\n42\nimprove\n", true},
                      RequestCase{"improve_n_cr", "pr76.tsp\r42\r improve 20 \r", true},
                      RequestCase{"improve_zero", "pr76.tsp\r\n42\r\nimprove 0", true}),
    [](const auto& param) { return std::string(param.param.name); });

struct RouteCase {
    const char* name;
    const char* lines;  ///< after "three.tsp" and "r"
    const char* result; ///< the result file
};

class BatchRouteLines : public BatchFolderEngineTest,
                        public ::testing::WithParamInterface<RouteCase> {};

/// Three nodes on a line at x = 0, 1 and 3.
TEST_P(BatchRouteLines, GiveTheRouteAskedFor) {
    folder.write("Rundel/tsp_pre_file/req", std::string("three.tsp\r\nr\r\n") + GetParam().lines);
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_TRUE(listener.messages.empty()) << listener.messages.front();
    EXPECT_EQ(folder.read("Rundel/tsp_node/r_tspdata.txt"), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Routes, BatchRouteLines,
    ::testing::Values(RouteCase{"start_and_end", "start 1\r\nend 3\r\n", "1\r\n2\r\n3\r\n"},
                      RouteCase{"end_then_start_improved", "end 1\nimprove\nstart 3\n",
                                "3\r\n2\r\n1\r\n"},
                      RouteCase{"start_open", "open\r\nstart 2\r\n", "2\r\n1\r\n3\r\n"},
                      RouteCase{"end_only", "end 3", "1\r\n2\r\n3\r\n"},
                      RouteCase{"round_trip_from_2", "start 2\r\n", "2\r\n1\r\n3\r\n2\r\n"},
                      RouteCase{"unknown_lines_are_notes", "priority high\r\nstart 2\r\n",
                                "2\r\n1\r\n3\r\n2\r\n"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(BatchFolderEngineTest, RunnerWideImproveServesRequestsWithoutTheirOwn) {
    folder.write("Rundel/tsp_node_data/pr76.tsp", rundel::test::tsplib_text("pr76.tsp"));
    batch.set_default_improve(BatchFolderEngine::parse_improve("improve"));
    folder.write("Rundel/tsp_pre_file/1", "pr76.tsp\nall\n");
    folder.write("Rundel/tsp_pre_file/2", "pr76.tsp\nzero\nimprove 0\n");
    EXPECT_EQ(batch.tick(), 2);
    EXPECT_TRUE(listener.messages.empty());
    // The runner's budget is the default one; a request's own "improve 0" is the local search
    // alone: the two differ.
    EXPECT_NE(folder.read("Rundel/tsp_node/all_tspdata.txt"),
              folder.read("Rundel/tsp_node/zero_tspdata.txt"));
}

TEST_F(BatchFolderEngineTest, HiddenFilesWaitUntilRenamedIntoPlace) {
    folder.write("Rundel/tsp_pre_file/.req.tmp", "three.tsp\r\n1\r\n");
    EXPECT_EQ(batch.get_prefile_list(), "");
    EXPECT_EQ(batch.tick(), 0);
    fs::rename(folders.batch_requests() / ".req.tmp", folders.batch_requests() / "req");
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_EQ(folder.read("Rundel/tsp_node/1_tspdata.txt"), "1\r\n3\r\n2\r\n1\r\n");
}

TEST_F(BatchFolderEngineTest, PlantedLinksAtTemporaryNamesAreNotFollowed) {
    folder.write("outside.txt", "precious");
    const std::string pid = std::to_string(::getpid());
    for (const std::string& part :
         {std::string(".7_tspdata.txt.part"), ".7_tspdata.txt." + pid + ".0.part"}) {
        fs::create_symlink(folder.path() / "outside.txt", folders.batch_results() / part);
    }
    folder.write("Rundel/tsp_pre_file/req", "three.tsp\r\n7\r\n");
    EXPECT_EQ(batch.tick(), 1);
    EXPECT_EQ(folder.read("outside.txt"), "precious");
    EXPECT_EQ(folder.read("Rundel/tsp_node/7_tspdata.txt"), "1\r\n3\r\n2\r\n1\r\n");
    const auto perms = fs::status(folders.batch_results() / "7_tspdata.txt").permissions();
    EXPECT_NE(perms & fs::perms::others_read, fs::perms::none);
}

TEST_F(BatchFolderEngineTest, FifosDevicesAndHugeNamesAreRefusedAndTheRequestsDeleted) {
    ASSERT_EQ(::mkfifo((folders.node_data() / "fifo.tsp").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", folders.node_data() / "zero.tsp");
    folder.write("Rundel/tsp_pre_file/1", "fifo.tsp\r\na\r\n");
    folder.write("Rundel/tsp_pre_file/2", "zero.tsp\r\nb\r\n");
    folder.write("Rundel/tsp_pre_file/3", "three.tsp\r\n" + std::string(60000, 'x') + "/\r\n");
    EXPECT_EQ(batch.tick(), 3);
    EXPECT_TRUE(files_in(folders.batch_requests()).empty());
    EXPECT_TRUE(files_in(folders.batch_results()).empty());
    ASSERT_EQ(listener.messages.size(), 5U);
    for (const std::string& message : listener.messages) {
        EXPECT_LT(message.size(), 600U) << message.substr(0, 200);
    }
    EXPECT_NE(listener.messages[0].find("通常のファイルではありません"), std::string::npos);
}

TEST_F(BatchFolderEngineTest, AnUnreadableRequestIsReportedOnce) {
    folder.write("Rundel/tsp_pre_file/big", std::string(100000, '\n'));
    EXPECT_EQ(batch.tick(), 0);
    EXPECT_EQ(batch.tick(), 0);
    EXPECT_EQ(listener.messages.size(), 1U);
    folder.write("Rundel/tsp_pre_file/big", "three.tsp\r\n1\r\n");
    EXPECT_EQ(batch.tick(), 1);
}

TEST_F(BatchFolderEngineTest, ARequestThatCannotBeDeletedIsSolvedAndReportedOnce) {
    folder.write("Rundel/tsp_pre_file/req", "three.tsp\r\n1\r\n");
    fs::permissions(folder.path(), fs::perms::all, fs::perm_options::add);
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
        fs::permissions(entry.path(), fs::perms::all, fs::perm_options::add);
    }
    fs::permissions(folders.batch_requests(), fs::perms::owner_all | fs::perms::group_read |
                                                  fs::perms::group_exec | fs::perms::others_read |
                                                  fs::perms::others_exec);
    // Root may delete anything: the check runs as an ordinary user where the test is root.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                std::_Exit(3);
            }
            const int first = batch.tick();
            fs::remove(folders.batch_results() / "1_tspdata.txt");
            const int second = batch.tick();
            const bool ok = first == 1 && second == 0 && listener.messages.size() == 1 &&
                            !fs::exists(folders.batch_results() / "1_tspdata.txt");
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace

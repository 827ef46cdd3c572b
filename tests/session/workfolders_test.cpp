#include "session/plainfilename.h"
#include "session/workfolders.h"
#include "support/tempfolder.h"

#include <gtest/gtest.h>

using rundel::session::is_plain_file_name;
using rundel::session::WorkFolders;
namespace fs = std::filesystem;

namespace {

TEST(WorkFolders, CreatesMissingSubfoldersAndKeepsPresentOnes) {
    rundel::test::TempFolder folder;
    folder.write("Rundel/tsp_node/keep.txt", "x");
    const WorkFolders folders(folder.path());
    const rundel::Status made = folders.make_workfolders();
    ASSERT_TRUE(made) << made.error();
    for (const char* name : {"tsp_node", "tsp_node_data", "tsp_pre_file", "result"}) {
        EXPECT_TRUE(fs::is_directory(folder.path() / "Rundel" / name)) << name;
    }
    EXPECT_EQ(folder.read("Rundel/tsp_node/keep.txt"), "x");
}

TEST(WorkFolders, ReportsWhatCannotBeCreated) {
    rundel::test::TempFolder folder;
    folder.write("Rundel/tsp_pre_file", "a file where a folder belongs");
    // Without "Rundel" nothing can be made; a file in the way is named.
    const rundel::Status elsewhere = WorkFolders(folder.path() / "elsewhere").make_workfolders();
    EXPECT_FALSE(elsewhere);
    EXPECT_FALSE(elsewhere.error().empty());
    const rundel::Status blocked = WorkFolders(folder.path()).make_workfolders();
    EXPECT_FALSE(blocked);
    EXPECT_NE(blocked.error().find("tsp_pre_file"), std::string::npos) << blocked.error();
    EXPECT_TRUE(fs::is_directory(folder.path() / "Rundel" / "result"));
}

TEST(PlainFileName, AcceptsNamesAndRefusesPaths) {
    for (const char* name : {"pr76.tsp", "42", "a..b", "名前.tsp", ".hidden", "a b"}) {
        EXPECT_TRUE(is_plain_file_name(name)) << name;
    }
    for (const char* name :
         {"", ".", "..", "../x.tsp", "a/b", "a\\b", "/etc/passwd", "a\tb", "a\x7f"}) {
        EXPECT_FALSE(is_plain_file_name(name)) << name;
    }
}

} // namespace

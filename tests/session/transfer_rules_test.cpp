#include <gtest/gtest.h>

#include <set>

#include "scripted_dialogs.h"
#include "session/overwrite_check.h"
#include "session/transfer_paths.h"
#include "test_support.h"

namespace quay {
namespace {

using O = Dialogs::Overwrite;

class OverwriteTest : public ::testing::Test {
protected:
    void queue(std::initializer_list<const char*> targets) {
        for (const char* t : targets) {
            state.targetFiles.push_back(t);
            state.sourceFiles.push_back(std::string("src/") + t + "\t1");
        }
    }
    void check(bool prompt = true, int defPrompt = 0) {
        checkOverwrite(
            state, {prompt, defPrompt},
            [this](const std::string& t) { return existing.count(t) != 0; }, dialogs);
    }

    SessionState state;
    std::set<std::string> existing{"a", "b", "c", "taken"};
    test::ScriptedDialogs dialogs;
};

TEST_F(OverwriteTest, SkipAsksAboutTheNextAtOnceAndSaveAsIsCheckedAgain) {
    queue({"a", "b", "c", "new"});
    dialogs.overwriteAnswers = {{O::Skip, {}}, {O::SaveAs, "taken"}, {O::SaveAs, "free"}};
    check();
    EXPECT_EQ(dialogs.overwriteAsked, (std::vector<std::string>{"a", "b", "taken"}));
    EXPECT_EQ(state.targetFiles, (std::vector<std::string>{"free", "c", "new"}));
    EXPECT_EQ(state.sourceFiles.front(), "src/b\t1");
    EXPECT_FALSE(state.resumeCurrent);
}

TEST_F(OverwriteTest, ResumeAllAndCancelSettleTheHead) {
    queue({"a", "b"});
    dialogs.overwriteAnswers = {{O::Resume, {}}};
    check();
    EXPECT_TRUE(state.resumeCurrent);
    EXPECT_EQ(state.targetFiles.size(), 2u);

    // All: no later file of the batch is asked about, resume is reset once more first.
    dialogs.overwriteAnswers = {{O::All, {}}};
    check();
    EXPECT_TRUE(state.overwriteAll);
    EXPECT_FALSE(state.resumeCurrent);
    state.targetFiles.erase(state.targetFiles.begin());
    state.sourceFiles.erase(state.sourceFiles.begin());
    check();
    EXPECT_EQ(dialogs.overwriteAsked.size(), 2u);

    state.overwriteAll = false;
    state.sourceDirs = {"d"};
    state.targetDirs = {"d"};
    dialogs.overwriteAnswers = {{O::Cancel, {}}};
    check();
    EXPECT_TRUE(state.cancelAll);
    EXPECT_TRUE(state.sourceFiles.empty() && state.targetFiles.empty());
    EXPECT_TRUE(state.sourceDirs.empty() && state.targetDirs.empty());
}

TEST_F(OverwriteTest, WithoutPromptTheDefaultActionDecidesSilently) {
    queue({"a", "b", "new", "c"});
    check(false, 0);
    EXPECT_EQ(state.targetFiles, (std::vector<std::string>{"new", "c"}));
    check(false, 1);
    EXPECT_EQ(state.targetFiles.size(), 2u);
    EXPECT_FALSE(state.resumeCurrent);
    check(false, 2);
    EXPECT_FALSE(state.resumeCurrent);  // "new" does not exist
    state.targetFiles.erase(state.targetFiles.begin());
    state.sourceFiles.erase(state.sourceFiles.begin());
    check(false, 2);
    EXPECT_TRUE(state.resumeCurrent);
    EXPECT_TRUE(dialogs.overwriteAsked.empty());
}

TEST(TransferType, ModeAndExtensionListChooseTheType) {
    const std::string ext = "txt,html,pl";
    struct Case {
        int mode;
        const char* file;
        bool binary;
        TypeChange expected;
    } cases[] = {
        {0, "a.htm", false, TypeChange::Binary},  {0, "a.htm", true, TypeChange::None},
        {1, "a.htm", true, TypeChange::Ascii},    {1, "a.htm", false, TypeChange::None},
        {1, "a.zip", true, TypeChange::Binary},   {1, "/d.txt/README", true, TypeChange::Binary},
        {2, "a.html", false, TypeChange::Binary}, {2, "a.html", true, TypeChange::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(transferTypeFor(c.mode, ext, c.file, c.binary), c.expected)
            << c.mode << " " << c.file << " " << c.binary;
}

TEST(TransferPaths, QueueEntriesKeep64BitSizesAndReadOddSizesAsZero) {
    EXPECT_EQ(splitQueueEntry("/a/b\t5000000000").size, 5000000000);
    EXPECT_EQ(splitQueueEntry("/a/b\t5000000000").path, "/a/b");
    EXPECT_EQ(splitQueueEntry("x\t12 KB").size, 0);
    EXPECT_EQ(splitQueueEntry("x\t99999999999999999999").size, 0);
    EXPECT_EQ(splitQueueEntry("no tab").path, "no tab");
    EXPECT_EQ(splitQueueEntry("tab\tin\tname").path, "tab");
}

TEST(TransferPaths, RelativeDirectoriesAndDepth) {
    EXPECT_EQ(remoteRelativeDir("/pub/tree/sub", "/pub/"), "tree/sub/");
    EXPECT_EQ(remoteRelativeDir("/pub", "/pub/"), "");
    EXPECT_EQ(localToRemotePath("/home/u/tree/sub/", "/home/u/"), "/tree/sub/");
    EXPECT_EQ(localToRemotePath("/home/u/", "/home/u/"), "/");
    EXPECT_EQ(pathDepth("a/b/c/"), 3);
    EXPECT_EQ(pathDepth(""), 0);
}

TEST(TransferPaths, ALocalLinkBelowTheStartDirectoryIsNotWrittenThrough) {
    test::TempDir dir;
    const auto root = dir.path() / "root";
    std::filesystem::create_directories(root / "real");
    std::filesystem::create_directory_symlink(dir.path(), root / "out");
    EXPECT_TRUE(staysInsideTree(root, root / "real" / "new" / "file"));
    EXPECT_FALSE(staysInsideTree(root, root / "out" / "file"));
    std::filesystem::create_symlink(dir.path() / "elsewhere", root / "real" / "dangling");
    EXPECT_FALSE(staysInsideTree(root, root / "real" / "dangling"));
    EXPECT_TRUE(staysInsideTree(root, dir.path() / "chosen-by-user"));
}

}  // namespace
}  // namespace quay

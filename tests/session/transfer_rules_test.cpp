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
        for (const char* t : targets)
            files().push_back({std::string("src/") + t, t, 1});
    }
    void check(bool prompt = true, int defPrompt = 0) {
        const OverwriteTargets targets{
            [](const TransferItem& file) {
                return file.savedAs.empty() ? file.local : file.savedAs;
            },
            [this](const std::string& t) { return existing.count(t) != 0; },
            [this](const TransferItem&, const std::string& t) { return complete.count(t) == 0; }};
        checkOverwrite(state, transfers, {prompt, defPrompt}, targets, dialogs);
    }
    std::vector<TransferItem>& files() { return transfers.files; }
    std::vector<std::string> locals() const {
        std::vector<std::string> names;
        for (const TransferItem& file : transfers.files)
            names.push_back(file.savedAs.empty() ? file.local : file.savedAs);
        return names;
    }

    OverwriteDecision state;
    TransferQueue transfers;
    std::set<std::string> existing{"a", "b", "c", "taken"};
    // Targets as long as their source: nothing to resume.
    std::set<std::string> complete;
    test::ScriptedDialogs dialogs;
};

TEST_F(OverwriteTest, SkipAsksAboutTheNextAtOnceAndSaveAsIsCheckedAgain) {
    queue({"a", "b", "c", "new"});
    dialogs.overwriteAnswers = {{O::Skip, {}}, {O::SaveAs, "taken"}, {O::SaveAs, "free"}};
    check();
    EXPECT_EQ(dialogs.overwriteAsked, (std::vector<std::string>{"a", "b", "taken"}));
    EXPECT_EQ(locals(), (std::vector<std::string>{"free", "c", "new"}));
    EXPECT_EQ(files().front().remote, "src/b");
    EXPECT_FALSE(state.resumeCurrent);
}

TEST_F(OverwriteTest, ResumeAllAndCancelSettleTheHead) {
    queue({"a", "b"});
    dialogs.overwriteAnswers = {{O::Resume, {}}};
    check();
    EXPECT_TRUE(state.resumeCurrent);
    EXPECT_EQ(files().size(), 2u);

    // All: no later file of the batch is asked about, resume is reset once more first.
    dialogs.overwriteAnswers = {{O::All, {}}};
    check();
    EXPECT_TRUE(state.overwriteAll);
    EXPECT_FALSE(state.resumeCurrent);
    takeFront(files());
    check();
    EXPECT_EQ(dialogs.overwriteAsked.size(), 2u);

    state.overwriteAll = false;
    transfers.dirs = {{"d", "d"}};
    dialogs.overwriteAnswers = {{O::Cancel, {}}};
    check();
    EXPECT_TRUE(state.cancelAll);
    EXPECT_TRUE(transfers.files.empty() && transfers.dirs.empty());
}

TEST_F(OverwriteTest, WithoutPromptTheDefaultActionDecidesSilently) {
    queue({"a", "b", "new", "c"});
    check(false, 0);
    EXPECT_EQ(locals(), (std::vector<std::string>{"new", "c"}));
    check(false, 1);
    EXPECT_EQ(files().size(), 2u);
    EXPECT_FALSE(state.resumeCurrent);
    check(false, 2);
    EXPECT_FALSE(state.resumeCurrent);  // "new" does not exist
    takeFront(files());
    check(false, 2);
    EXPECT_TRUE(state.resumeCurrent);
    EXPECT_TRUE(dialogs.overwriteAsked.empty());
}

TEST_F(OverwriteTest, ResumeOntoACompleteTargetIsAskedAgainOrSkippedWithoutPrompt) {
    complete = {"a"};
    queue({"a", "b"});
    dialogs.overwriteAnswers = {{O::Resume, {}}, {O::Overwrite, {}}};
    check();
    EXPECT_EQ(dialogs.overwriteAsked, (std::vector<std::string>{"a", "a"}));
    EXPECT_FALSE(state.resumeCurrent);
    EXPECT_EQ(locals(), (std::vector<std::string>{"a", "b"}));

    check(false, 2);
    EXPECT_EQ(locals(), (std::vector<std::string>{"b"}));
    EXPECT_TRUE(state.resumeCurrent);
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

// A server in "/pub" may list "p..", "...", "public" and "..": each of the first three names a
// place below "/pub" (and below the chosen local folder), ".." and every path made with it
// none.
TEST(TransferPaths, OnlyNamesLeadBelowTheStartDirectory) {
    EXPECT_EQ(pathBelow("/pub/", "p.."), "/pub/p..");
    EXPECT_EQ(pathBelow("/pub", "..."), "/pub/...");
    EXPECT_EQ(pathBelow("/pub/", childPath("public", "lic")), "/pub/public/lic");
    EXPECT_EQ(pathBelow("/home/u/chosen/", childPath(childPath("", "p.."), "sub")),
              "/home/u/chosen/p../sub");
    for (const char* bad : {"..", "p../..", "../chosen", ".", "a/./b", "", "a//b", "a/"})
        EXPECT_EQ(pathBelow("/home/u/chosen/", bad), std::nullopt) << bad;
    EXPECT_EQ(pathBelow("/pub/", std::string("a\0b", 3)), std::nullopt);
    // A virtual-host server's start directory has no leading "/".
    EXPECT_EQ(pathBelow("pub/", "x"), "pub/x");
    EXPECT_EQ(pathBelow("", "x"), "x");

    EXPECT_TRUE(isPathBelow("/pub/", "/pub/p.."));
    EXPECT_TRUE(isPathBelow("/pub/", "/pub/.../x"));
    EXPECT_TRUE(isPathBelow("/", "/pub"));
    for (const char* outside :
         {"/pub", "/pub/", "/public", "/pub/..", "/pub/a/../..", "/pub/./", "pub/x", "/"})
        EXPECT_FALSE(isPathBelow("/pub/", outside)) << outside;
    EXPECT_FALSE(isPathBelow("", "../x"));
    EXPECT_FALSE(isPathBelow("", "a/.."));

    EXPECT_EQ(pathDepth("a/b/c/"), 3);
    EXPECT_EQ(pathDepth(childPath("p..", "...")), 2);
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
    EXPECT_FALSE(staysInsideTree(root, dir.path() / "beside"));
    EXPECT_FALSE(staysInsideTree(root, root / ".." / "beside"));
}

}  // namespace
}  // namespace quay

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "base/poll_loop.h"
#include "pane_rows.h"
#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::captionsOf;
using test::readFile;
using test::selectCaption;
using test::writeFile;
using Answer = Dialogs::Answer;

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

struct Opened {
    OpenPurpose purpose;
    std::string path;
    std::string dir;
};

// A controller whose home directory is a fresh temporary tree:
//   home/ docs/ (a.txt "alpha"), Zeta/, b.txt (1 byte), c.log (3 bytes)
class LocalPaneTest : public ::testing::Test {
protected:
    LocalPaneTest()
        : home(dir.path() / "home"),
          env("HOME", (dir.path() / "home").string()),
          controller(loop, dialogs, dir.path() / "data") {
        fs::create_directories(home / "docs");
        fs::create_directories(home / "Zeta");
        writeFile(home / "docs" / "a.txt", "alpha");
        writeFile(home / "b.txt", "b");
        writeFile(home / "c.log", "ccc");
        controller.onOpenFile = [this](OpenPurpose purpose, const std::string& path,
                                       const std::string& workingDir) {
            opened.push_back({purpose, path, workingDir});
            return openerWorks;
        };
        controller.FormCreate();
    }

    PaneModel& list() { return controller.model().lvLoc(); }
    LocalPane& pane() { return controller.localPane(); }
    std::vector<std::string> rows() { return captionsOf(list()); }
    void click(Command command) { controller.execute(command); }
    bool enabled(const char* name) { return controller.model().control(name).enabled; }
    std::string homeDir() const { return home.string() + "/"; }
    // Adds a file row (image 2, 2048 bytes) to the remote list.
    void addRemoteFile(const std::string& caption, bool selected = false) {
        controller.model().ftpView().add({caption, 2, {"2048"}, selected, {}});
    }

    test::TempDir dir;
    fs::path home;
    ScopedEnv env;
    PollLoop loop;
    test::ScriptedDialogs dialogs;
    SessionController controller;
    std::vector<Opened> opened;
    bool openerWorks = true;
};

TEST_F(LocalPaneTest, StartsInHomeAndNavigatesByListTreeDriveAndUp) {
    EXPECT_EQ(controller.localDir(), homeDir());
    EXPECT_EQ(rows(), (std::vector<std::string>{"docs", "Zeta", "b.txt", "c.log"}));
    EXPECT_EQ(list().item(2).subItems[0], "1");
    const DirectoryTree& tree = pane().tree();
    EXPECT_EQ(tree.entries()[static_cast<std::size_t>(tree.itemIndex())].path, homeDir());
    ASSERT_GE(pane().drives().count(), 2u);
    EXPECT_EQ(pane().drives().items()[1], homeDir());
    EXPECT_EQ(pane().drives().itemIndex(), 1);

    // A file double-clicked stays; a directory is entered.
    selectCaption(list(), "b.txt");
    click(Command::LocalOpen);
    EXPECT_EQ(controller.localDir(), homeDir());
    selectCaption(list(), "docs");
    click(Command::LocalOpen);
    EXPECT_EQ(controller.localDir(), homeDir() + "docs/");
    EXPECT_EQ(rows(), std::vector<std::string>{"a.txt"});

    click(Command::LocalUp);
    EXPECT_EQ(controller.localDir(), homeDir());
    // The tree: an entry below the current one enters it, entry 0 is the root.
    const auto& entries = tree.entries();
    const auto zeta = std::find_if(entries.begin(), entries.end(),
                                   [](const DirectoryTree::Entry& e) { return e.name == "Zeta"; });
    ASSERT_NE(zeta, entries.end());
    pane().chooseTreeEntry(static_cast<int>(zeta - entries.begin()));
    EXPECT_EQ(controller.localDir(), homeDir() + "Zeta/");
    pane().chooseTreeEntry(0);
    EXPECT_EQ(controller.localDir(), "/");
    click(Command::LocalUp);
    EXPECT_EQ(controller.localDir(), "/");

    pane().drives().setItemIndex(1);
    pane().chooseDrive();
    EXPECT_EQ(controller.localDir(), homeDir());
    EXPECT_FALSE(controller.changeLocalDir("b.txt"));
    EXPECT_FALSE(controller.changeLocalDir("missing"));
    EXPECT_EQ(controller.localDir(), homeDir());
    // The process's working directory is the caller's, whatever the pane shows.
    EXPECT_NE(fs::current_path(), home);

    // Refresh shows what appeared meanwhile.
    writeFile(home / "new.txt", "");
    click(Command::LocalRefresh);
    EXPECT_EQ(rows().back(), "new.txt");
}

TEST_F(LocalPaneTest, AnUnreadableDirectoryIsNotEnteredAndSaysWhy) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every directory";
    fs::permissions(home / "Zeta", fs::perms::none);
    selectCaption(list(), "Zeta");
    click(Command::LocalOpen);
    fs::permissions(home / "Zeta", fs::perms::owner_all);
    EXPECT_EQ(controller.localDir(), homeDir());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, homeDir() + "Zeta/: Permission denied");
}

TEST_F(LocalPaneTest, SortingByColumnsAndMenuKeepsDirectoriesFirst) {
    click(Command::LocalSortBySize);  // first click on size: smallest first, then largest
    click(Command::LocalSortBySize);
    EXPECT_EQ(rows(), (std::vector<std::string>{"docs", "Zeta", "c.log", "b.txt"}));
    pane().sortLocalByColumn(1);  // name, descending
    EXPECT_EQ(rows(), (std::vector<std::string>{"Zeta", "docs", "c.log", "b.txt"}));
    EXPECT_EQ(controller.state().localSortKey, -1);

    // The remote list sorts only while connected.
    addRemoteFile("b");
    addRemoteFile("a");
    const std::vector<std::string> before = captionsOf(controller.model().ftpView());
    click(Command::RemoteSortByName);
    EXPECT_EQ(captionsOf(controller.model().ftpView()), before);
    controller.state().serverListMode = false;
    click(Command::RemoteSortByName);
    EXPECT_EQ(controller.state().remoteSortKey, -1);
    pane().sortRemoteByColumn(1);
    EXPECT_EQ(captionsOf(controller.model().ftpView()), (std::vector<std::string>{"a", "b"}));
}

TEST_F(LocalPaneTest, FilterAndSelectCommandsShareThePaneMask) {
    dialogs.promptAnswers = {std::string("*.txt")};
    click(Command::LocalFilter);
    EXPECT_EQ(dialogs.prompts.back().caption, "Lokale Auswahl");
    EXPECT_EQ(rows(), (std::vector<std::string>{"docs", "Zeta", "b.txt"}));

    dialogs.promptAnswers = {std::string("*.*")};
    click(Command::LocalFilter);
    click(Command::LocalSelectAll);
    EXPECT_EQ(list().selectedCount(), 4u);
    dialogs.promptAnswers = {std::string("*.log")};
    click(Command::LocalUnselectByMask);
    EXPECT_EQ(dialogs.prompts.back().caption, "Lokal Filter");
    EXPECT_FALSE(list().item(3).selected);
    EXPECT_TRUE(list().item(2).selected);
    click(Command::LocalInvertSelection);
    EXPECT_EQ(list().selectedIndexes(), std::vector<std::size_t>{3});
    // The mask typed for selecting filters the next filling.
    EXPECT_EQ(controller.state().localMask, "*.log");
    click(Command::LocalRefresh);
    EXPECT_EQ(rows(), (std::vector<std::string>{"docs", "Zeta", "c.log"}));
    // A cancelled dialog keeps the mask and the selection.
    click(Command::LocalSelectByMask);
    EXPECT_EQ(controller.state().localMask, "*.log");

    // Negative tags act on the remote list, whatever has the focus.
    addRemoteFile("r.bin");
    dialogs.promptAnswers = {std::string("*.bin")};
    click(Command::RemoteSelectByMask);
    EXPECT_EQ(dialogs.prompts.back().caption, "Ftp Filter");
    EXPECT_TRUE(controller.model().ftpView().item(0).selected);
    EXPECT_EQ(controller.state().remoteMask, "*.bin");
}

TEST_F(LocalPaneTest, SummariesCountSelectedFilesWithSizesAbove2GiB) {
    const PresentationModel& model = controller.model();
    EXPECT_FALSE(model.control("pnlLocInfo").visible);
    const int fd = ::open((home / "huge.img").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_EQ(::ftruncate(fd, 3LL << 30), 0);
    ::close(fd);
    click(Command::LocalRefresh);
    click(Command::LocalSelectAll);
    EXPECT_TRUE(model.control("pnlLocInfo").visible);
    EXPECT_EQ(model.control("pnlLocInfo").text, "3221225476 bytes (3145728.00 Kb) in 3  Dateie(n)");
    selectCaption(list(), "docs");
    EXPECT_FALSE(model.control("pnlLocInfo").visible);

    // The remote summary shows only while connected.
    addRemoteFile("r.bin", true);
    EXPECT_FALSE(model.control("pnlFtpInfo").visible);
    controller.state().serverListMode = false;
    controller.model().ftpView().update(0, [](PaneItem&) {});
    EXPECT_EQ(model.control("pnlFtpInfo").text, "2048 byte (2.00 Kb) in 1 file(s)");
}

// Each command has one rule, which its button, menu entry and popup entry all show.
TEST_F(LocalPaneTest, CommandEnablingFollowsTheSelectionAndTheTree) {
    const auto enabledEverywhere = [&](Command command) {
        bool all = controller.model().commandEnabled(command);
        for (const std::string& name : controlsOf(command))
            EXPECT_EQ(enabled(name.c_str()), all) << name;
        return all;
    };
    selectCaption(list(), "b.txt");
    for (Command command :
         {Command::LocalView, Command::LocalRun, Command::LocalRename, Command::LocalDelete})
        EXPECT_TRUE(enabledEverywhere(command));
    EXPECT_FALSE(enabledEverywhere(Command::Upload));  // server list shown
    selectCaption(list(), "docs");
    EXPECT_FALSE(enabledEverywhere(Command::LocalView));
    EXPECT_FALSE(enabledEverywhere(Command::LocalRun));
    EXPECT_TRUE(enabledEverywhere(Command::LocalRename));
    EXPECT_TRUE(enabledEverywhere(Command::LocalDelete));
    list().selectAll(false);
    EXPECT_FALSE(enabledEverywhere(Command::LocalRename));
    EXPECT_TRUE(enabledEverywhere(Command::LocalDelete));  // home is not the root
    pane().chooseTreeEntry(0);
    list().selectAll(false);
    EXPECT_FALSE(enabledEverywhere(Command::LocalDelete));

    controller.updateConnectionUI(true);
    EXPECT_TRUE(enabledEverywhere(Command::Upload));
}

TEST_F(LocalPaneTest, MakeDirectoryEntersItAndStaysInsideTheLocalDirectory) {
    dialogs.promptAnswers = {std::string("New Dir")};
    click(Command::LocalMakeDirectory);
    EXPECT_EQ(dialogs.prompts.back().caption, "Verzeichnis erstellen");
    EXPECT_EQ(dialogs.prompts.back().prompt, " Neuen Verzeichnisnamen eingeben:");
    EXPECT_TRUE(fs::is_directory(home / "New Dir"));
    EXPECT_EQ(controller.localDir(), homeDir() + "New Dir/");

    click(Command::LocalUp);
    dialogs.promptAnswers = {std::string("docs"), std::string("../escape")};
    click(Command::LocalMakeDirectory);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Achtung");
    EXPECT_EQ(dialogs.messages[0].text, homeDir() + "docs: File exists");
    click(Command::LocalMakeDirectory);
    EXPECT_EQ(dialogs.messages.back().text, homeDir() + "../escape: Invalid argument");
    EXPECT_FALSE(fs::exists(dir.path() / "escape"));
    EXPECT_EQ(controller.localDir(), homeDir());
}

TEST_F(LocalPaneTest, RenameKeepsTheEntryInItsDirectoryAndNeverReplacesAnother) {
    selectCaption(list(), "b.txt");
    dialogs.promptAnswers = {std::string("../../moved.txt")};
    click(Command::LocalRename);
    EXPECT_EQ(dialogs.prompts.back().value, "b.txt");
    EXPECT_EQ(readFile(home / "moved.txt"), "b");
    EXPECT_EQ(rows(), (std::vector<std::string>{"docs", "Zeta", "c.log", "moved.txt"}));

    selectCaption(list(), "moved.txt");
    dialogs.promptAnswers = {std::string("c.log")};
    click(Command::LocalRename);
    EXPECT_EQ(readFile(home / "moved.txt"), "b");
    EXPECT_EQ(readFile(home / "c.log"), "ccc");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LocalPaneTest, ChangeCaseRenamesSelectedEntriesButNeverOntoAnother) {
    writeFile(home / "B.TXT", "upper");
    click(Command::LocalRefresh);
    for (const char* name : {"docs", "B.TXT"})
        for (std::size_t i = 0; i < list().count(); ++i)
            if (list().item(i).caption == name)
                list().setSelected(i, true);
    click(Command::LocalUpperCase);  // upper case
    EXPECT_TRUE(fs::is_directory(home / "DOCS"));
    click(Command::LocalSentenceCase);
    EXPECT_TRUE(fs::is_directory(home / "Docs"));
    click(Command::LocalLowerCase);  // "B.txt" would land on "b.txt"
    EXPECT_EQ(readFile(home / "B.txt"), "upper");
    EXPECT_EQ(readFile(home / "b.txt"), "b");
    EXPECT_TRUE(fs::is_directory(home / "docs"));
    std::vector<std::string> selected;
    for (std::size_t i : list().selectedIndexes())
        selected.push_back(list().item(i).caption);
    EXPECT_EQ(selected, (std::vector<std::string>{"docs", "B.txt"}));
}

TEST_F(LocalPaneTest, DeleteAsksWithTotalsAndNeverFollowsALinkOutOfTheTree) {
    const fs::path outside = dir.path() / "outside";
    fs::create_directories(outside);
    writeFile(outside / "precious", "keep");
    fs::create_directories(home / "docs" / "deep");
    writeFile(home / "docs" / "deep" / "d.txt", "");
    fs::create_directory_symlink(outside, home / "docs" / "link");
    click(Command::LocalRefresh);
    selectCaption(list(), "docs");
    list().setSelected(2, true);  // b.txt

    dialogs.messageAnswers = {Answer::No};
    click(Command::LocalDelete);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Achtung");
    EXPECT_EQ(dialogs.messages[0].text,
              "M\xc3\xb6"
              "chten Sie 4 Dateien l\xc3\xb6schen? und 2 Ordner ");
    EXPECT_TRUE(fs::exists(home / "docs" / "deep" / "d.txt"));

    dialogs.messageAnswers = {Answer::Yes};
    selectCaption(list(), "docs");
    click(Command::LocalDelete);
    EXPECT_FALSE(fs::exists(home / "docs"));
    EXPECT_EQ(readFile(outside / "precious"), "keep");
    EXPECT_EQ(rows(), (std::vector<std::string>{"Zeta", "b.txt", "c.log"}));

    // Nothing selected below home: the shown directory goes, the pane moves to its parent.
    controller.changeLocalDir("Zeta");
    dialogs.messageAnswers = {Answer::Yes};
    click(Command::LocalDelete);
    EXPECT_EQ(dialogs.messages.back().text,
              "M\xc3\xb6"
              "chten Sie 0 Dateien l\xc3\xb6schen? und 1 Ordner ");
    EXPECT_FALSE(fs::exists(home / "Zeta"));
    EXPECT_EQ(controller.localDir(), homeDir());
}

TEST_F(LocalPaneTest, ViewAndRunHandTheFullPathAsOneArgumentWithTheLocalDirectory) {
    const std::string odd = "it's a \"test\"; rm -rf x.txt";
    writeFile(home / odd, "");
    click(Command::LocalRefresh);
    click(Command::LocalView);
    EXPECT_TRUE(opened.empty());  // nothing selected
    selectCaption(list(), odd);
    click(Command::LocalView);
    click(Command::LocalRun);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].purpose, OpenPurpose::View);
    EXPECT_EQ(opened[1].purpose, OpenPurpose::Run);
    for (const Opened& o : opened) {
        EXPECT_EQ(o.path, homeDir() + odd);
        EXPECT_EQ(o.dir, homeDir());
    }
    openerWorks = false;
    click(Command::LocalRun);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Achtung");
}

}  // namespace
}  // namespace quay

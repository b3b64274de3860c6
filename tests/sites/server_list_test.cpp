#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "pane_rows.h"
#include "panes/list_order.h"
#include "sites/server_line.h"
#include "sites/server_list.h"
#include "sites/text_lines.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

constexpr const char* HomeLine =
    "Name=Home;Server=host1;Port=21;User=anonymous;Anonymous=0;SavePassword=1;Pasv=0;"
    "Answer=0957681;AnswerName=Default;CheckPSW=1;CheckVHost=0;";

// A server list on a pane and path box in a temporary data directory.
class ServerListTest : public ::testing::Test {
protected:
    ServerListTest() : list(dir.path(), view, path) {
        usePaneOrder(view, sortKey);
        list.onError = [this](const std::string& text) { errors.push_back(text); };
    }

    std::vector<std::string> captions() const { return test::captionsOf(view); }
    // The row of this caption; past the end when there is none.
    std::size_t indexOf(const std::string& caption) const {
        std::vector<std::string> all = captions();
        return static_cast<std::size_t>(std::find(all.begin(), all.end(), caption) - all.begin());
    }

    test::TempDir dir;
    int sortKey = 1;
    PaneModel view;
    ComboModel path;
    ServerList list;
    std::vector<std::string> errors;
};

TEST_F(ServerListTest, LoadsDamagedFileAndWritesEveryEntryBack) {
    std::string big(1 << 20, 'x');
    writeFile(dir.path() / "ftplist.TXT",
              std::string("dir=Work\r\n") + HomeLine + "\r\n\r\nName=Junk\x01\xff\x80;Port=1\n" +
                  "Name=Big;Desc=" + big + "\r\nDIR=Archive\r\nName=Last;Server=h");
    list.showServerList("");
    // Folders before servers, each group by name; the empty line is a nameless server.
    EXPECT_EQ(captions(), (std::vector<std::string>{"Archive", "Work", "", "Big", "Home",
                                                    "Junk\x01\xff\x80", "Last"}));
    ASSERT_NE(serverOf(view.item(3)), nullptr);
    EXPECT_EQ(serverOf(view.item(3))->Desc.size(), big.size());

    ASSERT_TRUE(list.saveServerList());
    std::string saved = readFile(dir.path() / "ftplist.TXT");
    std::string defaults =
        "Port=21;User=anonymous;Anonymous=0;SavePassword=1;Pasv=0;Answer=0957681;"
        "AnswerName=Default;CheckPSW=1;CheckVHost=0;";
    EXPECT_EQ(saved.substr(0, saved.find("Name=Big")),
              "DIR=Archive\r\nDIR=Work\r\n" + defaults + "\r\n");
    EXPECT_NE(saved.find(std::string("\r\n") + HomeLine + "\r\n"), std::string::npos);
    EXPECT_TRUE(saved.ends_with("Name=Last;Server=h;Port=21;" + defaults.substr(8) + "\r\n"));

    struct stat info {};
    ASSERT_EQ(::stat((dir.path() / "ftplist.TXT").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(ServerListTest, ByteOrderMarkOfAnEditorIsDropped) {
    writeFile(dir.path() / "ftplist.TXT",
              "\xEF\xBB\xBF"
              "DIR=Work\r\n");
    list.showServerList("");
    ASSERT_EQ(captions(), std::vector<std::string>{"Work"});
    EXPECT_TRUE(isImage(view.item(0), ServerListImage::Folder));
}

TEST_F(ServerListTest, MissingLevelIsEmptyAndCreatedOnFirstSave) {
    list.showServerList("Work\\Test\\");
    EXPECT_EQ(captions(), std::vector<std::string>{".."});
    EXPECT_EQ(list.currentFolderPath(), "work\\test\\");
    view.add(serverItem(defaultServerInfo("")));
    ASSERT_TRUE(list.saveServerList());
    // ".." is never written.
    EXPECT_EQ(readFile(dir.path() / "work" / "test" / "ftplist.TXT").substr(0, 8), "Port=21;");
}

TEST_F(ServerListTest, FolderDirectoriesAreFoundWithoutRegardToCase) {
    fs::create_directories(dir.path() / "Work" / "Sub");
    writeFile(dir.path() / "Work" / "Sub" / "FTPLIST.txt", std::string(HomeLine) + "\r\n");
    list.showServerList("WORK\\sub\\");
    EXPECT_EQ(captions(), (std::vector<std::string>{"..", "Home"}));
    view.remove(1);
    ASSERT_TRUE(list.saveServerList());
    // The existing directories and list file are reused, not doubled in another case.
    EXPECT_EQ(readFile(dir.path() / "Work" / "Sub" / "FTPLIST.txt"), "");
    EXPECT_FALSE(fs::exists(dir.path() / "work"));
}

TEST_F(ServerListTest, BreadcrumbKeepsDeeperNamesUntilAnotherBranchIsEntered) {
    list.showServerList("Work\\");
    list.showServerList("Work\\Test\\");
    EXPECT_EQ(path.items(), (std::vector<std::string>{"Server Liste ...", "work", "test"}));
    path.setItemIndex(1);
    list.showServerList(list.currentFolderPath());
    EXPECT_EQ(path.itemIndex(), 1);
    EXPECT_EQ(path.items().size(), 3u);
    list.showServerList("work\\Old\\");
    EXPECT_EQ(path.items(), (std::vector<std::string>{"Server Liste ...", "work", "old"}));
    EXPECT_EQ(path.itemIndex(), 2);

    // A path box emptied on disconnecting, or holding a remote path, becomes a breadcrumb.
    path.clear();
    list.showServerList("A\\");
    EXPECT_EQ(path.items(), (std::vector<std::string>{"Server Liste ...", "a"}));
    path.clear();
    for (const char* item : {"Server Liste...", "host.example", "pub"})
        path.add(item);
    list.showServerList("A\\");
    EXPECT_EQ(path.items(), (std::vector<std::string>{"Server Liste...", "a"}));
}

TEST_F(ServerListTest, HandEditedFoldersCannotReachOutsideTheDataDirectory) {
    fs::path inside = dir.path() / "data";
    fs::create_directories(inside);
    writeFile(dir.path() / "ftplist.TXT", std::string(HomeLine) + "\r\n");
    PaneModel otherView;
    ComboModel otherPath;
    ServerList escaped(inside, otherView, otherPath);
    std::vector<std::string> messages;
    escaped.onError = [&messages](const std::string& text) { messages.push_back(text); };
    for (const char* folderPath : {"..\\", "a\\..\\..\\", "x/..\\"}) {
        escaped.showServerList(folderPath);
        // Nothing of the parent's list is shown, and nothing is written there.
        ASSERT_EQ(otherView.count(), 1u) << folderPath;
        EXPECT_FALSE(escaped.saveServerList());
    }
    EXPECT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].rfind("Can not create the directory:", 0), 0u);
    EXPECT_EQ(readFile(dir.path() / "ftplist.TXT"), std::string(HomeLine) + "\r\n");
}

TEST_F(ServerListTest, UncreatableLevelDirectoryIsReportedAndNothingWritten) {
    writeFile(dir.path() / "blocked", "a file where a folder should be");
    list.showServerList("blocked\\");
    view.add(folderItem("x"));
    EXPECT_FALSE(list.saveServerList());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Can not create the directory:" + (dir.path() / "blocked\\").string());
}

TEST_F(ServerListTest, UnreadableListIsNeverOverwritten) {
    // Too big, or so many lines (each one a server) that the level would take gigabytes.
    for (const std::string& junk : {std::string(HomeLine) + "\r\n" + std::string(17 << 20, 'h'),
                                    std::string(HomeLine) + std::string(MaxFileLines + 1, '\n')}) {
        errors.clear();
        writeFile(dir.path() / "ftplist.TXT", junk);
        list.showServerList("");
        EXPECT_TRUE(view.empty());
        view.add(folderItem("New"));
        EXPECT_FALSE(list.saveServerList());
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0], "Can not read the file:" + (dir.path() / "ftplist.TXT").string());
        EXPECT_EQ(fs::file_size(dir.path() / "ftplist.TXT"), junk.size());
    }
    // A long list within the bound is read whole.
    writeFile(dir.path() / "ftplist.TXT", std::string(MaxFileLines, '\n'));
    list.showServerList("");
    EXPECT_EQ(view.count(), MaxFileLines);

    // Another level saves as usual.
    list.showServerList("Other\\");
    EXPECT_TRUE(list.saveServerList());
}

TEST_F(ServerListTest, MoveServerIntoNeverOpenedFolder) {
    FtpServerInfo moved = defaultServerInfo("");
    moved.Name = "Mover";
    moved.Password = "pw";
    writeFile(dir.path() / "ftplist.TXT",
              "DIR=New\r\n" + serverInfoToLine(moved) + "\r\n" + HomeLine + "\r\n");
    list.showServerList("");
    auto server = indexOf("Mover");
    auto folder = indexOf("New");
    // Only a server dropped on a folder moves.
    EXPECT_FALSE(list.moveServerToFolder(folder, folder));
    EXPECT_FALSE(list.moveServerToFolder(server, 99));

    ASSERT_TRUE(list.moveServerToFolder(server, folder));
    EXPECT_EQ(captions(), (std::vector<std::string>{"New", "Home"}));
    EXPECT_EQ(readFile(dir.path() / "New" / "ftplist.TXT"), serverInfoToLine(moved) + "\r\n");
    EXPECT_EQ(readFile(dir.path() / "ftplist.TXT"), std::string("DIR=New\r\n") + HomeLine + "\r\n");

    // A second move appends to the folder's existing list.
    list.showServerList("");
    ASSERT_TRUE(list.moveServerToFolder(indexOf("Home"), indexOf("New")));
    EXPECT_EQ(readFile(dir.path() / "New" / "ftplist.TXT"),
              serverInfoToLine(moved) + "\r\n" + HomeLine + "\r\n");
}

TEST_F(ServerListTest, MoveOntoAFolderThatNamesTheLevelItselfKeepsTheServer) {
    // Hand-edited folder lines whose names have no folder in them lead back to the level.
    for (const char* folderPath : {"", "Work\\"}) {
        std::string lines = std::string("DIR=\r\nDIR= \\ \r\n") + HomeLine + "\r\n";
        fs::path level = dir.path() / (*folderPath ? "work" : "");
        fs::create_directories(level);
        writeFile(level / "ftplist.TXT", lines);
        list.showServerList(folderPath);
        std::size_t first = *folderPath ? 1 : 0;  // after ".."
        for (std::size_t folder : {first, first + 1}) {
            EXPECT_FALSE(list.moveServerToFolder(indexOf("Home"), folder))
                << folderPath << " " << folder;
        }
        EXPECT_LT(indexOf("Home"), view.count());
        EXPECT_EQ(readFile(level / "ftplist.TXT"), lines) << folderPath;
    }
}

TEST_F(ServerListTest, FailedMoveChangesNothing) {
    writeFile(dir.path() / "ftplist.TXT", std::string("DIR=Gone\r\n") + HomeLine + "\r\n");
    writeFile(dir.path() / "Gone", "a file, not a folder");
    list.showServerList("");
    EXPECT_FALSE(list.moveServerToFolder(indexOf("Home"), indexOf("Gone")));
    EXPECT_EQ(view.count(), 2u);
    EXPECT_EQ(readFile(dir.path() / "ftplist.TXT"),
              std::string("DIR=Gone\r\n") + HomeLine + "\r\n");
    EXPECT_TRUE(errors.empty());
}

}  // namespace
}  // namespace quay

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "pane_rows.h"
#include "panes/list_order.h"
#include "scripted_dialogs.h"
#include "session/server_list_commands.h"
#include "sites/server_line.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using Open = ServerListCommands::OpenResult;

// Fills the open properties dialog with a name and a server and presses OK.
test::ScriptedDialogs::PropertiesScript fill(std::string name, std::string server) {
    return [name, server](ServerPropertiesModel& model) {
        model.NameEdt = name;
        model.ServerEdt = server;
        return true;
    };
}

class ServerListCommandsTest : public ::testing::Test {
protected:
    ServerListCommandsTest() : data(dir.path() / "data"), commands(data, view, path, dialogs) {
        fs::create_directories(data);
        usePaneOrder(view, sortKey);
        commands.showServerList("");
    }

    std::vector<std::string> captions() const { return test::captionsOf(view); }
    void select(const std::string& caption) { test::selectCaption(view, caption); }
    std::string listFile(const fs::path& folder = {}) const {
        return readFile(data / folder / "ftplist.TXT");
    }
    void mkdir(const std::string& name) {
        dialogs.promptAnswers.push_back(name);
        commands.makeFolder();
    }

    test::TempDir dir;
    fs::path data;
    int sortKey = 1;
    PaneModel view;
    ComboModel path;
    test::ScriptedDialogs dialogs;
    ServerListCommands commands;
};

TEST_F(ServerListCommandsTest, NewServerIsAddedSelectedAndSaved) {
    dialogs.propertiesScripts.push_back(fill("", "nameless"));  // refused: stays open
    dialogs.propertiesScripts.push_back(fill("Home", "host1"));
    ASSERT_TRUE(commands.addServer());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].caption, "Attention");
    EXPECT_EQ(dialogs.messages[0].text, "FTP Server Name must be defined");
    EXPECT_EQ(captions(), std::vector<std::string>{"Home"});
    EXPECT_TRUE(view.item(0).selected);
    EXPECT_EQ(listFile(),
              "Name=Home;Server=host1;Port=21;User=anonymous;Anonymous=0;SavePassword=1;Pasv=0;"
              "Answer=0957681;AnswerName=Default;CheckPSW=1;CheckVHost=0;\r\n");
    // The properties dialog wrote the layouts file too.
    EXPECT_EQ(readFile(data / "Answer.txt"), "\"Default\",0957681\r\n");

    // Cancelling adds nothing.
    EXPECT_FALSE(commands.addServer());
    EXPECT_EQ(view.count(), 1u);
}

TEST_F(ServerListCommandsTest, UnwritableLayoutsFileIsReported) {
    fs::create_directories(data / "Answer.txt");
    dialogs.propertiesScripts.push_back(fill("Home", "host1"));
    ASSERT_TRUE(commands.addServer());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Can not write the file:" + (data / "Answer.txt").string());
    EXPECT_EQ(view.count(), 1u);
}

TEST_F(ServerListCommandsTest, PropertiesEditTheSelectedServerOrAddOne) {
    writeFile(data / "ftplist.TXT",
              "DIR=Work\r\nName=Old;Server=a;Password=" + cryptPassword("pw") + ";\r\n");
    commands.showServerList("");
    select("Old");
    ASSERT_TRUE(commands.selectedServer());
    dialogs.propertiesScripts.push_back([](ServerPropertiesModel& model) {
        EXPECT_EQ(model.PasswordEdt, "pw");
        model.NameEdt = "Alpha";
        return true;
    });
    commands.editSelectedServer();
    EXPECT_EQ(captions(), (std::vector<std::string>{"Work", "Alpha"}));
    EXPECT_NE(listFile().find("Name=Alpha;Server=a;"), std::string::npos);

    // A folder selected: nothing happens.
    select("Work");
    EXPECT_FALSE(commands.serverSelected());
    commands.editSelectedServer();
    EXPECT_EQ(dialogs.propertiesShown, 1);

    // Nothing selected: a new server, added unselected.
    view.selectAll(false);
    dialogs.propertiesScripts.push_back(fill("Beta", "b"));
    commands.editSelectedServer();
    EXPECT_EQ(captions(), (std::vector<std::string>{"Work", "Alpha", "Beta"}));
    EXPECT_EQ(view.selectedCount(), 0u);
    EXPECT_NE(listFile().find("Name=Beta;"), std::string::npos);
}

TEST_F(ServerListCommandsTest, MakeDirectoryCreatesFoldersAndRefusesEscapes) {
    mkdir("Work");
    ASSERT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(dialogs.prompts[0].caption, "Verzeichnis erstellen");
    EXPECT_EQ(dialogs.prompts[0].prompt, "Neuen Verzeichnisnamen eingeben");
    EXPECT_TRUE(fs::is_directory(data / "Work"));
    EXPECT_EQ(listFile(), "DIR=Work\r\n");

    mkdir("Work");  // exists already: a second item
    EXPECT_EQ(captions(), (std::vector<std::string>{"Work", "Work"}));

    for (const char* bad : {"..", ".", "", "a/b", "x\\..\\..\\y"})
        mkdir(bad);
    mkdir(std::string("n\0l", 3));
    mkdir("two\r\nlines");
    ASSERT_EQ(dialogs.messages.size(), 7u);
    EXPECT_EQ(dialogs.messages[0].caption, "Achtung");
    EXPECT_EQ(dialogs.messages[0].text, "Can Not Create the Directory :..");
    EXPECT_EQ(view.count(), 2u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    EXPECT_EQ(std::distance(fs::directory_iterator(data), fs::directory_iterator()), 2);

    // Inside a folder the message names the folder path too; a cancelled prompt does nothing.
    select("Work");
    commands.openRow();
    mkdir("..");
    EXPECT_EQ(dialogs.messages.back().text, "Can Not Create the Directory :work\\..");
    dialogs.promptAnswers.push_back(std::nullopt);
    commands.makeFolder();
    EXPECT_EQ(captions(), std::vector<std::string>{".."});
}

TEST_F(ServerListCommandsTest, RenameFolderMovesItsDirectory) {
    mkdir("Work");
    writeFile(data / "Work" / "ftplist.TXT", "Name=Inner;\r\n");
    select("Work");
    dialogs.promptAnswers.push_back("Jobs");
    commands.renameFolder();
    EXPECT_EQ(dialogs.prompts.back().caption, "Umbenennen ");
    EXPECT_EQ(dialogs.prompts.back().prompt, "Neuen eingeben  ");
    EXPECT_EQ(dialogs.prompts.back().value, "Work");
    EXPECT_EQ(captions(), std::vector<std::string>{"Jobs"});
    EXPECT_EQ(listFile(), "DIR=Jobs\r\n");
    EXPECT_EQ(listFile("Jobs"), "Name=Inner;\r\n");

    // A change of case alone renames as well.
    dialogs.promptAnswers.push_back("JOBS");
    commands.renameFolder();
    EXPECT_EQ(listFile(), "DIR=JOBS\r\n");

    // Failures change nothing and show nothing: a taken name, escapes.
    mkdir("Other");
    select("JOBS");
    for (const char* bad : {"Other", "..", "../../x", ""}) {
        dialogs.promptAnswers.push_back(bad);
        commands.renameFolder();
    }
    EXPECT_EQ(captions(), (std::vector<std::string>{"JOBS", "Other"}));
    EXPECT_EQ(listFile("JOBS"), "Name=Inner;\r\n");
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST_F(ServerListCommandsTest, DeleteKeepsDirectoriesSoARecreatedFolderShowsItsServers) {
    mkdir("Work");
    writeFile(data / "Work" / "ftplist.TXT", "Name=Kept;\r\n");
    select("Work");
    commands.openRow();
    EXPECT_EQ(captions(), (std::vector<std::string>{"..", "Kept"}));
    select("..");
    commands.removeSelected();  // ".." leaves the pane only
    EXPECT_EQ(captions(), std::vector<std::string>{"Kept"});
    EXPECT_EQ(listFile("Work").rfind("Name=Kept;Port=21;", 0), 0u);

    path.setItemIndex(0);
    commands.pathChosen();
    view.selectAll(true);
    commands.removeSelected();
    EXPECT_TRUE(view.empty());
    EXPECT_EQ(listFile(), "");
    mkdir("Work");
    select("Work");
    commands.openRow();
    EXPECT_EQ(captions(), (std::vector<std::string>{"..", "Kept"}));
}

TEST_F(ServerListCommandsTest, DoubleClickAndNavigation) {
    writeFile(data / "ftplist.TXT", "DIR=Work\r\nName=Srv;Server=s;\r\n");
    fs::create_directories(data / "Work" / "Test");
    writeFile(data / "Work" / "ftplist.TXT", "DIR=Test\r\n");
    int cleared = 0;
    commands.clearRemoteEntries = [&cleared] { ++cleared; };
    commands.refresh();
    EXPECT_EQ(cleared, 1);

    select("Srv");
    EXPECT_EQ(commands.openRow(), Open::Connect);
    select("Work");
    EXPECT_EQ(commands.openRow(), Open::None);
    select("Test");
    commands.openRow();
    EXPECT_EQ(commands.list().currentFolderPath(), "work\\test\\");
    EXPECT_EQ(commands.list().rememberedFolderPath(), "work\\Test\\");
    select("..");
    commands.openRow();
    EXPECT_EQ(captions(), (std::vector<std::string>{"..", "Test"}));
    commands.oneLevelUp();
    EXPECT_EQ(captions(), (std::vector<std::string>{"Work", "Srv"}));
    path.setItemIndex(2);
    commands.pathChosen();
    EXPECT_EQ(captions(), std::vector<std::string>{".."});

    // Nothing selected: a new server, connected to when added.
    view.selectAll(false);
    dialogs.propertiesScripts.push_back(fill("Fresh", "f"));
    EXPECT_EQ(commands.openRow(), Open::Connect);
    EXPECT_NE(readFile(data / "Work" / "Test" / "ftplist.TXT").find("Name=Fresh;"),
              std::string::npos);
    view.selectAll(false);
    EXPECT_EQ(commands.openRow(), Open::None);  // cancelled
}

TEST_F(ServerListCommandsTest, DropMovesAServerIntoAFolder) {
    writeFile(data / "ftplist.TXT", "DIR=Box\r\nName=Srv;\r\nName=Other;\r\n");
    commands.showServerList("");
    select("Srv");
    EXPECT_FALSE(commands.dropOnRemotePane(2));  // onto a server
    ASSERT_TRUE(commands.dropOnRemotePane(0));
    EXPECT_EQ(captions(), (std::vector<std::string>{"Box", "Other"}));
    EXPECT_EQ(listFile("Box").rfind("Name=Srv;Port=21;", 0), 0u);
    EXPECT_EQ(listFile().find("Srv"), std::string::npos);
}

TEST_F(ServerListCommandsTest, ConvertOldListScramblesPlainPasswords) {
    writeFile(data / "ftplist.TXT", "DIR=Box\r\nName=Old;Password=plain;\r\n");
    commands.showServerList("");
    commands.convertPasswords();
    EXPECT_EQ(serverOf(view.item(1))->Password, "plain");
    EXPECT_NE(listFile().find("Password=" + cryptPassword("plain") + ";"), std::string::npos);
    EXPECT_EQ(listFile().rfind("DIR=Box\r\n", 0), 0u);
}

TEST_F(ServerListCommandsTest, InputFormCutsValues) {
    std::string value(300, 'v');
    dialogs.promptAnswers.push_back(std::string(20, 'a'));
    ASSERT_TRUE(dialogs.showInputForm(std::string(300, 'c'), "p", value, true, 10));
    EXPECT_EQ(value, std::string(10, 'a'));
    EXPECT_EQ(dialogs.prompts[0].value.size(), 255u);

    // An unchanged value longer than the limit comes back cut.
    value = "abcdef";
    dialogs.promptAnswers.push_back(value);
    ASSERT_TRUE(dialogs.showInputForm("c", "p", value, false, 3));
    EXPECT_EQ(value, "abc");
}

}  // namespace
}  // namespace quay

// The session controller headless against real servers: the log-in chain's choices, failure
// handling, navigation of virtual-host servers, and the session log file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>

#include "base/poll_loop.h"
#include "ftp_servers.h"
#include "pane_rows.h"
#include "scripted_dialogs.h"
#include "server_record.h"
#include "session/server_address.h"
#include "session/session_controller.h"
#include "session_probe.h"
#include "sites/server_line.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// The address, then Server, User, Password, Port, InitialDir after splitting it over a
// record of user "u", password "p", port "21", start directory "/start".
struct AddressCase {
    const char* address;
    std::array<const char*, 5> fields;
};

std::array<std::string, 5> splitOverRecord(const std::string& address) {
    FtpServerInfo info;
    info.Server = address;
    info.User = std::string("u");
    info.Password = std::string("p");
    info.Port = std::string("21");
    info.InitialDir = std::string("/start");
    parseServerAddress(info);
    return {info.Server, info.User, info.Password, info.Port, info.InitialDir};
}

TEST(ServerAddress, SplitsEveryPartOfATypedAddress) {
    const AddressCase cases[] = {
        {"  FTP://joe:se cret@files.example.org:2121/pub/in ",
         {"files.example.org", "joe", "secret", "2121", "/pub/in"}},
        // A user without a password keeps the record's; a bare host changes nothing else.
        {"http://ann@host", {"host", "ann", "p", "21", "/start"}},
        {"a:b:c@host:x/y:z", {"host", "a", "b:c", "x", "/y:z"}},
        // IPv6 literals: bare ones take no port; brackets allow one and are dropped.
        {"::1", {"::1", "u", "p", "21", "/start"}},
        {"fe80::1%eth0/pub", {"fe80::1%eth0", "u", "p", "21", "/pub"}},
        {"[::1]", {"::1", "u", "p", "21", "/start"}},
        {"joe:pw@[::1]:2121/dir", {"::1", "joe", "pw", "2121", "/dir"}},
        {"ftp://[fe80::1%eth0]/a:b", {"fe80::1%eth0", "u", "p", "21", "/a:b"}},
        {"host:2:3", {"host", "u", "p", "2:3", "/start"}},
    };
    for (const AddressCase& c : cases) {
        const std::array<std::string, 5> got = splitOverRecord(c.address);
        for (std::size_t i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], c.fields[i]) << c.address << " field " << i;
    }
    FtpServerInfo info;
    info.Server = "host/" + std::string(400, 'd');
    parseServerAddress(info);
    EXPECT_EQ(info.InitialDir.size(), FtpServerInfo::InitialDirLimit);
}

TEST(ServerAddress, RemotePathsAndPwdReplies) {
    EXPECT_EQ(remoteDirPath("", false), "/");
    EXPECT_EQ(remoteDirPath("/pub", false), "/pub/");
    EXPECT_EQ(remoteDirPath("/pub", true), "pub/");
    EXPECT_EQ(remoteDirPath("", true), "");
    EXPECT_EQ(parentRemoteDir("/a/b/"), "/a");
    EXPECT_EQ(parentRemoteDir("/a"), "/");
    EXPECT_EQ(parentRemoteDir("sub/"), "/");
    EXPECT_EQ(quotedDirectory("257 \"/home/a b\" is the current directory"), "/home/a b");
    EXPECT_EQ(quotedDirectory("257 \"\" empty"), "");
    EXPECT_EQ(quotedDirectory("257 /home is current"), std::nullopt);
    EXPECT_EQ(quotedDirectory("257 \"/home is current"), std::nullopt);
}

class ConnectionTest : public ::testing::Test {
protected:
    void startServer(test::FtpServerKind kind) {
        server = test::makeFtpServer(kind);
        test::writeFile(root.path() / "hello.txt", "hello");
        fs::create_directories(root.path() / "sub");
        test::writeFile(root.path() / "sub" / "inner.txt", "inner");
        server->start(root.path());
    }
    FtpServerInfo record() const {
        return test::localServerRecord(server->port(), server->user(), server->password());
    }
    void startProgram(const FtpServerInfo& info, const std::string& options = "") {
        test::writeFile(data.path() / "ftplist.TXT", serverInfoToLine(info) + "\r\n");
        test::writeFile(data.path() / "options.ftp", "[Common]\n" + options);
        controller = std::make_unique<SessionController>(loop, dialogs, data.path());
        controller->FormCreate();
    }
    PaneModel& pane() { return controller->model().ftpView(); }
    bool shows(const std::string& caption) { return test::showsCaption(pane(), caption); }
    void doubleClick(const std::string& caption) {
        test::selectCaption(pane(), caption);
        controller->execute(Command::RemoteOpen);
    }
    bool waitFor(const std::function<bool()>& done) {
        return loop.runUntil(
            [&] { return done() && controller->ftp().state() == FtpState::fsReady; }, 20s);
    }
    // The commands sent, in order, without their "> ".
    test::Commands commands() const { return test::commandsSince(controller->model(), 0); }
    // The commands sent after the first one that is command.
    test::Commands commandsAfter(const std::string& command) const {
        const test::Commands sent = commands();
        auto it = std::find(sent.begin(), sent.end(), command);
        return it == sent.end() ? test::Commands{} : test::Commands(it + 1, sent.end());
    }
    std::string nextCommandAfter(const std::string& command) const {
        const std::vector<std::string> after = commandsAfter(command);
        return after.empty() ? "none" : after.front();
    }
    std::string logText() const { return test::logText(controller->model()); }
    // How many log lines are exactly line.
    long logged(const std::string& line) const {
        const auto& lines = controller->model().logLines();
        return std::count(lines.begin(), lines.end(), line);
    }

    test::TempDir root;
    test::TempDir data;
    std::unique_ptr<test::FtpServer> server;
    PollLoop loop;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<SessionController> controller;
};

// After SYST the log-in changes to the record's start directory when it has one, and asks
// for the current one otherwise.
TEST_F(ConnectionTest, StartDirectoryDecidesBetweenCwdAndPwd) {
    startServer(test::FtpServerKind::Pyftpdlib);
    FtpServerInfo info = record();
    info.InitialDir = "/sub";
    info.LocalDir = "made/below";
    // Keep-alive commands with "Keep connection" off are never sent.
    startProgram(info, "Keep=0\nStartKeep=1\nCmdKeep=NOOP\nIniPath=" + root.path().string() + "\n");
    doubleClick("Local");
    EXPECT_EQ(controller->localDir(), (root.path() / "made" / "below").string() + "/");
    // A second double-click while the log-in runs starts nothing.
    controller->execute(Command::RemoteOpen);
    ASSERT_TRUE(waitFor([&] { return shows("inner.txt"); })) << logText();
    EXPECT_EQ(nextCommandAfter("SYST"), "CWD /sub/");
    EXPECT_EQ(logged("Connecting to 127.0.0.1"), 1);
    EXPECT_EQ(logged("! Not started: Connect is running"), 1);
    EXPECT_EQ(controller->state().startRemoteDir, "/sub/");
    loop.runUntil([] { return false; }, 300ms);
    EXPECT_EQ(logged("> NOOP"), 0);

    // A directory that cannot be entered: the server's current directory is read and shown.
    dialogs.promptAnswers = {std::optional<std::string>("/missing")};
    controller->execute(Command::RemoteChangeDirectory);
    ASSERT_TRUE(waitFor([&] { return commandsAfter("CWD /missing").size() == 5; })) << logText();
    EXPECT_EQ(commandsAfter("CWD /missing")[1], "PWD");
    EXPECT_TRUE(shows("inner.txt"));
    EXPECT_EQ(controller->ftp().hostDirName(), "/sub");
    EXPECT_EQ(controller->model().ftpPath().text(), "sub");

    controller->execute(Command::Disconnect);
    ASSERT_TRUE(waitFor([&] { return controller->state().serverListMode; }));
    info.InitialDir = "/";
    startProgram(info);
    doubleClick("Local");
    ASSERT_TRUE(waitFor([&] { return shows("hello.txt"); })) << logText();
    EXPECT_EQ(nextCommandAfter("SYST"), "PWD");
}

// A virtual-host server is entered without the leading "/", and one level up from its first
// level asks PWD instead of sending CDUP.
TEST_F(ConnectionTest, VirtualHostGoesUpFromTheFirstLevelWithPwd) {
    startServer(test::FtpServerKind::PureFtpd);
    FtpServerInfo info = record();
    info.InitialDir = "/sub";
    info.CheckVHost = true;
    startProgram(info);
    doubleClick("Local");
    ASSERT_TRUE(waitFor([&] { return shows("inner.txt"); })) << logText();
    EXPECT_EQ(nextCommandAfter("SYST"), "CWD sub/");
    const std::size_t before = commands().size();
    controller->execute(Command::RemoteUp);
    ASSERT_TRUE(waitFor([&] { return commands().size() == before + 4; })) << logText();
    EXPECT_EQ(commands()[before], "PWD");
    EXPECT_EQ(logged("> CDUP"), 0);
    // The pane shows the directory the server reports.
    EXPECT_EQ(controller->ftp().hostDirName(), "/sub");
    EXPECT_TRUE(shows("inner.txt"));

    // The filter hides files by mask without a new listing.
    const long listings = logged("> LIST");
    dialogs.promptAnswers = {std::optional<std::string>("*.none")};
    controller->execute(Command::RemoteFilter);
    EXPECT_FALSE(shows("inner.txt"));
    EXPECT_EQ(pane().count(), 0u);
    EXPECT_EQ(logged("> LIST"), listings);
}

// The retry rule counts a host, not each of its addresses: a name with two addresses that both
// refuse is tried as often as a host with one (retry=2: four attempts), each attempt naming
// both addresses once.
TEST_F(ConnectionTest, RetriesCountHostsNotAddresses) {
    if (!test::useHostsFile("::1 dual.quayside.test\n127.0.0.1 dual.quayside.test\n"))
        GTEST_SKIP() << "no hosts file of the test's own (needs root and a mount namespace)";
    FtpServerInfo info = test::localServerRecord(test::freePort(), "joe", "pw");
    info.Server = "dual.quayside.test";
    startProgram(info, "retry=2\n");
    doubleClick("Local");
    ASSERT_TRUE(waitFor([&] { return controller->state().serverListMode; })) << logText();
    loop.runUntil([] { return false; }, 300ms);
    const auto count = [&](const std::string& prefix) {
        return test::logCount(controller->model(), prefix);
    };
    EXPECT_EQ(count("Connecting to dual.quayside.test"), 4) << logText();
    EXPECT_EQ(count("! ::1: Connection refused"), 4);
    EXPECT_EQ(count("! 127.0.0.1: Connection refused"), 4);
}

class SessionLogTest : public ::testing::Test {
protected:
    void start(const std::string& logFile) {
        test::writeFile(data.path() / "options.ftp", "[Common]\nLog=1\nLogFile=" + logFile + "\n");
        controller = std::make_unique<SessionController>(loop, dialogs, data.path());
        controller->FormCreate();
    }
    test::TempDir data;
    PollLoop loop;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<SessionController> controller;
};

TEST_F(SessionLogTest, FileFollowsTheOptionsAndMasksPasswords) {
    const fs::path first = data.path() / "first.log";
    test::writeFile(first, "old run\n");
    start(first.string());
    controller->ftp().setPassWord("hunter2");
    controller->showClientLine("> PASS hunter2");
    controller->showClientLine("< 530 PASS hunter2 refused");
    controller->showClientLine("> pass\tother");
    controller->showClientLine("> RETR my pass list.txt");
    controller->showClientLine("< 230 Logged in");
    EXPECT_EQ(test::readFile(first),
              "> PASS ****\n< 530 PASS **** refused\n> PASS ****\n> RETR my pass list.txt\n"
              "< 230 Logged in\n");

    // Another name (not only another case): the first file is closed, the new one begun.
    const fs::path second = data.path() / "second.log";
    controller->options().logFile = second.string();
    controller->applyOptions();
    controller->addLog("to the second");
    EXPECT_EQ(test::readFile(second), "to the second\n");
    struct stat info {};
    ASSERT_EQ(::stat(second.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777u, 0600u);

    controller->options().log = false;
    controller->applyOptions();
    controller->addLog("pane only");
    EXPECT_EQ(test::readFile(second), "to the second\n");
    EXPECT_EQ(controller->model().logLines().back(), "pane only");
}

// A log name that cannot be created as a file is replaced by the name with the process id.
TEST_F(SessionLogTest, UnusableNameFallsBackToTheProcessNumber) {
    const fs::path taken = data.path() / "taken";
    fs::create_directories(taken);
    start(taken.string());
    EXPECT_TRUE(controller->logOpen());
    controller->addLog("line");
    EXPECT_EQ(test::readFile(taken.string() + "." + std::to_string(::getpid())), "line\n");

    controller->options().logFile = (data.path() / "no" / "such" / "dir.log").string();
    controller->applyOptions();
    EXPECT_FALSE(controller->logOpen());
    controller->addLog("still shown");
    EXPECT_EQ(controller->model().logLines().back(), "still shown");
}

// A full log file takes no more lines and says so once, in the file and the pane; it stays
// open and the session's lines still reach the pane.
TEST_F(SessionLogTest, AFullFileStopsWithOneNoteAndThePaneGoesOn) {
    const fs::path file = data.path() / "full.log";
    start(file.string());
    const std::string line(64 * 1024 - 1, 'x');
    for (std::int64_t i = 0; i < LogFile::kMaxBytes / (64 * 1024) + 2; ++i)
        controller->addLog(line);
    controller->addLog("after the limit");
    const std::string note(LogFile::kLimitNote);
    const auto& lines = controller->model().logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), note), 1);
    EXPECT_EQ(lines.back(), "after the limit");
    EXPECT_TRUE(controller->logOpen());
    EXPECT_LE(static_cast<std::int64_t>(fs::file_size(file)), LogFile::kMaxBytes);
    EXPECT_TRUE(test::readFile(file).ends_with(note + "\n"));
}

}  // namespace
}  // namespace quay

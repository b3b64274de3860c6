// Make directory, rename, change case and delete headless: the commands each operation sends,
// in order, and the state it leaves, against a real server; then the interruption matrix
// against the scripted server (Stop, a second command, Preferences, a refused step, a dropped
// connection, a keep-alive tick while the operation or its question is open). Afterwards
// nothing is busy, the pane shows the client's directory and the next listing works.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "ftp_servers.h"
#include "scripted_commands.h"
#include "scripted_ftp_server.h"
#include "session_probe.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::Commands;

using Session = test::HeadlessSession;

class RemoteOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = test::makeFtpServer(test::FtpServerKind::PureFtpd);
        test::writeFile(root.path() / "top.txt", "top");
        server->start(root.path());
        session = std::make_unique<Session>(data.path(), server->port(), server->user(),
                                            server->password());
        session->login();
        ASSERT_TRUE(session->settled() && session->shows("top.txt")) << session->logText();
        start = session->controller->ftp().hostDirName();
        ASSERT_EQ(start, "/");
    }
    // The next listing works.
    void refreshed() {
        EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteRefresh); }),
                  (Commands{"TYPE A", "EPSV", "MLSD"}));
    }

    test::TempDir root;
    test::TempDir data;
    std::unique_ptr<test::FtpServer> server;
    std::unique_ptr<Session> session;
    std::string start;
};

TEST_F(RemoteOperationsTest, DeleteWalksTheTreeAndComesBackToTheStart) {
    fs::create_directories(root.path() / "tree" / "sub");
    test::writeFile(root.path() / "tree" / "a.txt", "a");
    test::writeFile(root.path() / "tree" / "sub" / "b.txt", "b");
    test::writeFile(root.path() / "loose.txt", "l");
    test::FtpServer::handOver(root.path());
    session->execute(Command::RemoteRefresh);
    ASSERT_TRUE(session->settled() && session->shows("tree"));

    session->select({"loose.txt", "tree"});
    session->dialogs.messageAnswers = {Dialogs::Answer::Yes};
    EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteDelete); }),
              (Commands{"DELE loose.txt", "CWD /tree",     "TYPE A", "EPSV",      "MLSD",
                        "DELE a.txt",     "CWD /tree/sub", "TYPE A", "EPSV",      "MLSD",
                        "DELE b.txt",     "TYPE A",        "CDUP",   "TYPE A",    "RMD /tree/sub",
                        "TYPE A",         "CDUP",          "TYPE A", "RMD /tree", "TYPE A",
                        "CWD /",          "TYPE A",        "EPSV",   "MLSD"}))
        << session->logText();
    EXPECT_FALSE(fs::exists(root.path() / "tree"));
    EXPECT_FALSE(fs::exists(root.path() / "loose.txt"));
    EXPECT_TRUE(session->shows("top.txt") && !session->shows("tree"));
    EXPECT_EQ(session->controller->ftp().hostDirName(), "/");
    EXPECT_EQ(session->logCount("Error"), 0);
    refreshed();
}

TEST_F(RemoteOperationsTest, RenameAndChangeCaseRefuseANameOfAnotherEntry) {
    test::writeFile(root.path() / "other.txt", "o");
    test::writeFile(root.path() / "Mixed.TXT", "m");
    test::writeFile(root.path() / "mixed.txt", "twin");
    test::FtpServer::handOver(root.path());
    session->execute(Command::RemoteRefresh);
    ASSERT_TRUE(session->settled() && session->shows("other.txt"));

    // Onto another entry's name: nothing is sent, the user is told.
    session->select({"top.txt"});
    session->dialogs.promptAnswers = {std::optional<std::string>("other.txt")};
    EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteRename); }), Commands{});
    EXPECT_EQ(session->logCount("! Not renamed: \"top.txt\" to \"other.txt\""), 1);
    ASSERT_EQ(session->dialogs.messages.size(), 1u);
    EXPECT_EQ(test::readFile(root.path() / "other.txt"), "o");

    // A case-only change of the same entry goes on.
    session->select({"top.txt"});
    session->dialogs.promptAnswers = {std::optional<std::string>("TOP.txt")};
    EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteRename); }),
              (Commands{"RNFR top.txt", "RNTO TOP.txt", "TYPE A", "EPSV", "MLSD"}));
    EXPECT_TRUE(fs::exists(root.path() / "TOP.txt"));
    EXPECT_TRUE(session->shows("TOP.txt"));

    // lower case: "Mixed.TXT" would replace its twin and is passed over; "TOP.txt" goes on.
    session->select({"Mixed.TXT", "TOP.txt"});
    EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteLowerCase); }),
              (Commands{"RNFR TOP.txt", "RNTO top.txt", "TYPE A", "EPSV", "MLSD"}))
        << session->logText();
    EXPECT_EQ(session->logCount("! Not renamed: \"Mixed.TXT\""), 1);
    EXPECT_EQ(test::readFile(root.path() / "mixed.txt"), "twin");
    EXPECT_EQ(test::readFile(root.path() / "Mixed.TXT"), "m");
    EXPECT_EQ(session->logCount("Error"), 0);
}

TEST_F(RemoteOperationsTest, MakeDirectoryListsAfterwardsAndARefusalEndsIt) {
    session->dialogs.promptAnswers = {std::optional<std::string>("fresh")};
    EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteMakeDirectory); }),
              (Commands{"MKD fresh", "TYPE A", "EPSV", "MLSD"}));
    EXPECT_TRUE(fs::is_directory(root.path() / "fresh"));
    EXPECT_TRUE(session->shows("fresh"));

    session->dialogs.promptAnswers = {std::optional<std::string>("fresh")};
    EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteMakeDirectory); }),
              (Commands{"MKD fresh"}));
    EXPECT_EQ(session->logCount("Error 550"), 1) << session->logText();
    refreshed();
}

TEST(RemoteOperationsLogin, ARefusedConnectionIsToldInTheSystemsWords) {
    test::TempDir data;
    const int port = test::freePort();
    Session session(data.path(), port, "joe", "pw");
    session.login();
    ASSERT_TRUE(session.settled());
    EXPECT_TRUE(session.controller->state().serverListMode);
    EXPECT_GE(session.logCount("500 Connection refused"), 1) << session.logText();
    EXPECT_EQ(session.logText().find("#10061"), std::string::npos) << session.logText();
}

// --- the interruption matrix

enum class Op { Delete, ChangeCase, MakeDirectory };
enum class Interruption {
    Stop,
    StopInListing,
    SecondCommand,
    PreferencesOk,
    PreferencesCancel,
    Refused,
    Dropped,
    KeepAliveTick
};

// The test names of the operations and interruptions, in the order of their enums.
const char* const kOpNames[] = {"Delete", "ChangeCase", "MakeDirectory"};
const char* const kInterruptionNames[] = {"Stop",          "StopInListing",     "SecondCommand",
                                          "PreferencesOk", "PreferencesCancel", "Refused",
                                          "Dropped",       "KeepAliveTick"};

std::string listingOf(const std::string& dir) {
    if (dir == "/")
        return "-rw-r--r-- 1 u g 5 Jan 01 2024 file.txt\r\n"
               "drwxr-xr-x 2 u g 0 Jan 01 2024 tree\r\n";
    if (dir == "/tree")
        return "-rw-r--r-- 1 u g 5 Jan 01 2024 a.txt\r\n"
               "drwxr-xr-x 2 u g 0 Jan 01 2024 sub\r\n";
    return "-rw-r--r-- 1 u g 5 Jan 01 2024 b.txt\r\n";
}

// A root with "file.txt" and the tree "tree" (a.txt, sub/b.txt). The changing command
// (DELE, RMD, MKD, RNTO) numbered faultAt is refused or cut off with the connection; for a
// stop in a listing, the first listing after the log-in's sends nothing until it is aborted.
void serve(test::ScriptedFtpSession& s, Interruption fault, int faultAt) {
    s.reply("220 scripted");
    std::string cwd = "/";
    int changes = 0;
    int lists = 0;
    while (const std::optional<test::ScriptedCommand> command = test::nextCommand(s)) {
        const std::string& verb = command->verb;
        const bool changing = verb == "DELE" || verb == "RMD" || verb == "MKD" || verb == "RNTO";
        if (changing && ++changes == faultAt && fault == Interruption::Refused) {
            s.reply("550 Permission denied");
        } else if (changing && changes == faultAt && fault == Interruption::Dropped) {
            s.closeControl();
            return;
        } else if (test::answerSessionCommand(s, *command, cwd)) {
            continue;
        } else if (verb == "LIST" && ++lists == 2 && fault == Interruption::StopInListing) {
            s.acceptData();
            s.reply("150 here");
            s.waitForDataClose(20s);
            s.reply("426 aborted");
        } else if (verb == "LIST") {
            s.acceptData();
            s.reply("150 here");
            s.sendData(listingOf(cwd));
            s.closeData();
            s.reply("226 done");
        } else if (verb == "ABOR") {
            s.reply("226 abort done");
        } else if (verb == "RNFR") {
            s.reply("350 ready");
        } else if (verb == "QUIT") {
            s.reply("221 bye");
            return;
        } else if (verb == "MKD") {
            s.reply("257 \"" + command->arg + "\" created");
        } else {
            s.reply(changing ? "250 ok" : "200 ok");
        }
    }
}

class RemoteInterruptionTest : public ::testing::TestWithParam<std::tuple<Op, Interruption>> {
protected:
    Op op() const { return std::get<0>(GetParam()); }
    Interruption interruption() const { return std::get<1>(GetParam()); }

    void SetUp() override {
        // The delete is refused or cut off at its second DELE, inside the tree.
        const int faultAt = op() == Op::Delete ? 2 : 1;
        server = std::make_unique<test::ScriptedFtpServer>(
            [fault = interruption(), faultAt](test::ScriptedFtpSession& s) {
                serve(s, fault, faultAt);
            });
        session = std::make_unique<Session>(data.path(), server->port(), "joe", "secret");
    }
    void startOperation() {
        switch (op()) {
            case Op::Delete:
                session->select({"tree"});
                session->dialogs.messageAnswers = {Dialogs::Answer::Yes};
                session->execute(Command::RemoteDelete);
                return;
            case Op::ChangeCase:
                session->select({"file.txt", "tree"});
                session->execute(Command::RemoteUpperCase);
                return;
            case Op::MakeDirectory:
                session->dialogs.promptAnswers = {std::optional<std::string>("fresh")};
                session->execute(Command::RemoteMakeDirectory);
                return;
        }
    }
    void interrupt() {
        switch (interruption()) {
            case Interruption::Stop:
                session->execute(Command::Stop);
                return;
            case Interruption::StopInListing:
                ASSERT_TRUE(
                    session->loop.runUntil([&] { return session->logCount("< 150") == 2; }, 20s));
                session->execute(Command::Stop);
                return;
            case Interruption::SecondCommand:
                session->execute(Command::RemoteRefresh);
                return;
            case Interruption::PreferencesOk:
            case Interruption::PreferencesCancel:
                test::closePreferences(session->dialogs, *session->controller,
                                       interruption() == Interruption::PreferencesOk);
                return;
            case Interruption::KeepAliveTick:
                session->controller->keepAliveTick();
                return;
            default:
                return;
        }
    }

    test::TempDir data;
    std::unique_ptr<test::ScriptedFtpServer> server;
    std::unique_ptr<Session> session;
};

TEST_P(RemoteInterruptionTest, LeavesTheSessionConsistent) {
    session->login();
    ASSERT_TRUE(session->settled() && session->shows("file.txt")) << session->logText();
    if (interruption() == Interruption::KeepAliveTick)
        session->dialogs.whileAsked = [&] { session->controller->keepAliveTick(); };
    startOperation();
    ASSERT_TRUE(session->controller->runner().busy()) << session->logText();
    interrupt();
    ASSERT_TRUE(session->settled()) << session->logText();
    const SessionState& state = session->controller->state();

    if (interruption() == Interruption::Dropped) {
        EXPECT_TRUE(state.serverListMode) << session->logText();
        EXPECT_TRUE(session->shows("Local")) << session->logText();
        return;
    }
    ASSERT_FALSE(state.serverListMode) << session->logText();
    if (interruption() == Interruption::SecondCommand) {
        EXPECT_EQ(session->logCount("! Refresh not started: "), 1) << session->logText();
    }
    const bool stopped =
        interruption() == Interruption::Stop || interruption() == Interruption::StopInListing;
    if (stopped && op() == Op::Delete) {
        // The running request was the last: nothing was deleted.
        EXPECT_EQ(session->logCount("> DELE ") + session->logCount("> RMD "), 0)
            << session->logText();
    }
    if (interruption() == Interruption::KeepAliveTick) {
        EXPECT_EQ(session->logCount("> NOOP"), 0) << session->logText();
    }
    if (interruption() == Interruption::Refused) {
        EXPECT_EQ(session->logCount("Error 550"), 1) << session->logText();
    } else if (!stopped) {
        EXPECT_EQ(session->logCount("Error"), 0) << session->logText();
    }

    // The pane shows the directory the client is in; the path box names it.
    const std::string dir = session->controller->ftp().hostDirName();
    EXPECT_EQ(dir.size() > 1 && dir.ends_with('/') ? dir.substr(0, dir.size() - 1) : dir, "/")
        << session->logText();
    EXPECT_EQ(session->controller->model().ftpPath().text(), "127.0.0.1");
    EXPECT_TRUE(session->shows("file.txt")) << session->logText();

    // The next listing works.
    EXPECT_EQ(session->sentBy([&] { session->execute(Command::RemoteRefresh); }),
              (Commands{"TYPE A", "PASV", "LIST"}))
        << session->logText();
    EXPECT_TRUE(session->shows("file.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRemoteOperation, RemoteInterruptionTest,
    ::testing::Combine(::testing::Values(Op::Delete, Op::ChangeCase, Op::MakeDirectory),
                       ::testing::Values(Interruption::Stop, Interruption::StopInListing,
                                         Interruption::SecondCommand, Interruption::PreferencesOk,
                                         Interruption::PreferencesCancel, Interruption::Refused,
                                         Interruption::Dropped, Interruption::KeepAliveTick)),
    [](const ::testing::TestParamInfo<std::tuple<Op, Interruption>>& info) {
        return std::string(kOpNames[static_cast<int>(std::get<0>(info.param))]) +
               kInterruptionNames[static_cast<int>(std::get<1>(info.param))];
    });

}  // namespace
}  // namespace quay

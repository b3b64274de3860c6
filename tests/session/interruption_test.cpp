// The interruption matrix of the session's operations against the scripted server: each of
// log-in, refresh, open, one level up, a typed command and the keep-alive, interrupted by
// Stop, a second command, Preferences (OK and Cancel), a refused listing, a dropped
// connection and the time-out. Afterwards the session is consistent: nothing is busy, the
// pane shows the client's directory (or the server list), and the next listing works.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>

#include "scripted_commands.h"
#include "scripted_ftp_server.h"
#include "session_probe.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono_literals;

enum class Op { Login, Refresh, Open, Up, Command, KeepAlive };
enum class Interruption {
    Stop,
    SecondCommand,
    PreferencesOk,
    PreferencesCancel,
    Refused,
    Dropped,
    TimeOut
};

const char* opName(Op op) {
    static const char* const names[] = {"Login", "Refresh", "Open", "Up", "Command", "KeepAlive"};
    return names[static_cast<int>(op)];
}
const char* interruptionName(Interruption i) {
    static const char* const names[] = {
        "Stop",    "SecondCommand", "PreferencesOk", "PreferencesCancel",
        "Refused", "Dropped",       "TimeOut"};
    return names[static_cast<int>(i)];
}

// A small server: a root with "file.txt" and a directory "sub" (holding "inner.txt"); the
// LIST numbered faultAt (1 is the log-in's) is refused, cut off with the connection, or never
// answered.
void serve(test::ScriptedFtpSession& s, Interruption fault, int faultAt) {
    s.reply("220 scripted");
    std::string cwd = "/";
    int lists = 0;
    while (const std::optional<test::ScriptedCommand> command = test::nextCommand(s)) {
        if (command->verb == "LIST") {
            if (++lists == faultAt && fault == Interruption::Refused) {
                s.reply("425 Can't open data connection");
                continue;
            }
            if (lists == faultAt && fault == Interruption::Dropped) {
                s.closeControl();
                return;
            }
            if (lists == faultAt && fault == Interruption::TimeOut) {
                s.waitForClose(20s);
                return;
            }
            s.acceptData();
            s.reply("150 here");
            s.sendData(cwd == "/" ? "-rw-r--r-- 1 u g 5 Jan 01 2024 file.txt\r\n"
                                    "drwxr-xr-x 2 u g 0 Jan 01 2024 sub\r\n"
                                  : "-rw-r--r-- 1 u g 5 Jan 01 2024 inner.txt\r\n");
            s.closeData();
            s.reply("226 done");
        } else if (command->verb == "QUIT") {
            s.reply("221 bye");
            return;
        } else if (!test::answerSessionCommand(s, *command, cwd)) {
            s.reply("200 ok");
        }
    }
}

class InterruptionTest : public ::testing::TestWithParam<std::tuple<Op, Interruption>>,
                         public test::HeadlessSession {
protected:
    Op op() const { return std::get<0>(GetParam()); }
    Interruption interruption() const { return std::get<1>(GetParam()); }

    void SetUp() override {
        // The log-in lists once, and going up first goes down into "sub".
        const int faultAt = op() == Op::Login ? 1 : op() == Op::Up ? 3 : 2;
        server = std::make_unique<test::ScriptedFtpServer>(
            [fault = interruption(), faultAt](test::ScriptedFtpSession& s) {
                serve(s, fault, faultAt);
            });
        open(data.path(), server->port(), "joe", "secret",
             interruption() == Interruption::TimeOut ? "TimeOut=1\n" : "");
    }
    void TearDown() override { controller.reset(); }  // before the server goes
    void startOperation() {
        switch (op()) {
            case Op::Login:
                login();
                return;
            case Op::Refresh:
                controller->execute(Command::RemoteRefresh);
                return;
            case Op::Open:
                select("sub");
                controller->execute(Command::RemoteOpen);
                return;
            case Op::Up:
                controller->execute(Command::RemoteUp);
                return;
            case Op::Command:
                controller->model().cbCmd().setText("SITE HELP");
                controller->execute(Command::SendCommandLine);
                return;
            case Op::KeepAlive:
                controller->keepAliveTick();
                return;
        }
    }
    void interrupt() {
        switch (interruption()) {
            case Interruption::Stop:
                controller->execute(Command::Stop);
                return;
            case Interruption::SecondCommand:
                controller->execute(Command::RemoteRefresh);
                return;
            case Interruption::PreferencesOk:
            case Interruption::PreferencesCancel: {
                test::closePreferences(dialogs, *controller,
                                       interruption() == Interruption::PreferencesOk);
                return;
            }
            default:
                return;
        }
    }

    test::TempDir data;
    std::unique_ptr<test::ScriptedFtpServer> server;
};

TEST_P(InterruptionTest, LeavesTheSessionConsistent) {
    if (op() != Op::Login) {
        login();
        ASSERT_TRUE(settled()) << logText();
        ASSERT_TRUE(shows("file.txt")) << logText();
        if (op() == Op::Up) {
            select("sub");
            controller->execute(Command::RemoteOpen);
            ASSERT_TRUE(settled() && shows("inner.txt")) << logText();
        }
    }
    startOperation();
    interrupt();
    ASSERT_TRUE(settled()) << logText();
    SessionState& state = controller->state();

    const bool sessionLost = interruption() == Interruption::Dropped ||
                             interruption() == Interruption::TimeOut ||
                             (op() == Op::Login && interruption() == Interruption::Stop);
    if (sessionLost) {
        EXPECT_TRUE(state.serverListMode) << logText();
        EXPECT_TRUE(shows("Local")) << logText();
        return;
    }
    ASSERT_FALSE(state.serverListMode) << logText();
    // Behind the keep-alive the command waits; in the server list Refresh has its own meaning.
    if (interruption() == Interruption::SecondCommand && op() != Op::KeepAlive &&
        op() != Op::Login) {
        EXPECT_EQ(logCount("! Refresh not started: "), 1) << logText();
    }
    if (interruption() == Interruption::PreferencesOk) {
        EXPECT_EQ(logCount("! Connection type, proxy and SOCKS settings take effect"), 1);
    }
    EXPECT_EQ(logCount("Error 426"), 0) << logText();

    // The path box names the directory the client is in; the pane shows that directory.
    const std::string dir = controller->ftp().hostDirName();
    const std::string last = dir == "/" ? "127.0.0.1" : dir.substr(dir.rfind('/') + 1);
    EXPECT_EQ(controller->model().ftpPath().text(), last) << logText();
    if (shows("file.txt")) {
        EXPECT_EQ(dir, "/");
    }
    if (shows("inner.txt")) {
        EXPECT_EQ(dir, "/sub");
    }
    if (interruption() == Interruption::Refused) {
        EXPECT_EQ(logCount("Error 425"), 1) << logText();
        EXPECT_EQ(logCount("! Not listed: ") > 0, pane().count() == 0) << logText();
    }

    // The next listing works.
    controller->execute(Command::RemoteRefresh);
    ASSERT_TRUE(settled()) << logText();
    EXPECT_TRUE(shows(dir == "/" ? "file.txt" : "inner.txt")) << logText();
    EXPECT_EQ(logCount("Error 426"), 0) << logText();
}

INSTANTIATE_TEST_SUITE_P(
    EveryOperation, InterruptionTest,
    ::testing::Combine(
        ::testing::Values(Op::Login, Op::Refresh, Op::Open, Op::Up, Op::Command, Op::KeepAlive),
        ::testing::Values(Interruption::Stop, Interruption::SecondCommand,
                          Interruption::PreferencesOk, Interruption::PreferencesCancel,
                          Interruption::Refused, Interruption::Dropped, Interruption::TimeOut)),
    [](const ::testing::TestParamInfo<std::tuple<Op, Interruption>>& info) {
        return std::string(opName(std::get<0>(info.param))) +
               interruptionName(std::get<1>(info.param));
    });

}  // namespace
}  // namespace quay

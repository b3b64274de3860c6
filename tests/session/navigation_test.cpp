// Navigation, commands and the keep-alive headless against a real server: the commands each
// operation sends, in order, and where it leaves the pane.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "base/poll_loop.h"
#include "ftp_servers.h"
#include "pane_rows.h"
#include "scripted_dialogs.h"
#include "server_record.h"
#include "session/session_controller.h"
#include "session_probe.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using test::Commands;

class NavigationTest : public ::testing::Test {
protected:
    void SetUp() override {
        server = test::makeFtpServer(test::FtpServerKind::PureFtpd);
        test::writeFile(root.path() / "top.txt", "top");
        fs::create_directories(root.path() / "sub" / "deep");
        test::writeFile(root.path() / "sub" / "inner.txt", "inner");
        server->start(root.path());
        test::writeLocalServerList(data.path(), server->port(), server->user(), server->password());
        test::writeFile(data.path() / "options.ftp",
                        "[Common]\nPassiveTransfer=1\nKeep=1\nStartKeep=0\nCmdKeep=NOOP\n");
        controller = std::make_unique<SessionController>(loop, dialogs, data.path());
        controller->FormCreate();
        select("Local");
        controller->execute(Command::RemoteOpen);
        ASSERT_TRUE(settled() && shows("top.txt")) << logText();
    }

    PaneModel& pane() { return controller->model().ftpView(); }
    bool shows(const std::string& caption) { return test::showsCaption(pane(), caption); }
    void select(const std::string& caption) { test::selectCaption(pane(), caption); }
    bool settled() { return test::settle(loop, *controller, 20s); }
    std::string logText() const { return test::logText(controller->model()); }
    // Runs one command of the window and returns the commands it sent.
    Commands sentBy(const std::function<void()>& command) {
        const std::size_t before = controller->model().logLines().size();
        command();
        EXPECT_TRUE(settled()) << logText();
        return test::commandsSince(controller->model(), before);
    }
    void execute(Command command) { controller->execute(command); }

    test::TempDir root;
    test::TempDir data;
    std::unique_ptr<test::FtpServer> server;
    PollLoop loop;
    test::ScriptedDialogs dialogs;
    std::unique_ptr<SessionController> controller;
};

TEST_F(NavigationTest, EachMoveSendsItsCommandsAndListsWhereTheClientIs) {
    const std::string start = controller->ftp().hostDirName();
    const std::string sub = start == "/" ? "/sub" : start + "/sub";
    select("sub");
    EXPECT_EQ(sentBy([&] { execute(Command::RemoteOpen); }),
              (Commands{"CWD " + sub, "TYPE A", "EPSV", "MLSD"}));
    EXPECT_TRUE(shows("inner.txt"));
    EXPECT_EQ(controller->model().ftpPath().text(), "sub");

    EXPECT_EQ(sentBy([&] { execute(Command::RemoteRefresh); }),
              (Commands{"TYPE A", "EPSV", "MLSD"}));
    EXPECT_TRUE(shows("inner.txt"));

    EXPECT_EQ(sentBy([&] { execute(Command::RemoteUp); }),
              (Commands{"CDUP", "TYPE A", "EPSV", "MLSD"}));
    EXPECT_TRUE(shows("top.txt"));

    // A directory that cannot be entered: where the client is is read and listed.
    dialogs.promptAnswers = {std::optional<std::string>("/missing")};
    EXPECT_EQ(sentBy([&] { execute(Command::RemoteChangeDirectory); }),
              (Commands{"CWD /missing", "TYPE A", "PWD", "TYPE A", "EPSV", "MLSD"}));
    EXPECT_TRUE(shows("top.txt"));
    EXPECT_EQ(controller->ftp().hostDirName(), start);
}

TEST_F(NavigationTest, CommandsAndKeepAliveEnterTheDirectoryAgainAndList) {
    const std::string start = controller->ftp().hostDirName();
    controller->model().cbCmd().setText("NOOP");
    EXPECT_EQ(sentBy([&] { execute(Command::SendCommandLine); }),
              (Commands{"NOOP", "CWD " + start, "TYPE A", "EPSV", "MLSD"}));
    EXPECT_EQ(sentBy([&] { controller->keepAliveTick(); }),
              (Commands{"NOOP", "CWD " + start, "TYPE A", "EPSV", "MLSD"}));
    EXPECT_TRUE(shows("top.txt"));

    // Each "Error" line names the failure of the request that just ended.
    controller->model().cbCmd().setText("SITE NOSUCHTHING");
    EXPECT_EQ(sentBy([&] { execute(Command::SendCommandLine); }), Commands{"SITE NOSUCHTHING"});
    controller->model().cbCmd().setText("RNFR no-such-file");
    EXPECT_EQ(sentBy([&] { execute(Command::SendCommandLine); }), Commands{"RNFR no-such-file"});
    std::vector<std::string> errors;
    for (const std::string& line : controller->model().logLines())
        if (line.rfind("Error ", 0) == 0)
            errors.push_back(line);
    ASSERT_EQ(errors.size(), 2u) << logText();
    EXPECT_NE(errors[0], errors[1]) << logText();
    EXPECT_EQ(errors[1].rfind("Error 550", 0), 0u) << logText();
}

}  // namespace
}  // namespace quay

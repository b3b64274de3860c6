// Navigation, commands and the keep-alive headless against a real server: the commands each
// operation sends, in order, and where it leaves the pane.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "ftp_servers.h"
#include "session_probe.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::Commands;

class NavigationTest : public ::testing::Test, public test::HeadlessSession {
protected:
    void SetUp() override {
        server = test::makeFtpServer(test::FtpServerKind::PureFtpd);
        test::writeFile(root.path() / "top.txt", "top");
        fs::create_directories(root.path() / "sub" / "deep");
        test::writeFile(root.path() / "sub" / "inner.txt", "inner");
        server->start(root.path());
        open(data.path(), server->port(), server->user(), server->password());
        login();
        ASSERT_TRUE(settled() && shows("top.txt")) << logText();
    }
    void TearDown() override { controller.reset(); }  // before the server and the data go

    test::TempDir root;
    test::TempDir data;
    std::unique_ptr<test::FtpServer> server;
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

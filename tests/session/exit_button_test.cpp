#include <gtest/gtest.h>

#include "base/poll_loop.h"
#include "ftp_servers.h"
#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "test_support.h"

namespace quay {
namespace {

// The exit button with a live session on a real server: the window closes only on Yes, and
// only then is the session stopped.
TEST(ExitButton, StopsTheSessionOnlyWhenTheUserConfirms) {
    test::TempDir root, data;
    test::PyFtpdServer server;
    server.start(root.path());

    PollLoop loop;
    test::ScriptedDialogs dialogs;
    SessionController controller(loop, dialogs, data.path());
    controller.FormCreate();
    int closed = 0;
    controller.onCloseWindow = [&] {
        if (controller.FormCloseQuery()) {
            controller.FormClose();
            ++closed;
        }
    };

    FtpClient& ftp = controller.ftp();
    int done = 0;
    ftp.onRequestDone = [&](FtpRequest, int) { ++done; };
    ftp.setHostName("127.0.0.1");
    ftp.setPort(std::to_string(server.port()));
    ftp.setUserName(server.user());
    ftp.setPassWord(server.password());
    ftp.connectAsync();
    ASSERT_TRUE(loop.runUntil([&] { return done == 1; }, std::chrono::seconds(10)));
    ASSERT_TRUE(ftp.connected());

    dialogs.messageAnswers = {Dialogs::Answer::No};
    controller.execute(Command::ExitAbortingRequest);
    loop.processPending();
    EXPECT_EQ(closed, 0);
    EXPECT_TRUE(ftp.connected()) << "No leaves the session alone";

    // Yes ends the session; the window closes from the loop, once, without a second question.
    dialogs.messageAnswers = {Dialogs::Answer::Yes};
    controller.execute(Command::ExitAbortingRequest);
    EXPECT_EQ(closed, 0);
    EXPECT_FALSE(ftp.connected());
    ASSERT_TRUE(loop.runUntil([&] { return closed == 1; }, std::chrono::seconds(10)));
    loop.processPending();
    EXPECT_EQ(closed, 1);
    EXPECT_EQ(dialogs.messages.size(), std::size_t{2});
    EXPECT_TRUE(std::filesystem::exists(data.path() / "options.ftp"));

    // The menu's Exit only closes the window; it does not touch the client.
    ftp.connectAsync();
    ASSERT_TRUE(
        loop.runUntil([&] { return ftp.connected() && done >= 2; }, std::chrono::seconds(10)));
    dialogs.messageAnswers = {Dialogs::Answer::Yes};
    controller.execute(Command::Exit);
    EXPECT_EQ(closed, 2);
    EXPECT_TRUE(ftp.connected());
}

}  // namespace
}  // namespace quay

// The keep-alive against a real server: a tick that comes due while the overwrite question
// of a download (or a command's prompt) is open sends nothing and is no step of the batch;
// once nothing runs the keep-alive runs again.
#include <gtest/gtest.h>

#include <algorithm>

#include "ftp_servers.h"
#include "session_probe.h"
#include "test_support.h"

namespace quay {
namespace {

TEST(KeepAlive, WaitsWhileTheOverwriteQuestionIsOpen) {
    test::TempDir root, data, local;
    auto server = test::makeFtpServer(test::FtpServerKind::PureFtpd);
    for (const char* name : {"a.txt", "b.txt"}) {
        test::writeFile(root.path() / name, std::string("new ") + name);
        test::writeFile(local.path() / name, "old");
    }
    server->start(root.path());
    test::HeadlessSession session(data.path(), server->port(), server->user(), server->password(),
                                  "PromptDownLoad=1\nIniPath=" + local.path().string() + "\n");
    SessionController& controller = *session.controller;
    test::TickingDialogs& dialogs = session.dialogs;
    const auto count = [&](const std::string& line) {
        const auto& lines = controller.model().logLines();
        return std::count(lines.begin(), lines.end(), line);
    };
    session.login();
    ASSERT_TRUE(session.settled());
    ASSERT_EQ(count("> NOOP"), 0);

    dialogs.whileAsked = [&] {
        for (int tick = 0; tick < 5; ++tick)
            controller.keepAliveTick();
    };
    dialogs.overwriteAnswers = {{Dialogs::Overwrite::Overwrite, {}},
                                {Dialogs::Overwrite::Overwrite, {}}};
    session.select({"a.txt", "b.txt"});
    controller.execute(Command::Download);
    ASSERT_TRUE(session.settled());
    EXPECT_EQ(dialogs.overwriteAsked,
              (std::vector<std::string>{(local.path() / "a.txt").string(),
                                        (local.path() / "b.txt").string()}));
    EXPECT_EQ(count("> NOOP"), 0);
    for (const char* name : {"a.txt", "b.txt"}) {
        const auto& lines = controller.model().logLines();
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& line) {
                                    return line.starts_with("> RETR ") && line.ends_with(name);
                                }),
                  1)
            << name;
    }
    EXPECT_EQ(test::readFile(local.path() / "b.txt"), "new b.txt");

    // Nor while a command's own prompt is open.
    dialogs.promptAnswers = {std::nullopt};
    controller.execute(Command::RemoteChangeDirectory);
    EXPECT_EQ(dialogs.prompts.size(), 1u);
    EXPECT_EQ(count("> NOOP"), 0);

    dialogs.whileAsked = nullptr;
    controller.keepAliveTick();
    controller.keepAliveTick();
    ASSERT_TRUE(session.settled());
    EXPECT_EQ(count("> NOOP"), 1);
}

}  // namespace
}  // namespace quay

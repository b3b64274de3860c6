// The keep-alive against a real server: a tick that comes due while the overwrite question
// of a download (or a command's prompt) is open sends nothing and is no step of the batch;
// once nothing runs the keep-alive runs again.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "base/poll_loop.h"
#include "ftp_servers.h"
#include "scripted_dialogs.h"
#include "server_record.h"
#include "session/session_controller.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono_literals;

// Scripted dialogs that let time pass while a question is open.
struct TickingDialogs : test::ScriptedDialogs {
    bool inputPrompt(const std::string& caption, const std::string& prompt, std::string& value,
                     bool masked) override {
        if (whileAsked)
            whileAsked();
        return ScriptedDialogs::inputPrompt(caption, prompt, value, masked);
    }
    Overwrite askOverwrite(const std::string& fileName, std::string& newPath) override {
        if (whileAsked)
            whileAsked();
        return ScriptedDialogs::askOverwrite(fileName, newPath);
    }
    std::function<void()> whileAsked;
};

TEST(KeepAlive, WaitsWhileTheOverwriteQuestionIsOpen) {
    test::TempDir root, data, local;
    auto server = test::makeFtpServer(test::FtpServerKind::PureFtpd);
    for (const char* name : {"a.txt", "b.txt"}) {
        test::writeFile(root.path() / name, std::string("new ") + name);
        test::writeFile(local.path() / name, "old");
    }
    server->start(root.path());
    test::writeLocalServerList(data.path(), server->port(), server->user(), server->password());
    test::writeFile(data.path() / "options.ftp",
                    "[Common]\nPassiveTransfer=1\nKeep=1\nStartKeep=0\nCmdKeep=NOOP\n"
                    "PromptDownLoad=1\nIniPath=" +
                        local.path().string() + "\n");
    PollLoop loop;
    TickingDialogs dialogs;
    SessionController controller(loop, dialogs, data.path());
    controller.FormCreate();
    PaneModel& pane = controller.model().ftpView();
    auto selectOnly = [&](std::initializer_list<std::string> names) {
        pane.selectAll(false);
        for (std::size_t i = 0; i < pane.count(); ++i)
            if (std::find(names.begin(), names.end(), pane.item(i).caption) != names.end())
                pane.setSelected(i, true);
    };
    auto settled = [&] {
        return loop.runUntil(
            [&] {
                return !controller.runner().busy() && controller.ftp().state() == FtpState::fsReady;
            },
            20s);
    };
    auto count = [&](const std::string& line) {
        const auto& lines = controller.model().logLines();
        return std::count(lines.begin(), lines.end(), line);
    };
    selectOnly({"Local"});
    controller.execute(Command::RemoteOpen);
    ASSERT_TRUE(settled());
    ASSERT_EQ(count("> NOOP"), 0);

    dialogs.whileAsked = [&] {
        for (int tick = 0; tick < 5; ++tick)
            controller.keepAliveTick();
    };
    dialogs.overwriteAnswers = {{Dialogs::Overwrite::Overwrite, {}},
                                {Dialogs::Overwrite::Overwrite, {}}};
    selectOnly({"a.txt", "b.txt"});
    controller.execute(Command::Download);
    ASSERT_TRUE(settled());
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
    ASSERT_TRUE(settled());
    EXPECT_EQ(count("> NOOP"), 1);
}

}  // namespace
}  // namespace quay

#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/poll_loop.h"
#include "pane_rows.h"
#include "scripted_dialogs.h"
#include "server_record.h"
#include "session/session_controller.h"
#include "test_support.h"

namespace quay::test {

using Commands = std::vector<std::string>;

// What a headless session's log and state tell a test, and the interruptions every
// operation test drives the same way.
inline std::string logText(const PresentationModel& model) {
    std::string text;
    for (const std::string& line : model.logLines())
        text += line + "\n";
    return text;
}

inline int logCount(const PresentationModel& model, const std::string& prefix) {
    const auto& lines = model.logLines();
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const auto& line) { return line.rfind(prefix, 0) == 0; }));
}

// The commands the log shows as sent from line `from` on, without their "> ".
inline Commands commandsSince(const PresentationModel& model, std::size_t from) {
    Commands sent;
    const auto& lines = model.logLines();
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i].rfind("> ", 0) == 0)
            sent.push_back(lines[i].substr(2));
    return sent;
}

// Runs the loop until nothing runs and the client waits for a command (or the server list is
// back); false after limit.
inline bool settle(PollLoop& loop, SessionController& controller, std::chrono::seconds limit) {
    return loop.runUntil(
        [&] {
            return !controller.runner().busy() && (controller.state().serverListMode ||
                                                   controller.ftp().state() == FtpState::fsReady);
        },
        limit);
}

// Opens Preferences and closes it with OK or Cancel after choosing SOCKS 5 (a setting that can
// change only at the next connection) and passive mode; applying must not throw.
inline void closePreferences(ScriptedDialogs& dialogs, SessionController& controller, bool ok) {
    dialogs.optionsScripts = {[ok](OptionsDialogModel& model) {
        model.rgType = 4;
        model.cbPassiveTransfer = true;
        return ok;
    }};
    EXPECT_NO_THROW(controller.execute(Command::Preferences));
}

// Scripted dialogs that run whileAsked while a prompt or the overwrite question is open, as
// time passing there would (a keep-alive tick, say).
struct TickingDialogs : ScriptedDialogs {
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

// The window's controller without a window, on a data directory whose server list holds the
// server "Local" on 127.0.0.1 alone; passive transfers, the NOOP keep-alive due at once, and
// the Common lines given.
class HeadlessSession {
public:
    HeadlessSession() = default;
    HeadlessSession(const std::filesystem::path& dataDir, int port, const std::string& user,
                    const std::string& password, const std::string& common = {}) {
        open(dataDir, port, user, password, common);
    }
    void open(const std::filesystem::path& dataDir, int port, const std::string& user,
              const std::string& password, const std::string& common = {}) {
        writeLocalServerList(dataDir, port, user, password);
        writeFile(dataDir / "options.ftp",
                  "[Common]\nPassiveTransfer=1\nKeep=1\nStartKeep=0\nCmdKeep=NOOP\n" + common);
        controller = std::make_unique<SessionController>(loop, dialogs, dataDir);
        controller->FormCreate();
    }

    PaneModel& pane() { return controller->model().ftpView(); }
    bool shows(const std::string& caption) { return showsCaption(pane(), caption); }
    // Selects the rows with these captions and no others.
    void select(std::initializer_list<std::string> captions) {
        pane().selectAll(false);
        for (std::size_t i = 0; i < pane().count(); ++i)
            if (std::find(captions.begin(), captions.end(), pane().item(i).caption) !=
                captions.end())
                pane().setSelected(i, true);
    }
    void select(const std::string& caption) { select({caption}); }
    bool settled() { return settle(loop, *controller, std::chrono::seconds(20)); }
    void login() {
        select("Local");
        controller->execute(Command::RemoteOpen);
    }
    void execute(Command command) { controller->execute(command); }
    std::string logText() const { return test::logText(controller->model()); }
    int logCount(const std::string& prefix) const {
        return test::logCount(controller->model(), prefix);
    }
    // Runs one command and returns the commands it sent.
    Commands sentBy(const std::function<void()>& command) {
        const std::size_t before = controller->model().logLines().size();
        command();
        EXPECT_TRUE(settled()) << logText();
        return commandsSince(controller->model(), before);
    }

    PollLoop loop;
    TickingDialogs dialogs;
    std::unique_ptr<SessionController> controller;
};

}  // namespace quay::test

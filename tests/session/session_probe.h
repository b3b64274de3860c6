#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "base/poll_loop.h"
#include "scripted_dialogs.h"
#include "session/session_controller.h"

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

}  // namespace quay::test

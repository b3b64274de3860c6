#pragma once

#include <filesystem>
#include <string>

#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "sites/server_info.h"
#include "ui/main_window.h"
#include "ui/qt_event_loop.h"

namespace quay::test {

// A program run on a data directory, assembled as main() assembles it, with scripted dialogs:
// closed by the test or destroyed with the run.
struct ProgramRun {
    explicit ProgramRun(const std::filesystem::path& dir)
        : controller(loop, dialogs, dir), window(controller) {}
    QtEventLoop loop;
    ScriptedDialogs dialogs;
    SessionController controller;
    MainWindow window;
};

// The record of a server on 127.0.0.1 with a saved password, named "Local".
inline FtpServerInfo localServerRecord(int port, const std::string& user,
                                       const std::string& password) {
    FtpServerInfo info = defaultServerInfo("");
    info.Name = "Local";
    info.Server = "127.0.0.1";
    info.Port = std::to_string(port);
    info.User = user;
    info.Password = password;
    info.SavePassword = true;
    return info;
}

}  // namespace quay::test

#pragma once

#include <filesystem>
#include <string>

#include "scripted_dialogs.h"
#include "server_record.h"
#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/qt_event_loop.h"
#include "ui/widget_dialogs.h"

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

// A program run with the program's own Qt dialogs, as main() assembles it, its window shown.
struct WidgetProgramRun {
    explicit WidgetProgramRun(const std::filesystem::path& dir)
        : controller(loop, dialogs, dir), window(controller) {
        dialogs.setParent(&window);
        window.show();
    }
    QtEventLoop loop;
    WidgetDialogs dialogs;
    SessionController controller;
    MainWindow window;
};

}  // namespace quay::test

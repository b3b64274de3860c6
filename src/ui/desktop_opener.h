#pragma once

#include <QString>
#include <QStringList>
#include <string>

#include "session/local_pane.h"

namespace quay {

// A program and its arguments, started without a shell.
struct DesktopCommand {
    QString program;
    QStringList arguments;
};

// How the desktop opens path: "Run Application" is `xdg-open <path>`; "View as Text File"
// starts the default application of text/plain (as `xdg-mime query default text/plain` names
// it) with `gtk-launch <id> <path>` or `gio launch <desktop file> <path>`, whichever is
// installed, and falls back to `xdg-open <path>`. The path is always the last, single
// argument; it is absolute, so no program can read it as an option.
DesktopCommand desktopCommand(OpenPurpose purpose, const QString& path);

// The application's FileOpener: starts desktopCommand() as a detached process in workingDir.
// False when the program could not be started, or when path is not valid UTF-8 (the
// arguments of a started program are text: such a name would reach it altered).
bool openWithDesktop(OpenPurpose purpose, const std::string& path, const std::string& workingDir);

}  // namespace quay

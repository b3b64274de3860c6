#pragma once

#include <QKeySequence>
#include <QList>
#include <vector>

#include "session/command.h"

namespace quay {

// The keys of a command and where they act: in the named file list (lvLoc or FTPView, while
// the list or a child of it has the focus) or, for an empty list name, anywhere in the main
// window. A list's keys run the command of that list, so Delete in lvLoc deletes local files
// and in FTPView remote ones.
struct CommandKeys {
    Command command;
    const char* list;
    QList<QKeySequence> keys;
};

// Every key binding of the main window.
const std::vector<CommandKeys>& commandKeys();

// The keys a menu entry of command shows: those of the first binding of command.
QList<QKeySequence> keysOf(Command command);

}  // namespace quay

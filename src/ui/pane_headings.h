#pragma once

#include <QWidget>

#include "session/dialogs.h"

namespace quay {

// Puts the column headings of the main window's two lists ("lvLoc", "FTPView") in the
// language of the dialogs' texts; a list the window lacks is skipped.
void showPaneHeadings(QWidget& mainWindow, const Dialogs& dialogs);

}  // namespace quay

#include "session/session_controller.h"

namespace quay {

namespace {

// The controls that show the hourglass while an operation runs.
const char* const kBusyCursorControls[] = {"SpeedButton4", "FTPOneLevelUp", "FTPPath", "FTPView"};

}  // namespace

void SessionController::updateConnectionUI(bool connected) {
    m_sessionShown = connected;
    updateCommands();
}

void SessionController::showBusy(bool busy) {
    for (const char* name : kBusyCursorControls)
        m_model.setCursor(name, busy ? Cursor::crHourGlass : Cursor::crDefault);
    m_busyShown = busy;
    updateCommands();
}

}  // namespace quay

#include "session/session_controller.h"

namespace quay {

namespace {

// The controls that show the hourglass while an operation runs.
const char* const kBusyCursorControls[] = {"SpeedButton4", "FTPOneLevelUp", "FTPPath", "FTPView"};

}  // namespace

void SessionController::updateConnectionUI(bool connected) {
    m_sessionShown = connected;
    updateCommands();
    showEncryption();
}

void SessionController::showEncryption() {
    const std::string version = m_ftp.connected() ? m_ftp.tlsVersion() : std::string();
    // "TLSv1.3" is shown as "TLS 1.3".
    const std::string shown = version.rfind("TLSv", 0) == 0 ? "TLS " + version.substr(4) : version;
    m_model.setText("lbEncrypted",
                    shown.empty() ? "" : m_dialogs.text(Message::Encrypted, {shown}));
    m_model.setVisible("lbEncrypted", !shown.empty());
}

void SessionController::showBusy(bool busy) {
    for (const char* name : kBusyCursorControls)
        m_model.setCursor(name, busy ? Cursor::crHourGlass : Cursor::crDefault);
    m_busyShown = busy;
    if (!busy)
        m_model.setStatusText("");
    updateCommands();
}

void SessionController::showActivity(Message message,
                                     std::initializer_list<std::string_view> args) {
    m_model.setStatusText(m_dialogs.text(message, args));
}

void SessionController::showListingActivity(std::string_view dir) {
    if (dir.size() > 1 && dir.back() == '/')
        dir.remove_suffix(1);
    showActivity(Message::StatusListing, {dir});
}

}  // namespace quay

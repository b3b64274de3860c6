#include "session/session_controller.h"

namespace quay {

namespace {

// Commands for the saved servers: usable only while no session is connected.
const char* const kServerListCommands[] = {
    "sbConnect",  "sbNewServer", "sbProperties", "ConnecttoFTPServer1",
    "NewServer1", "NewServer2",  "FtpOptions1",
};

// The controls that show the hourglass while an operation runs.
const char* const kBusyCursorControls[] = {"SpeedButton4", "FTPOneLevelUp", "FTPPath", "FTPView"};

// Commands that edit a saved server: need a selected item besides.
const char* const kServerRecordCommands[] = {"ServerProperties1", "ServerProperties2"};

// Commands that end a session, usable from the start of connecting: a server that greets a
// byte at a time must not leave the user only the way out of the program.
const char* const kCancelCommands[] = {"sbDisConnect", "sbStop", "Disconnect1", "StopTransfer1"};

// Commands for a connected session: transfers and remote files.
const char* const kSessionCommands[] = {
    "SpeedButton1",
    "SpeedButton2",
    "UploadSelectedFiles1",
    "UploadSelectedFiles2",
    // the "FTP - Server" menu
    "MakeDirectory2",
    "ChandDirect1",
    "CompareDirectories1",
    "Rename2",
    "FileAttributes2",
    "DownloadSelectedFiles1",
    "Sorting6",
    "Select6",
    "ChangeCase6",
    "Filter4",
    // the popup menu of FTPView
    "MakeDirectory3",
    "ChangeDirectory2",
    "CompareDirectories2",
    "Rename3",
    "FileAttributes1",
    "DownloadSelectedFiles2",
    "Sorting7",
    "Select7",
    "ChangeCase7",
    "Filter2",
};

}  // namespace

void SessionController::updateConnectionUI(bool connected) {
    for (const char* name : kServerListCommands)
        m_model.setEnabled(name, !connected);
    const bool selected = m_model.ftpView().firstSelected() >= 0;
    for (const char* name : kServerRecordCommands)
        m_model.setEnabled(name, !connected && selected);
    for (const char* name : kSessionCommands)
        m_model.setEnabled(name, connected);
    setCancelEnabled(connected || loggingIn());
    showEncryption();
}

void SessionController::showEncryption() {
    const std::string version = m_ftp.connected() ? m_ftp.tlsVersion() : std::string();
    // "TLSv1.3" is shown as "TLS 1.3".
    const std::string shown = version.rfind("TLSv", 0) == 0 ? "TLS " + version.substr(4) : version;
    m_model.setText("lbEncrypted", shown.empty() ? "" : "Encrypted (" + shown + ")");
    m_model.setVisible("lbEncrypted", !shown.empty());
}

void SessionController::setCancelEnabled(bool enabled) {
    for (const char* name : kCancelCommands)
        m_model.setEnabled(name, enabled);
}

void SessionController::showBusy(bool busy) {
    for (const char* name : kBusyCursorControls)
        m_model.setCursor(name, busy ? Cursor::crHourGlass : Cursor::crDefault);
    m_model.setEnabled("FTPPath", !busy);
}

}  // namespace quay

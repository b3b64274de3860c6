#include "listing/remote_pane.h"
#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

void SessionController::requestDone(FtpRequest request, int error) {
    m_runner.requestDone(request, error);
}

// The request of an operation that ended with its session: only its failure is told.
void SessionController::strayRequestDone(FtpRequest, int error) {
    if (error != 0)
        addLog("Error " + m_ftp.errorMessage());
}

RemoteViewOptions SessionController::remoteViewOptions() const {
    RemoteViewOptions view;
    view.mask = m_state.remoteMask;
    view.dateOrder = dateOrderFromType(m_options.dateType);
    view.currentYear = m_state.thisYear;
    return view;
}

void SessionController::showListing() {
    RemotePaneLoad load;
    load.listFile = m_options.dirListFile;
    load.format = listingFormat();
    load.view = remoteViewOptions();
    load.hostName = m_ftp.hostName();
    load.hostDirName = m_ftp.hostDirName();
    load.log = [this](const std::string& line) { addLog(line); };
    load.rootItem = m_dialogs.text(Message::ServerListRoot);
    RemotePaneState shown = loadListingIntoPane(load, m_model.ftpView(), m_model.ftpPath());
    m_remoteEntries = std::move(shown.entries);
    m_state.remoteNames = std::move(shown.names);
    m_state.listingType = shown.listingType;
    m_ftp.setHostDirName(shown.hostDirName);
    m_shownRemoteDir = shown.hostDirName;
    showPlace();
}

void SessionController::showPlace() {
    const std::string program = "Quayside Pro";
    if (m_state.serverListMode || !m_shownRemoteDir)
        m_model.setWindowTitle(program);
    else
        m_model.setWindowTitle(m_currentServer.Name + ": " + *m_shownRemoteDir + " - " + program);
}

// The pane never keeps the entries of another directory than the one the client is in: names
// it shows are sent to that directory.
void SessionController::showUnlisted() {
    if (m_state.serverListMode || !m_ftp.connected())
        return;
    const std::string dir = m_ftp.hostDirName();
    if (m_shownRemoteDir && *m_shownRemoteDir == dir)
        return;
    m_remoteEntries.clear();
    m_state.remoteNames.clear();
    m_model.ftpView().clear();
    fillRemotePathBox(m_model.ftpPath(), m_ftp.hostName(), dir,
                      m_dialogs.text(Message::ServerListRoot));
    m_shownRemoteDir = dir;
    showPlace();
    addLog("! Not listed: " + dir);
}

}  // namespace quay

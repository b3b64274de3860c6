#include <chrono>

#include "listing/remote_pane.h"
#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

bool SessionController::startRequest(void (FtpClientBase::*request)()) {
    try {
        (m_ftp.*request)();
        return true;
    } catch (const std::exception& e) {
        addLog(std::string("! ") + e.what());
        return false;
    }
}

void SessionController::listCurrentDir() {
    m_ftp.setHostFileName("");
    m_ftp.setLocalFileName(m_options.dirListFile);
    m_ftp.typeAscii();
    startRequest(&FtpClientBase::dirAsync);
}

// Every way out restarts the keep-alive count: idle time is counted from the last completed
// request. The timer runs again only while a keep-alive is configured ("Keep connection" on
// and commands given): otherwise switching the option off would still send the commands, each
// followed by a new listing, after every idle spell. A session that ended on the way has
// nothing to keep alive.
void SessionController::Ftp1RequestDone(FtpRequest request, int error) {
    stopKeepTimer();
    // A running transfer batch takes its own requests' completions.
    if (m_transfers.requestDone(request, error))
        ;
    else if (error != 0)
        requestFailed(request);
    else
        requestSucceeded(request);
    m_keepTicks = 0;
    if (!m_state.serverListMode && keepAliveConfigured())
        startKeepTimer();
}

void SessionController::requestFailed(FtpRequest request) {
    const bool deleting = m_state.deleteTree || m_state.removeDirs;
    if (deleting) {
        m_state.sourceDirs.clear();
        m_state.targetDirs.clear();
        m_state.sourceFiles.clear();
        m_state.targetFiles.clear();
    }
    m_state.deleteTree = m_state.removeDirs = m_state.downloadTree = false;
    switch (request) {
        case FtpRequest::CwdAsync:
            m_ftp.typeAscii();
            m_ftp.setHostFileName("");
            m_ftp.setHostDirName(m_state.startRemoteDir);
            startRequest(&FtpClientBase::pwdAsync);
            return;
        case FtpRequest::ConnectAsync:
            addLog(m_ftp.lastResponse());
            m_ftp.setTimeout(1);
            m_ftp.abortAsync();
            m_ftp.messagePump();
            m_connectPending = false;
            sessionEnded();
            return;
        default:
            addLog("Error " + m_ftp.errorMessage());
            if (deleting)
                m_remoteOps.returnToStart();
            return;
    }
}

void SessionController::requestSucceeded(FtpRequest request) {
    // The steps of a delete or rename in progress.
    if (m_remoteOps.requestDone(request, 0))
        return;
    switch (request) {
        case FtpRequest::CwdAsync:
        case FtpRequest::MkdAsync:
        case FtpRequest::CDupAsync:
            listCurrentDir();
            return;
        case FtpRequest::ConnectAsync:
            m_connectPending = false;
            startRequest(&FtpClientBase::systAsync);
            return;
        case FtpRequest::SystAsync:
            if (!m_ftp.hostDirName().empty() && m_ftp.hostDirName() != "/")
                startRequest(&FtpClientBase::cwdAsync);
            else
                startRequest(&FtpClientBase::pwdAsync);
            return;
        case FtpRequest::PwdAsync:
            pwdDone();
            return;
        case FtpRequest::DirAsync:
        case FtpRequest::LsAsync:
        case FtpRequest::DirectoryAsync:
        case FtpRequest::ListAsync:
            showListing();
            return;
        case FtpRequest::QuoteAsync:
            startRequest(&FtpClientBase::cwdAsync);
            return;
        default:
            return;
    }
}

void SessionController::pwdDone() {
    if (m_ftp.statusCode() == 257)
        if (std::optional<std::string> dir = quotedDirectory(m_ftp.lastResponse()))
            m_ftp.setHostDirName(*dir);
    listCurrentDir();
}

RemoteViewOptions SessionController::remoteViewOptions() const {
    RemoteViewOptions view;
    view.mask = m_state.remoteMask;
    view.dateOrder = dateOrderFromType(m_options.dateType);
    view.currentYear = m_state.thisYear;
    return view;
}

void SessionController::showListing() {
    using namespace std::chrono;
    RemotePaneLoad load;
    load.listFile = m_options.dirListFile;
    load.format.layout = m_currentServer.Answer;
    load.format.today =
        year_month_day{year{m_state.thisYear}, month{m_state.thisMonth}, day{m_state.thisDay}};
    load.view = remoteViewOptions();
    load.hostName = m_ftp.hostName();
    load.hostDirName = m_ftp.hostDirName();
    load.log = [this](const std::string& line) { addLog(line); };
    RemotePaneState shown = loadListingIntoPane(load, m_model.ftpView(), m_model.ftpPath());
    m_remoteEntries = std::move(shown.entries);
    m_state.remoteNames = std::move(shown.names);
    m_state.listingType = shown.listingType;
    m_ftp.setHostDirName(shown.hostDirName);
    endBusy();
}

}  // namespace quay

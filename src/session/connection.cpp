#include <filesystem>
#include <system_error>

#include "listing/remote_pane.h"
#include "session/dialogs.h"
#include "session/login_operation.h"
#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

namespace {

constexpr std::size_t kPasswordLimit = 255;

}  // namespace

void SessionController::bindFtpEvents() {
    m_ftp.onDisplay = [this](std::string& line) { showClientLine(line); };
    m_ftp.onSessionConnected = [this](int error) { sessionConnected(error); };
    m_ftp.onSessionClosed = [this](int error) { sessionClosed(error); };
    m_ftp.onRequestDone = [this](FtpRequest request, int error) { requestDone(request, error); };
    m_ftp.onBgException = [this](const std::exception& e, bool&) {
        addLog(std::string("! ") + e.what());
    };
}

void SessionController::connectSelected() {
    if (m_ftp.connected() || m_runner.busy())
        return;
    m_state.connectAttempt = 0;
    if (m_model.ftpView().firstSelected() < 0)
        m_serverList.addServer();
    if (m_model.ftpView().firstSelected() >= 0)
        execute(Command::RemoteOpen);
}

void SessionController::logIn() {
    if (std::optional<FtpServerInfo> server = m_serverList.selectedServer())
        m_runner.run(std::make_unique<LoginOperation>(*this, *server));
}

void SessionController::openRemoteRow() {
    const long selected = m_model.ftpView().firstSelected();
    if (selected >= 0)
        openRemoteDir(m_model.ftpView().item(static_cast<std::size_t>(selected)));
}

bool SessionController::prepareLogin(const FtpServerInfo& server) {
    m_currentServer = server;
    parseServerAddress(m_currentServer);
    applyConnectionOptions();
    m_ftp.setHostName(m_currentServer.Server);
    m_ftp.setPort(m_currentServer.Port);
    if (m_currentServer.Anonymous) {
        m_ftp.setUserName("anonymous");
        m_ftp.setPassWord(m_currentServer.EMail);
    } else {
        m_ftp.setUserName(m_currentServer.User);
        std::string password = m_currentServer.Password;
        if (!m_currentServer.SavePassword &&
            !m_dialogs.showInputForm(m_dialogs.text(Message::PasswordTitle),
                                     m_dialogs.text(Message::PasswordPrompt), password, true,
                                     kPasswordLimit))
            return false;
        m_ftp.setPassWord(password);
    }
    m_ftp.setBinary(true);
    m_ftp.setPassive(m_currentServer.Pasv);
    m_ftp.setSecurity(static_cast<FtpSecurity>(m_currentServer.Security));
    m_ftp.setHostDirName(remoteDirPath(m_currentServer.InitialDir, m_currentServer.CheckVHost));
    if (!m_currentServer.LocalDir.empty())
        enterServerLocalDir(m_currentServer.LocalDir);
    m_serverListFolder = m_serverList.list().currentFolderPath();
    updateCommands();
    return true;
}

// A relative directory means one below the directory shown, for creating as for entering, so
// nothing is made in whatever directory the process happens to run in.
void SessionController::enterServerLocalDir(const std::string& localDir) {
    namespace fs = std::filesystem;
    fs::path dir(localDir);
    if (dir.is_relative())
        dir = fs::path(m_state.localDir) / dir;
    std::error_code error;
    if (fs::is_directory(dir, error) || fs::create_directories(dir, error))
        changeLocalDir(dir.string());
}

void SessionController::sessionConnected(int) {
    m_state.startRemoteDir = remoteDirPath(m_ftp.hostDirName(), m_currentServer.CheckVHost);
    m_state.serverListMode = false;
    m_remoteEntries.clear();
    m_shownRemoteDir.reset();
    m_model.ftpView().clear();
    m_model.ftpView().setViewStyle(ViewStyle::vsReport);
    prepareKeepAlive();
    updateConnectionUI(true);
    m_state.connectAttempt = -1;
}

// The log-in operation handles a close while its log-in request runs itself, so that each
// attempt is counted once whichever comes first; any other operation ends with the session.
void SessionController::sessionClosed(int) {
    m_runner.sessionClosed();
    if (!m_runner.busy())
        backToServerList();
}

void SessionController::backToServerList() {
    // The extra connections belong to the session: they close with it.
    hideQueueProgress();
    m_pool.reset();
    stopKeepTimer();
    m_model.setScreenCursor(Cursor::crDefault);
    m_state.serverListMode = true;
    m_model.setText("Panel9", m_dialogs.text(Message::ServerListCaption));
    m_state.remoteSortKey = 1;
    m_remoteEntries.clear();
    m_shownRemoteDir.reset();
    m_model.ftpView().setViewStyle(ViewStyle::vsList);
    m_serverList.showServerList(m_serverListFolder);
    showPlace();
    updateConnectionUI(false);
}

// The abort ends a pending request and closes the connection; the close brings the server
// list back. It also cancels a connection attempt: the user who gives up is not retried.
void SessionController::disconnect() {
    if (!m_ftp.connected() && m_ftp.state() == FtpState::fsWaitingResponse)
        return;
    m_state.connectAttempt = -1;
    stopKeepTimer();
    m_model.ftpPath().clear();
    m_model.setScreenCursor(Cursor::crHourGlass);
    m_ftp.setTimeout(1);
    m_ftp.abortAsync();
}

void SessionController::openRemoteDir(const PaneItem& row) {
    if (row.imageIndex != kDirectoryImage)
        return;
    if (row.caption == "..") {
        remotePane().oneLevelUp();
        return;
    }
    std::string dir = m_ftp.hostDirName();
    if (listingTypeOf(m_currentServer.Answer) == 5) {
        dir = row.caption;
    } else {
        if (!dir.empty() && dir.back() != '/')
            dir += '/';
        dir += row.caption;
    }
    navigateTo("Open", dir);
}

}  // namespace quay

#include "listing/remote_pane.h"
#include "session/dialogs.h"
#include "session/navigation_operation.h"
#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

namespace {

constexpr std::size_t kInputLimit = 255;

}  // namespace

void SessionController::registerSessionHandlers() {
    const std::pair<const char*, void (SessionController::*)()> commands[] = {
        {"sbConnectClick", &SessionController::sbConnectClick},
        {"FTPViewDblClick", &SessionController::FTPViewDblClick},
        {"sbDisConnectClick", &SessionController::sbDisConnectClick},
        {"FTPOneLevelUpClick", &SessionController::FTPOneLevelUpClick},
        {"FTPPathChange", &SessionController::FTPPathChange},
        {"Refresh3Click", &SessionController::Refresh3Click},
        {"ChandDirect1Click", &SessionController::ChandDirect1Click},
        {"Filter4Click", &SessionController::Filter4Click},
    };
    for (const auto& [name, command] : commands)
        registerHandler(name,
                        [this, command = command](const std::string&) { (this->*command)(); });
}

void SessionController::navigateTo(const std::string& name, const std::string& dir) {
    m_runner.run(NavigationOperation::enter(*this, name, dir));
}

void SessionController::FTPOneLevelUpClick() {
    if (m_model.ftpPath().itemIndex() <= 0)
        return;
    if (m_state.serverListMode) {
        m_serverList.FTPOneLevelUpClick();
        return;
    }
    m_runner.run(NavigationOperation::up(*this));
}

// Item 0 is the way back to the server list, item 1 the host (its root), then one item per
// directory level.
void SessionController::FTPPathChange() {
    if (m_state.serverListMode) {
        m_serverList.FTPPathChange();
    } else {
        const ComboModel& path = m_model.ftpPath();
        const int index = path.itemIndex();
        if (index < 1) {
            sbDisConnectClick();
        } else {
            std::string dir = "/";
            for (int i = 2; i <= index && i < static_cast<int>(path.count()); ++i)
                dir += (i > 2 ? "/" : "") + path.items()[static_cast<std::size_t>(i)];
            navigateTo("Path box", dir);
        }
    }
    updateConnectionUI(!m_state.serverListMode);
}

void SessionController::Refresh3Click() {
    if (m_state.serverListMode) {
        m_serverList.Refresh3Click();
        return;
    }
    m_runner.run(NavigationOperation::refresh(*this));
}

void SessionController::ChandDirect1Click() {
    if (m_state.serverListMode)
        return;
    const ComboModel& path = m_model.ftpPath();
    std::string dir;
    if (path.itemIndex() >= 2 && path.itemIndex() < static_cast<int>(path.count()))
        dir = path.items()[static_cast<std::size_t>(path.itemIndex())];
    {
        const OperationRunner::Question open = m_runner.question();
        if (!m_dialogs.showInputForm("Verzeichnis wechseln", "", dir, false, kInputLimit))
            return;
    }
    navigateTo("Change directory", dir);
}

void SessionController::Filter4Click() {
    if (m_state.serverListMode)
        return;
    std::string mask = m_state.remoteMask;
    const OperationRunner::Question open = m_runner.question();
    if (!m_dialogs.showInputForm("Filter", "Maske", mask, false, kInputLimit))
        return;
    m_state.remoteMask = mask;
    m_state.listingType = fillViewFromEntries(m_model.ftpView(), m_remoteEntries, listingFormat(),
                                              remoteViewOptions());
}

}  // namespace quay

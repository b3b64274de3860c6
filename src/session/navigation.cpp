#include "listing/remote_pane.h"
#include "session/dialogs.h"
#include "session/navigation_operation.h"
#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

namespace {

constexpr std::size_t kInputLimit = 255;

}  // namespace

void SessionController::navigateTo(const std::string& name, const std::string& dir) {
    m_runner.run(NavigationOperation::enter(*this, name, dir));
}

void SessionController::changeRemoteDirectory() {
    if (m_state.serverListMode)
        return;
    const ComboModel& path = m_model.ftpPath();
    std::string dir;
    if (path.itemIndex() >= 2 && path.itemIndex() < static_cast<int>(path.count()))
        dir = path.items()[static_cast<std::size_t>(path.itemIndex())];
    {
        const OperationRunner::Question open = m_runner.question();
        if (!m_dialogs.showInputForm(m_dialogs.text(Message::ChangeDirectoryTitle), "", dir, false,
                                     kInputLimit))
            return;
    }
    navigateTo("Change directory", dir);
}

void SessionController::filterRemote() {
    if (m_state.serverListMode)
        return;
    std::string mask = m_state.remoteMask;
    const OperationRunner::Question open = m_runner.question();
    if (!m_dialogs.showInputForm(m_dialogs.text(Message::RemoteFilterTitle),
                                 m_dialogs.text(Message::MaskPrompt), mask, false, kInputLimit))
        return;
    m_state.remoteMask = mask;
    m_state.listingType = fillViewFromEntries(m_model.ftpView(), m_remoteEntries, listingFormat(),
                                              remoteViewOptions());
}

}  // namespace quay

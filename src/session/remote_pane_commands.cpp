#include "session/remote_pane_commands.h"

#include "session/delete_operation.h"
#include "session/make_directory_operation.h"
#include "session/navigation_operation.h"
#include "session/rename_operation.h"
#include "session/server_list_commands.h"
#include "session/session_controller.h"

namespace quay {

void ServerListPane::open() {
    // A log-in already running (its password prompt may be open) starts no second one.
    OperationRunner& runner = m_session.runner();
    if (runner.busy()) {
        m_session.addLog("! Not started: " + runner.current()->name() + " is running");
        return;
    }
    if (m_list.openRow() == ServerListCommands::OpenResult::Connect)
        m_session.logIn();
}

void ServerListPane::oneLevelUp() {
    m_list.oneLevelUp();
}

void ServerListPane::pathChosen() {
    m_list.pathChosen();
}

void ServerListPane::refresh() {
    m_list.refresh();
}

void ServerListPane::makeDirectory() {
    m_list.makeFolder();
}

void ServerListPane::rename() {
    m_list.renameFolder();
}

void ServerListPane::remove() {
    m_list.removeSelected();
}

void SessionPane::open() {
    m_session.openRemoteRow();
}

void SessionPane::oneLevelUp() {
    if (m_session.model().ftpPath().itemIndex() > 0)
        m_session.runner().run(NavigationOperation::up(m_session));
}

// Item 0 is the way back to the server list, item 1 the host (its root), then one item per
// directory level.
void SessionPane::pathChosen() {
    const ComboModel& path = m_session.model().ftpPath();
    const int index = path.itemIndex();
    if (index < 1) {
        m_session.disconnect();
        return;
    }
    std::string dir = "/";
    for (int i = 2; i <= index && i < static_cast<int>(path.count()); ++i)
        dir += (i > 2 ? "/" : "") + path.items()[static_cast<std::size_t>(i)];
    m_session.navigateTo("Path box", dir);
}

void SessionPane::refresh() {
    m_session.runner().run(NavigationOperation::refresh(m_session));
}

void SessionPane::makeDirectory() {
    m_session.runner().run(std::make_unique<MakeDirectoryOperation>(m_session));
}

void SessionPane::rename() {
    m_session.runner().run(RenameOperation::rename(m_session));
}

void SessionPane::remove() {
    m_session.runner().run(std::make_unique<DeleteOperation>(m_session));
}

}  // namespace quay

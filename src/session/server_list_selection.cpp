#include "session/session_controller.h"

namespace quay {

namespace {
// The entries that edit the selected server: the button, the main menu and the popup entry.
const char* const kPropertiesEntries[] = {"sbProperties", "ServerProperties1", "ServerProperties2"};
}  // namespace

void SessionController::FTPViewSelectItem(std::size_t index, bool selected) {
    (void)selected;  // the row's kind decides, whether it was selected or deselected
    m_localPane.FTPViewSelectItem();
    if (!m_state.serverListMode)
        return;
    const bool server = m_serverList.FTPViewSelectItem(index);
    for (const char* name : kPropertiesEntries)
        m_model.setEnabled(name, server);
}

}  // namespace quay

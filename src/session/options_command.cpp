#include "session/dialogs.h"
#include "session/options_dialog.h"
#include "session/session_controller.h"

namespace quay {

void SessionController::editPreferences() {
    const OperationRunner::Question open = m_runner.question();
    OptionsDialogModel model(m_options, m_dataDir, m_dialogs);
    if (m_dialogs.options(model)) {
        model.SpeedButton2Click();
        collectPaneFonts();
        // A failed write is not reported, as at close.
        saveOptions(m_options, m_dataDir);
    }
    applyOptions();
    // The language chosen in the dialog speaks in every message from now on.
    m_languageMenu.translateMessages();
}

}  // namespace quay

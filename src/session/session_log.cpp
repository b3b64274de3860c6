#include "config/ascii.h"
#include "session/log_mask.h"
#include "session/session_controller.h"

namespace quay {

// The password the client logs in with is masked in every line, the server's replies and
// the error messages made of them included: a server may repeat it ("530 ... secret").
void SessionController::addLog(const std::string& line) {
    const std::string shown = maskPassword(line, m_ftp.passWord());
    m_model.appendLog(shown);
    if (!m_state.logOpen)
        return;
    switch (m_logFile.write(shown)) {
        case LogFile::Write::Written:
            break;
        case LogFile::Write::LimitReached:
            m_model.appendLog(std::string(LogFile::kLimitNote));
            break;
        case LogFile::Write::Failed:
            // Logging to the file stops silently; the pane keeps every line.
            closeLogFile();
            break;
    }
}

// A PASS command is masked whole, in any letter case: one typed into the command bar as
// "pass secret" carries a password the record does not know.
void SessionController::showClientLine(const std::string& line) {
    addLog(isPassCommandLine(line) ? "> PASS " + std::string(kPasswordMask) : line);
}

void SessionController::applyLogOption() {
    if (m_options.log) {
        if (m_state.logOpen && !equalsIgnoringCase(m_state.logFileName, m_options.logFile))
            closeLogFile();
        if (!m_state.logOpen) {
            m_state.logFileName = m_options.logFile;
            openLogFile();
        }
    } else if (m_state.logOpen) {
        closeLogFile();
    }
}

void SessionController::openLogFile() {
    m_state.logOpen = m_logFile.open(m_state.logFileName);
}

void SessionController::closeLogFile() {
    m_logFile.close();
    m_state.logOpen = false;
}

}  // namespace quay

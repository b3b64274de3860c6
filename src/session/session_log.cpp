#include <fcntl.h>
#include <unistd.h>

#include "config/ascii.h"
#include "session/session_controller.h"

namespace quay {

void SessionController::addLog(const std::string& line) {
    m_model.appendLog(line);
    if (!m_state.logOpen)
        return;
    std::string record = line + "\n";
    const char* data = record.data();
    std::size_t left = record.size();
    while (left > 0) {
        const ssize_t written = ::write(m_logFd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            // Logging to the file stops silently; the pane keeps every line.
            closeLogFile();
            return;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

// A reply line that holds "PASS " is masked as well: it may echo the password. Any case
// counts: a command typed into the command bar as "pass secret" carries a password too.
void SessionController::Ftp1Display(const std::string& line) {
    addLog(asciiLower(line).find("pass ") != std::string::npos ? "> PASS ****" : line);
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

// The log holds user names, host names and directories: it is created readable by the user
// only.
void SessionController::openLogFile() {
    const auto open = [](const std::string& name) {
        return name.empty() ? -1
                            : ::open(name.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0600);
    };
    m_logFd = open(m_state.logFileName);
    if (m_logFd < 0)
        m_logFd = open(m_state.logFileName + "." + std::to_string(::getpid()));
    m_state.logOpen = m_logFd >= 0;
}

void SessionController::closeLogFile() {
    if (m_logFd >= 0)
        ::close(m_logFd);
    m_logFd = -1;
    m_state.logOpen = false;
}

}  // namespace quay

#include "config/comma_text.h"
#include "session/command_operation.h"
#include "session/session_controller.h"

namespace quay {

void SessionController::prepareKeepAlive() {
    stopKeepTimer();
    m_state.keepAliveIndex = 0;
    m_keepTicks = 0;
    m_keepInterval = m_options.startKeep * m_state.tickPeriod;
    if (keepAliveConfigured())
        startKeepTimer();
}

bool SessionController::keepAliveConfigured() const {
    return m_options.keep && !m_options.cmdKeep.empty();
}

void SessionController::startKeepTimer() {
    if (m_keepTimer != 0 || m_keepInterval <= 0)
        return;
    m_keepTimer = m_loop.startTimer(
        std::chrono::milliseconds(m_keepInterval), [this] { keepAliveTick(); }, true);
}

void SessionController::stopKeepTimer() {
    if (m_keepTimer != 0)
        m_loop.stopTimer(m_keepTimer);
    m_keepTimer = 0;
}

// Ticks count idle time only: while an operation runs or a question is open the keep-alive
// waits, and the count starts again when the operation ends.
void SessionController::keepAliveTick() {
    if (m_runner.keepAliveWaits())
        return;
    ++m_keepTicks;
    if (m_options.durationKeep <= m_keepTicks / 60.0) {
        stopKeepTimer();
        return;
    }
    if (m_keepTicks <= m_options.startKeep || m_ftp.state() != FtpState::fsReady ||
        !m_ftp.connected())
        return;
    stopKeepTimer();
    m_keepTicks = 0;
    const std::vector<std::string> commands = splitCommaText(m_options.cmdKeep);
    if (commands.empty())
        return;
    if (m_state.keepAliveIndex >= static_cast<int>(commands.size()))
        m_state.keepAliveIndex = 0;
    const std::string command = commands[static_cast<std::size_t>(m_state.keepAliveIndex)];
    ++m_state.keepAliveIndex;
    m_runner.run(std::make_unique<CommandOperation>(*this, "Keep-alive", command, true));
}

void SessionController::operationsIdle() {
    m_keepTicks = 0;
    if (!m_state.serverListMode && keepAliveConfigured())
        startKeepTimer();
}

}  // namespace quay

#include <algorithm>

#include "ftp/ftp_client_base.h"

namespace quay {

namespace {

// How often a pending request checks for silence: often enough that a time-out is noticed
// within a quarter of its length, rarely enough to cost nothing.
std::chrono::milliseconds checkInterval(int seconds) {
    return std::clamp(std::chrono::milliseconds(seconds * 250), std::chrono::milliseconds(50),
                      std::chrono::milliseconds(1000));
}

}  // namespace

void FtpClientBase::noteActivity() {
    m_lastActivity = std::chrono::steady_clock::now();
    if (m_idleTimeout <= 0 || m_idleTimer != 0 || !awaitingReply())
        return;
    m_idleTimer = m_loop.startTimer(
        checkInterval(m_idleTimeout), [this] { checkIdle(); }, true);
}

void FtpClientBase::stopIdleTimer() {
    if (m_idleTimer != 0)
        m_loop.stopTimer(m_idleTimer);
    m_idleTimer = 0;
}

void FtpClientBase::checkIdle() {
    if (!awaitingReply() || m_idleTimeout <= 0 || m_state == FtpState::fsAbort) {
        stopIdleTimer();
        return;
    }
    if (std::chrono::steady_clock::now() - m_lastActivity >= std::chrono::seconds(m_idleTimeout))
        idleTimedOut();
}

// A server that accepts and never greets, or answers LIST with 150 and never connects, would
// otherwise hold the session until it gives up itself (if ever). Nothing could answer a QUIT,
// so the connection is closed at once.
void FtpClientBase::idleTimedOut() {
    const std::string seconds = std::to_string(m_idleTimeout);
    // An address of the host that does not answer at all (its packets dropped) hands the
    // time-out on to the next address instead of ending the attempt.
    if (m_state == FtpState::fsWaitingBanner && !m_connected && !m_addressesLeft.empty()) {
        noteActivity();
        tryNextAddress("no connection within " + seconds + " seconds");
        return;
    }
    stopIdleTimer();
    // Without the answer to ABOR no later reply could be matched to its command.
    const bool aborUnanswered = m_abortWait != AbortWait::none;
    dropAbortWait();
    const std::string unanswered = aborUnanswered ? "ABOR" : "the server";
    display("! Time-out: no answer " + std::string(aborUnanswered ? "to" : "from") + " " +
            unanswered + " for " + seconds + " seconds; closing the connection");
    m_lastResponse = aborUnanswered
                         ? "426 Time-out (no answer to ABOR within " + seconds + " seconds)"
                         : "426 Time-out (" + seconds + " seconds without an answer)";
    m_statusCode = 426;
    if (!m_requestDone) {
        m_requestResult = 426;
        setErrorMessageOnce(m_lastResponse);
    }
    m_nextStepHandler = nullptr;
    if (m_state == FtpState::fsDnsLookup)
        m_control->cancelDnsLookup();
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    freeStream();
    // Closing a connected control socket reports the close, which ends the request; one that
    // never connected reports nothing, so the request is ended here.
    if (m_control->state() != SocketState::wsClosed)
        m_control->close();
    m_connected = false;
    if (!m_requestDone)
        triggerRequestDone(426);
}

}  // namespace quay

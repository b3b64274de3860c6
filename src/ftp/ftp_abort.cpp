#include "ftp/ftp_client_base.h"

namespace quay {

namespace {

constexpr FtpSteps kTransferSteps = stepBit(FtpStep::fctGet) | stepBit(FtpStep::fctPut) |
                                    stepBit(FtpStep::fctAppend) | stepBit(FtpStep::fctDir) |
                                    stepBit(FtpStep::fctLs) | stepBit(FtpStep::fctMlsd);

bool isTransferStep(FtpStep step) {
    return (kTransferSteps & stepBit(step)) != 0;
}

bool isPreliminary(int code) {
    return code >= 100 && code < 200;
}

}  // namespace

bool FtpClientBase::abortTransfer() {
    if (m_requestDone)
        return false;
    if (isTransferStep(m_currentStep)) {
        display("! Abort requested");
        endTransferNow("426 Transfer aborted", 426);
        return true;
    }
    if (!m_sequence || (m_steps & kTransferSteps) == 0)
        return false;
    m_stopBeforeTransfer = true;
    return true;
}

// Waiting for the server to end the transfer would hang on a server that sends nothing, so
// the request ends here, and the server's answers to the transfer and to ABOR are taken off
// the control connection while the next request holds its first command back (see
// takeStaleReply()).
void FtpClientBase::endTransferNow(const std::string& error, int code) {
    const bool replyOwed = m_transferCommandSent && !m_finalReply;
    m_transferAborted = true;
    // The close must not complete the transfer on its own (it would, behind a final reply).
    m_data->onSessionClosed = nullptr;
    m_data->onDataAvailable = nullptr;
    m_data->onDataSent = nullptr;
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    freeStream();
    if (replyOwed && m_control->state() == SocketState::wsConnected) {
        writeCommand("ABOR");
        m_abortWait = AbortWait::transferReply;
    }
    m_replyHandler = nullptr;
    m_lastResponse = error;
    m_statusCode = m_requestResult = code;
    setErrorMessageOnce(error);
    triggerRequestDone(code);
}

// After ABOR the server owes the aborted command's final reply (after a 150 when the transfer
// had not begun) and then ABOR's own: RFC 959 4.1.3 has 426 then 226 during a transfer, and
// 226 or 225 after it; vsftpd answers 426 and 225, pyftpdlib 426 and 226, pure-ftpd 150, 426
// and 226. Only ABOR is answered with 225, so a 225 ends the wait wherever it comes. A first
// final reply that is a success may be the transfer's own end, with ABOR's answer still to
// come, or the single answer some servers give to both: a NOOP sent then tells them apart, as
// every reply before its 200 belongs to the abort. A 225 arriving after the wait has ended is
// a second answer to the same ABOR (426, 226, 225) and is matched to no command either.
bool FtpClientBase::takeStaleReply(int code) {
    if (m_abortWait == AbortWait::none) {
        if (code != 225 || !m_lateAborReply)
            return false;
        m_lateAborReply = false;
        displayLastResponse();
        return true;
    }
    displayLastResponse();
    if (isPreliminary(code))
        return true;
    switch (m_abortWait) {
        case AbortWait::transferReply:
            if (code == 225) {
                endAbortWait();
            } else if (code < 300) {
                m_abortWait = AbortWait::noopReply;
                writeCommand("NOOP");
            } else {
                m_abortWait = AbortWait::aborReply;
            }
            break;
        case AbortWait::aborReply:
            endAbortWait();
            break;
        case AbortWait::noopReply:
            if (code == 200)
                endAbortWait();
            break;
        case AbortWait::none:
            break;
    }
    return true;
}

void FtpClientBase::endAbortWait() {
    m_lateAborReply = m_abortWait == AbortWait::aborReply;
    m_abortWait = AbortWait::none;
    if (m_heldCommand.empty())
        return;
    std::string held = std::move(m_heldCommand);
    m_heldCommand.clear();
    writeCommand(std::move(held));
}

void FtpClientBase::dropAbortWait() {
    m_abortWait = AbortWait::none;
    m_heldCommand.clear();
    m_lateAborReply = false;
}

bool FtpClientBase::awaitingReply() const {
    return !m_requestDone || m_abortWait != AbortWait::none;
}

}  // namespace quay

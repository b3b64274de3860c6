#include "ftp/ftp_client_base.h"

namespace quay {

namespace {

constexpr FtpSteps kTransferSteps = stepBit(FtpStep::fctGet) | stepBit(FtpStep::fctPut) |
                                    stepBit(FtpStep::fctAppend) | stepBit(FtpStep::fctDir) |
                                    stepBit(FtpStep::fctLs) | stepBit(FtpStep::fctMlsd);

bool isTransferStep(FtpStep step) {
    return (kTransferSteps & stepBit(step)) != 0;
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
// the request ends here. The server still owes the transfer's final reply and, once it reads
// ABOR, ABOR's own; how many lines that makes differs (RFC 959 4.1.3 asks for 426 then 226
// during a transfer and 226 or 225 after it; pure-ftpd answers an aborted download with a
// "150 <statistics>" and one 226). So a NOOP follows ABOR, and everything up to its 200 is
// taken off the control connection before any later reply is matched to its command.
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
        sendCommand("ABOR");
        sendCommand("NOOP");
        m_skipUntilNoopReply = true;
    }
    m_replyHandler = nullptr;
    m_lastResponse = error;
    m_statusCode = m_requestResult = code;
    setErrorMessageOnce(error);
    triggerRequestDone(code);
}

bool FtpClientBase::takeStaleReply(int code) {
    if (!m_skipUntilNoopReply)
        return false;
    displayLastResponse();
    // No reply to a transfer or to ABOR is a 200.
    if (code == 200)
        m_skipUntilNoopReply = false;
    return true;
}

}  // namespace quay

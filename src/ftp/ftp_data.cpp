#include "ftp/ftp_client_base.h"
#include "ftp/reply_text.h"

namespace quay {

void FtpClientBase::portAsync() {
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    m_data->setProto("tcp");
    m_data->setAddr(ipv6Session() ? "::" : "0.0.0.0");
    m_data->setPort("0");
    prepareDataTls();
    // Some servers connect as soon as they accept PORT, before the transfer command: the
    // connection is remembered and accepted once the transfer step knows what to do with it.
    m_acceptPending = false;
    m_data->onSessionAvailable = [this](int) { m_acceptPending = true; };
    m_data->onSessionClosed = nullptr;
    m_data->onDataAvailable = nullptr;
    m_passiveReply.clear();
    m_byteCount = 0;
    m_dataError = 0;
    m_currentStep = FtpStep::fctPort;
    if (m_passive) {
        if (m_epsvRefused)
            executeCommand(FtpRequest::PortAsync, "PASV", {200, 227});
        else
            executeCommand(FtpRequest::PortAsync, "EPSV", {229}, &FtpClientBase::epsvFinish);
        return;
    }
    m_data->setLingerOnOff(SocketLingerOnOff::wsLingerOn);
    m_data->setLingerTimeout(10);
    m_data->listen();
    SocketAddress listening;
    m_data->getSockName(listening);
    SocketAddress local;
    m_control->getSockName(local);
    const std::string line =
        ipv6Session()
            ? eprtCommand(local.text(), listening.port())
            : portCommand(local.ipv4(), m_control->remoteAddress().ipv4(), listening.port());
    executeCommand(FtpRequest::PortAsync, line, {200, 227});
}

// A server of before RFC 2428 refuses EPSV with 500 or 502. On IPv4 PASV serves as well, so it
// is sent now and for the rest of the session; on IPv6 it cannot, and the step fails.
void FtpClientBase::epsvFinish() {
    if (m_requestResult == 0 || (m_statusCode != 500 && m_statusCode != 502) || ipv6Session()) {
        triggerRequestDone(m_requestResult);
        return;
    }
    m_epsvRefused = true;
    // The refusal is no error of the step; no earlier step of a sequence that reached this
    // one failed, so nothing else is lost.
    m_errorMessage.clear();
    m_requestResult = 0;
    setState(FtpState::fsInternalReady);
    executeCommand(FtpRequest::PortAsync, "PASV", {200, 227});
}

bool FtpClientBase::ipv6Session() const {
    return isIpv6Literal(m_control->addr());
}

// Points the data socket at the port of the last 229 or 227 reply, on the control connection's
// peer (an address a reply names is not used). False when the reply holds no usable port.
bool FtpClientBase::preparePassive() {
    std::uint16_t port = 0;
    const bool extended = m_passiveReply.starts_with("229");
    if (!(extended ? parseExtendedPassivePort(m_passiveReply, port)
                   : parsePassivePort(m_passiveReply, port)))
        return false;
    applySocksSettings(*m_data);
    m_data->setAddr(m_control->addr());
    m_data->setPort(std::to_string(port));
    m_data->setLingerOnOff(SocketLingerOnOff::wsLingerOff);
    m_data->setLingerTimeout(0);
    return true;
}

void FtpClientBase::failTransfer(int code, const std::string& text, bool toLastResponse) {
    m_statusCode = code;
    if (toLastResponse) {
        m_lastResponse = text;
        setErrorMessageOnce(text);
    } else {
        m_errorMessage = text;
        display("! " + text);
    }
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    freeStream();
    m_requestResult = code;
    triggerRequestDone(code);
}

// A passive download sends its command before its data connection is made. When that connection
// fails, the server may still answer the command (150 and then 426, or 425), so the request ends
// as an aborted one does, its late replies taken off the control connection; otherwise they
// would be read as the answers to the commands after it.
void FtpClientBase::dataConnectFailed(int error) {
    m_dataError = error;
    const std::string text = "Unable to establish data connection: " + socketErrorWords(error);
    if (m_transferCommandSent)
        endTransferNow(text, 550);
    else
        failTransfer(550, text, true);
}

void FtpClientBase::bindAccept(void (FtpClientBase::*handler)(int)) {
    m_data->onSessionAvailable = [this, handler](int error) { (this->*handler)(error); };
    if (m_acceptPending && m_data->state() == SocketState::wsListening) {
        m_acceptPending = false;
        (this->*handler)(0);
    }
}

bool FtpClientBase::progressCheck() {
    noteActivity();
    progressTouched();
    if (!onProgress)
        return true;
    bool abort = false;
    onProgress(m_byteCount + m_resumeAt, abort);
    // The handler may have ended the transfer itself (abortTransfer, abortAsync).
    if (m_requestDone || m_transferAborted)
        return false;
    if (!abort)
        return true;
    display("! Abort requested");
    m_transferAborted = true;
    m_data->close();
    return false;
}

// In active mode the final reply can overtake the notification of the server's connection
// (a small file is sent and acknowledged at once). The connection is then accepted here; when
// there is none, the server never connected and no close would ever complete the transfer.
void FtpClientBase::acceptLate(void (FtpClientBase::*handler)(int)) {
    if (!m_passive && m_data->state() == SocketState::wsListening)
        (this->*handler)(0);
}

SocketHandle FtpClientBase::acceptData(int& error) {
    SocketHandle handle = InvalidSocket;
    try {
        handle = m_data->accept();
    } catch (const SocketException&) {
        // Reported below through the error code.
    }
    error = m_data->lastError() != 0 ? m_data->lastError() : sockerr::ConnectionAborted;
    m_data->close();
    if (handle == InvalidSocket && m_finalReply) {
        error = 426;
        m_statusCode = 426;
        setErrorMessageOnce("426 The server made no data connection");
        display("! The server made no data connection");
    }
    return handle;
}

// The result of a transfer whose final reply was accepted and whose data connection closed.
// A transfer that lost bytes locally or was aborted by the application is no success, even
// when the server reports one.
int FtpClientBase::transferResult(int dataError) {
    if (dataError != 0) {
        setErrorMessageOnce("426 Data connection: " + socketErrorWords(dataError));
        return dataError;
    }
    if (m_localFileError) {
        setErrorMessageOnce("426 Local file error");
        return 426;
    }
    if (m_transferAborted) {
        setErrorMessageOnce("426 Transfer aborted");
        return 426;
    }
    return 0;
}

void FtpClientBase::firstReplyRefused() {
    setErrorMessageOnce(m_lastResponse);
    m_replyHandler = nullptr;
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    freeStream();
    m_resumeAt = 0;
    m_requestResult = m_statusCode;
    triggerRequestDone(m_statusCode);
}

void FtpClientBase::finalReplyRefused(const std::string& note) {
    setErrorMessageOnce(m_lastResponse);
    freeStream();
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    display(note);
    m_requestResult = m_statusCode;
    triggerRequestDone(m_statusCode);
}

void FtpClientBase::transferClosed(int error) {
    // A local file still waiting to be emptied stays open: whether the server took the request
    // is known only from its reply, which may come after the data connection closed.
    if (!m_stream.emptyPending())
        freeStream();
    m_dataClosed = true;
    // The first error stays: a connection closed after a failed send or receive closes
    // without one.
    if (m_dataError == 0)
        m_dataError = error;
    checkTransferEnd();
}

// A transfer ends once both its final reply and the close of its data connection have come,
// in whichever order.
void FtpClientBase::checkTransferEnd() {
    if (m_finalReply && m_dataClosed && !m_requestDone)
        finishTransfer();
}

void FtpClientBase::finishTransfer() {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - m_startTime)
                             .count();
    emptyLocalFile();
    freeStream();
    display(transferSummary(m_byteCount, m_started ? elapsed : 0, m_sending));
    m_resumeAt = 0;
    m_requestResult = transferResult(m_dataError);
    triggerRequestDone(m_requestResult);
}

}  // namespace quay

#include "ftp/ftp_client_base.h"

#include "ftp/reply_text.h"
#include "net/resolve.h"
#include "net/socket_address.h"

namespace quay {

namespace {

// A connection or name lookup that failed, in the system's words ("500 Connection refused");
// the code itself is the request's error.
std::string socketFailureText(int code) {
    return "500 " + socketErrorText(code);
}

}  // namespace

FtpClientBase::FtpClientBase(EventLoop& loop)
    : m_loop(loop),
      m_control(std::make_unique<Socket>(loop)),
      m_data(std::make_unique<Socket>(loop)) {
    m_control->onSessionConnected = [this](int error) { controlSessionConnected(error); };
    m_control->onDataAvailable = [this](int error) { controlDataAvailable(error); };
    m_control->onSessionClosed = [this](int error) { controlSessionClosed(error); };
    m_control->onDnsLookupDone = [this](int error) { controlDnsLookupDone(error); };
    m_control->onSocksError = [this](int, const std::string& text) { m_socksRefusal = text; };
    // One receive per readiness round: a server that sends replies faster than they are
    // logged would otherwise keep the receive loop, and with it the window, busy for ever.
    m_control->setComponentOptions(wsoNoReceiveLoop);
}

FtpClientBase::~FtpClientBase() {
    stopIdleTimer();
    // Closing the sockets below must not call back into a half-destroyed client.
    for (Socket* socket : {m_control.get(), m_data.get()}) {
        socket->onSessionConnected = nullptr;
        socket->onDataAvailable = nullptr;
        socket->onSessionClosed = nullptr;
        socket->onDnsLookupDone = nullptr;
        socket->onSocksError = nullptr;
        socket->onSessionAvailable = nullptr;
        socket->onDataSent = nullptr;
    }
}

FtpShareMode FtpClientBase::shareMode() const {
    switch (m_shareFlags) {
        case 0:
            return FtpShareMode::ftpShareCompat;
        case 32:
            return FtpShareMode::ftpShareDenyWrite;
        case 48:
            return FtpShareMode::ftpShareDenyRead;
        case 64:
            return FtpShareMode::ftpShareDenyNone;
        default:
            return FtpShareMode::ftpShareExclusive;
    }
}

void FtpClientBase::setShareMode(FtpShareMode mode) {
    switch (mode) {
        case FtpShareMode::ftpShareCompat:
            m_shareFlags = 0;
            break;
        case FtpShareMode::ftpShareDenyWrite:
            m_shareFlags = 32;
            break;
        case FtpShareMode::ftpShareDenyRead:
            m_shareFlags = 48;
            break;
        case FtpShareMode::ftpShareDenyNone:
            m_shareFlags = 64;
            break;
        default:
            m_shareFlags = 16;
    }
}

bool FtpClientBase::connected() const {
    return m_control->state() != SocketState::wsClosed;
}

void FtpClientBase::handleError(const std::string& message) {
    throw FtpException(message);
}

void FtpClientBase::setState(FtpState state) {
    if (state == m_state)
        return;
    m_state = state;
    if (onStateChange)
        onStateChange();
}

void FtpClientBase::display(std::string msg) {
    if (onDisplay)
        onDisplay(msg);
}

void FtpClientBase::setErrorMessageOnce(const std::string& text) {
    if (m_errorMessage.empty())
        m_errorMessage = text;
}

void FtpClientBase::checkReady() {
    if (m_state != FtpState::fsReady && m_state != FtpState::fsInternalReady)
        handleError("FTP Server is not ready. Please wait.");
}

// A line break inside an argument (a hostile listing can offer such a name) would end the
// command early and send the rest as a command of its own; a server written in C reads a name
// only up to a NUL byte, so "DELE a<NUL>b" would delete "a".
void FtpClientBase::checkLine(const std::string& cmd) {
    if (cmd.find_first_of("\r\n") != std::string::npos)
        handleError("Command contains a line break");
    if (cmd.find('\0') != std::string::npos)
        handleError("Command contains a NUL byte");
}

// RFC 959 has the client wait for ABOR's answer before it sends anything else: a server may
// throw away what arrived behind ABOR (pure-ftpd does), which then waits for the time-out.
void FtpClientBase::sendCommand(std::string cmd) {
    if (m_abortWait != AbortWait::none) {
        m_heldCommand = std::move(cmd);
        noteActivity();
        return;
    }
    writeCommand(std::move(cmd));
}

void FtpClientBase::writeCommand(std::string cmd) {
    if (onCommand)
        onCommand(cmd);
    display("> " + cmd);
    // The wait for the answer starts here.
    noteActivity();
    if (cmd == "ABOR")
        m_lateAborReply = false;
    if (m_control->state() == SocketState::wsConnected)
        m_control->sendStr(cmd + "\r\n");
}

void FtpClientBase::displayLastResponse() {
    display("< " + m_lastResponse);
}

void FtpClientBase::executeCommand(FtpRequest request, const std::string& cmd,
                                   std::initializer_list<int> accepted, Handler finish) {
    checkLine(cmd);
    if (cmd != "ABOR" && cmd != "STAT" && cmd != "QUIT") {
        checkReady();
        if (!m_connected)
            handleError("Quayside is not connected");
    }
    // The error message of a single command is its own, not one left from an earlier request.
    if (!m_sequence) {
        m_requestType = request;
        m_errorMessage.clear();
    }
    m_acceptedCodes.assign(accepted.begin(), accepted.end());
    if (m_acceptedCodes.size() > 16)
        m_acceptedCodes.resize(16);
    m_requestDone = false;
    m_replyHandler = &FtpClientBase::genericReplyHandler;
    m_finishHandler = finish;
    setState(FtpState::fsWaitingResponse);
    sendCommand(cmd);
    if (m_control->state() == SocketState::wsClosed)
        endUnsentCommand(cmd);
}

// ABOR, STAT and QUIT may be started without a connection; nothing is sent then and no reply
// will ever end the request, so it ends here. QUIT has nothing left to do; the others fail.
void FtpClientBase::endUnsentCommand(const std::string& cmd) {
    if (cmd == "QUIT") {
        if (!m_sequence)
            m_requestResult = 0;
        triggerRequestDone(0);
        return;
    }
    m_statusCode = m_requestResult = 426;
    setErrorMessageOnce("426 Quayside is not connected");
    triggerRequestDone(426);
}

void FtpClientBase::genericReplyHandler() {
    displayLastResponse();
    bool success = true;
    bool anyCode = false;
    for (int code : m_acceptedCodes) {
        if (code == 0)
            break;
        anyCode = true;
        success = false;
        if (code == m_statusCode) {
            success = true;
            break;
        }
    }
    if (!anyCode)
        success = m_statusCode < 500;
    if (success) {
        m_requestResult = 0;
    } else {
        m_requestResult = m_statusCode;
        setErrorMessageOnce(m_lastResponse);
    }
    if (m_passive && (m_statusCode == 227 || m_statusCode == 229))
        m_passiveReply = m_lastResponse;
    if (m_requestResult == 0 && m_currentStep == FtpStep::fctSize) {
        // "213 -1" or a number past 63 bits would become a size no file can have.
        if (const auto size = parseSizeResult(m_lastResponse)) {
            m_sizeResult = *size;
        } else {
            m_requestResult = 501;
            display("! Not a file size: " + m_lastResponse);
            setErrorMessageOnce("501 Not a file size: " + m_lastResponse);
        }
    }
    if (m_currentStep == FtpStep::fctCwd || m_currentStep == FtpStep::fctMkd ||
        m_currentStep == FtpStep::fctPwd || m_currentStep == FtpStep::fctCDup)
        m_dirResult = parseDirResult(m_lastResponse);
    if (m_finishHandler)
        (this->*m_finishHandler)();
    else
        triggerRequestDone(m_requestResult);
}

// A failing step goes on to the next step (so that QUIT still closes the session politely)
// only while the control connection is up; with the connection gone the sequence ends here,
// since no further command could be answered.
void FtpClientBase::triggerRequestDone(int error) {
    if (m_requestDone)
        return;
    m_requestDone = true;
    if (m_nextStepHandler && (error == 0 || m_connected)) {
        if (m_state != FtpState::fsAbort)
            setState(FtpState::fsInternalReady);
        runNextStep();
        return;
    }
    m_nextStepHandler = nullptr;
    setState(FtpState::fsReady);
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    freeStream();
    // An offset belongs to the request it was set for: one left by a refused REST or a failed
    // step would make the next listing open its file inside an old one.
    m_resumeAt = 0;
    m_stopBeforeTransfer = false;
    if (error != 0 && m_errorMessage.empty())
        m_errorMessage = requestFailureText(error);
    if (m_sequence && m_statusCodeSave >= 0) {
        m_lastResponse = m_lastResponseSave;
        m_statusCode = m_statusCodeSave;
    }
    m_sequence = false;
    const std::uint64_t serial = ++m_completionsPosted;
    postGuarded([this, error, serial] {
        completionDelivered(serial, error);
        if (onRequestDone)
            onRequestDone(m_requestType, error);
    });
}

// The next step runs from a reply or a close, where no caller is left to catch an exception:
// a step that cannot start (a server asking for a password that is empty) fails the sequence
// like a refused reply, so that the request still ends, after QUIT when that is left.
void FtpClientBase::runNextStep() {
    try {
        (this->*m_nextStepHandler)();
    } catch (const std::exception& e) {
        m_lastResponse = "500 " + exceptionClassName(e) + ": " + e.what();
        m_statusCode = m_requestResult = 500;
        setErrorMessageOnce(m_lastResponse);
        m_requestDone = false;
        triggerRequestDone(500);
    }
}

void FtpClientBase::postGuarded(std::function<void()> task) {
    std::weak_ptr<int> life = m_life;
    m_loop.post([this, life, task = std::move(task)] {
        if (life.expired())
            return;
        try {
            task();
        } catch (const std::exception& e) {
            bool canClose = true;
            if (onBgException)
                onBgException(e, canClose);
            // A deferred message has no caller to report to: after onBgException the
            // exception ends here, as a silent abort of the message would.
        }
    });
}

void FtpClientBase::applySocksSettings(Socket& socket) {
    if (m_connectionType == FtpConnectionType::ftpDirect ||
        m_connectionType == FtpConnectionType::ftpProxy || m_socksServer.empty())
        return;
    socket.setSocksServer(m_socksAddress);
    socket.setSocksPort(m_socksPort);
    socket.setSocksLevel(m_socksLevel);
}

void FtpClientBase::openAsync() {
    checkReady();
    if (m_connected)
        handleError("Quayside is already connected");
    checkSecurityPath();
    if (!m_sequence)
        m_requestType = FtpRequest::OpenAsync;
    m_requestDone = false;
    m_replyBuffer.clear();
    m_replyFramer.reset();
    dropAbortWait();
    // Looking up the name, connecting and the greeting share one time-out.
    noteActivity();
    m_requestResult = 0;
    m_dnsResult.clear();
    m_addressesLeft.clear();
    m_epsvRefused = false;
    m_currentStep = FtpStep::fctOpen;
    setState(FtpState::fsDnsLookup);
    try {
        m_control->dnsLookup(nameToLookUp());
    } catch (...) {
        // A lookup that cannot start (an empty name) must not leave the client busy.
        setState(FtpState::fsReady);
        throw;
    }
}

bool FtpClientBase::socksResolvesHost() const {
    return (m_connectionType == FtpConnectionType::ftpSocks4A ||
            m_connectionType == FtpConnectionType::ftpSocks5) &&
           !m_socksServer.empty();
}

// Behind a SOCKS gateway the client often cannot resolve the server's name at all, and looking
// it up would tell the local resolver where the session goes; SOCKS 4A and 5 hand the name on.
const std::string& FtpClientBase::nameToLookUp() const {
    if (m_connectionType == FtpConnectionType::ftpProxy)
        return m_proxyServer;
    return socksResolvesHost() ? m_socksServer : m_hostName;
}

// An address keeps the form a local lookup gave it before ("[::1]" goes as "::1", which SOCKS 5
// sends as an IPv6 address and SOCKS 4A as the text a SOCKS server can parse).
std::string FtpClientBase::socksDestination() const {
    const std::string host = trimmed(m_hostName);
    if (isDottedAddress(host))
        return dottedText(resolveHost(host));
    if (const auto literal = SocketAddress::fromIpv6Literal(host))
        return literal->text();
    return host;
}

std::string FtpClientBase::lookupFailureText(int error) const {
    const std::string text = socketFailureText(error);
    if (socksResolvesHost())
        return text + " (SOCKS server " + m_socksServer + ")";
    if (m_connectionType == FtpConnectionType::ftpSocks4 && !m_socksServer.empty())
        return text + ": " + m_hostName +
               " (SOCKS 4 sends the server's address, so its name must resolve here; SOCKS 4A "
               "and 5 let the SOCKS server look it up)";
    return text;
}

std::string FtpClientBase::attemptLabel() const {
    if (socksResolvesHost())
        return m_hostName + " through the SOCKS server " + m_dnsResult;
    return m_dnsResult;
}

void FtpClientBase::controlDnsLookupDone(int error) {
    if (error != 0) {
        m_lastResponse = lookupFailureText(error);
        m_statusCode = m_requestResult = 500;
        setErrorMessageOnce(m_lastResponse);
        triggerRequestDone(error);
        return;
    }
    const std::vector<std::string>& all = m_control->dnsResultList();
    m_addressesLeft.assign(all.begin(), all.end());
    if (m_addressesLeft.empty())
        m_addressesLeft.push_back(m_control->dnsResult());
    connectNextAddress();
}

// The addresses are tried in the resolver's order until one connects; each that fails is one
// "! " line, and the request fails with the last one's error. With socksResolvesHost() they are
// the SOCKS server's, and the host's name is the destination of every attempt.
void FtpClientBase::connectNextAddress() {
    m_dnsResult = m_addressesLeft.front();
    m_addressesLeft.erase(m_addressesLeft.begin());
    try {
        const bool socksNames = socksResolvesHost();
        m_socksAddress = socksNames ? m_dnsResult : m_socksServer;
        m_socksRefusal.clear();
        applySocksSettings(*m_control);
        m_control->setAddr(socksNames ? socksDestination() : m_dnsResult);
        m_control->setProto("tcp");
        const bool viaProxy = m_connectionType == FtpConnectionType::ftpProxy;
        m_control->setPort(viaProxy && !m_proxyPort.empty() ? m_proxyPort : serverPort());
        prepareControlTls();
        setState(FtpState::fsWaitingBanner);
        m_control->connect();
    } catch (const std::exception& e) {
        const std::string text = exceptionClassName(e) + ": " + e.what();
        if (tryNextAddress(text))
            return;
        m_lastResponse = "500 " + text;
        m_statusCode = m_requestResult = 500;
        setErrorMessageOnce(m_lastResponse);
        triggerRequestDone(500);
        // A connect that failed after creating the socket leaves it open.
        if (m_control->state() != SocketState::wsClosed)
            m_control->close();
    }
}

// Notes the failure of the current address; when another is left, closes the failed attempt
// (its close is no session's end) and connects to that one. False when none is left.
bool FtpClientBase::tryNextAddress(const std::string& reason) {
    display("! " + attemptLabel() + ": " + reason);
    if (m_addressesLeft.empty())
        return false;
    if (m_control->state() != SocketState::wsClosed) {
        m_closingFailedAddress = true;
        try {
            m_control->close();
        } catch (...) {
            m_closingFailedAddress = false;
            throw;
        }
        m_closingFailedAddress = false;
    }
    connectNextAddress();
    return true;
}

// Why an attempt failed. A SOCKS code (20007) has no text of the socket library: the SOCKS
// server's answer ("SOCKS: host unreachable") says why the server could not be reached through
// it. A SOCKS server's name that did not resolve is said as when connect() threw it.
std::string FtpClientBase::connectFailureReason(int error) const {
    if (!m_control->connectFailure().empty())
        return "SocketException: " + m_control->connectFailure();
    return m_socksRefusal.empty() ? socketErrorText(error) : "SOCKS: " + m_socksRefusal;
}

void FtpClientBase::controlSessionConnected(int error) {
    if (error != 0) {
        const std::string reason = connectFailureReason(error);
        if (tryNextAddress(reason))
            return;
        m_lastResponse = "500 " + reason;
        m_statusCode = m_requestResult = 500;
        setErrorMessageOnce(m_lastResponse);
        m_nextStepHandler = nullptr;
        triggerRequestDone(error);
        if (m_control->state() != SocketState::wsClosed)
            m_control->close();
        setState(FtpState::fsReady);
        return;
    }
    m_addressesLeft.clear();
    m_connected = true;
    // The data connections go through the SOCKS server address that answered, which the socket
    // looked up itself when it was given a name (SOCKS 4), instead of looking it up again.
    if (!m_control->socksServer().empty())
        m_socksAddress = m_control->remoteAddress().text();
    if (m_control->tls())
        noteTlsConnection();
}

// Bytes that do not complete a reply are no sign of life: a greeting trickled a byte at a time
// would otherwise never time out.
void FtpClientBase::controlDataAvailable(int error) {
    if (m_replyBuffer.full()) {
        replyLineTooLong();
        return;
    }
    const std::int64_t n = m_control->receive(m_replyBuffer.writePtr(),
                                              static_cast<std::int64_t>(m_replyBuffer.room()));
    if (n == 0) {
        m_control->close();
        return;
    }
    if (n < 0)
        return;
    m_replyBuffer.commit(static_cast<std::size_t>(n));
    std::string line;
    while (m_replyBuffer.nextLine((m_options & ftpAcceptLF) != 0, line)) {
        m_lastResponse = line;
        if (onResponse)
            onResponse();
        if (!interpretLine(error))
            return;
    }
    if (m_replyBuffer.full())
        replyLineTooLong();
}

// Returns false when reading must stop (the greeting was refused, or a reply never ends).
bool FtpClientBase::interpretLine(int error) {
    int code = 0;
    const bool insideReply = m_replyFramer.insideMultiLine();
    const ReplyFramer::Line kind = m_replyFramer.take(m_lastResponse, code);
    if (!insideReply)
        m_replyLines.clear();
    if (insideReply || kind != ReplyFramer::Line::Text)
        m_replyLines.push_back(m_lastResponse);
    if (kind == ReplyFramer::Line::TooLong) {
        endSessionForReply("! Reply longer than " + std::to_string(ReplyFramer::MaxLines) +
                               " lines or " + std::to_string(ReplyFramer::MaxBytes) +
                               " bytes without its end line; closing the connection",
                           "426 Reply without end");
        return false;
    }
    if (kind == ReplyFramer::Line::Final) {
        noteActivity();
        if (takeStaleReply(code))
            return true;
    }
    if (m_state == FtpState::fsWaitingBanner) {
        displayLastResponse();
        if (kind == ReplyFramer::Line::Text)
            return true;
        m_statusCode = code;
        if (kind != ReplyFramer::Line::Final)
            return true;
        if (m_statusCode != 220) {
            setErrorMessageOnce(m_lastResponse);
            m_requestResult = m_statusCode;
            m_control->close();
            return false;
        }
        setState(FtpState::fsConnected);
        if (onSessionConnected)
            onSessionConnected(error);
        triggerRequestDone(0);
        return true;
    }
    if (m_state == FtpState::fsWaitingResponse) {
        if (kind == ReplyFramer::Line::Text)
            return true;
        m_statusCode = code;
        if (kind != ReplyFramer::Line::Final)
            return true;
        if (!m_replyHandler)
            handleError("Program error: no reply handler");
        (this->*m_replyHandler)();
        return true;
    }
    displayLastResponse();
    return true;
}

// A line that fills the whole receive buffer can never complete; waiting for its end would
// stall the session, so the session ends with a note instead.
void FtpClientBase::replyLineTooLong() {
    endSessionForReply("! Reply line longer than " + std::to_string(ReplyBuffer::Capacity - 1) +
                           " bytes; closing the connection",
                       "426 Reply line too long");
}

void FtpClientBase::endSessionForReply(const std::string& note, const std::string& error) {
    display(note);
    m_replyBuffer.clear();
    m_replyFramer.reset();
    if (!m_requestDone) {
        m_statusCode = m_requestResult = 426;
        setErrorMessageOnce(error);
    }
    m_control->close();
}

void FtpClientBase::controlSessionClosed(int error) {
    if (m_closingFailedAddress)
        return;
    dropAbortWait();
    if (m_connected) {
        m_connected = false;
        if (m_state != FtpState::fsAbort)
            setState(FtpState::fsNotConnected);
        if (onSessionClosed)
            onSessionClosed(error);
    }
    const bool aborting = m_state == FtpState::fsAbort;
    if (!aborting)
        setState(FtpState::fsInternalReady);
    // A request cut off by the server (other than QUIT, which expects the close) has failed,
    // whatever its last reply said: a download stopped mid-file is no success.
    if (!m_requestDone && !aborting && m_requestResult == 0 && m_currentStep != FtpStep::fctQuit) {
        m_requestResult = error != 0 ? error : 426;
        m_statusCode = 426;
        setErrorMessageOnce("426 Connection closed by server");
        display("! Connection closed by server");
    }
    triggerRequestDone(m_requestResult);
}

void FtpClientBase::abortAsync() {
    const bool wasLookup = m_state == FtpState::fsDnsLookup;
    setState(FtpState::fsAbort);
    freeStream();
    if (wasLookup)
        m_control->cancelDnsLookup();
    if (m_control->state() != SocketState::wsClosed)
        m_control->close();
    if (m_data->state() != SocketState::wsClosed)
        m_data->close();
    freeStream();
    m_connected = false;
    dropAbortWait();
    // A socket closed before it was connected reports no close; the pending request still
    // has to end once.
    if (!m_requestDone)
        triggerRequestDone(m_requestResult);
    setState(FtpState::fsReady);
}

}  // namespace quay

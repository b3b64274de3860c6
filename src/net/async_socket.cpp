#include "net/async_socket.h"

#include <arpa/inet.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>

#include "net/dns_lookup.h"
#include "net/resolve.h"

namespace quay {

namespace {

std::atomic<int> g_liveSockets{0};

const std::string DefaultProto = "tcp";
const std::string DefaultLocalPort = "0";
const std::string AnyAddress = "0.0.0.0";

}  // namespace

AsyncSocket::AsyncSocket(EventLoop& loop) : m_loop(loop), m_life(std::make_shared<int>(0)) {
    resetDefaults();
    ++g_liveSockets;
}

// The owner is going away: none of its handlers may run any more, so the events are cleared
// before the connection is closed.
AsyncSocket::~AsyncSocket() {
    m_destroying = true;
    onSessionAvailable = nullptr;
    onSessionConnected = nullptr;
    onSessionClosed = nullptr;
    onChangeState = nullptr;
    onDataAvailable = nullptr;
    onDataSent = nullptr;
    onSendData = nullptr;
    onDnsLookupDone = nullptr;
    onError = nullptr;
    onBgException = nullptr;
    onTlsStarted = nullptr;
    onSocksError = nullptr;
    onSocksConnected = nullptr;
    onSocksAuthState = nullptr;
    if (m_lookup) {
        m_lookup->cancel();
        m_lookup.reset();
    }
    dropConnectLookup();
    m_life.reset();
    try {
        if (m_state != SocketState::wsClosed)
            AsyncSocket::doClose(true, 0);
    } catch (const std::exception&) {
        // Nothing can be reported from a destructor; the handle is released regardless.
    }
    dropWatch();
    if (m_handle != InvalidSocket)
        ::close(m_handle);
    if (--g_liveSockets < 1)
        g_liveSockets = 0;
}

int AsyncSocket::liveCount() {
    return g_liveSockets;
}

void AsyncSocket::resetDefaults() {
    m_handle = InvalidSocket;
    m_state = SocketState::wsClosed;
    m_addrAssigned = false;
    m_addrResolved = false;
    m_portAssigned = false;
    m_portResolved = false;
    m_protoAssigned = true;
    m_protoResolved = false;
    m_localPortResolved = false;
    m_protoNumber = IPPROTO_TCP;
    m_proto = DefaultProto;
    m_socketType = SOCK_STREAM;
    m_localPort = DefaultLocalPort;
    m_localAddr = AnyAddress;
    m_lingerOnOff = SocketLingerOnOff::wsLingerOn;
    m_lingerTimeout = 0;
    m_allSent = true;
    m_paused = false;
    m_closeReported = false;
    m_readCount = 0;
    m_writeWanted = false;
    m_acceptArmed = true;
    resetSocks();
}

// The same text again is accepted in any state; an empty one leaves the setting unassigned.
void AsyncSocket::assignRemote(std::string& text, bool& assigned, bool& resolved,
                               const std::string& value, const char* property) {
    if (assigned && value == text)
        return;
    if (m_state != SocketState::wsClosed) {
        reportError(std::string("Cannot change ") + property + " if not closed");
        return;
    }
    text = trimmed(value);
    assigned = !text.empty();
    if (assigned)
        resolved = false;
}

void AsyncSocket::setAddr(const std::string& value) {
    assignRemote(m_addr, m_addrAssigned, m_addrResolved, value, "Addr");
}

void AsyncSocket::setPort(const std::string& value) {
    assignRemote(m_port, m_portAssigned, m_portResolved, value, "Port");
}

void AsyncSocket::setProto(const std::string& value) {
    assignRemote(m_proto, m_protoAssigned, m_protoResolved, value, "Proto");
}

void AsyncSocket::setLocalPort(const std::string& value) {
    if (m_state != SocketState::wsClosed) {
        reportError("Cannot change LocalPort if not closed");
        return;
    }
    m_localPort = value;
    m_localPortResolved = false;
}

void AsyncSocket::setLocalAddr(const std::string& value) {
    if (m_state != SocketState::wsClosed) {
        reportError("Cannot change LocalAddr if not closed");
        return;
    }
    const std::string& text = value.empty() ? AnyAddress : value;
    if (!isDottedAddress(text)) {
        reportError("SetLocalAddr(): Invalid IP address");
        return;
    }
    m_localAddr = dottedText(resolveHost(text));
}

SocketSendFlags AsyncSocket::sendFlags() const {
    return m_sendFlags == 0 ? SocketSendFlags::wsSendNormal : SocketSendFlags::wsSendUrgent;
}

void AsyncSocket::setSendFlags(SocketSendFlags value) {
    if (value == SocketSendFlags::wsSendNormal)
        m_sendFlags = 0;
    else if (value == SocketSendFlags::wsSendUrgent)
        m_sendFlags = 1;
    else
        reportError("Invalid SendFlags");
}

void AsyncSocket::reportError(const std::string& message) {
    if (onError) {
        doError();
        return;
    }
    throw SocketException(message);
}

void AsyncSocket::socketError(const std::string& functionName) {
    const int code = m_libraryError;
    const std::string message = "Error " + std::to_string(code) + " in function " + functionName +
                                "\r\n" + socketErrorText(code);
    if ((code == sockerr::ConnectionReset || code == sockerr::NotConnected) &&
        m_handle != InvalidSocket) {
        dropWatch();
        ::close(m_handle);
        forgetHandle();
        changeState(SocketState::wsClosed);
    }
    m_lastError = code;
    reportError(message);
}

void AsyncSocket::adoptHandle(SocketHandle handle) {
    m_handle = handle;
    ++m_generation;
}

void AsyncSocket::forgetHandle() {
    m_handle = InvalidSocket;
    ++m_generation;
    m_tlsLayer = nullptr;
    m_layer.reset();
    m_socksLayer = nullptr;
    m_opening = LayerOpening::None;
    m_writeHeld = false;
    m_endPosted = false;
}

void AsyncSocket::changeState(SocketState newState) {
    const SocketState oldState = m_state;
    m_state = newState;
    refreshWatch();
    doChangeState(oldState);
}

void AsyncSocket::doChangeState(SocketState oldState) {
    fire(onChangeState, oldState, m_state);
}

bool AsyncSocket::doDataAvailable(int error) {
    // Held back while a layer opens; readiness brings it once the layers are open.
    if (layerOpening())
        return true;
    if (!onDataAvailable)
        return false;
    fire(onDataAvailable, error);
    return true;
}

// Each layer chosen for the connection opens in turn before the application hears of it.
void AsyncSocket::doSessionConnected(int error) {
    if (m_socksState == SocksState::socksNegotiateMethods && !m_socksLayer) {
        socksServerReached(error);
        return;
    }
    if (error == 0 && m_tlsSettings && m_socketType == SOCK_STREAM && !m_tlsLayer) {
        beginTls(LayerOpening::TlsConnect, *m_tlsSettings);
        return;
    }
    fire(onSessionConnected, error);
}

void AsyncSocket::doSessionClosed(int error) {
    if (m_socksState == SocksState::socksAuthenticate) {
        const Guard guard(*this);
        fire(onSocksAuthState, SocksAuthState::socksAuthFailure);
        if (guard.gone())
            return;
    }
    fire(onSessionClosed, error);
}

void AsyncSocket::doSessionAvailable(int error) {
    fire(onSessionAvailable, error);
}

void AsyncSocket::doDataSent(int error) {
    if (layerOpening()) {
        m_writeHeld = true;
        return;
    }
    fire(onDataSent, error);
}

void AsyncSocket::doDnsLookupDone(int error) {
    fire(onDnsLookupDone, error);
}

void AsyncSocket::doError() {
    fire(onError);
}

void AsyncSocket::handleBgException(const std::exception& e) {
    bool canClose = true;
    auto life = lifeToken();
    if (onBgException) {
        try {
            fire(onBgException, std::cref(e), std::ref(canClose));
        } catch (...) {
            // The handler of last resort failed too; there is nobody left to tell.
        }
    }
    if (!canClose || life.expired())
        return;
    try {
        abort();
    } catch (...) {
        // Aborting is already the reaction to an error that nobody handled.
    }
}

void AsyncSocket::guarded(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        handleBgException(e);
    } catch (...) {
        handleBgException(SocketException("Unknown exception in socket event"));
    }
}

void AsyncSocket::postSelf(std::function<void()> fn) {
    m_loop.post([life = lifeToken(), fn = std::move(fn)] {
        if (!life.expired())
            fn();
    });
}

void AsyncSocket::doClose(bool shutFirst, int error) {
    dropConnectLookup();
    if (m_handle == InvalidSocket) {
        if (m_state != SocketState::wsClosed) {
            changeState(SocketState::wsClosed);
            resetDefaults();
        }
        return;
    }
    if (m_state == SocketState::wsClosed)
        return;
    if (shutFirst)
        shutDown(1);
    const SocketHandle handle = m_handle;
    dropWatch();
    forgetHandle();
    // Linux releases the descriptor even when close() is interrupted.
    if (::close(handle) != 0 && errno != EINTR) {
        m_libraryError = mapErrno(errno);
        m_lastError = m_libraryError;
        socketError("Disconnect (closesocket)");
        return;
    }
    // A handler may free the socket or open the next connection on it; the rest of this
    // close then no longer applies.
    auto life = lifeToken();
    auto reopened = [&] { return life.expired() || m_handle != InvalidSocket; };
    changeState(SocketState::wsClosed);
    if (reopened())
        return;
    if (!m_destroying && !m_closeReported) {
        m_closeReported = true;
        doSessionClosed(error);
        if (reopened())
            return;
    }
    try {
        resetDefaults();
    } catch (...) {
        // Resetting plain fields cannot fail in practice; nothing would be left to report to.
    }
}

void AsyncSocket::close() {
    doClose(true, 0);
}

void AsyncSocket::abort() {
    cancelDnsLookup();
    discardSendQueue();
    if (m_state == SocketState::wsConnected && m_protoNumber == IPPROTO_TCP) {
        m_lingerOnOff = SocketLingerOnOff::wsLingerOff;
        applyLinger();
    }
    doClose(false, 0);
}

void AsyncSocket::closeLater() {
    postSelf([this] { guarded([this] { close(); }); });
}

void AsyncSocket::freeLater(std::unique_ptr<AsyncSocket> socket) {
    if (!socket)
        return;
    EventLoop& loop = socket->m_loop;
    loop.post(
        [owned = std::shared_ptr<AsyncSocket>(std::move(socket))]() mutable { owned.reset(); });
}

void AsyncSocket::postTestException() {
    postSelf([this] { guarded([] { throw SocketException("Test exception in Socket"); }); });
}

void AsyncSocket::shutDown(int how) {
    if (m_handle == InvalidSocket)
        return;
    if (m_layer && how != 0)
        m_layer->finish();
    ::shutdown(m_handle, how);
}

int AsyncSocket::pause() {
    if (m_handle == InvalidSocket) {
        m_libraryError = sockerr::NotSocket;
        return -1;
    }
    m_paused = true;
    refreshWatch();
    return 0;
}

int AsyncSocket::resume() {
    if (m_handle == InvalidSocket) {
        m_libraryError = sockerr::NotSocket;
        return -1;
    }
    m_paused = false;
    registerEvents(m_selectMask);
    postHeldBytes();
    return 0;
}

void AsyncSocket::processMessages() {
    m_loop.processPending();
    if (m_loop.terminating())
        m_terminated = true;
}

void AsyncSocket::flush() {
    auto life = lifeToken();
    while (!life.expired() && m_handle != InvalidSocket && !queueDrained()) {
        tryToSend();
        if (life.expired() || m_handle == InvalidSocket || queueDrained())
            return;
        // Sleeps until the socket (or anything else) is ready instead of spinning.
        m_loop.waitAndProcess(std::chrono::milliseconds(50));
        if (m_loop.terminating())
            m_terminated = true;
    }
}

void AsyncSocket::waitForClose() {
    auto life = lifeToken();
    while (!life.expired() && m_handle != InvalidSocket && m_state != SocketState::wsClosed) {
        m_loop.waitAndProcess(std::chrono::milliseconds(50));
        if (life.expired() || m_handle == InvalidSocket || m_loop.terminating())
            return;
        const std::int64_t waiting = getRcvdCount();
        if (waiting < 0)
            return;
        if (waiting > 0) {
            doDataAvailable(0);
            continue;
        }
        int closeError = 0;
        if (m_socketType == SOCK_STREAM && probeStream(closeError) == StreamProbe::EndOfStream &&
            closeError != 0) {
            m_lastError = closeError;
            return;
        }
    }
}

// The peer's address record, or nothing (reported under functionName) unless connected.
std::optional<SocketAddress> AsyncSocket::peerRecord(const char* functionName) {
    SocketAddress name;
    if (m_state != SocketState::wsConnected)
        return std::nullopt;
    if (getPeerName(name) != 0) {
        socketError(functionName);
        return std::nullopt;
    }
    return name;
}

std::string AsyncSocket::peerAddr() {
    const auto name = peerRecord("GetPeerName");
    return name ? name->text() : "error";
}

std::string AsyncSocket::peerPort() {
    const auto name = peerRecord("GetPeerPort");
    return name ? std::to_string(name->port()) : "error";
}

int AsyncSocket::getPeerName(SocketAddress& name) {
    if (m_state != SocketState::wsConnected)
        return -1;
    socklen_t len = SocketAddress::capacity();
    const int rc = ::getpeername(m_handle, name.get(), &len);
    if (rc != 0)
        m_libraryError = mapErrno(errno);
    return rc;
}

int AsyncSocket::getSockName(SocketAddress& name) {
    socklen_t len = SocketAddress::capacity();
    const int rc = ::getsockname(m_handle, name.get(), &len);
    if (rc != 0)
        m_libraryError = mapErrno(errno);
    return rc;
}

std::string AsyncSocket::localPortText() {
    if (m_state != SocketState::wsBound && m_state != SocketState::wsConnected &&
        m_state != SocketState::wsListening)
        return "error";
    SocketAddress name;
    if (getSockName(name) != 0)
        return "error";
    return std::to_string(name.port());
}

}  // namespace quay

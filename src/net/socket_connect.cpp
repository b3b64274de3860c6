#include <arpa/inet.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "net/async_socket.h"
#include "net/resolve.h"

namespace quay {

namespace {

std::string formatCode(const char* format, int code) {
    char message[128];
    std::snprintf(message, sizeof message, format, code);
    return message;
}

}  // namespace

// Resolves what is not resolved yet: protocol, remote port, (local port), remote address.
void AsyncSocket::resolvePortsAndAddress(bool resolveLocalPort, const std::string& prefix,
                                         bool nameLater) {
    try {
        if (!m_protoResolved) {
            m_protoNumber = resolveProto(m_proto);
            m_socketType = m_protoNumber == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
            m_protoResolved = true;
        }
        if (!m_portResolved) {
            m_portNumber = resolvePort(m_port, m_proto);
            m_sin.setPort(m_portNumber);
            m_portResolved = true;
        }
        if (resolveLocalPort && !m_localPortResolved) {
            m_localPortNumber = resolvePort(m_localPort, m_proto);
            m_localPortResolved = true;
        }
        if (!m_addrResolved) {
            const auto literal = literalAddress(peerName());
            if (!literal && nameLater)
                return;
            m_sin = literal ? *literal : resolveAddress(peerName());
            m_sin.setPort(m_portNumber);
            m_addrResolved = true;
        }
    } catch (const std::exception& e) {
        throw SocketException(prefix + e.what());
    }
}

const std::string& AsyncSocket::peerName() const {
    return m_socksServerAssigned ? m_socksServer : m_addr;
}

bool AsyncSocket::inUse() const {
    return m_connectLookup || (m_handle != InvalidSocket && m_state != SocketState::wsClosed);
}

void AsyncSocket::connect() {
    m_connectFailure.clear();
    if (inUse()) {
        reportError("Connect: Socket already in use");
        return;
    }
    if (!m_socksServerAssigned) {
        m_socks4Pending = false;
        openConnection();
        return;
    }
    if (!aimAtSocksServer())
        return;
    // A connect refused before a socket exists (or a lookup for it) leaves nothing to negotiate
    // on, and no close would reset the state.
    try {
        openConnection();
    } catch (...) {
        if (m_handle == InvalidSocket && !m_connectLookup)
            m_socksState = SocksState::socksData;
        throw;
    }
    if (m_handle == InvalidSocket && !m_connectLookup)
        m_socksState = SocksState::socksData;
}

void AsyncSocket::openConnection() {
    if (!m_portAssigned) {
        reportError("Connect: No Port Specified");
        return;
    }
    if (!m_addrAssigned) {
        reportError("Connect: No IP Address Specified");
        return;
    }
    if (!m_protoAssigned) {
        reportError("Connect: No Protocol Specified");
        return;
    }
    try {
        resolvePortsAndAddress(true, "connect: ", true);
    } catch (const SocketException& e) {
        reportError(e.what());
        return;
    }
    if (!m_addrResolved || m_socks4Pending)
        startConnectLookup();
    else
        startConnect();
}

bool AsyncSocket::setOption(int level, int name, int value, const char* functionName) {
    if (::setsockopt(m_handle, level, name, &value, sizeof value) == 0)
        return true;
    m_libraryError = mapErrno(errno);
    socketError(functionName);
    return false;
}

// A fresh socket for the resolved protocol, the send queue emptied; InvalidSocket (reported)
// when the library refuses.
SocketHandle AsyncSocket::openHandle(const char* functionName) {
    discardSendQueue();
    const int handle =
        ::socket(m_sin.family(), m_socketType | SOCK_NONBLOCK | SOCK_CLOEXEC, m_protoNumber);
    if (handle < 0) {
        m_libraryError = mapErrno(errno);
        socketError(functionName);
    }
    return handle;
}

void AsyncSocket::startConnect() {
    const SocketHandle handle = openHandle("Connect (socket)");
    if (handle < 0)
        return;
    adoptHandle(handle);
    changeState(SocketState::wsOpened);
    if (m_socketType == SOCK_DGRAM) {
        bindLocal();
        if (!m_sin.isIpv6() && m_sin.ipv4() == INADDR_BROADCAST &&
            !setOption(SOL_SOCKET, SO_BROADCAST, -1, "setsockopt(SO_BROADCAST)"))
            return;
    } else {
        if (!setOption(SOL_SOCKET, SO_REUSEADDR, -1, "setsockopt(SO_REUSEADDR)"))
            return;
        applyLinger();
        if (!setOption(SOL_SOCKET, SO_KEEPALIVE, -1, "setsockopt(SO_KEEPALIVE)"))
            return;
        if (m_localPortNumber != 0 || m_localAddr != "0.0.0.0")
            bindLocal();
    }
    registerEvents(EvRead | EvWrite | EvAccept | EvConnect | EvClose);
    if (m_socketType == SOCK_DGRAM) {
        changeState(SocketState::wsConnected);
        doSessionConnected(0);
        return;
    }
    if (::connect(m_handle, m_sin.get(), m_sin.size()) == 0 || errno == EINPROGRESS) {
        changeState(SocketState::wsConnecting);
        return;
    }
    m_libraryError = mapErrno(errno);
    m_lastError = m_libraryError;
    socketError("Connect");
}

void AsyncSocket::bindLocal() {
    // The local address is IPv4 ("0.0.0.0" unless set); an IPv6 socket binds its any address.
    SocketAddress local = m_sin.isIpv6() ? *SocketAddress::fromIpv6Literal("::")
                                         : SocketAddress::fromIpv4(resolveHost(m_localAddr));
    local.setPort(m_localPortNumber);
    if (::bind(m_handle, local.get(), local.size()) != 0) {
        m_lastError = mapErrno(errno);
        reportError(formatCode("winsock.bind failed, error #%d", m_lastError));
        return;
    }
    if (getSockName(local) != 0) {
        m_lastError = m_libraryError;
        reportError(formatCode("winsock.getsockname failed, error #%d", m_lastError));
        return;
    }
    m_localPortNumber = local.port();
    m_localPort = std::to_string(m_localPortNumber);
}

void AsyncSocket::listen() {
    if (m_socksServerAssigned) {
        reportError("Listening is not supported thru socks server");
        return;
    }
    // A second handle would orphan the open one.
    if (inUse()) {
        reportError("Listen: Socket already in use");
        return;
    }
    const char* missing = !m_portAssigned    ? "listen: port not assigned"
                          : !m_protoAssigned ? "listen: protocol not assigned"
                          : !m_addrAssigned  ? "listen: address not assigned"
                                             : nullptr;
    if (missing) {
        m_libraryError = sockerr::InvalidArgument;
        socketError(missing);
        return;
    }
    try {
        resolvePortsAndAddress(false, "listen: ", false);
    } catch (const SocketException& e) {
        reportError(e.what());
        return;
    }
    const SocketHandle handle = openHandle("socket");
    if (handle < 0)
        return;
    if (::bind(handle, m_sin.get(), m_sin.size()) != 0) {
        m_libraryError = mapErrno(errno);
        ::close(handle);
        socketError("Bind");
        return;
    }
    adoptHandle(handle);
    const std::uint64_t generation = m_generation;
    changeState(SocketState::wsBound);
    if (m_socketType == SOCK_DGRAM) {
        changeState(SocketState::wsListening);
        changeState(SocketState::wsConnected);
        doSessionConnected(0);
    } else {
        if (::listen(m_handle, 5) != 0) {
            m_libraryError = mapErrno(errno);
            socketError("Listen");
            return;
        }
        changeState(SocketState::wsListening);
    }
    if (m_generation == generation)
        registerEvents(EvRead | EvWrite | EvAccept | EvClose);
}

SocketHandle AsyncSocket::accept() {
    if (m_state != SocketState::wsListening) {
        m_libraryError = sockerr::InvalidArgument;
        socketError("not a listening socket");
        return InvalidSocket;
    }
    socklen_t len = SocketAddress::capacity();
    const int handle = ::accept4(m_handle, m_sin.get(), &len, SOCK_CLOEXEC);
    m_acceptArmed = true;
    refreshWatch();
    if (handle < 0) {
        m_libraryError = mapErrno(errno);
        socketError("Accept");
        return InvalidSocket;
    }
    return handle;
}

void AsyncSocket::dup(SocketHandle handle) {
    if (handle == 0 || handle == InvalidSocket) {
        m_libraryError = sockerr::InvalidArgument;
        socketError("Dup");
        return;
    }
    dropConnectLookup();
    if (m_state != SocketState::wsClosed) {
        const SocketHandle old = m_handle;
        dropWatch();
        forgetHandle();
        if (old != InvalidSocket && ::close(old) != 0 && errno != EINTR) {
            m_libraryError = mapErrno(errno);
            socketError("Dup (closesocket)");
            return;
        }
        changeState(SocketState::wsClosed);
    }
    adoptHandle(handle);
    ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) | O_NONBLOCK);
    applyLinger();
    registerEvents(EvRead | EvWrite | EvConnect | EvClose);
    changeState(SocketState::wsConnected);
    // Registering a writable connection yields a first write notification.
    postWriteNotification();
    if (m_tlsSettings)
        beginTls(LayerOpening::TlsAdopted, *m_tlsSettings);
}

// Linger is not handed to the kernel as "on": with 0 s every close would reset the
// connection and drop data still in the send buffer, and with a positive time close() would
// block the loop thread. Sockets therefore always close gracefully in the background; the
// settings are kept and checked as before.
void AsyncSocket::applyLinger() {
    if (m_lingerOnOff == SocketLingerOnOff::wsLingerNoSet)
        return;
    if (m_handle == InvalidSocket) {
        reportError("Cannot set linger option at this time");
        return;
    }
    linger value{};
    value.l_onoff = 0;
    value.l_linger = m_lingerTimeout;
    if (::setsockopt(m_handle, SOL_SOCKET, SO_LINGER, &value, sizeof value) != 0) {
        m_libraryError = mapErrno(errno);
        socketError("setsockopt(SO_LINGER)");
    }
}

}  // namespace quay

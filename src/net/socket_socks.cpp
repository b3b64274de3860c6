#include <algorithm>
#include <cctype>

#include "net/async_socket.h"
#include "net/resolve.h"
#include "net/socks_layer.h"

namespace quay {

namespace {

const std::string DefaultSocksLevel = "5";

}  // namespace

void AsyncSocket::resetSocks() {
    m_socksState = SocksState::socksData;
    m_socksServer.clear();
    m_socksPort.clear();
    m_socksServerAssigned = false;
    m_socksPortAssigned = false;
    m_socksLevel = DefaultSocksLevel;
    m_socks4Address = 0;
    m_socks4Failure.clear();
    m_socks4Pending = false;
}

void AsyncSocket::assignSocksText(std::string& text, bool& assigned, const std::string& value,
                                  const char* what) {
    if (m_state != SocketState::wsClosed) {
        reportError(std::string("Can't change socks ") + what + " if not closed");
        return;
    }
    text = trimmed(value);
    assigned = !text.empty();
}

void AsyncSocket::setSocksServer(const std::string& value) {
    assignSocksText(m_socksServer, m_socksServerAssigned, value, "server");
}

void AsyncSocket::setSocksPort(const std::string& value) {
    assignSocksText(m_socksPort, m_socksPortAssigned, value, "port");
}

void AsyncSocket::setSocksLevel(const std::string& value) {
    if (m_state != SocketState::wsClosed) {
        reportError("Can't change socks level if not closed");
        return;
    }
    if (value != "4" && value != "5" && value != "4A" && value != "4a") {
        reportError("Invalid socks level. Must be 4, 4A or 5.");
        return;
    }
    m_socksLevel = value == "4a" ? "4A" : value;
}

SocksRequest AsyncSocket::socksRequest() const {
    return SocksRequest{m_socksLevel, m_socksAuthentication, m_socksUsercode, m_socksPassword,
                        m_addr,       m_socksDestPort,       m_socks4Address, m_socks4Failure};
}

bool AsyncSocket::aimAtSocksServer() {
    std::string protocol = m_proto;
    std::transform(protocol.begin(), protocol.end(), protocol.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (protocol != "tcp") {
        reportError("tcp is the only protocol supported thru socks server");
        return false;
    }
    SocksLayer::checkLimits(socksRequest());
    // A SOCKS 4 request has room for an IPv4 address only.
    if (m_socksLevel == "4" && isIpv6Literal(trimmed(m_addr))) {
        reportError("SOCKS 4 cannot reach the IPv6 address " + m_addr + "; use SOCKS 4A or 5");
        return false;
    }
    // The SOCKS server's address is resolved with the connection's (openConnection), so that a
    // name is looked up on a worker thread.
    try {
        if (!remoteResolved()) {
            m_portNumber = resolvePort(m_socksPort, m_proto);
            m_sin.setPort(m_portNumber);
            m_portResolved = true;
            m_addrResolved = false;
        }
        m_socksDestPort = resolvePort(m_port, m_proto);
    } catch (const std::exception& e) {
        reportError(std::string("connect: ") + e.what());
        return false;
    }
    takeSocks4Destination();
    m_socksState = SocksState::socksNegotiateMethods;
    return true;
}

// A destination that cannot be resolved is not refused here: as before, the negotiation reports
// it once the SOCKS server is reached (onSocksError 20017).
void AsyncSocket::takeSocks4Destination() {
    m_socks4Address = 0;
    m_socks4Failure.clear();
    m_socks4Pending = false;
    if (m_socksLevel != "4")
        return;
    try {
        if (const auto literal = literalIpv4(m_addr))
            m_socks4Address = *literal;
        else
            m_socks4Pending = true;
    } catch (const std::exception& e) {
        m_socks4Failure = e.what();
    }
}

// The connection to the SOCKS server is made (or failed): the negotiation goes on the stack.
void AsyncSocket::socksServerReached(int error) {
    const Guard guard(*this);
    fire(onSocksConnected, error);
    if (guard.gone() || m_socksState != SocksState::socksNegotiateMethods)
        return;
    if (error != 0) {
        fire(onSessionConnected, error);
        return;
    }
    auto layer = std::make_unique<SocksLayer>(socksRequest(), takeTopLayer());
    m_socksLayer = layer.get();
    m_layer = std::move(layer);
    m_opening = LayerOpening::Socks;
    driveOpening();
}

// The leftover behind the reply is readable before onSessionConnected, so that a handler that
// receives there already reads the bytes in the order they arrived. The layer stays on the
// stack for it; TLS, when chosen, opens on top.
void AsyncSocket::socksOpened() {
    if (m_socksLevel == "5") {
        m_boundAddr = m_socksLayer->boundAddr();
        m_boundPort = m_socksLayer->boundPort();
    }
    m_socksLayer = nullptr;
    m_socksState = SocksState::socksData;
    m_opening = LayerOpening::None;
    m_writeHeld = false;
    m_writeWanted = false;
    refreshWatch();
    const Guard guard(*this);
    doSessionConnected(0);
    if (guard.gone() || m_state != SocketState::wsConnected)
        return;
    postWriteNotification();
    doDataAvailable(0);
}

void AsyncSocket::socksFailed(int error) {
    const std::string text = m_socksLayer->failureText();
    // The connection to the SOCKS server ended or failed: closed like any other connection.
    if (text.empty()) {
        handleEvents(EvClose, error);
        return;
    }
    const Guard guard(*this);
    fire(onSocksError, error, text);
    if (guard.gone())
        return;
    m_socksState = SocksState::socksData;
    m_opening = LayerOpening::None;
    if (error != sockserr::ResolveFailed) {
        fire(onSessionConnected, error);
        if (guard.gone())
            return;
    }
    doClose(true, error);
}

}  // namespace quay

#include "net/socks_socket.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "net/resolve.h"

namespace quay {

namespace {

const std::string DefaultLevel = "5";

void appendBytes(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

void appendPort(std::vector<std::uint8_t>& out, std::uint16_t port) {
    out.push_back(static_cast<std::uint8_t>(port >> 8));
    out.push_back(static_cast<std::uint8_t>(port & 0xff));
}

// SOCKS 5 reply codes 1..8 and their texts; anything else is "unassigned".
const char* socks5ReplyText(int code) {
    static const char* const texts[] = {
        "general SOCKS server failure", "connection not allowed by ruleset",
        "network unreachable",          "host unreachable",
        "connection refused",           "time to live expired",
        "command not supported",        "address type not supported",
    };
    return code >= 1 && code <= 8 ? texts[code - 1] : nullptr;
}

// The length of a SOCKS 5 connect reply by its bound address type (RFC 1928, section 6); an
// unknown type fails as soon as its first five bytes are in.
int socks5ReplyLength(int addressType, int nameLength) {
    switch (addressType) {
        case 1:
            return 10;
        case 3:
            return 7 + nameLength;
        case 4:
            return 22;
        default:
            return 5;
    }
}

}  // namespace

SocksSocket::SocksSocket(EventLoop& loop) : AsyncSocket(loop) {
    resetSocks();
}

void SocksSocket::resetSocks() {
    m_socksState = SocksState::socksData;
    m_socksServer.clear();
    m_socksPort.clear();
    m_socksServerAssigned = false;
    m_socksPortAssigned = false;
    m_socksLevel = DefaultLevel;
    m_leftoverCount = 0;
}

void SocksSocket::resetDefaults() {
    AsyncSocket::resetDefaults();
    resetSocks();
}

void SocksSocket::assignSocksText(std::string& text, bool& assigned, const std::string& value,
                                  const char* what) {
    if (state() != SocketState::wsClosed) {
        reportError(std::string("Can't change socks ") + what + " if not closed");
        return;
    }
    text = trimmed(value);
    assigned = !text.empty();
}

void SocksSocket::setSocksServer(const std::string& value) {
    assignSocksText(m_socksServer, m_socksServerAssigned, value, "server");
}

void SocksSocket::setSocksPort(const std::string& value) {
    assignSocksText(m_socksPort, m_socksPortAssigned, value, "port");
}

void SocksSocket::setSocksLevel(const std::string& value) {
    if (state() != SocketState::wsClosed) {
        reportError("Can't change socks level if not closed");
        return;
    }
    if (value != "4" && value != "5" && value != "4A" && value != "4a") {
        reportError("Invalid socks level. Must be 4, 4A or 5.");
        return;
    }
    m_socksLevel = value == "4a" ? "4A" : value;
}

void SocksSocket::listen() {
    if (m_socksServerAssigned) {
        reportError("Listening is not supported thru socks server");
        return;
    }
    AsyncSocket::listen();
}

// Every request is built in a 128-byte buffer; what does not fit is refused here instead of
// being sent cut short.
void SocksSocket::checkRequestLimits() const {
    const std::size_t user = m_socksUsercode.size();
    const std::size_t host = addr().size();
    if (m_socksLevel == "5") {
        if (m_socksAuthentication == SocksAuthentication::socksAuthenticateUsercode &&
            user + m_socksPassword.size() > RequestSize - 3)
            throw SocketException("SOCKS 5: user code and password together exceed 125 bytes");
        if (host > RequestSize - 7)
            throw SocketException("SOCKS 5: host name exceeds 121 bytes");
    } else if (m_socksLevel == "4") {
        if (user > RequestSize - 9)
            throw SocketException("SOCKS 4: user code exceeds 119 bytes");
    } else if (user + host > RequestSize - 10) {
        throw SocketException("SOCKS 4A: user code and host name together exceed 118 bytes");
    }
}

void SocksSocket::connect() {
    if (!m_socksServerAssigned) {
        AsyncSocket::connect();
        return;
    }
    std::string protocol = proto();
    std::transform(protocol.begin(), protocol.end(), protocol.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (protocol != "tcp") {
        reportError("tcp is the only protocol supported thru socks server");
        return;
    }
    checkRequestLimits();
    // A SOCKS 4 request has room for an IPv4 address only.
    if (m_socksLevel == "4" && isIpv6Literal(trimmed(addr()))) {
        reportError("SOCKS 4 cannot reach the IPv6 address " + addr() + "; use SOCKS 4A or 5");
        return;
    }
    try {
        if (!remoteResolved())
            markRemoteResolved(resolveAddress(m_socksServer), resolvePort(m_socksPort, proto()));
        m_destPort = resolvePort(port(), proto());
    } catch (const std::exception& e) {
        reportError(std::string("connect: ") + e.what());
        return;
    }
    m_socksState = SocksState::socksNegotiateMethods;
    m_replyCount = 0;
    // A connect refused before a socket exists leaves nothing to negotiate on, and no close
    // would reset the state.
    try {
        AsyncSocket::connect();
    } catch (...) {
        if (socketHandle() == InvalidSocket)
            m_socksState = SocksState::socksData;
        throw;
    }
    if (socketHandle() == InvalidSocket)
        m_socksState = SocksState::socksData;
}

void SocksSocket::doSocksConnected(int error) {
    if (auto handler = onSocksConnected)
        handler(error);
}

void SocksSocket::doSocksError(int error, const std::string& message) {
    if (auto handler = onSocksError)
        handler(error, message);
}

void SocksSocket::doSocksAuthState(SocksAuthState authState) {
    if (auto handler = onSocksAuthState)
        handler(authState);
}

void SocksSocket::doSessionConnected(int error) {
    if (m_socksState != SocksState::socksNegotiateMethods) {
        AsyncSocket::doSessionConnected(error);
        return;
    }
    const Guard guard(*this);
    doSocksConnected(error);
    if (guard.gone() || m_socksState != SocksState::socksNegotiateMethods)
        return;
    if (error != 0) {
        AsyncSocket::doSessionConnected(error);
        return;
    }
    if (m_socksLevel != "5") {
        sendConnectRequest();
        return;
    }
    sendGreeting();
}

void SocksSocket::doSessionClosed(int error) {
    if (m_socksState == SocksState::socksAuthenticate) {
        const Guard guard(*this);
        doSocksAuthState(SocksAuthState::socksAuthFailure);
        if (guard.gone())
            return;
    }
    AsyncSocket::doSessionClosed(error);
}

// The application may not send before the negotiation is over, so it is not invited to.
void SocksSocket::doDataSent(int error) {
    if (m_socksState == SocksState::socksData)
        AsyncSocket::doDataSent(error);
}

void SocksSocket::sendNegotiation(const std::vector<std::uint8_t>& request) {
    try {
        send(request.data(), static_cast<std::int64_t>(request.size()));
    } catch (const std::exception&) {
        // A connection that failed here reports through the close that follows.
    }
}

void SocksSocket::sendGreeting() {
    m_offeredMethod =
        m_socksAuthentication == SocksAuthentication::socksAuthenticateUsercode ? 2 : 0;
    sendNegotiation({5, 1, m_offeredMethod});
}

void SocksSocket::sendAuthentication() {
    m_socksState = SocksState::socksAuthenticate;
    const Guard guard(*this);
    doSocksAuthState(SocksAuthState::socksAuthStart);
    if (guard.gone() || m_socksState != SocksState::socksAuthenticate)
        return;
    // Only reachable with unchecked lengths when the server picked a method not offered.
    if (m_socksUsercode.size() + m_socksPassword.size() > RequestSize - 3) {
        socksFail(sockserr::AuthenticationFailed, "socks authentication failed");
        return;
    }
    std::vector<std::uint8_t> request{1, static_cast<std::uint8_t>(m_socksUsercode.size())};
    appendBytes(request, m_socksUsercode);
    request.push_back(static_cast<std::uint8_t>(m_socksPassword.size()));
    appendBytes(request, m_socksPassword);
    sendNegotiation(request);
}

void SocksSocket::sendConnectRequest() {
    m_socksState = SocksState::socksConnect;
    if (m_socksLevel == "5")
        sendSocks5Request();
    else
        sendSocks4Request();
}

void SocksSocket::sendSocks4Request() {
    std::uint32_t address = htonl(1);
    if (m_socksLevel == "4") {
        try {
            address = resolveHost(addr());
        } catch (const std::exception& e) {
            doSocksError(sockserr::ResolveFailed, std::string("SocketException ") + e.what());
            doClose(true, sockserr::ResolveFailed);
            return;
        }
    }
    std::vector<std::uint8_t> request{4, 1};
    appendPort(request, m_destPort);
    const auto* a = reinterpret_cast<const std::uint8_t*>(&address);
    request.insert(request.end(), a, a + 4);
    appendBytes(request, m_socksUsercode);
    request.push_back(0);
    if (m_socksLevel == "4A") {
        appendBytes(request, addr());
        request.push_back(0);
    }
    sendNegotiation(request);
}

// An IPv6 literal goes as an IPv6 address (type 4): a server would look up a name, and "::1"
// is none. Everything else goes as a name (type 3), a dotted address included.
void SocksSocket::sendSocks5Request() {
    std::vector<std::uint8_t> request{5, 1, 0};
    if (const auto ipv6 = SocketAddress::fromIpv6Literal(trimmed(addr()))) {
        request.push_back(4);
        const auto* bytes = reinterpret_cast<const sockaddr_in6*>(ipv6->get())->sin6_addr.s6_addr;
        request.insert(request.end(), bytes, bytes + 16);
    } else {
        request.push_back(3);
        request.push_back(static_cast<std::uint8_t>(addr().size()));
        appendBytes(request, addr());
    }
    appendPort(request, m_destPort);
    sendNegotiation(request);
}

void SocksSocket::socksFail(int code, const std::string& message) {
    const Guard guard(*this);
    doSocksError(code, message);
    if (guard.gone())
        return;
    m_socksState = SocksState::socksData;
    doSessionConnected(code);
    if (!guard.gone())
        doClose(true, code);
}

bool SocksSocket::receiveReply(int limit) {
    const std::int64_t n = receive(m_reply.data() + m_replyCount, limit - m_replyCount);
    if (n < 0)
        return false;
    m_replyCount += static_cast<int>(n);
    return true;
}

bool SocksSocket::doDataAvailable(int error) {
    if (m_socksState == SocksState::socksData)
        return AsyncSocket::doDataAvailable(error);
    if (error != 0) {
        socksFail(error, "data receive error");
        return false;
    }
    switch (m_socksState) {
        case SocksState::socksNegotiateMethods:
            handleGreetingReply();
            return true;
        case SocksState::socksAuthenticate:
            handleAuthReply();
            return true;
        case SocksState::socksConnect:
            if (m_socksLevel == "5")
                handleSocks5Reply();
            else
                handleSocks4Reply();
            return true;
        default:
            socksFail(sockserr::InternalError, "internal error");
            return false;
    }
}

void SocksSocket::handleGreetingReply() {
    if (!receiveReply(RequestSize - 1))
        return;
    if (m_socksLevel == "4") {
        socksFail(sockserr::LogicError, "Socket logic error");
        return;
    }
    if (m_replyCount < 2)
        return;
    m_replyCount = 0;
    if (m_reply[0] != 5)
        socksFail(sockserr::VersionError, "socks version error");
    else if (m_reply[1] == 0)
        methodNoneChosen();
    else if (m_reply[1] == 2)
        sendAuthentication();
    else
        socksFail(sockserr::MethodNotAcceptable, "authentification method not acceptable");
}

void SocksSocket::methodNoneChosen() {
    if (m_offeredMethod != 0) {
        const Guard guard(*this);
        doSocksAuthState(SocksAuthState::socksAuthNotRequired);
        if (guard.gone() || m_socksState != SocksState::socksNegotiateMethods)
            return;
    }
    sendConnectRequest();
}

void SocksSocket::handleAuthReply() {
    if (!receiveReply(RequestSize - 1))
        return;
    if (m_replyCount >= 1 && m_reply[0] != 1) {
        socksFail(sockserr::VersionError, "socks version error");
        return;
    }
    if (m_replyCount > 2) {
        socksFail(sockserr::LogicError, "too much data availaible");
        return;
    }
    if (m_replyCount < 2)
        return;
    if (m_reply[1] != 0) {
        socksFail(sockserr::AuthenticationFailed, "socks authentication failed");
        return;
    }
    m_replyCount = 0;
    const Guard guard(*this);
    doSocksAuthState(SocksAuthState::socksAuthSuccess);
    if (!guard.gone() && m_socksState == SocksState::socksAuthenticate)
        sendConnectRequest();
}

void SocksSocket::handleSocks4Reply() {
    if (!receiveReply(8) || m_replyCount < 8)
        return;
    m_replyCount = 0;
    if (m_reply[0] != 0) {
        socksFail(sockserr::VersionError, "socks version error");
        return;
    }
    switch (m_reply[1]) {
        case 90:
            negotiationDone(0);
            return;
        case 91:
            socksFail(sockserr::RequestRejected, "request rejected or failed");
            return;
        case 92:
            socksFail(sockserr::ConnectionRefused, "connection refused");
            return;
        case 93:
            socksFail(sockserr::AuthenticationFailed, "authentification failed");
            return;
        default:
            socksFail(sockserr::Unassigned, "unassigned error #" + std::to_string(m_reply[1]));
    }
}

void SocksSocket::handleSocks5Reply() {
    if (!receiveReply(RequestSize - 1))
        return;
    if (m_replyCount >= 1 && m_reply[0] != 5) {
        socksFail(sockserr::VersionError, "socks version error");
        return;
    }
    if (m_replyCount >= 2 && m_reply[1] != 0) {
        const int code = m_reply[1];
        if (const char* text = socks5ReplyText(code))
            socksFail(sockserr::GeneralFailure + code - 1, text);
        else
            socksFail(sockserr::Unassigned, "unassigned error #" + std::to_string(code));
        return;
    }
    if (m_replyCount < 5)
        return;
    const int type = m_reply[3];
    const int length = socks5ReplyLength(type, m_reply[4]);
    if (m_replyCount < length) {
        // A bound name longer than the reply buffer can never be completed.
        if (m_replyCount >= RequestSize - 1)
            socksFail(sockserr::LogicError, "too much data availaible");
        return;
    }
    int portAt = 0;
    if (type == 1) {
        std::uint32_t address;
        std::memcpy(&address, m_reply.data() + 4, 4);
        m_boundAddr = dottedText(address);
        portAt = 8;
    } else if (type == 3) {
        m_boundAddr.assign(reinterpret_cast<const char*>(m_reply.data()) + 5, m_reply[4]);
        portAt = 5 + m_reply[4];
    } else if (type == 4) {
        // A server that reached the destination over IPv6 names its IPv6 end.
        char text[INET6_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET6, m_reply.data() + 4, text, sizeof text);
        m_boundAddr = text;
        portAt = 20;
    } else {
        socksFail(sockserr::AddressTypeNotSupported, "address type not supported");
        return;
    }
    m_boundPort = std::to_string(m_reply[portAt] << 8 | m_reply[portAt + 1]);
    negotiationDone(length);
}

// The leftover is in place before onSessionConnected, so that a handler that receives there
// already reads the bytes in the order they arrived.
void SocksSocket::negotiationDone(int leftoverFrom) {
    m_socksState = SocksState::socksData;
    m_leftoverCount = leftoverFrom > 0 ? std::max(0, m_replyCount - leftoverFrom) : 0;
    m_leftoverPos = leftoverFrom;
    m_replyCount = 0;
    const Guard guard(*this);
    doSessionConnected(0);
    if (guard.gone() || state() != SocketState::wsConnected)
        return;
    postWriteNotification();
    doDataAvailable(0);
}

std::int64_t SocksSocket::getRcvdCount() {
    if (m_leftoverCount > 0)
        return m_leftoverCount;
    return AsyncSocket::getRcvdCount();
}

std::int64_t SocksSocket::recvRaw(void* buffer, std::int64_t size) {
    if (m_leftoverCount <= 0)
        return AsyncSocket::recvRaw(buffer, size);
    if (size < 0) {
        setLastLibraryError(sockerr::InvalidArgument);
        return -1;
    }
    const int count = static_cast<int>(std::min<std::int64_t>(size, m_leftoverCount));
    std::memcpy(buffer, m_reply.data() + m_leftoverPos, static_cast<std::size_t>(count));
    m_leftoverPos += count;
    m_leftoverCount -= count;
    return count;
}

}  // namespace quay

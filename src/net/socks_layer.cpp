#include "net/socks_layer.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "net/resolve.h"
#include "net/socket_address.h"
#include "net/socket_error.h"

namespace quay {

namespace {

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

// Every request is built in a 128-byte buffer; what does not fit is refused before the
// connection is made instead of being sent cut short.
void SocksLayer::checkLimits(const SocksRequest& request) {
    const std::size_t user = request.usercode.size();
    const std::size_t host = request.host.size();
    if (request.level == "5") {
        if (request.authentication == SocksAuthentication::socksAuthenticateUsercode &&
            user + request.password.size() > RequestSize - 3)
            throw SocketException("SOCKS 5: user code and password together exceed 125 bytes");
        if (host > RequestSize - 7)
            throw SocketException("SOCKS 5: host name exceeds 121 bytes");
    } else if (request.level == "4") {
        if (user > RequestSize - 9)
            throw SocketException("SOCKS 4: user code exceeds 119 bytes");
    } else if (user + host > RequestSize - 10) {
        throw SocketException("SOCKS 4A: user code and host name together exceed 118 bytes");
    }
}

SocksLayer::SocksLayer(SocksRequest request, std::unique_ptr<StreamLayer> below)
    : m_request(std::move(request)), m_below(std::move(below)) {
    m_next = isLevel5() ? Next::SendGreeting : Next::SendConnectRequest;
}

StreamLayer::Opening SocksLayer::open(int& error) {
    if (m_state == SocksState::socksData)
        return Opening::Done;
    for (;;) {
        if (const auto step = compose(error))
            return *step;
        if (const auto step = sendPending(error))
            return *step;
        if (const auto step = handleReply(error))
            return *step;
    }
}

std::int64_t SocksLayer::read(void* buffer, std::int64_t size, int& error) {
    if (m_leftoverCount <= 0)
        return m_below->read(buffer, size, error);
    const int count = static_cast<int>(std::min<std::int64_t>(size, m_leftoverCount));
    std::memcpy(buffer, m_reply.data() + m_leftoverPos, static_cast<std::size_t>(count));
    m_leftoverPos += count;
    m_leftoverCount -= count;
    return count;
}

std::int64_t SocksLayer::write(const void* data, std::int64_t len, int& error) {
    return m_below->write(data, len, error);
}

std::int64_t SocksLayer::peek(int& error) {
    return m_leftoverCount > 0 ? m_leftoverCount : m_below->peek(error);
}

StreamLayer::Opening SocksLayer::fail(int code, const std::string& text, int& error) {
    m_failureText = text;
    error = code;
    return Opening::Failed;
}

// A request queued by the last step goes out before anything more is read.
SocksLayer::Step SocksLayer::sendPending(int& error) {
    while (m_pendingPos < m_pending.size()) {
        int code = 0;
        const std::int64_t n =
            m_below->write(m_pending.data() + m_pendingPos,
                           static_cast<std::int64_t>(m_pending.size() - m_pendingPos), code);
        if (n < 0)
            return code == sockerr::WouldBlock ? Opening::WantWrite : fail(code, {}, error);
        m_pendingPos += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

void SocksLayer::queue(std::vector<std::uint8_t> request) {
    m_pending = std::move(request);
    m_pendingPos = 0;
}

SocksLayer::Step SocksLayer::receiveReply(int limit, int& error) {
    int code = 0;
    const std::int64_t n = m_below->read(m_reply.data() + m_replyCount, limit - m_replyCount, code);
    if (n > 0) {
        m_replyCount += static_cast<int>(n);
        return std::nullopt;
    }
    if (n < 0 && code == sockerr::WouldBlock)
        return Opening::WantRead;
    return fail(n == 0 ? 0 : code, {}, error);
}

StreamLayer::Opening SocksLayer::notify(SocksAuthState step, Next next) {
    m_notice = step;
    m_next = next;
    return Opening::Notice;
}

// The request that the last reply (or a reported step) calls for.
SocksLayer::Step SocksLayer::compose(int& error) {
    const Next next = std::exchange(m_next, Next::Read);
    switch (next) {
        case Next::Read:
            return std::nullopt;
        case Next::SendGreeting:
            m_offeredMethod =
                m_request.authentication == SocksAuthentication::socksAuthenticateUsercode ? 2 : 0;
            queue({5, 1, m_offeredMethod});
            return std::nullopt;
        case Next::SendAuthentication:
            return queueAuthentication(error);
        case Next::SendConnectRequest:
            m_state = SocksState::socksConnect;
            if (isLevel5()) {
                queueSocks5Request();
                return std::nullopt;
            }
            return queueSocks4Request(error);
    }
    return std::nullopt;
}

SocksLayer::Step SocksLayer::queueAuthentication(int& error) {
    const std::string& user = m_request.usercode;
    const std::string& password = m_request.password;
    // Only reachable with unchecked lengths when the server picked a method not offered.
    if (user.size() + password.size() > RequestSize - 3)
        return fail(sockserr::AuthenticationFailed, "socks authentication failed", error);
    std::vector<std::uint8_t> request{1, static_cast<std::uint8_t>(user.size())};
    appendBytes(request, user);
    request.push_back(static_cast<std::uint8_t>(password.size()));
    appendBytes(request, password);
    queue(std::move(request));
    return std::nullopt;
}

SocksLayer::Step SocksLayer::queueSocks4Request(int& error) {
    std::uint32_t address = htonl(1);
    if (m_request.level == "4") {
        if (!m_request.socks4Failure.empty())
            return fail(sockserr::ResolveFailed, "SocketException " + m_request.socks4Failure,
                        error);
        address = m_request.socks4Address;
    }
    std::vector<std::uint8_t> request{4, 1};
    appendPort(request, m_request.port);
    const auto* a = reinterpret_cast<const std::uint8_t*>(&address);
    request.insert(request.end(), a, a + 4);
    appendBytes(request, m_request.usercode);
    request.push_back(0);
    if (m_request.level == "4A") {
        appendBytes(request, m_request.host);
        request.push_back(0);
    }
    queue(std::move(request));
    return std::nullopt;
}

// An IPv6 literal goes as an IPv6 address (type 4): a server would look up a name, and "::1"
// is none. Everything else goes as a name (type 3), a dotted address included.
void SocksLayer::queueSocks5Request() {
    std::vector<std::uint8_t> request{5, 1, 0};
    const std::string& host = m_request.host;
    if (const auto ipv6 = SocketAddress::fromIpv6Literal(host)) {
        request.push_back(4);
        const auto* bytes = reinterpret_cast<const sockaddr_in6*>(ipv6->get())->sin6_addr.s6_addr;
        request.insert(request.end(), bytes, bytes + 16);
    } else {
        request.push_back(3);
        request.push_back(static_cast<std::uint8_t>(host.size()));
        appendBytes(request, host);
    }
    appendPort(request, m_request.port);
    queue(std::move(request));
}

SocksLayer::Step SocksLayer::handleReply(int& error) {
    switch (m_state) {
        case SocksState::socksNegotiateMethods:
            return handleGreetingReply(error);
        case SocksState::socksAuthenticate:
            return handleAuthReply(error);
        case SocksState::socksConnect:
            return isLevel5() ? handleSocks5Reply(error) : handleSocks4Reply(error);
        case SocksState::socksData:
            break;
    }
    return fail(sockserr::InternalError, "internal error", error);
}

SocksLayer::Step SocksLayer::handleGreetingReply(int& error) {
    if (const auto step = receiveReply(RequestSize - 1, error))
        return step;
    if (m_replyCount < 2)
        return std::nullopt;
    m_replyCount = 0;
    if (m_reply[0] != 5)
        return fail(sockserr::VersionError, "socks version error", error);
    if (m_reply[1] == 0) {
        if (m_offeredMethod != 0)
            return notify(SocksAuthState::socksAuthNotRequired, Next::SendConnectRequest);
        m_next = Next::SendConnectRequest;
        return std::nullopt;
    }
    if (m_reply[1] == 2) {
        m_state = SocksState::socksAuthenticate;
        return notify(SocksAuthState::socksAuthStart, Next::SendAuthentication);
    }
    return fail(sockserr::MethodNotAcceptable, "authentification method not acceptable", error);
}

SocksLayer::Step SocksLayer::handleAuthReply(int& error) {
    if (const auto step = receiveReply(RequestSize - 1, error))
        return step;
    if (m_replyCount >= 1 && m_reply[0] != 1)
        return fail(sockserr::VersionError, "socks version error", error);
    if (m_replyCount > 2)
        return fail(sockserr::LogicError, "too much data availaible", error);
    if (m_replyCount < 2)
        return std::nullopt;
    if (m_reply[1] != 0)
        return fail(sockserr::AuthenticationFailed, "socks authentication failed", error);
    m_replyCount = 0;
    return notify(SocksAuthState::socksAuthSuccess, Next::SendConnectRequest);
}

SocksLayer::Step SocksLayer::handleSocks4Reply(int& error) {
    if (const auto step = receiveReply(8, error))
        return step;
    if (m_replyCount < 8)
        return std::nullopt;
    m_replyCount = 0;
    if (m_reply[0] != 0)
        return fail(sockserr::VersionError, "socks version error", error);
    switch (m_reply[1]) {
        case 90:
            return negotiationDone(0);
        case 91:
            return fail(sockserr::RequestRejected, "request rejected or failed", error);
        case 92:
            return fail(sockserr::ConnectionRefused, "connection refused", error);
        case 93:
            return fail(sockserr::AuthenticationFailed, "authentification failed", error);
        default:
            return fail(sockserr::Unassigned, "unassigned error #" + std::to_string(m_reply[1]),
                        error);
    }
}

SocksLayer::Step SocksLayer::handleSocks5Reply(int& error) {
    if (const auto step = receiveReply(RequestSize - 1, error))
        return step;
    if (m_replyCount >= 1 && m_reply[0] != 5)
        return fail(sockserr::VersionError, "socks version error", error);
    if (m_replyCount >= 2 && m_reply[1] != 0) {
        const int code = m_reply[1];
        if (const char* text = socks5ReplyText(code))
            return fail(sockserr::GeneralFailure + code - 1, text, error);
        return fail(sockserr::Unassigned, "unassigned error #" + std::to_string(code), error);
    }
    if (m_replyCount < 5)
        return std::nullopt;
    const int type = m_reply[3];
    const int length = socks5ReplyLength(type, m_reply[4]);
    if (m_replyCount < length) {
        // A bound name longer than the reply buffer can never be completed.
        if (m_replyCount >= RequestSize - 1)
            return fail(sockserr::LogicError, "too much data availaible", error);
        return std::nullopt;
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
        return fail(sockserr::AddressTypeNotSupported, "address type not supported", error);
    }
    m_boundPort = std::to_string(m_reply[portAt] << 8 | m_reply[portAt + 1]);
    return negotiationDone(length);
}

// Bytes of the destination behind the reply are held, to be read before anything else.
StreamLayer::Opening SocksLayer::negotiationDone(int leftoverFrom) {
    m_state = SocksState::socksData;
    m_leftoverCount = leftoverFrom > 0 ? std::max(0, m_replyCount - leftoverFrom) : 0;
    m_leftoverPos = leftoverFrom;
    m_replyCount = 0;
    return Opening::Done;
}

}  // namespace quay

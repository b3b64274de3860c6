#include "net/socket_address.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <algorithm>
#include <cstring>

namespace quay {

SocketAddress::SocketAddress() {
    std::memset(&m_v6, 0, sizeof m_v6);
    m_v4.sin_family = AF_INET;
}

socklen_t SocketAddress::size() const {
    return isIpv6() ? sizeof m_v6 : sizeof m_v4;
}

std::uint16_t SocketAddress::port() const {
    return ntohs(isIpv6() ? m_v6.sin6_port : m_v4.sin_port);
}

void SocketAddress::setPort(std::uint16_t port) {
    if (isIpv6())
        m_v6.sin6_port = htons(port);
    else
        m_v4.sin_port = htons(port);
}

std::uint32_t SocketAddress::ipv4() const {
    return isIpv6() ? 0 : m_v4.sin_addr.s_addr;
}

std::string SocketAddress::text() const {
    char host[NI_MAXHOST] = {};
    if (::getnameinfo(get(), size(), host, sizeof host, nullptr, 0, NI_NUMERICHOST) != 0)
        return {};
    return host;
}

SocketAddress SocketAddress::fromIpv4(std::uint32_t networkOrderAddress) {
    SocketAddress address;
    address.m_v4.sin_addr.s_addr = networkOrderAddress;
    return address;
}

SocketAddress SocketAddress::fromRecord(const sockaddr* record, socklen_t length) {
    SocketAddress address;
    std::memcpy(&address.m_v6, record, std::min<std::size_t>(length, sizeof address.m_v6));
    return address;
}

std::optional<SocketAddress> SocketAddress::fromIpv6Literal(const std::string& text) {
    std::string host = text;
    if (host.size() >= 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    // Every IPv6 literal holds a colon; without one the resolver would read IPv4 forms here.
    if (host.find(':') == std::string::npos || host.find('\0') != std::string::npos)
        return std::nullopt;
    addrinfo hints{};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICHOST;
    addrinfo* result = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0 || !result)
        return std::nullopt;
    const SocketAddress address = fromRecord(result->ai_addr, result->ai_addrlen);
    ::freeaddrinfo(result);
    return address;
}

}  // namespace quay

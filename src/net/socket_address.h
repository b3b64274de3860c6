#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <optional>
#include <string>

namespace quay {

// An IPv4 or IPv6 address and port as the system's socket calls take them. A fresh record is
// IPv4 0.0.0.0 port 0.
class SocketAddress {
public:
    SocketAddress();

    int family() const { return m_any.sa_family; }
    bool isIpv6() const { return family() == AF_INET6; }
    // The length of the record for the family.
    socklen_t size() const;
    // Room for any family, for calls that fill the record (accept, getsockname).
    static socklen_t capacity() { return sizeof(sockaddr_in6); }
    const sockaddr* get() const { return &m_any; }
    sockaddr* get() { return &m_any; }

    // Host order.
    std::uint16_t port() const;
    void setPort(std::uint16_t port);
    // IPv4 only: the address in network order (0 for an IPv6 record).
    std::uint32_t ipv4() const;
    // The address without port: "127.0.0.1", "::1", "fe80::1%eth0".
    std::string text() const;

    static SocketAddress fromIpv4(std::uint32_t networkOrderAddress);
    // A copy of a record the system filled (getaddrinfo); what does not fit is cut.
    static SocketAddress fromRecord(const sockaddr* record, socklen_t length);
    // An IPv6 literal with an optional zone ("%eth0"), bare or in brackets ("[::1]"); nothing
    // for anything else (names are not looked up).
    static std::optional<SocketAddress> fromIpv6Literal(const std::string& text);

private:
    union {
        sockaddr m_any;
        sockaddr_in m_v4;
        sockaddr_in6 m_v6;
    };
};

}  // namespace quay

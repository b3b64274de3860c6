#include "net/resolve.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "net/socket_error.h"

namespace quay {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string formatted(const char* format, const std::string& text, int code) {
    char message[512];
    std::snprintf(message, sizeof message, format, text.c_str(), code);
    return message;
}

// The four group values of a text that isDottedAddress() accepted.
std::uint32_t dottedToNetwork(const std::string& text) {
    std::uint32_t groups[4] = {0, 0, 0, 0};
    int index = 0;
    for (char c : text) {
        if (c == '.')
            ++index;
        else if (isDigit(c))
            groups[index] = groups[index] * 10 + static_cast<std::uint32_t>(c - '0');
        else if (c != ' ')
            break;
    }
    return htonl(groups[0] << 24 | groups[1] << 16 | groups[2] << 8 | groups[3]);
}

}  // namespace

std::string trimmed(const std::string& text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && static_cast<unsigned char>(text[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(text[e - 1]) <= ' ')
        --e;
    return text.substr(b, e - b);
}

std::uint32_t decimalValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    std::uint32_t value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        value = value * 10 + static_cast<std::uint32_t>(text[i] - '0');
    return value;
}

bool isDottedAddress(const std::string& text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && text[i] == ' ')
        ++i;
    if (i < n && text[i] == '.')
        return false;
    int dots = 0;
    unsigned group = 0;
    for (; i < n; ++i) {
        const char c = text[i];
        if (c == '.') {
            if (++dots > 3 || group > 255 || i + 1 == n || !isDigit(text[i + 1]))
                return false;
            group = 0;
        } else if (isDigit(c)) {
            // Capped so that long digit runs cannot overflow; anything above 255 fails anyway.
            group = std::min(group * 10 + static_cast<unsigned>(c - '0'), 1000u);
        } else {
            for (; i < n; ++i) {
                if (text[i] != ' ')
                    return false;
            }
        }
    }
    return dots == 3 && group <= 255;
}

std::string dottedText(std::uint32_t networkOrderAddress) {
    char text[INET_ADDRSTRLEN];
    in_addr a{};
    a.s_addr = networkOrderAddress;
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

int lookupFirstAddress(const std::string& name, int family, SocketAddress& address) {
    addrinfo hints{};
    hints.ai_family = family;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(trimmed(name).c_str(), nullptr, &hints, &result);
    if (rc != 0 || !result)
        return mapResolverError(rc == 0 ? EAI_NONAME : rc, errno);
    address = SocketAddress::fromRecord(result->ai_addr, result->ai_addrlen);
    freeaddrinfo(result);
    return 0;
}

std::string hostLookupFailure(const std::string& text, int code) {
    return formatted("ResolveHost: Cannot convert host address '%s', Error #%d", text, code);
}

namespace {

// The first address of a name of the given family, by the blocking resolver.
SocketAddress lookupFirst(const std::string& text, int family) {
    SocketAddress address;
    if (const int code = lookupFirstAddress(text, family, address))
        throw SocketException(hostLookupFailure(text, code));
    return address;
}

void checkHostLength(const std::string& text) {
    if (text.empty() || text.size() > 256)
        throw SocketException("ResolveHost: '" + text + "' Invalid Hostname.");
}

}  // namespace

std::optional<std::uint32_t> literalIpv4(const std::string& text) {
    checkHostLength(text);
    const std::string host = trimmed(text);
    if (!isDottedAddress(host))
        return std::nullopt;
    const std::uint32_t address = dottedToNetwork(host);
    if (address == INADDR_NONE && host != "255.255.255.255")
        throw SocketException("ResolveHost: '" + text + "' Invalid IP address.");
    return address;
}

std::uint32_t resolveHost(const std::string& text) {
    if (const auto literal = literalIpv4(text))
        return *literal;
    return lookupFirst(text, AF_INET).ipv4();
}

bool isIpv6Literal(const std::string& text) {
    return SocketAddress::fromIpv6Literal(text).has_value();
}

std::optional<SocketAddress> literalAddress(const std::string& text) {
    if (const auto ipv4 = literalIpv4(text))
        return SocketAddress::fromIpv4(*ipv4);
    return SocketAddress::fromIpv6Literal(trimmed(text));
}

SocketAddress resolveAddress(const std::string& text) {
    if (const auto literal = literalAddress(text))
        return *literal;
    return lookupFirst(text, AF_UNSPEC);
}

std::uint16_t resolvePort(const std::string& port, const std::string& proto) {
    if (port.empty() || port.size() > 31)
        throw SocketException("ResolvePort: Invalid Port.");
    if (isDigit(port[0])) {
        // A number beyond 16 bits would silently address another port; so would one beyond
        // 32 bits, whose decimal value wraps, so the digits are measured first.
        const std::size_t digitsEnd = std::min(port.find_first_not_of("0123456789"), port.size());
        const std::size_t significant = std::min(port.find_first_not_of('0'), digitsEnd);
        const std::uint32_t value = decimalValue(port);
        if (digitsEnd - significant > 5 || value > 65535)
            throw SocketException("ResolvePort: Invalid Port.");
        return static_cast<std::uint16_t>(value);
    }
    const std::string name = trimmed(port);
    const std::string protocol = trimmed(proto);
    servent entry{};
    servent* found = nullptr;
    char scratch[2048];
    getservbyname_r(name.c_str(), protocol.empty() ? nullptr : protocol.c_str(), &entry, scratch,
                    sizeof scratch, &found);
    if (!found)
        throw SocketException(
            formatted("ResolvePort: Cannot convert port '%s', Error #%d", port, sockerr::NoData));
    return ntohs(static_cast<std::uint16_t>(found->s_port));
}

int resolveProto(const std::string& text) {
    if (text.empty() || text.size() > 31)
        throw SocketException("ResolveProto: Invalid Protocol.");
    const std::string name = trimmed(text);
    if (!name.empty() && isDigit(name[0]))
        return static_cast<int>(decimalValue(name));
    // Every connection resolves its protocol: the two this layer speaks have fixed numbers,
    // so neither a system without a protocols table nor the cost of reading it (one file
    // opened per data connection) stands in the way.
    if (name == "tcp" || name == "udp")
        return name == "tcp" ? IPPROTO_TCP : IPPROTO_UDP;
    protoent entry{};
    protoent* found = nullptr;
    char scratch[1024];
    getprotobyname_r(name.c_str(), &entry, scratch, sizeof scratch, &found);
    if (!found)
        throw SocketException(formatted("ResolveProto: Cannot convert protocol '%s', Error #%d",
                                        name, sockerr::NoData));
    return found->p_proto;
}

}  // namespace quay

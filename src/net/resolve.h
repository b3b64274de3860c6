#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "net/socket_address.h"

namespace quay {

// Process-wide conversions of host, port and protocol texts. Every failure throws
// SocketException with the message the function documents. Thread-safe.

// Dotted form: optional blanks, four decimal groups of at most 255 joined by single dots,
// optional trailing blanks ("1.2.3.4", " 1.2.3.4 "; not "1.2.3", "1.2.3.4.", "1..2.3",
// "1.2.3.256").
bool isDottedAddress(const std::string& text);

// IPv4 address in network byte order. A text of 0 or more than 256 characters throws
// "ResolveHost: '<text>' Invalid Hostname."; a dotted text converts without the resolver
// (all ones only for "255.255.255.255", else "... Invalid IP address."); a name is looked up
// with the blocking resolver, failure "ResolveHost: Cannot convert host address '<text>',
// Error #<code>".
std::uint32_t resolveHost(const std::string& text);

// resolveHost without the resolver: the address of a dotted text, nothing for any other text
// (a name, which only the resolver can turn into an address). Throws as resolveHost.
std::optional<std::uint32_t> literalIpv4(const std::string& text);

// An IPv6 literal, bare or in brackets, with an optional zone ("::1", "[::1]", "fe80::1%eth0").
bool isIpv6Literal(const std::string& text);

// resolveHost for either family: a dotted text as there, an IPv6 literal (bare or in brackets)
// without the resolver, a name by the resolver's first address of either family. Port 0.
SocketAddress resolveAddress(const std::string& text);

// resolveAddress without the resolver: the address of a dotted text or an IPv6 literal, nothing
// for a name. Throws as resolveAddress.
std::optional<SocketAddress> literalAddress(const std::string& text);

// The blocking part of resolveHost (family AF_INET) and resolveAddress (AF_UNSPEC) for a name,
// which may wait for the resolver for a long time: 0 and the first address, or the
// socket-layer code of the failure (11001...). For a worker thread.
int lookupFirstAddress(const std::string& name, int family, SocketAddress& address);

// The message of a failed lookup: "ResolveHost: Cannot convert host address '<text>', Error
// #<code>".
std::string hostLookupFailure(const std::string& text, int code);

// Port in host order. A text of 0 or more than 31 characters throws "ResolvePort: Invalid
// Port."; a text starting with a digit gives the value of its leading digits ("21x" -> 21);
// otherwise a service name for the protocol (any protocol when empty).
std::uint16_t resolvePort(const std::string& port, const std::string& proto);

// Protocol number ("tcp" -> 6, "17" -> 17). Empty or more than 31 characters throws
// "ResolveProto: Invalid Protocol.".
int resolveProto(const std::string& text);

// Value of the leading decimal digits after leading blanks; no sign, no overflow check
// (wraps); empty or no digits -> 0.
std::uint32_t decimalValue(const std::string& text);

// The text without leading and trailing blanks and control characters.
std::string trimmed(const std::string& text);

// Network-order IPv4 address -> "a.b.c.d".
std::string dottedText(std::uint32_t networkOrderAddress);

}  // namespace quay

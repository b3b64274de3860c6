#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace quay {

// Text rules of the FTP dialogue: reading reply codes and results, building PORT and proxy
// USER lines, the transfer summary. Pure functions; none of them throws.

// Reads a number at pos: skips blanks, tabs, CR and LF, accepts one "+" or "-", then decimal
// digits up to the first other character. pos ends behind the digits. Values beyond the
// 64-bit range saturate instead of wrapping.
std::int64_t readReplyNumber(std::string_view text, std::size_t& pos);

// The quoted directory of a 257-style reply ("257 \"/a \"\"b\"\" c\" created" -> /a "b" c);
// empty when no double quote follows the code and its blanks. The name ends at a NUL byte,
// which no path can hold.
std::string parseDirResult(std::string_view line);

// The second number of the line (the first is the code): the size in a 213 reply; 0 when the
// line holds no second number. Empty when the number is negative or does not fit 63 bits:
// such a reply states no size.
std::optional<std::int64_t> parseSizeResult(std::string_view line);

// The data port of a 227 reply "227 text (h1,h2,h3,h4,p1,p2)". False unless the parentheses
// hold exactly six numbers of 0..255 and the port is not 0.
bool parsePassivePort(std::string_view reply, std::uint16_t& port);

// The data port of a 229 reply "229 text (|||port|)" (RFC 2428): after the parenthesis three
// equal delimiters (a printable character other than a digit or blank), 1 to 5 digits of a port
// from 1 to 65535, the same delimiter and ")". False for anything else.
bool parseExtendedPassivePort(std::string_view reply, std::uint16_t& port);

// "EPRT |2|<address>|<port>|" for an IPv6 address (its zone, "%eth0", left out), "EPRT
// |1|...|" for an IPv4 one (RFC 2428).
std::string eprtCommand(const std::string& address, std::uint16_t port);

// "PORT 127,0,0,1,p1,p2" when the control connection's peer is 127.0.0.1, otherwise the four
// bytes of the local address (network order) and the port's high and low byte.
std::string portCommand(std::uint32_t localAddrNet, std::uint32_t remoteAddrNet,
                        std::uint16_t port);

// "USER user@host", with ":port" behind it unless the port is "ftp" or "21" (any case); an
// IPv6 literal host in brackets ("USER joe@[::1]:2121").
std::string proxyUserLine(const std::string& user, const std::string& host,
                          const std::string& port);

// "! <n> bytes received in <s> seconds (<r> Bytes/sec)"; "sent" for uploads; the rate is
// left out when no millisecond has passed.
std::string transferSummary(std::int64_t bytes, std::int64_t elapsedMs, bool sent);

// The class name shown in messages about an exception ("SocketException: ...").
std::string exceptionClassName(const std::exception& e);

// A socket-layer error code in words: "Connection reset by peer (socket error #10054)".
std::string socketErrorWords(int code);

// The error text of a request that failed without a reply that says why: a socket-layer code
// as "426 " and its words, any other code as "<code> Request failed".
std::string requestFailureText(int code);

}  // namespace quay

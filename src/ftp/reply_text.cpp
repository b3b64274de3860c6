#include "ftp/reply_text.h"

#include <arpa/inet.h>

#include <cctype>
#include <limits>

#include "ftp/ftp_types.h"
#include "net/resolve.h"
#include "net/socket_error.h"

namespace quay {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Reads one number of 0..255 at pos followed by the expected separator.
bool readByte(std::string_view text, std::size_t& pos, char separator, unsigned& value) {
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    std::size_t start = pos;
    value = 0;
    while (pos < text.size() && isDigit(text[pos]) && pos - start < 4)
        value = value * 10 + static_cast<unsigned>(text[pos++] - '0');
    if (pos == start || value > 255)
        return false;
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos >= text.size() || text[pos] != separator)
        return false;
    ++pos;
    return true;
}

}  // namespace

std::int64_t readReplyNumber(std::string_view text, std::size_t& pos) {
    while (pos < text.size() &&
           (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    constexpr std::int64_t limit = std::numeric_limits<std::int64_t>::max() / 10 - 10;
    std::int64_t value = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos)
        value = value < limit ? value * 10 + (text[pos] - '0') : limit;
    return negative ? -value : value;
}

std::string parseDirResult(std::string_view line) {
    std::size_t pos = 0;
    readReplyNumber(line, pos);
    while (pos < line.size() && line[pos] == ' ')
        ++pos;
    if (pos >= line.size() || line[pos] != '"')
        return {};
    std::string result;
    for (++pos; pos < line.size() && line[pos] != '\0'; ++pos) {
        if (line[pos] != '"') {
            result += line[pos];
        } else if (pos + 1 < line.size() && line[pos + 1] == '"') {
            result += '"';
            ++pos;
        } else {
            break;
        }
    }
    return result;
}

std::optional<std::int64_t> parseSizeResult(std::string_view line) {
    std::size_t pos = 0;
    readReplyNumber(line, pos);
    while (pos < line.size() && (line[pos] == ' ' || line[pos] == '\t'))
        ++pos;
    if (pos < line.size() && line[pos] == '+')
        ++pos;
    else if (pos < line.size() && line[pos] == '-' && pos + 1 < line.size() &&
             isDigit(line[pos + 1]))
        return std::nullopt;
    std::int64_t value = 0;
    for (; pos < line.size() && isDigit(line[pos]); ++pos) {
        const int digit = line[pos] - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

bool parsePassivePort(std::string_view reply, std::uint16_t& port) {
    std::size_t pos = reply.find('(');
    if (pos == std::string_view::npos)
        return false;
    ++pos;
    unsigned value = 0;
    for (int i = 0; i < 4; ++i)
        if (!readByte(reply, pos, ',', value))
            return false;
    unsigned high = 0;
    unsigned low = 0;
    if (!readByte(reply, pos, ',', high) || !readByte(reply, pos, ')', low))
        return false;
    port = static_cast<std::uint16_t>(high * 256 + low);
    return port != 0;
}

bool parseExtendedPassivePort(std::string_view reply, std::uint16_t& port) {
    const std::size_t open = reply.find('(');
    if (open == std::string_view::npos)
        return false;
    const std::string_view rest = reply.substr(open + 1);
    const char delimiter = rest.empty() ? '\0' : rest[0];
    if (delimiter <= ' ' || delimiter > '~' || isDigit(delimiter) || rest.size() < 3 ||
        rest[1] != delimiter || rest[2] != delimiter)
        return false;
    std::size_t pos = 3;
    unsigned value = 0;
    while (pos < rest.size() && isDigit(rest[pos]) && pos < 8)
        value = value * 10 + static_cast<unsigned>(rest[pos++] - '0');
    if (pos == 3 || value == 0 || value > 65535 || pos + 1 >= rest.size() ||
        rest[pos] != delimiter || rest[pos + 1] != ')')
        return false;
    port = static_cast<std::uint16_t>(value);
    return true;
}

std::string eprtCommand(const std::string& address, std::uint16_t port) {
    const bool ipv6 = address.find(':') != std::string::npos;
    return std::string("EPRT |") + (ipv6 ? "2" : "1") + "|" + address.substr(0, address.find('%')) +
           "|" + std::to_string(port) + "|";
}

std::string portCommand(std::uint32_t localAddrNet, std::uint32_t remoteAddrNet,
                        std::uint16_t port) {
    const std::string portPart = std::to_string(port >> 8) + "," + std::to_string(port & 0xff);
    if (remoteAddrNet == htonl(INADDR_LOOPBACK))
        return "PORT 127,0,0,1," + portPart;
    const std::uint32_t a = ntohl(localAddrNet);
    return "PORT " + std::to_string(a >> 24) + "," + std::to_string((a >> 16) & 0xff) + "," +
           std::to_string((a >> 8) & 0xff) + "," + std::to_string(a & 0xff) + "," + portPart;
}

std::string proxyUserLine(const std::string& user, const std::string& host,
                          const std::string& port) {
    // An IPv6 literal is bracketed, so that its colons are not taken for the port's.
    std::string line = "USER " + user + "@" + (isIpv6Literal(host) ? "[" + host + "]" : host);
    if (!iequals(port, "ftp") && port != "21")
        line += ":" + port;
    return line;
}

std::string transferSummary(std::int64_t bytes, std::int64_t elapsedMs, bool sent) {
    std::string text = "! " + std::to_string(bytes) +
                       (sent ? " bytes sent in " : " bytes received in ") +
                       std::to_string(elapsedMs / 1000) + " seconds";
    if (elapsedMs != 0) {
        const std::int64_t rate =
            bytes < 32768 ? bytes * 1000 / elapsedMs : (bytes / elapsedMs) * 1000;
        text += " (" + std::to_string(rate) + " Bytes/sec)";
    }
    return text;
}

std::string exceptionClassName(const std::exception& e) {
    if (dynamic_cast<const SocketException*>(&e))
        return "SocketException";
    if (dynamic_cast<const FtpException*>(&e))
        return "FtpException";
    return "Exception";
}

std::string socketErrorWords(int code) {
    return socketErrorText(code) + " (socket error #" + std::to_string(code) + ")";
}

std::string requestFailureText(int code) {
    if (code >= sockerr::Interrupted)
        return "426 " + socketErrorWords(code);
    return std::to_string(code) + " Request failed";
}

}  // namespace quay

#include "ftp/reply_framer.h"

#include <limits>

namespace quay {

namespace {

std::string_view leadingDigits(std::string_view line) {
    std::size_t n = 0;
    while (n < line.size() && line[n] >= '0' && line[n] <= '9')
        ++n;
    return line.substr(0, n);
}

// A code longer than an int (a hostile server) saturates instead of wrapping.
int codeValue(std::string_view digits) {
    constexpr int limit = std::numeric_limits<int>::max() / 10 - 10;
    int value = 0;
    for (char c : digits)
        value = value < limit ? value * 10 + (c - '0') : limit;
    return value;
}

}  // namespace

ReplyFramer::Line ReplyFramer::take(std::string_view line, int& code) {
    ++m_lines;
    m_bytes += line.size() + 2;
    if (m_lines > MaxLines || m_bytes > MaxBytes)
        return Line::TooLong;
    const std::string_view digits = leadingDigits(line);
    if (digits.empty())
        return Line::Text;
    const bool more = digits.size() < line.size() && line[digits.size()] == '-';
    if (insideMultiLine()) {
        const bool ends =
            digits == m_openCode && (digits.size() == line.size() || line[digits.size()] == ' ');
        if (!ends)
            return Line::Text;
        m_openCode.clear();
    } else if (more) {
        m_openCode = digits;
        code = codeValue(digits);
        return Line::Opening;
    }
    code = codeValue(digits);
    m_lines = 0;
    m_bytes = 0;
    return Line::Final;
}

void ReplyFramer::reset() {
    m_openCode.clear();
    m_lines = 0;
    m_bytes = 0;
}

}  // namespace quay

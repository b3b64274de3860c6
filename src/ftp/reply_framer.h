#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quay {

// Tells the lines of the control connection apart as RFC 959 §4.2 frames replies. A line that
// starts with a code followed by "-" opens a multi-line reply, which ends only at a line that
// starts with the same code followed by a blank (or nothing); every line between is text, even
// one that starts with other digits ("2021 was a year"). Outside a multi-line reply a line led
// by a code is a complete reply and any other line is text.
//
// The lines since the last complete reply are counted: a reply that never ends (an endless
// "220-" greeting) is over its bound after MaxLines lines or MaxBytes bytes. The bound leaves
// room for a STAT of a large directory, which comes as one multi-line reply.
class ReplyFramer {
public:
    static constexpr std::size_t MaxLines = 100000;
    static constexpr std::size_t MaxBytes = 16 * 1024 * 1024;

    enum class Line {
        Text,     // no code of its own: text of a reply, or noise between replies
        Opening,  // the first line of a multi-line reply; code is its code
        Final,    // the line that completes a reply; code is its code
        TooLong,  // the reply went past its bound; the session cannot trust what follows
    };

    // Classifies the next line. code is set for Opening and Final only.
    Line take(std::string_view line, int& code);
    // Forgets a reply in progress (a new connection).
    void reset();
    bool insideMultiLine() const { return !m_openCode.empty(); }

private:
    std::string m_openCode;
    std::size_t m_lines = 0;
    std::size_t m_bytes = 0;
};

}  // namespace quay

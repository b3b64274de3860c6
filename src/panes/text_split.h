#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quay {

// True for the bytes that trimming removes: blanks and control characters (0x00 to 0x20).
// Bytes from 0x80 on (UTF-8 sequences) are never trimmed.
constexpr bool isBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

// The text without blanks and control characters at both ends.
std::string_view trimmed(std::string_view text);

// Cuts text into parts at every delimiter; each part is trimmed of blanks and control
// characters. The text is not trimmed before the first cut, so a leading delimiter yields an
// empty first part; the rest after each cut is trimmed, so a trailing delimiter adds no empty
// part and, with a blank as delimiter, a run of blanks separates like one blank. An empty
// text gives no part.
std::vector<std::string> splitString(char delimiter, std::string_view text);

// The same cut one part at a time, without copying: returns the next part of a non-empty
// text and leaves the rest in text. Taking parts until text is empty gives splitString's parts.
std::string_view takePart(char delimiter, std::string_view& text);

}  // namespace quay

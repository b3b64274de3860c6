#pragma once

#include <string>
#include <string_view>

namespace quay {

// Names in files (sections, keys, components, file extensions) are compared like the
// profile and file systems of the platform did: ASCII letters without regard to case, every
// other byte as it is.
char asciiLower(char c);
std::string asciiLower(std::string_view text);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// The text without the blanks and tabs at both ends.
std::string_view trimBlanks(std::string_view text);
// The text with each control byte (below 0x20, and 0x7f) written as "\xNN", so that it stays
// one line and carries no terminal escape; with keepTab a tab stays as it is.
std::string escapeControlBytes(std::string_view text, bool keepTab);

}  // namespace quay

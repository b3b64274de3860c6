#include "sites/text_lines.h"

#include <algorithm>

#include "config/atomic_file.h"
#include "config/text_file.h"

namespace quay {

namespace {
constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";
}  // namespace

std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file) {
    std::optional<std::string> text = readTextFile(file);
    if (!text)
        return std::nullopt;
    std::string_view content = *text;
    // Editors on some systems put a byte-order mark in front of a hand-edited file; left
    // there, it would turn the first folder or server line into a nameless server.
    if (content.substr(0, Utf8ByteOrderMark.size()) == Utf8ByteOrderMark)
        content.remove_prefix(Utf8ByteOrderMark.size());
    // Every line of a list file becomes a record of some hundred bytes, so a file of millions
    // of empty lines would take gigabytes; no list of ours is that long.
    if (static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) > MaxFileLines)
        return std::nullopt;
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(content))
        lines.emplace_back(line);
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text.append(line).append("\r\n");
    return text;
}

bool writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines,
                mode_t mode) {
    return writeFileAtomically(file, joinLines(lines), mode);
}

}  // namespace quay

#include "sites/text_lines.h"

#include "config/atomic_file.h"
#include "config/text_file.h"

namespace quay {

std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file) {
    std::optional<std::string> text = readTextFile(file);
    if (!text)
        return std::nullopt;
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(*text))
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

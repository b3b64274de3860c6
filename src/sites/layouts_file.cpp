#include "sites/layouts_file.h"

#include <charconv>
#include <optional>
#include <system_error>

#include "config/comma_text.h"
#include "sites/server_info.h"
#include "sites/text_lines.h"

namespace quay {

namespace {

constexpr std::string_view HexDigits = "0123456789abcdef";
constexpr mode_t LayoutsFileMode = 0644;

std::string quotedName(std::string_view text) {
    std::string result = "\"";
    for (char c : text) {
        result.push_back(c);
        if (c == '"')
            result.push_back('"');
    }
    result.push_back('"');
    return result;
}

char columnDigit(const std::string& text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
        value > 15)
        return '0';
    return HexDigits[static_cast<std::size_t>(value)];
}

}  // namespace

Layouts readLayouts(const std::filesystem::path& dataDir) {
    Layouts layouts;
    const std::filesystem::path file = dataDir / std::string(LayoutsFileName);
    std::optional<std::vector<std::string>> lines = readLines(file);
    std::error_code error;
    layouts.unreadable = !lines && std::filesystem::exists(file, error);
    for (const std::string& line : lines.value_or(std::vector<std::string>{})) {
        std::vector<std::string> values = splitCommaText(line);
        if (values.empty())
            continue;
        layouts.names.push_back(values[0]);
        layouts.codes.push_back(values.size() > 1 ? values[1] : std::string(DefaultLayoutCode));
    }
    if (layouts.codes.empty())
        layouts.codes.emplace_back(DefaultLayoutCode);
    layouts.codes[0] = DefaultLayoutCode;
    if (layouts.names.empty())
        layouts.names.emplace_back(DefaultLayoutName);
    return layouts;
}

bool writeLayouts(const std::filesystem::path& dataDir, const Layouts& layouts) {
    if (layouts.unreadable)
        return false;
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < layouts.names.size(); ++i)
        lines.push_back(quotedName(layouts.names[i]) + "," +
                        (i < layouts.codes.size() ? layouts.codes[i] : std::string()));
    return writeLines(dataDir / std::string(LayoutsFileName), lines, LayoutsFileMode);
}

std::array<int, 6> layoutColumns(std::string_view code) {
    std::array<int, 6> columns{};
    for (std::size_t i = 0; i < columns.size() && i + 1 < code.size(); ++i) {
        std::size_t digit = HexDigits.find(code[i + 1]);
        columns[i] = digit == std::string_view::npos ? 0 : static_cast<int>(digit);
    }
    return columns;
}

std::string buildLayoutCode(int typeIndex, const std::array<std::string, 6>& columns) {
    std::string code = std::to_string(typeIndex);
    for (const std::string& column : columns)
        code.push_back(columnDigit(column));
    return code.substr(0, FtpServerInfo::AnswerLimit);
}

}  // namespace quay

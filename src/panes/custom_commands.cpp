#include "panes/custom_commands.h"

#include <algorithm>

#include "config/atomic_file.h"
#include "config/comma_text.h"
#include "config/text_file.h"

namespace quay {

namespace {

// Each list is one line of the file: a line break inside a text would split the file's
// lines and shift every later entry, so it is written as a blank.
std::string oneLine(const std::vector<std::string>& items) {
    std::string line = joinCommaText(items);
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return line + "\r\n";
}

}  // namespace

void CustomCommands::padToSameLength() {
    std::size_t rows = std::max(labels.size(), commands.size());
    labels.resize(rows);
    commands.resize(rows);
}

CustomCommands CustomCommandsFile::load() {
    CustomCommands loaded;
    auto content = readTextFile(m_file, kMaxCustomCommandsBytes);
    std::error_code ignored;  // a file whose existence cannot be told counts as missing
    m_unreadable = !content && std::filesystem::exists(m_file, ignored);
    if (!content)
        return loaded;
    auto lines = splitLines(*content);
    if (lines.size() < 2)
        return loaded;
    loaded.labels = splitCommaText(lines[0]);
    loaded.commands = splitCommaText(lines[1]);
    loaded.padToSameLength();
    return loaded;
}

bool CustomCommandsFile::save(const CustomCommands& commands, std::error_code* error) const {
    if (m_unreadable) {
        if (error)
            *error = std::make_error_code(std::errc::operation_not_permitted);
        return false;
    }
    return writeFileAtomically(m_file, oneLine(commands.labels) + oneLine(commands.commands), 0600,
                               error);
}

}  // namespace quay

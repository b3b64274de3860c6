#include "panes/custom_commands.h"

#include <algorithm>

#include "config/atomic_file.h"
#include "config/comma_text.h"
#include "config/text_file.h"

namespace quay {

void CustomCommands::padToSameLength() {
    std::size_t rows = std::max(labels.size(), commands.size());
    labels.resize(rows);
    commands.resize(rows);
}

CustomCommands loadCustomCommands(const std::filesystem::path& file) {
    CustomCommands loaded;
    auto content = readTextFile(file);
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

bool saveCustomCommands(const std::filesystem::path& file, const CustomCommands& commands,
                        std::error_code* error) {
    std::string content = joinCommaText(commands.labels) + "\r\n";
    content += joinCommaText(commands.commands) + "\r\n";
    return writeFileAtomically(file, content, 0600, error);
}

}  // namespace quay

#include "panes/command_box.h"

#include "panes/text_split.h"

namespace quay {

std::optional<std::string> commandToSend(ComboModel& commandBox) {
    if (commandBox.text().empty())
        return std::nullopt;
    const int selected = commandBox.itemIndex();
    if (selected < 0 || commandBox.text() != commandBox.items()[std::size_t(selected)]) {
        commandBox.add(commandBox.text());
        commandBox.setItemIndex(static_cast<int>(commandBox.count()) - 1);
    }
    if (commandBox.itemIndex() < 0)
        return std::nullopt;
    const std::string& item = commandBox.items()[std::size_t(commandBox.itemIndex())];
    if (item.empty())
        return std::nullopt;
    return item;
}

void addChosenCommand(ComboModel& commandBox, const std::string& command) {
    if (trimmed(command).empty())
        return;
    commandBox.add(command);
    commandBox.setItemIndex(static_cast<int>(commandBox.count()) - 1);
}

}  // namespace quay

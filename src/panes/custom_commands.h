#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "panes/combo_model.h"

namespace quay {

// The saved custom commands: labels and command texts, parallel lists (same index, same
// length), owned by the session for the whole run.
struct CustomCommands {
    std::vector<std::string> labels;
    std::vector<std::string> commands;

    bool operator==(const CustomCommands&) const = default;
};

// "Do It" on the command box: nothing for an empty text. A text that differs from the
// selected item (no selection counts as differing) is appended and selected first. Returns
// the selected item to send, or nothing when there is none or it is empty.
std::optional<std::string> commandToSend(ComboModel& commandBox);

// "Commands" returned a command: when it is not empty after trimming, it is appended
// (untrimmed) to the command box and selected; nothing is sent.
void addChosenCommand(ComboModel& commandBox, const std::string& command);

}  // namespace quay

#pragma once

#include <optional>
#include <string>

#include "panes/combo_model.h"

namespace quay {

// "Do It" on the command box: nothing for an empty text. A text that differs from the
// selected item (no selection counts as differing) is appended and selected first. Returns
// the selected item to send, or nothing when there is none or it is empty.
std::optional<std::string> commandToSend(ComboModel& commandBox);

// "Commands" returned a command: when it is not empty after trimming, it is appended
// (untrimmed) to the command box and selected; nothing is sent.
void addChosenCommand(ComboModel& commandBox, const std::string& command);

}  // namespace quay

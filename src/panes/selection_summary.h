#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "panes/pane_model.h"

namespace quay {

// The selected file rows (image 2) of a list: their number and the sum of their size column.
// A size counts when the whole text is a non-negative decimal number that fits 64 bits, so a
// file above 2 GiB counts with its size; any other text counts 0.
struct SelectionSummary {
    std::int64_t bytes = 0;
    std::size_t files = 0;
};

SelectionSummary summarizeSelection(const PaneModel& pane);

// The size text as the summary reads it: the number, or 0 when it is not a plain decimal
// number of at most 64 bits.
std::int64_t summarySize(std::string_view text);

// Kilobytes with two decimals, always with a point whatever the process locale says.
std::string kilobytesText(std::int64_t bytes);

}  // namespace quay

#include "panes/selection_summary.h"

#include "panes/size_text.h"

#include <cmath>
#include <cstdio>

namespace quay {

namespace {

constexpr int kFileImage = 2;

}  // namespace

std::string kilobytesText(std::int64_t bytes) {
    const auto hundredths = static_cast<long long>(std::llround(bytes / 1024.0L * 100));
    char text[48];
    std::snprintf(text, sizeof text, "%lld.%02lld", hundredths / 100, hundredths % 100);
    return text;
}

std::int64_t summarySize(std::string_view text) {
    return exactByteCount(text).value_or(0);
}

SelectionSummary summarizeSelection(const PaneModel& pane) {
    SelectionSummary summary;
    for (const PaneItem& item : pane.items()) {
        if (!item.selected || item.imageIndex != kFileImage)
            continue;
        ++summary.files;
        if (!item.subItems.empty()) {
            const std::int64_t size = summarySize(item.subItems[0]);
            // A sum past 2^63 cannot come from one file system; it stops growing instead of
            // turning negative.
            summary.bytes = size > INT64_MAX - summary.bytes ? INT64_MAX : summary.bytes + size;
        }
    }
    return summary;
}

}  // namespace quay

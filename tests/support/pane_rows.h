#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "panes/pane_model.h"

namespace quay::test {

inline std::vector<std::string> captionsOf(const PaneModel& view) {
    std::vector<std::string> result;
    for (const PaneItem& item : view.items())
        result.push_back(item.caption);
    return result;
}

// Selects the rows with this caption and no others.
inline void selectCaption(PaneModel& view, const std::string& caption) {
    view.selectAll(false);
    for (std::size_t i = 0; i < view.count(); ++i)
        if (view.item(i).caption == caption)
            view.setSelected(i, true);
}

inline bool showsCaption(const PaneModel& view, const std::string& caption) {
    return std::any_of(view.items().begin(), view.items().end(),
                       [&](const PaneItem& row) { return row.caption == caption; });
}

}  // namespace quay::test

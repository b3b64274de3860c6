#pragma once

#include <QAction>
#include <functional>
#include <vector>

namespace quay {

class MainWindow;
class PaneView;
class SessionController;

// The arrow of the list's order on the header of its report view: on the column of the sort
// key sortKey reads (ftpViewCompare's key: the column's tag, negative for descending; 0 and
// any key beyond the columns sort by name), pointing the way the rows read (readsDescending)
// as Qt draws ascending and descending; none while the list is not sorted. It follows every re-sort
// (the list's reset), a click on the header and each of sortCommands, which may sort nothing when
// fewer than two rows are shown.
void showSortIndicator(PaneView& list, std::function<int()> sortKey,
                       const std::vector<QAction*>& sortCommands);

// The arrows of both lists of the window, from the controller's sort keys.
void bindSortIndicators(MainWindow& window, SessionController& controller);

}  // namespace quay

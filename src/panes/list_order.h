#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "panes/pane_model.h"

namespace quay {

// The sort rule shared by both file lists (the local list and the remote list, which also
// shows the server list). A sort key's sign is the direction (0 and positive ascending,
// negative descending) and its absolute value the column: 0 or 1 name, 2 size, 3 date,
// 4 time, 5 attributes; any other value sorts by name. Sub-items are size, date, time,
// attributes in this order.
//
// Rows of different kinds keep the order of their image index whatever the direction: ".."
// (0) first, then directories and folders (1), files (2), servers (3).
//
// Returns -1, 0 or +1 (negative: a sorts before b).
int ftpViewCompare(const PaneItem& a, const PaneItem& b, int sortKey);

// A PaneModel compare that reads the key through sortKey each time, so the caller's key may
// change between sorts. The referenced key must outlive the model's use of the compare.
PaneModel::Compare paneCompare(const int& sortKey);
PaneModel::Compare paneCompare(const int&& temporaryKey) = delete;

// Sorts rows stably into the order of ftpViewCompare under sortKey, computing each row's key
// once: a 100,000-row listing sorts without re-reading every name at each comparison.
void sortPaneRows(std::vector<PaneItem>& rows, int sortKey);

// Makes model order its rows by the sort rule under the key read through sortKey (compare and
// the keyed sorter both). The referenced key must outlive the model's use of them.
void usePaneOrder(PaneModel& model, const int& sortKey);
void usePaneOrder(PaneModel& model, const int&& temporaryKey) = delete;

// The key after a click on the column whose tag is t: -t when the key is on another column,
// else the key reversed. So the first click sorts descending and each further click
// reverses.
int sortKeyAfterColumnClick(int sortKey, int columnTag);

// Whether the rows under sortKey read from high to low in the column they are sorted by: the
// key's direction, turned on the size column, whose ascending direction puts larger sizes
// first. What a sort arrow shows.
bool readsDescending(int sortKey);

// A size column read leniently: leading blanks skipped, then the digits up to the first other
// character or up to the digit at which the value would overflow; the value read so far
// counts, and a text without leading digits counts as 0. 64-bit, so sizes above 2 GiB order
// correctly.
std::int64_t leadingSize(std::string_view text);

}  // namespace quay

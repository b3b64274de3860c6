#pragma once

#include <any>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace quay {

// One row of a file list (local pane lvLoc, remote pane FTPView).
struct PaneItem {
    std::string caption;                // the name, as bytes; sent back to servers unchanged
    int imageIndex = -1;                // 1 directory, 2 file (remote); server list images
    std::vector<std::string> subItems;  // the columns after the name
    bool selected = false;
    std::any data;  // an owned record, e.g. the server record of a list row
};

enum class ViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// How the view sizes a column. The model states the rule; the view measures text in its font.
struct ColumnWidth {
    enum class Mode { Fixed, WidestCaptionPlus, ClientWidthMinus };
    Mode mode = Mode::Fixed;
    int pixels = 0;
};

// The headless model of one list view. Every change is announced as exactly one of: a reset,
// an inserted range, a removed range, a changed range (indexes as before the change), so a
// view can mirror it without per-row signals during bulk loads.
//
// Between beginUpdate() and endUpdate() (nestable) nothing is announced; the outermost
// endUpdate() announces one reset when anything changed.
//
// A reset, an insertion and a removal are also announced before the rows change (onAboutTo...),
// with the same arguments as after, so a view can be told in its own order; the first change
// inside an update bracket announces the bracket's reset before it.
class PaneModel {
public:
    std::function<void()> onAboutToReset;
    std::function<void(std::size_t first, std::size_t count)> onAboutToInsert;
    std::function<void(std::size_t first, std::size_t count)> onAboutToRemove;
    std::function<void()> onReset;
    std::function<void(std::size_t first, std::size_t count)> onInserted;
    std::function<void(std::size_t first, std::size_t count)> onRemoved;
    std::function<void(std::size_t first, std::size_t count)> onChanged;

    std::size_t count() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    const PaneItem& item(std::size_t index) const { return m_items.at(index); }
    const std::vector<PaneItem>& items() const { return m_items; }

    void clear();
    std::size_t add(PaneItem item);
    void insert(std::size_t index, PaneItem item);
    void remove(std::size_t index);
    void assign(std::vector<PaneItem> items);
    // Changes one row in place through edit(row).
    void update(std::size_t index, const std::function<void(PaneItem&)>& edit);

    void setSelected(std::size_t index, bool selected);
    void selectAll(bool selected);
    std::vector<std::size_t> selectedIndexes() const;
    std::size_t selectedCount() const;
    // The first selected row, or -1 (the list view's Selected / ItemIndex).
    long firstSelected() const;

    // Sorting: while enabled, sort() orders the rows by compare (negative: a before b).
    using Compare = std::function<int(const PaneItem& a, const PaneItem& b)>;
    void setCompare(Compare compare) { m_compare = std::move(compare); }
    // Optional: sorts all rows at once in the order of compare, faster than pairwise calls
    // (e.g. by computing each row's key once). sort() prefers it when set.
    using Sorter = std::function<void(std::vector<PaneItem>& rows)>;
    void setSorter(Sorter sorter) { m_sorter = std::move(sorter); }
    void setSortEnabled(bool enabled);
    bool sortEnabled() const { return m_sortEnabled; }
    void sort();

    ViewStyle viewStyle() const { return m_viewStyle; }
    void setViewStyle(ViewStyle style);
    std::vector<ColumnWidth>& columnWidths() { return m_columnWidths; }
    const std::vector<ColumnWidth>& columnWidths() const { return m_columnWidths; }

    void beginUpdate() { ++m_updateDepth; }
    void endUpdate();

private:
    // True (and the change remembered) while an update bracket is open; the bracket's first
    // change announces the coming reset.
    bool deferredByUpdate();
    void aboutToReset();
    void aboutToInsert(std::size_t first, std::size_t count);
    void aboutToRemove(std::size_t first, std::size_t count);
    void announceReset();
    void announceInserted(std::size_t first, std::size_t count);
    void announceRemoved(std::size_t first, std::size_t count);
    void announceChanged(std::size_t first, std::size_t count);

    std::vector<PaneItem> m_items;
    Compare m_compare;
    Sorter m_sorter;
    bool m_sortEnabled = false;
    ViewStyle m_viewStyle = ViewStyle::vsReport;
    std::vector<ColumnWidth> m_columnWidths;
    int m_updateDepth = 0;
    bool m_changedDuringUpdate = false;
};

}  // namespace quay

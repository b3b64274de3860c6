#pragma once

#include <QListView>
#include <QStackedWidget>
#include <QTreeView>
#include <functional>

#include "ui/pane_item_model.h"

namespace quay {

// One file list of the main window (lvLoc, FTPView): a report view and an icon/list view over
// the same PaneItemModel and selection, of which the pane model's view style shows one. The
// selection is mirrored both ways between the views and the pane model's selection flags.
// The list is read-only: nothing is edited in place.
//
// Dragging: once the left button has moved 5 pixels from where it went down, canStartDrag is
// asked; when it agrees, the rows go as a drag naming this list. A drag of a list's rows
// dropped on a list emits rowDropped there with the row under the mouse (-1 for none).
//
// doubleClicked comes for a double-click on a row and also on the empty part of the list,
// which first deselects every row. itemSelected comes once per row whose selection changed,
// whichever side changed it, deselected rows first; it follows the pane model's own change
// announcements.
//
// Assistive tools see only the view shown (PaneViewAccessible).
class PaneView : public QStackedWidget {
    Q_OBJECT
public:
    // The mime type of a dragged row; the data is the objectName of the source list.
    static constexpr const char* kRowMimeType = "application/x-quayside-pane-rows";

    std::function<bool()> canStartDrag;

    PaneView(PaneModel& pane, QList<PaneColumn> columns, QWidget* parent = nullptr);
    ~PaneView() override;

    PaneItemModel& itemModel() { return m_model; }
    QTreeView& reportView() { return m_report; }
    QListView& iconView() { return m_icons; }
    QItemSelectionModel& selection() { return m_selection; }

    // The name a screen reader speaks for the list, whichever view shows it.
    void setListName(const QString& name);

    // The report view's column widths, left to right.
    QList<int> columnWidths() const;
    // Sets each column to the width given for it, or, where none is given (or it is no
    // sensible width), to its designed width scaled with the list's font.
    void setColumnWidths(const QList<int>& widths);

signals:
    void doubleClicked();
    void itemSelected(int row, bool selected);
    void contextMenuRequested(const QPoint& globalPos);
    void rowDropped(const QString& sourceList, int targetRow);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyViewStyle();
    // After a load: the columns after the name grow to their content and heading (they never
    // shrink, so a width the user chose stays unless the content needs more); the name column
    // follows the pane model's rule when it has one (ColumnWidth).
    void fitColumnsToContent();
    int nameColumnWidth(const ColumnWidth& rule);
    void showStyle();
    void selectionFromView(const QItemSelection& selected, const QItemSelection& deselected);
    void selectionFromModel();
    void announceItems(const QItemSelection& selected, const QItemSelection& deselected);
    void configure(QAbstractItemView& view);
    bool mouseEvent(QAbstractItemView& view, QMouseEvent& event);
    bool dropEvent(QAbstractItemView& view, QEvent& event);

    PaneItemModel m_model;
    QItemSelectionModel m_selection;
    QTreeView m_report;
    QListView m_icons;
    bool m_syncing = false;
    QPoint m_pressedAt;
    bool m_pressed = false;
};

}  // namespace quay

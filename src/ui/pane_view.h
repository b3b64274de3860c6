#pragma once

#include <QListView>
#include <QStackedWidget>
#include <QTreeView>

#include "ui/pane_item_model.h"

namespace quay {

// One file list of the main window (lvLoc, FTPView): a report view and an icon/list view over
// the same PaneItemModel and selection, of which the pane model's view style shows one. The
// selection is mirrored both ways between the views and the pane model's selection flags.
// The list is read-only: nothing is edited in place.
class PaneView : public QStackedWidget {
    Q_OBJECT
public:
    PaneView(PaneModel& pane, QList<PaneColumn> columns, QWidget* parent = nullptr);

    PaneItemModel& itemModel() { return m_model; }
    QTreeView& reportView() { return m_report; }
    QListView& iconView() { return m_icons; }
    QItemSelectionModel& selection() { return m_selection; }

signals:
    void doubleClicked();
    void contextMenuRequested(const QPoint& globalPos);

private:
    void applyViewStyle();
    void selectionFromView(const QItemSelection& selected, const QItemSelection& deselected);
    void selectionFromModel();
    void configure(QAbstractItemView& view);

    PaneItemModel m_model;
    QItemSelectionModel m_selection;
    QTreeView m_report;
    QListView m_icons;
    bool m_syncing = false;
};

}  // namespace quay

#pragma once

#include <QAbstractItemView>
#include <QHeaderView>
#include <QTest>
#include <QTreeView>
#include <utility>

#include "ui/pane_view.h"

namespace quay::test {

// The viewport of the view the pane shows and the centre of row's name cell there, scrolled
// into sight: where a hand points at the row.
inline std::pair<QWidget*, QPoint> rowPlace(PaneView& pane, int row) {
    auto* view = static_cast<QAbstractItemView*>(pane.currentWidget());
    const QModelIndex index = pane.itemModel().index(row, 0);
    view->scrollTo(index);
    return {view->viewport(), view->visualRect(index).center()};
}

// Clicks the middle of a column's heading in the pane's report view.
inline void clickHeading(PaneView& pane, int column) {
    QHeaderView* header = pane.reportView().header();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace quay::test

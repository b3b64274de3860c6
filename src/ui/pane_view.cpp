#include "ui/pane_view.h"

#include <QHeaderView>

namespace quay {

PaneView::PaneView(PaneModel& pane, QList<PaneColumn> columns, QWidget* parent)
    : QStackedWidget(parent), m_model(pane, std::move(columns)), m_selection(&m_model) {
    configure(m_report);
    configure(m_icons);
    m_report.setRootIsDecorated(false);
    m_report.setUniformRowHeights(true);
    m_report.setAllColumnsShowFocus(true);
    for (int i = 0; i < m_model.columns().size(); ++i)
        if (m_model.columns()[i].width > 0)
            m_report.header()->resizeSection(i, m_model.columns()[i].width);
    addWidget(&m_report);
    addWidget(&m_icons);
    connect(&m_selection, &QItemSelectionModel::selectionChanged, this,
            &PaneView::selectionFromView);
    connect(&m_model, &PaneItemModel::selectionChangedInModel, this, &PaneView::selectionFromModel);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &PaneView::applyViewStyle);
    applyViewStyle();
}

void PaneView::configure(QAbstractItemView& view) {
    view.setModel(&m_model);
    view.setSelectionModel(&m_selection);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&view, &QAbstractItemView::doubleClicked, this, [this] { emit doubleClicked(); });
    connect(&view, &QWidget::customContextMenuRequested, this, [this, &view](const QPoint& p) {
        emit contextMenuRequested(view.viewport()->mapToGlobal(p));
    });
}

void PaneView::applyViewStyle() {
    switch (m_model.pane().viewStyle()) {
        case ViewStyle::vsReport:
            setCurrentWidget(&m_report);
            return;
        case ViewStyle::vsIcon:
            m_icons.setViewMode(QListView::IconMode);
            m_icons.setIconSize(QSize(32, 32));
            break;
        case ViewStyle::vsSmallIcon:
            m_icons.setViewMode(QListView::IconMode);
            m_icons.setIconSize(QSize(16, 16));
            break;
        case ViewStyle::vsList:
            m_icons.setViewMode(QListView::ListMode);
            m_icons.setIconSize(QSize(16, 16));
            m_icons.setFlow(QListView::TopToBottom);
            break;
    }
    m_icons.setWrapping(true);
    m_icons.setResizeMode(QListView::Adjust);
    setCurrentWidget(&m_icons);
}

void PaneView::selectionFromView(const QItemSelection& selected, const QItemSelection& deselected) {
    if (m_syncing)
        return;
    m_syncing = true;
    // Only the rows that changed: a click in a long list touches one or two rows.
    PaneModel& pane = m_model.pane();
    auto apply = [&pane](const QItemSelection& ranges, bool on) {
        for (const QItemSelectionRange& range : ranges)
            for (int row = range.top(); row <= range.bottom(); ++row)
                if (row >= 0 && static_cast<std::size_t>(row) < pane.count())
                    pane.setSelected(static_cast<std::size_t>(row), on);
    };
    apply(deselected, false);
    apply(selected, true);
    m_syncing = false;
}

void PaneView::selectionFromModel() {
    if (m_syncing)
        return;
    m_syncing = true;
    QItemSelection selected;
    const PaneModel& pane = m_model.pane();
    for (std::size_t row = 0; row < pane.count(); ++row)
        if (pane.item(row).selected)
            selected.select(m_model.index(static_cast<int>(row), 0),
                            m_model.index(static_cast<int>(row), m_model.columnCount() - 1));
    m_selection.select(selected, QItemSelectionModel::ClearAndSelect);
    m_syncing = false;
}

}  // namespace quay

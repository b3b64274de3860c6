#include "ui/pane_view.h"

#include <QAccessible>
#include <QDrag>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>
#include <set>

#include "ui/pane_view_accessible.h"

namespace quay {

PaneView::PaneView(PaneModel& pane, QList<PaneColumn> columns, QWidget* parent)
    : QStackedWidget(parent), m_model(pane, std::move(columns)), m_selection(&m_model) {
    PaneViewAccessible::install();
    configure(m_report);
    configure(m_icons);
    m_report.setRootIsDecorated(false);
    m_report.setUniformRowHeights(true);
    m_report.setAllColumnsShowFocus(true);
    setColumnWidths({});
    addWidget(&m_report);
    addWidget(&m_icons);
    connect(&m_selection, &QItemSelectionModel::selectionChanged, this,
            &PaneView::selectionFromView);
    connect(&m_selection, &QItemSelectionModel::selectionChanged, this, &PaneView::announceItems);
    connect(&m_model, &PaneItemModel::selectionChangedInModel, this, &PaneView::selectionFromModel);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &PaneView::applyViewStyle);
    connect(&m_model, &QAbstractItemModel::modelReset, this, &PaneView::fitColumnsToContent);
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, &PaneView::fitColumnsToContent);
    applyViewStyle();
}

PaneView::~PaneView() {
    // The views die before this object's base does; their viewports must not call back.
    m_report.viewport()->removeEventFilter(this);
    m_icons.viewport()->removeEventFilter(this);
}

void PaneView::setListName(const QString& name) {
    setAccessibleName(name);
    m_report.setAccessibleName(name);
    m_icons.setAccessibleName(name);
}

void PaneView::configure(QAbstractItemView& view) {
    view.setModel(&m_model);
    view.setSelectionModel(&m_selection);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    view.viewport()->installEventFilter(this);
    view.viewport()->setAcceptDrops(true);
    connect(&view, &QAbstractItemView::doubleClicked, this, [this] { emit doubleClicked(); });
    connect(&view, &QWidget::customContextMenuRequested, this, [this, &view](const QPoint& p) {
        emit contextMenuRequested(view.viewport()->mapToGlobal(p));
    });
}

bool PaneView::eventFilter(QObject* watched, QEvent* event) {
    QAbstractItemView* view = nullptr;
    if (watched == m_report.viewport())
        view = &m_report;
    else if (watched == m_icons.viewport())
        view = &m_icons;
    if (view == nullptr)
        return QStackedWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonDblClick:
            if (!view->indexAt(static_cast<QMouseEvent*>(event)->position().toPoint()).isValid()) {
                m_model.pane().selectAll(false);
                emit doubleClicked();
                return true;
            }
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return mouseEvent(*view, static_cast<QMouseEvent&>(*event));
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
            return dropEvent(*view, *event);
        default:
            return false;
    }
}

bool PaneView::mouseEvent(QAbstractItemView& view, QMouseEvent& event) {
    if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressedAt = event.position().toPoint();
        return false;
    }
    if (event.type() == QEvent::MouseButtonRelease) {
        m_pressed = false;
        return false;
    }
    constexpr int kDragDistance = 5;
    if (!m_pressed || !(event.buttons() & Qt::LeftButton) ||
        (event.position().toPoint() - m_pressedAt).manhattanLength() < kDragDistance)
        return false;
    m_pressed = false;
    if (!canStartDrag || !canStartDrag())
        return false;
    auto* drag = new QDrag(&view);
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(kRowMimeType), objectName().toUtf8());
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction);
    return true;
}

bool PaneView::dropEvent(QAbstractItemView& view, QEvent& event) {
    auto& drop = static_cast<QDropEvent&>(event);
    if (!drop.mimeData()->hasFormat(QString::fromLatin1(kRowMimeType)))
        return false;
    drop.setDropAction(Qt::MoveAction);
    drop.accept();
    if (event.type() == QEvent::Drop) {
        const QString source = QString::fromUtf8(drop.mimeData()->data(kRowMimeType));
        emit rowDropped(source, view.indexAt(drop.position().toPoint()).row());
    }
    return true;
}

void PaneView::applyViewStyle() {
    showStyle();
    // The list's one child for assistive tools is now the other view.
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::ObjectReorder);
        QAccessible::updateAccessibility(&changed);
    }
}

void PaneView::showStyle() {
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
    // Rows never move inside the view; setting the mode resets the viewport's drop flag.
    m_icons.setMovement(QListView::Static);
    m_icons.viewport()->setAcceptDrops(true);
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

void PaneView::announceItems(const QItemSelection& selected, const QItemSelection& deselected) {
    // Ranges may split a row into columns: each row is told once.
    auto announce = [this](const QItemSelection& ranges, bool on) {
        std::set<int> rows;
        for (const QItemSelectionRange& range : ranges)
            for (int row = range.top(); row <= range.bottom(); ++row)
                rows.insert(row);
        for (int row : rows)
            emit itemSelected(row, on);
    };
    announce(deselected, false);
    announce(selected, true);
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

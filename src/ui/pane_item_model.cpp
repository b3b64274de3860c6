#include "ui/pane_item_model.h"

#include <algorithm>

#include "panes/size_text.h"

namespace quay {
namespace {

constexpr std::size_t kSizeColumn = 1;

}  // namespace

PaneItemModel::PaneItemModel(PaneModel& pane, QList<PaneColumn> columns, QObject* parent)
    : QAbstractTableModel(parent), m_pane(pane), m_columns(std::move(columns)) {
    hook();
}

PaneItemModel::~PaneItemModel() {
    m_pane.onAboutToReset = m_previous.aboutToReset;
    m_pane.onAboutToInsert = m_previous.aboutToInsert;
    m_pane.onAboutToRemove = m_previous.aboutToRemove;
    m_pane.onReset = m_previous.reset;
    m_pane.onInserted = m_previous.inserted;
    m_pane.onRemoved = m_previous.removed;
    m_pane.onChanged = m_previous.changed;
}

void PaneItemModel::hook() {
    m_previous = {m_pane.onAboutToReset, m_pane.onAboutToInsert, m_pane.onAboutToRemove,
                  m_pane.onReset,        m_pane.onInserted,      m_pane.onRemoved,
                  m_pane.onChanged};
    // The views hear of a change in Qt's order (begin, the rows change, end). The earlier
    // callbacks run before the selection is mirrored, so that a handler reacting to the
    // selection (FTPViewSelectItem) has the last word over one reacting to any change.
    auto chain = [](auto own, auto previous) {
        return [own, previous](auto... args) {
            own(args...);
            if (previous)
                previous(args...);
        };
    };
    m_pane.onAboutToReset = chain([this] { beginResetModel(); }, m_previous.aboutToReset);
    m_pane.onAboutToInsert = chain(
        [this](std::size_t first, std::size_t count) {
            if (count > 0)
                beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
        },
        m_previous.aboutToInsert);
    m_pane.onAboutToRemove = chain(
        [this](std::size_t first, std::size_t count) {
            if (count > 0)
                beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
        },
        m_previous.aboutToRemove);
    m_pane.onReset = [this, reset = m_previous.reset] {
        endResetModel();
        if (reset)
            reset();
        emit selectionChangedInModel();
    };
    m_pane.onInserted = [this, inserted = m_previous.inserted](std::size_t first,
                                                               std::size_t count) {
        if (count > 0)
            endInsertRows();
        if (inserted)
            inserted(first, count);
        if (count > 0)
            emit selectionChangedInModel();  // a row may arrive selected
    };
    m_pane.onRemoved = [this, removed = m_previous.removed](std::size_t first, std::size_t count) {
        if (count > 0)
            endRemoveRows();
        if (removed)
            removed(first, count);
    };
    m_pane.onChanged = [this, changed = m_previous.changed](std::size_t first, std::size_t count) {
        if (count > 0)
            emit dataChanged(index(static_cast<int>(first), 0),
                             index(static_cast<int>(first + count - 1), columnCount() - 1));
        if (changed)
            changed(first, count);
        emit selectionChangedInModel();
    };
}

int PaneItemModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_pane.count());
}

int PaneItemModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QString PaneItemModel::displayText(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QVariant PaneItemModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= m_pane.count())
        return {};
    const PaneItem& item = m_pane.item(static_cast<std::size_t>(index.row()));
    const auto column = static_cast<std::size_t>(index.column());
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        if (column == 0)
            return displayText(item.caption);
        if (column == kSizeColumn && !item.subItems.empty())
            return sizeData(item.subItems[0], role);
        if (column - 1 < item.subItems.size())
            return displayText(item.subItems[column - 1]);
        return {};
    }
    if (role == Qt::TextAlignmentRole && column < static_cast<std::size_t>(m_columns.size()))
        return QVariant::fromValue(m_columns[static_cast<qsizetype>(column)].alignment |
                                   Qt::AlignVCenter);
    if (role == Qt::DecorationRole && column == 0)
        if (const QIcon icon = m_icons.forItem(item); !icon.isNull())
            return icon;
    return {};
}

QVariant PaneItemModel::sizeData(const std::string& text, int role) const {
    const std::optional<std::int64_t> bytes = exactByteCount(text);
    if (!bytes)
        return displayText(text);
    if (role == Qt::ToolTipRole) {
        const QString digits = QString::number(*bytes);
        return m_sizeToolTip ? m_sizeToolTip(digits) : digits;
    }
    return QString::fromStdString(humanSizeText(*bytes));
}

void PaneItemModel::setColumnCaptions(const QStringList& captions) {
    const qsizetype count = std::min(captions.size(), m_columns.size());
    for (qsizetype i = 0; i < count; ++i)
        m_columns[i].caption = captions[i];
    if (count > 0)
        emit headerDataChanged(Qt::Horizontal, 0, static_cast<int>(count - 1));
}

QVariant PaneItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[section].alignment | Qt::AlignVCenter);
    if (role == Qt::UserRole)
        return section + 1;  // the column's tag
    return {};
}

}  // namespace quay

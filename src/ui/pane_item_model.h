#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>

#include "panes/pane_model.h"
#include "ui/file_icons.h"

namespace quay {

// One column of a file list: its caption, initial width in pixels (0: the view's default)
// and alignment. Its tag is its position counted from 1.
struct PaneColumn {
    QString caption;
    int width = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
};

// Shows a PaneModel to Qt views. Each announcement of the pane model maps onto exactly one
// QAbstractItemModel notification (reset, rows inserted, rows removed, data changed; the
// begin halves from the pane model's onAboutTo... announcements), so a bulk load costs one
// reset. Callbacks the pane model already had (the controller's) are kept, run after the
// view is told and before selectionChangedInModel, and put back when the adapter goes. Names are
// shown decoded as UTF-8 where they are valid and byte for byte (Latin-1) otherwise; the model's
// bytes are never replaced. Rows show their icons by FileIcons.
class PaneItemModel : public QAbstractTableModel {
    Q_OBJECT
public:
    PaneItemModel(PaneModel& pane, QList<PaneColumn> columns, QObject* parent = nullptr);
    ~PaneItemModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    PaneModel& pane() { return m_pane; }
    const QList<PaneColumn>& columns() const { return m_columns; }
    // New headings for the first columns, one per caption; the rest stay.
    void setColumnCaptions(const QStringList& captions);
    // The tooltip of a byte count in the size column ("1536 bytes"), from its digits.
    void setSizeToolTip(std::function<QString(const QString& digits)> toolTip) {
        m_sizeToolTip = std::move(toolTip);
    }

    // Text of raw name bytes for display: UTF-8, each byte that is no part of valid UTF-8
    // shown as a replacement mark (U+FFFD). The bytes themselves stay in the pane model.
    static QString displayText(const std::string& bytes);

signals:
    // A selection flag of the pane model changed from the model side.
    void selectionChangedInModel();

private:
    void hook();
    // The size column (the second) shows a byte count as "1.5 KB" and names the exact count in
    // its tooltip; any other text (a size with a unit, a directory's empty size) as written.
    QVariant sizeData(const std::string& text, int role) const;

    PaneModel& m_pane;
    QList<PaneColumn> m_columns;
    mutable FileIcons m_icons;
    std::function<QString(const QString& digits)> m_sizeToolTip;
    // The pane model's callbacks before this adapter, restored when it goes.
    struct Callbacks {
        std::function<void()> aboutToReset;
        std::function<void(std::size_t, std::size_t)> aboutToInsert, aboutToRemove;
        std::function<void()> reset;
        std::function<void(std::size_t, std::size_t)> inserted, removed, changed;
    };
    Callbacks m_previous;
};

}  // namespace quay

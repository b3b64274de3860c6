#include "ui/transfer_queue_pane.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>

#include "session/session_controller.h"
#include "session/transfer_queue_text.h"
#include "ui/qt_text.h"

namespace quay {

namespace {

enum Column { Direction, Local, Remote, Size, State, ColumnCount };

}  // namespace

TransferQueuePane::TransferQueuePane(SessionController& controller, QWidget* parent)
    : QWidget(parent),
      m_controller(controller),
      m_list(new QTreeWidget(this)),
      m_totals(new QLabel(this)) {
    m_list->setObjectName(QStringLiteral("QueueList"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setColumnCount(ColumnCount);
    m_totals->setObjectName(QStringLiteral("QueueTotals"));
    auto* buttons = new QHBoxLayout;
    const auto addButton = [&](const char* name, auto action) {
        auto* button = new QPushButton(this);
        button->setObjectName(QString::fromLatin1(name));
        connect(button, &QPushButton::clicked, this, action);
        buttons->addWidget(button);
    };
    addButton("QueueStopFile", [this] { stopSelected(); });
    addButton("QueueStopBatch", [this] { stopSelectedBatches(); });
    addButton("QueueStopAll", [this] {
        if (TransferPool* queue = pool())
            queue->stopAll();
    });
    addButton("QueueRetry", [this] {
        if (TransferPool* queue = pool())
            queue->retryFailed();
    });
    buttons->addStretch(1);
    buttons->addWidget(m_totals);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    m_totalsTimer.setSingleShot(true);
    m_totalsTimer.setInterval(kTotalsInterval);
    connect(&m_totalsTimer, &QTimer::timeout, this, [this] { showTotals(); });
    showTexts(controller.dialogs());
}

void TransferQueuePane::showTexts(const Dialogs& dialogs) {
    const auto text = [&](Message message) { return qtext(dialogs.text(message)); };
    m_list->setAccessibleName(text(Message::QueueListName));
    m_list->setHeaderLabels({text(Message::QueueColumnDirection), text(Message::QueueColumnLocal),
                             text(Message::QueueColumnRemote), text(Message::QueueColumnSize),
                             text(Message::QueueColumnState)});
    const std::pair<const char*, Message> captions[] = {{"QueueStopFile", Message::QueueStopFile},
                                                        {"QueueStopBatch", Message::QueueStopBatch},
                                                        {"QueueStopAll", Message::QueueStopAll},
                                                        {"QueueRetry", Message::QueueRetry}};
    for (const auto& [name, message] : captions)
        if (auto* button = findChild<QPushButton*>(QString::fromLatin1(name)))
            button->setText(text(message));
    m_uploadText = text(Message::QueueUpload);
    m_downloadText = text(Message::QueueDownload);
}

TransferPool* TransferQueuePane::pool() const {
    return m_controller.currentTransferPool().get();
}

void TransferQueuePane::jobChanged(std::size_t index) {
    TransferPool* queue = pool();
    if (queue == nullptr || index >= queue->jobs().size())
        return;
    // A new session's queue starts its rows afresh.
    if (static_cast<std::size_t>(m_list->topLevelItemCount()) > queue->jobs().size())
        m_list->clear();
    while (static_cast<std::size_t>(m_list->topLevelItemCount()) <= index) {
        const TransferJob& added =
            queue->jobs()[static_cast<std::size_t>(m_list->topLevelItemCount())];
        auto* row = new QTreeWidgetItem;
        row->setData(Direction, Qt::UserRole, added.id);
        row->setText(Direction, added.upload ? m_uploadText : m_downloadText);
        row->setText(Local, qtext(added.local));
        row->setText(Remote, qtext(added.remote));
        row->setText(Size, QString::number(added.size));
        m_list->addTopLevelItem(row);
    }
    m_list->topLevelItem(static_cast<int>(index))
        ->setText(State, qtext(jobStateText(queue->jobs()[index], m_controller.dialogs())));
    if (!m_totalsTimer.isActive())
        m_totalsTimer.start();
}

void TransferQueuePane::showTotals() {
    if (TransferPool* queue = pool())
        m_totals->setText(qtext(totalsText(queue->totals(0), m_controller.dialogs())));
}

std::vector<int> TransferQueuePane::selectedJobs() const {
    std::vector<int> ids;
    for (const QTreeWidgetItem* row : m_list->selectedItems())
        ids.push_back(row->data(Direction, Qt::UserRole).toInt());
    return ids;
}

void TransferQueuePane::stopSelected() {
    if (TransferPool* queue = pool())
        for (int id : selectedJobs())
            queue->stopFile(id);
}

void TransferQueuePane::stopSelectedBatches() {
    TransferPool* queue = pool();
    if (queue == nullptr)
        return;
    std::set<int> batches;
    for (int id : selectedJobs())
        if (id >= 1 && static_cast<std::size_t>(id) <= queue->jobs().size())
            batches.insert(queue->jobs()[static_cast<std::size_t>(id) - 1].batch);
    for (int batch : batches)
        queue->stopBatch(batch);
}

}  // namespace quay

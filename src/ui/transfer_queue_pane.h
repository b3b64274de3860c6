#pragma once

#include <QLabel>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

namespace quay {

class Dialogs;
class SessionController;
class TransferPool;

// The queue pane ("Queue", a tab beside the log): one row per file of the transfer queue with
// direction, local path, remote path, size and state, the totals of the queue below, and the
// buttons Stop file (the selected rows), Stop batch (the batches of the selected rows), Stop all
// and Retry failed. It follows the controller's onTransferQueueChanged; the totals are counted
// at most every kTotalsInterval, as a queue of thousands of files changes thousands of times a
// second.
class TransferQueuePane : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTotalsInterval = 200;  // milliseconds

    explicit TransferQueuePane(SessionController& controller, QWidget* parent = nullptr);

    // The file at index of the pool's jobs() was added or changed.
    void jobChanged(std::size_t index);
    // Headings, captions and names in the language the dialogs speak.
    void showTexts(const Dialogs& dialogs);

private:
    TransferPool* pool() const;
    void showTotals();
    // The ids of the jobs of the selected rows.
    std::vector<int> selectedJobs() const;
    void stopSelected();
    void stopSelectedBatches();

    SessionController& m_controller;
    QTreeWidget* m_list;
    QLabel* m_totals;
    QTimer m_totalsTimer;
    QString m_uploadText;
    QString m_downloadText;
};

}  // namespace quay

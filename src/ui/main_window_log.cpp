#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace quay {

namespace {

// A batch of small files writes several lines per file. Each line goes into the pane's
// document at once, but the pane follows the end at most this often: scrolling to each new
// line laid it out on its own and cost more than the transfers.
constexpr int kLogFollowMs = 100;

}  // namespace

void MainWindow::bindLog() {
    PresentationModel& model = m_controller.model();
    // Nothing in the read-only pane is ever undone; an undo record per line would only grow.
    m_log->document()->setUndoRedoEnabled(false);
    m_logStarted = !model.logLines().empty();
    model.onLogAppended = [this](const std::string& line) { appendLogLine(qtext(line)); };
    model.onLogCleared = [this] {
        m_log->clear();
        m_logStarted = false;
    };
}

void MainWindow::appendLogLine(const QString& line) {
    QScrollBar* bar = m_log->verticalScrollBar();
    const bool following = m_logFollowPending || bar->value() == bar->maximum();
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    if (m_logStarted)
        cursor.insertBlock();
    cursor.insertText(line);
    m_logStarted = true;
    if (!following || m_logFollowPending)
        return;
    m_logFollowPending = true;
    QTimer::singleShot(kLogFollowMs, this, [this] {
        m_logFollowPending = false;
        m_log->verticalScrollBar()->setValue(m_log->verticalScrollBar()->maximum());
    });
}

}  // namespace quay

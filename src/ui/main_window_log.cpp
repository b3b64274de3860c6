#include <QTimer>

#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace quay {

namespace {

// A batch of small files writes several lines per file; laying out each line on its own
// cost more than the transfers. Lines are shown at once when the pane has been quiet for
// this long, else gathered and shown together after it.
constexpr int kLogFlushMs = 100;

}  // namespace

void MainWindow::bindLog() {
    PresentationModel& model = m_controller.model();
    model.onLogAppended = [this](const std::string& line) {
        m_pendingLog.append(qtext(line));
        if (m_pendingLog.size() > 1)
            return;
        if (!m_lastLogFlush.isValid() || m_lastLogFlush.elapsed() >= kLogFlushMs)
            flushLog();
        else
            QTimer::singleShot(kLogFlushMs, this, [this] { flushLog(); });
    };
    model.onLogCleared = [this] {
        m_pendingLog.clear();
        m_log->clear();
    };
}

void MainWindow::flushLog() {
    if (m_pendingLog.isEmpty())
        return;
    m_log->appendPlainText(m_pendingLog.join(QLatin1Char('\n')));
    m_pendingLog.clear();
    m_lastLogFlush.start();
}

}  // namespace quay

#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/transfer_queue_pane.h"

namespace quay {

void MainWindow::bindLog() {
    PresentationModel& model = m_controller.model();
    model.onLogAppended = [this](const std::string& line) { m_log->appendLine(qtext(line)); };
    model.onLogCleared = [this] { m_log->clearLines(); };
    m_controller.onTransferQueueChanged = [this](std::size_t index) { m_queue->jobChanged(index); };
}

}  // namespace quay

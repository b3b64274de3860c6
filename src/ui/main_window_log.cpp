#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"

namespace quay {

void MainWindow::bindLog() {
    PresentationModel& model = m_controller.model();
    model.onLogAppended = [this](const std::string& line) { m_log->appendLine(qtext(line)); };
    model.onLogCleared = [this] { m_log->clearLines(); };
}

}  // namespace quay

#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/progress_window.h"
#include "ui/widget_form.h"

namespace quay {

void MainWindow::bindProgressWindow() {
    m_controller.onShowProgress = [this](const std::shared_ptr<ProgressModel>& model) {
        if (m_progress)
            m_progress->deleteLater();
        auto* window = new ProgressWindow(model, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        WidgetForm form(*window);
        m_controller.translateWindow(form);
        m_progress = window;
        window->show();
    };
    // Freed once the events already queued for it are handled, as a closing form is.
    m_controller.onHideProgress = [this] {
        if (m_progress) {
            m_progress->hide();
            m_progress->deleteLater();
            m_progress = nullptr;
        }
    };
}

}  // namespace quay

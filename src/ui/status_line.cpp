#include "ui/status_line.h"

#include <QMainWindow>
#include <QStatusBar>

#include "session/presentation_model.h"
#include "ui/qt_text.h"

namespace quay {

void bindStatusLine(QMainWindow& window, PresentationModel& model) {
    QStatusBar* bar = window.statusBar();
    bar->setObjectName(QStringLiteral("StatusLine"));
    model.onStatusTextChanged = [bar, &model] {
        if (model.statusText().empty())
            bar->clearMessage();
        else
            bar->showMessage(qtext(model.statusText()));
    };
}

void unbindStatusLine(PresentationModel& model) {
    model.onStatusTextChanged = nullptr;
}

}  // namespace quay

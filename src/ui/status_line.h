#pragma once

class QMainWindow;

namespace quay {

class PresentationModel;

// The window's status bar shows the model's status text (what the session is doing) and is
// empty while the text is. Unbind before the window or the model goes.
void bindStatusLine(QMainWindow& window, PresentationModel& model);
void unbindStatusLine(PresentationModel& model);

}  // namespace quay

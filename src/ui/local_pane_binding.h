#pragma once

namespace quay {

class MainWindow;
class SessionController;

// Binds the local pane's widgets to the controller's local pane: the directory tree dlbx and
// the drive box follow their models, choosing an entry of either goes there; header clicks
// of both file lists sort them; lvLoc gaining or losing the focus runs lvLocEnter/lvLocExit.
// Navigation from a tree click runs after the click has been handled, since it rebuilds the
// list that was clicked.
void bindLocalPane(MainWindow& window, SessionController& controller);

}  // namespace quay

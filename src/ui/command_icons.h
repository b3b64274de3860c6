#pragma once

namespace quay {

class MainWindow;

// Puts the icon of its command on every button and menu entry of the window whose command
// has a standard meaning: the freedesktop icon of that meaning ("edit-delete" for both
// deletes, "view-refresh", ...) through themeIcon. A button with a caption shows it beside
// the icon.
void showCommandIcons(MainWindow& window);

}  // namespace quay

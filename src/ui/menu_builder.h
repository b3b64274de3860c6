#pragma once

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <map>
#include <string>
#include <vector>

#include "session/main_window_controls.h"

namespace quay {

// The menus of the main window, built from the control table: one QAction per entry (named
// after the entry; a submenu's action is its QMenu's menuAction()), the main menu bar and
// the popup menus (QMenu objects named PopupMenu1 and pupLoc).
struct MainMenus {
    std::map<std::string, QAction*> actions;
    std::map<std::string, QMenu*> popups;
    // The menus of the menu bar, in order.
    std::vector<std::string> titles;
};

// Builds every Menu, MenuItem and PopupMenu of controls into bar and popups owned by owner.
MainMenus buildMenus(const std::vector<ControlDef>& controls, QMenuBar& bar, QWidget& owner);

}  // namespace quay

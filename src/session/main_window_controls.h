#pragma once

#include <string>
#include <vector>

#include "session/command.h"
#include "session/presentation_model.h"

namespace quay {

// What kind of thing a named control of the main window is. Menu items, submenus and
// separators hang under a Menu, MenuItem (as a submenu) or PopupMenu parent.
enum class ControlKind {
    Panel,
    Button,
    Label,
    Edit,
    Memo,
    Splitter,
    ListView,
    ComboBox,
    DriveCombo,
    DirectoryList,
    Menu,       // an entry of the main menu bar
    MenuItem,   // an entry of a menu; a submenu when other items name it as parent
    PopupMenu,  // a context menu of a list
};

// One named control of the main window as the window defines it: its initial caption, hint,
// tag and visibility, where it sits and the command its click (or trigger, double-click,
// choice) runs; None for controls that start nothing. Several controls run one command.
struct ControlDef {
    ControlKind kind;
    std::string name;
    std::string parent;
    std::string caption;
    std::string hint;
    int tag = 0;
    Command command = Command::None;
    bool visible = true;
    bool checked = false;
};

// Every named control of the main window, parents before their children, menu entries in
// menu order. The same table seeds the presentation model and builds the Qt menus.
const std::vector<ControlDef>& mainWindowControls();

// Defines every control of mainWindowControls() in model with its built-in state.
void defineMainWindowControls(PresentationModel& model);

}  // namespace quay

#include "ui/menu_builder.h"
#include "ui/qt_text.h"

#include <set>

namespace quay {

namespace {

// Names that other entries hang under: those entries become submenus.
std::set<std::string> parentNames(const std::vector<ControlDef>& controls) {
    std::set<std::string> names;
    for (const ControlDef& def : controls)
        if (def.kind == ControlKind::MenuItem)
            names.insert(def.parent);
    return names;
}

}  // namespace

MainMenus buildMenus(const std::vector<ControlDef>& controls, QMenuBar& bar, QWidget& owner) {
    MainMenus menus;
    std::map<std::string, QMenu*> containers;
    const std::set<std::string> parents = parentNames(controls);
    for (const ControlDef& def : controls) {
        QMenu* menu = nullptr;
        if (def.kind == ControlKind::Menu) {
            menu = bar.addMenu(qtext(def.caption));
            menus.titles.push_back(def.name);
        } else if (def.kind == ControlKind::PopupMenu) {
            menu = new QMenu(&owner);
            menu->setObjectName(qtext(def.name));
            menus.popups[def.name] = menu;
        } else if (def.kind == ControlKind::MenuItem) {
            auto parent = containers.find(def.parent);
            if (parent == containers.end())
                continue;
            if (parents.count(def.name) != 0) {
                menu = parent->second->addMenu(qtext(def.caption));
            } else {
                QAction* action = parent->second->addAction(qtext(def.caption));
                action->setObjectName(qtext(def.name));
                menus.actions[def.name] = action;
            }
        }
        if (menu == nullptr)
            continue;
        containers[def.name] = menu;
        if (def.kind != ControlKind::PopupMenu) {
            menu->menuAction()->setObjectName(qtext(def.name));
            menus.actions[def.name] = menu->menuAction();
        }
    }
    return menus;
}

}  // namespace quay

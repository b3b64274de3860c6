#pragma once

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <vector>

namespace quay::test {

namespace detail {

// The menu of the window that lists entry; none when no menu does.
inline QMenu* menuHolding(QMainWindow& window, QAction* entry) {
    for (QMenu* menu : window.findChildren<QMenu*>())
        if (menu->actions().contains(entry))
            return menu;
    return nullptr;
}

// The menus from entry's own up to the outermost one: a menu of the menu bar or a popup. (The
// bar's extension popup lists the bar's menus too: the climb stops at the bar.)
inline std::vector<QMenu*> menusLeadingTo(QMainWindow& window, QAction* entry) {
    const QList<QAction*> barMenus = window.menuBar()->actions();
    std::vector<QMenu*> path;
    for (QMenu* menu = menuHolding(window, entry); menu != nullptr;
         menu = menuHolding(window, menu->menuAction())) {
        path.push_back(menu);
        if (barMenus.contains(menu->menuAction()))
            break;
    }
    return path;
}

// Clicks `entry` of the open popup `menu` once it shows.
inline bool clickInOpenMenu(QMenu* menu, QAction* entry) {
    if (!QTest::qWaitFor([&] { return menu->isVisible(); }))
        return false;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    return true;
}

// With the outermost menu of path opening, clicks each submenu's entry down to entry.
inline bool clickThrough(const std::vector<QMenu*>& path, QAction* entry) {
    for (auto menu = path.rbegin(); menu + 1 != path.rend(); ++menu)
        if (!clickInOpenMenu(*menu, (*(menu + 1))->menuAction()))
            return false;
    return clickInOpenMenu(path.front(), entry);
}

}  // namespace detail

// Opens, from the menu bar, each menu that leads to entry (a submenu by a click on its entry)
// and clicks entry, as a user does. False when the menu bar does not lead to it.
inline bool clickMenuPath(QMainWindow& window, QAction* entry) {
    const std::vector<QMenu*> path = detail::menusLeadingTo(window, entry);
    QMenuBar* bar = window.menuBar();
    if (path.empty() || !bar->actions().contains(path.back()->menuAction()))
        return false;
    QTest::mouseClick(bar, Qt::LeftButton, {},
                      bar->actionGeometry(path.back()->menuAction()).center());
    return detail::clickThrough(path, entry);
}

// Asks for the context menu of the list at `at` (viewport coordinates), as a right-click does,
// and clicks entry in it, through its submenus. False when the popup does not lead to entry.
inline bool clickContextEntry(QMainWindow& window, QAbstractItemView& list, QPoint at,
                              QAction* entry) {
    const std::vector<QMenu*> path = detail::menusLeadingTo(window, entry);
    if (path.empty())
        return false;
    QContextMenuEvent request(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QApplication::sendEvent(list.viewport(), &request);
    return detail::clickThrough(path, entry);
}

// Clicks the menu bar's menu, then its entry (through a submenu where it lies in one), as a
// user does. False when the entry is not in that menu.
inline bool clickMenuEntry(QMainWindow& window, const char* menuName, const char* entryName) {
    QAction* entry = window.findChild<QAction*>(entryName);
    const std::vector<QMenu*> path =
        entry != nullptr ? detail::menusLeadingTo(window, entry) : std::vector<QMenu*>{};
    return !path.empty() && path.back()->menuAction() == window.findChild<QAction*>(menuName) &&
           clickMenuPath(window, entry);
}

}  // namespace quay::test

#pragma once

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

namespace quay::test {

// Clicks the menu bar's menu, then its entry, as a user does.
inline bool clickMenuEntry(QMainWindow& window, const char* menuName, const char* entryName) {
    auto* menuEntry = window.findChild<QAction*>(menuName);
    auto* entry = window.findChild<QAction*>(entryName);
    QMenu* menu = menuEntry != nullptr ? menuEntry->menu() : nullptr;
    if (menu == nullptr || entry == nullptr)
        return false;
    QMenuBar* bar = window.menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menuEntry).center());
    if (!QTest::qWaitFor([&] { return menu->isVisible(); }))
        return false;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(entry).center());
    return true;
}

}  // namespace quay::test

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QKeyEvent>

#include "session/main_window_controls.h"
#include "session/session_controller.h"
#include "ui/command_keys.h"
#include "ui/main_window.h"
#include "ui/menu_mnemonics.h"
#include "ui/pane_view.h"
#include "ui/qt_text.h"

namespace quay {

void MainWindow::buildCommandActions() {
    PresentationModel& model = m_controller.model();
    for (int i = 1; i < kCommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        auto* action = new QAction(this);
        action->setEnabled(model.commandEnabled(command));
        connect(action, &QAction::triggered, this,
                [this, command] { m_controller.execute(command); });
        m_commandActions[static_cast<std::size_t>(i)] = action;
    }
    model.onCommandChanged = [this](Command command) {
        commandAction(command)->setEnabled(m_controller.model().commandEnabled(command));
    };
}

void MainWindow::connectCommands() {
    for (const ControlDef& def : mainWindowControls()) {
        if (def.command == Command::None)
            continue;
        QAction* command = commandAction(def.command);
        const std::string name = def.name;
        if (QAction* entry = action(name)) {
            connect(entry, &QAction::triggered, this, [this, command, name] {
                command->trigger();
                // A checkable entry toggles itself; the model decides what is checked.
                applyControl(name);
            });
            // The entry shows the command's keys; the command's action answers them.
            entry->setShortcuts(keysOf(def.command));
            entry->setShortcutContext(Qt::WidgetShortcut);
            entry->setShortcutVisibleInContextMenu(true);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget(name))) {
            connect(button, &QAbstractButton::clicked, command, &QAction::trigger);
        }
    }
}

void MainWindow::bindKeys() {
    auto* local = static_cast<PaneView*>(widget("lvLoc"));
    auto* remote = static_cast<PaneView*>(widget("FTPView"));
    for (PaneView* list : {local, remote}) {
        list->reportView().installEventFilter(this);
        list->iconView().installEventFilter(this);
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* view = qobject_cast<QWidget*>(watched);
        auto* list = view != nullptr ? qobject_cast<PaneView*>(view->parentWidget()) : nullptr;
        if (list != nullptr && runKey(*static_cast<QKeyEvent*>(event), list))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (!runKey(*event, nullptr))
        QMainWindow::keyPressEvent(event);
}

// A key of a list acts only there; a key of the window acts wherever the press lands in the
// window's widgets and they leave it unused. Keys pressed in a dialog never reach here: its
// widgets are in a window of their own.
bool MainWindow::runKey(const QKeyEvent& event, PaneView* list) {
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool plain = (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier;
    if (list != nullptr && plain &&
        (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab)) {
        auto* other =
            static_cast<PaneView*>(widget(list->objectName() == "lvLoc" ? "FTPView" : "lvLoc"));
        other->currentWidget()->setFocus(Qt::TabFocusReason);
        return true;
    }
    const QKeySequence pressed(QKeyCombination(modifiers, Qt::Key(event.key())));
    const std::string listName = list != nullptr ? list->objectName().toStdString() : "";
    for (const CommandKeys& binding : commandKeys()) {
        if (!binding.keys.contains(pressed))
            continue;
        if (*binding.list != '\0' && binding.list != listName)
            continue;
        commandAction(binding.command)->trigger();
        return true;
    }
    return false;
}

void MainWindow::applyMenuTitles() {
    const PresentationModel& model = m_controller.model();
    QStringList captions, buttons;
    for (const std::string& name : m_menus.titles)
        captions.append(qtext(model.control(name).text));
    for (const ControlDef& def : mainWindowControls())
        if (def.kind == ControlKind::Button)
            buttons.append(qtext(model.control(def.name).text));
    const QStringList shown = withMnemonics(captions, buttons);
    for (std::size_t i = 0; i < m_menus.titles.size(); ++i)
        action(m_menus.titles[i])->setText(shown[static_cast<qsizetype>(i)]);
}

}  // namespace quay

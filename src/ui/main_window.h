#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSplitter>
#include <map>
#include <string>
#include <vector>

#include "session/command.h"
#include "ui/log_pane.h"
#include "ui/menu_builder.h"

namespace quay {

class ComboModel;
class Dialogs;
class HelpWindow;
class PaneView;
class SessionController;
class TransferQueuePane;

// Splitter1: keeps its right part half of the space left beside the handle on every resize.
class HalvingSplitter : public QSplitter {
    Q_OBJECT
public:
    using QSplitter::QSplitter;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The main window. It lays out the named controls, renders the controller's presentation
// model into them by objectName and runs every command through one QAction per command
// (commandAction()): the command's buttons, menu entries, popup entries, list double-clicks
// and keys all trigger that action, which is enabled by the command's rule. It holds no
// behaviour of its own beyond layout and moving the focus between the two lists (Tab);
// closing it asks the controller first.
//
// Creating it runs the controller's FormCreate().
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(SessionController& controller, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The widget or menu action carrying the given control name, or nullptr.
    QWidget* widget(const std::string& name) const;
    QAction* action(const std::string& name) const;
    // The action of a command: triggering it runs the command when the command is enabled.
    QAction* commandAction(Command command) const {
        return m_commandActions[static_cast<std::size_t>(command)];
    }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    template <typename W, typename... Args>
    W* make(const char* name, QWidget* parent, Args&&... args);
    QWidget* buildTopBar();
    QWidget* buildLocalArea();
    QWidget* buildRemoteArea();
    QWidget* buildToolbar(const char* name, std::initializer_list<const char*> buttons);
    void buildMenus();
    void bindModel();
    void bindPaneFonts();
    void bindCombo(const char* name, ComboModel& combo);
    void bindPane(PaneView& view, Command open, const char* popup);
    // The transfer driver's progress window comes and goes with each batch.
    void bindProgressWindow();
    // The log pane follows the model's log.
    void bindLog();
    // One action per command; every control that runs a command triggers its action.
    void buildCommandActions();
    void connectCommands();
    // The keys of the commands (commandKeys()), on the two lists and on the window; Tab
    // between the lists.
    void bindKeys();
    // Runs the command bound to the key pressed in list (nullptr: elsewhere in the window);
    // false when no command has that key there.
    bool runKey(const QKeyEvent& event, PaneView* list);
    // The menu bar's titles, with a mnemonic each.
    void applyMenuTitles();
    // Rebuilds the language entries after miEnglish from the controller's language menu.
    void refreshLanguageEntries();
    // The accessible names of the log, the path box and the command line, in the language
    // shown.
    void nameUnlabelledControls();
    void nameLogTabs(const Dialogs& dialogs);
    void applyControl(const std::string& name);
    void applyScreenCursor();

    SessionController& m_controller;
    std::map<std::string, QWidget*> m_widgets;
    MainMenus m_menus;
    LogPane* m_log = nullptr;
    TransferQueuePane* m_queue = nullptr;
    bool m_overrideCursor = false;
    std::map<std::string, QFont> m_definedFonts;
    std::vector<QAction*> m_languageEntries;
    std::vector<QAction*> m_commandActions = std::vector<QAction*>(kCommandCount, nullptr);
    HelpWindow* m_help = nullptr;  // made on first use, owned by the window
    QPointer<QWidget> m_progress;  // the progress window of the running batch
};

}  // namespace quay

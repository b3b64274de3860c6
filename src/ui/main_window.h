#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSplitter>
#include <map>
#include <string>
#include <vector>

#include "ui/log_pane.h"
#include "ui/menu_builder.h"

namespace quay {

class ComboModel;
class HelpWindow;
class PaneView;
class SessionController;

// Splitter1: keeps its right part half of the space left beside the handle on every resize.
class HalvingSplitter : public QSplitter {
    Q_OBJECT
public:
    using QSplitter::QSplitter;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

// The main window. It lays out the named controls, renders the controller's presentation
// model into them by objectName and forwards every command to the controller. It holds no
// behaviour of its own beyond layout; closing it asks the controller first.
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

protected:
    void closeEvent(QCloseEvent* event) override;

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
    void bindPane(PaneView& view, const char* dblClickHandler, const char* popup);
    // The transfer driver's progress window comes and goes with each batch.
    void bindProgressWindow();
    // The log pane follows the model's log.
    void bindLog();
    void connectCommands();
    // Rebuilds the language entries after miEnglish from the controller's language menu.
    void refreshLanguageEntries();
    void applyControl(const std::string& name);
    void applyScreenCursor();

    SessionController& m_controller;
    std::map<std::string, QWidget*> m_widgets;
    MainMenus m_menus;
    LogPane* m_log = nullptr;
    bool m_overrideCursor = false;
    std::map<std::string, QFont> m_definedFonts;
    std::vector<QAction*> m_languageEntries;
    HelpWindow* m_help = nullptr;  // made on first use, owned by the window
    QPointer<QWidget> m_progress;  // the progress window of the running batch
};

}  // namespace quay

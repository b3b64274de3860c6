#pragma once

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/options.h"
#include "panes/combo_model.h"
#include "panes/pane_model.h"
#include "session/command.h"

namespace quay {

// The mouse cursor a control (or the whole screen) shows.
enum class Cursor { crDefault, crHourGlass };

// The font of the main window as the options give it (FontName, FontSize, FontColor).
struct WindowFont {
    std::string name;
    int size = 0;  // points; 0 leaves the size as it is
    int color = 0;

    bool operator==(const WindowFont&) const = default;
};

// The state of one control of the main window, addressed by the control's name (the Qt
// widget carries the same name as its objectName).
struct ControlState {
    bool enabled = true;
    bool visible = true;
    bool checked = false;
    std::string text;  // caption
    std::string hint;
    int tag = 0;
    Cursor cursor = Cursor::crDefault;
};

// Everything the session controller reads or writes of the main window, without a widget.
// The Qt window renders it and forwards user actions; headless tests inspect it directly.
//
// Controls are keyed by name. Reading an unknown name yields a default state; every setter
// creates the entry. Each setter fires onControlChanged(name) only when the value changes,
// so a view can refresh exactly one widget. All callbacks run synchronously on the caller's
// thread, never re-entrantly from inside another callback of this model.
class PresentationModel {
public:
    std::function<void(const std::string& name)> onControlChanged;
    // A line was appended to the log (the line is the last of logLines()).
    std::function<void(const std::string& line)> onLogAppended;
    std::function<void()> onLogCleared;
    std::function<void()> onScreenCursorChanged;
    // The font of a file list (lvLoc or FTPView) changed.
    std::function<void(const std::string& list)> onPaneFontChanged;
    std::function<void()> onWindowFontChanged;
    std::function<void()> onWindowTitleChanged;
    std::function<void()> onStatusTextChanged;
    // The enabled state of a command changed.
    std::function<void(Command command)> onCommandChanged;

    bool hasControl(const std::string& name) const { return m_controls.count(name) != 0; }
    // The state of a control; a default state when the name is unknown.
    const ControlState& control(const std::string& name) const;
    std::vector<std::string> controlNames() const;

    // Adds a control with its initial state, or replaces the state of a known one.
    void defineControl(const std::string& name, ControlState state);
    void setEnabled(const std::string& name, bool enabled);
    void setVisible(const std::string& name, bool visible);
    void setChecked(const std::string& name, bool checked);
    void setText(const std::string& name, const std::string& text);
    void setHint(const std::string& name, const std::string& hint);
    void setTag(const std::string& name, int tag);
    void setCursor(const std::string& name, Cursor cursor);

    // The main window's title: the program's name, and while connected the server and the
    // directory the remote pane shows ("Local: /photos - Quayside Pro").
    const std::string& windowTitle() const { return m_windowTitle; }
    void setWindowTitle(const std::string& title);

    // The status line: what the session is doing ("Listing /photos", "Downloading 3 of 40");
    // empty while it is idle.
    const std::string& statusText() const { return m_statusText; }
    void setStatusText(const std::string& text);

    // Whether a command may run now (its enabling rule); every command starts enabled.
    bool commandEnabled(Command command) const {
        return m_commandEnabled[static_cast<std::size_t>(command)];
    }
    void setCommandEnabled(Command command, bool enabled);

    // The two file lists and the two combo boxes.
    PaneModel& lvLoc() { return m_lvLoc; }
    PaneModel& ftpView() { return m_ftpView; }
    ComboModel& ftpPath() { return m_ftpPath; }
    ComboModel& cbCmd() { return m_cbCmd; }
    const PaneModel& lvLoc() const { return m_lvLoc; }
    const PaneModel& ftpView() const { return m_ftpView; }
    const ComboModel& ftpPath() const { return m_ftpPath; }
    const ComboModel& cbCmd() const { return m_cbCmd; }

    // The log pane: the newest kLogLineLimit lines (the log file keeps every line), so a
    // session of days cannot exhaust memory.
    static constexpr std::size_t kLogLineLimit = 10000;
    const std::deque<std::string>& logLines() const { return m_logLines; }
    void appendLog(std::string line);
    void clearLog();

    // The font of a file list, by list name. The window seeds each with the font it defines;
    // fields left empty mean "as the window defines it".
    const PaneFont& paneFont(const std::string& list) const;
    void setPaneFont(const std::string& list, const PaneFont& font);

    const WindowFont& windowFont() const { return m_windowFont; }
    void setWindowFont(const WindowFont& font);

    // The cursor of the whole application (overrides every control's own cursor).
    Cursor screenCursor() const { return m_screenCursor; }
    void setScreenCursor(Cursor cursor);

private:
    // Sets one field of the named control and announces it when the value changed.
    template <typename T>
    void assign(const std::string& name, T ControlState::*field, T value);

    std::map<std::string, ControlState> m_controls;
    std::string m_windowTitle = "Quayside Pro";
    std::string m_statusText;
    std::vector<bool> m_commandEnabled = std::vector<bool>(kCommandCount, true);
    PaneModel m_lvLoc;
    PaneModel m_ftpView;
    ComboModel m_ftpPath;
    ComboModel m_cbCmd;
    std::deque<std::string> m_logLines;
    std::map<std::string, PaneFont> m_paneFonts;
    Cursor m_screenCursor = Cursor::crDefault;
    WindowFont m_windowFont;
};

}  // namespace quay

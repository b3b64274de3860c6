#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "config/language_menu.h"
#include "config/options.h"
#include "ftp/ftp_client.h"
#include "panes/custom_commands.h"
#include "session/presentation_form.h"
#include "session/presentation_model.h"
#include "session/quote_commands.h"
#include "session/remote_operations.h"
#include "session/server_list_commands.h"
#include "session/session_state.h"
#include "session/transfer_driver.h"

namespace quay {

class Dialogs;
class EventLoop;

// The behaviour of the main window without its widgets: it owns the presentation model and
// the session state and implements the handlers the window's controls call. It talks to the
// user only through Dialogs.
//
// The window forwards every command as invoke(handler, sender), the sender being the name of
// the control that fired it (handlers that serve several entries read its tag). A handler
// whose behaviour is not there yet is simply not registered: invoking it does nothing.
class SessionController {
public:
    // Handler of a command; receives the name of the invoking control.
    using Handler = std::function<void(const std::string& sender)>;

    // The language entries after miEnglish changed (their captions, tags or checks).
    std::function<void()> onLanguageItemsChanged;
    // Closes the main window (the window then asks FormCloseQuery()). Set by the window.
    std::function<void()> onCloseWindow;
    // Starts another, independent instance of the program without waiting for it; reports
    // nothing when that fails. Set by the application.
    std::function<void()> onStartInstance;

    // dataDir holds every file the program keeps; it need not exist or be writable.
    SessionController(EventLoop& loop, Dialogs& dialogs, std::filesystem::path dataDir);
    SessionController(const SessionController&) = delete;
    SessionController& operator=(const SessionController&) = delete;
    ~SessionController();

    PresentationModel& model() { return m_model; }
    SessionState& state() { return m_state; }
    // The options record of the process, read by FormCreate() and written by FormClose().
    Options& options() { return m_options; }
    EventLoop& loop() { return m_loop; }
    // The one FTP client of the session (Ftp1), owned for the controller's whole life.
    FtpClient& ftp() { return m_ftp; }
    // The commands of the right pane while it shows the saved servers.
    ServerListCommands& serverList() { return m_serverList; }
    // The language menu miLang: items()[0] is miEnglish, the rest one entry per language.
    const std::vector<LanguageMenuItem>& languageItems() const { return m_languageMenu.items(); }
    // The saved custom commands, read by FormCreate() and written back by FormDestroy().
    CustomCommands& customCommands() { return m_customCommands; }
    // The main window's controls as the translation addresses them.
    NamedForm& form() { return m_form; }
    Dialogs& dialogs() { return m_dialogs; }
    const std::filesystem::path& dataDir() const { return m_dataDir; }
    const std::filesystem::path& helpFile() const { return m_helpFile; }
    // Translates a window as it is created, by the language chosen in the main window's menu.
    void translateWindow(NamedForm& form) { m_languageMenu.translateWindow(form); }
    // The upload and download drivers and the progress window.
    TransferDriver& transfers() { return m_transfers; }
    // Make directory, rename, delete, change case and compare on the remote pane.
    RemoteOperations& remoteOperations() { return m_remoteOps; }

    // Runs the command handler registered under name; unknown names do nothing.
    void invoke(const std::string& handler, const std::string& sender);
    // Adds or replaces a command handler (other parts of the controller register theirs).
    void registerHandler(const std::string& name, Handler handler);
    bool hasHandler(const std::string& name) const { return m_handlers.count(name) != 0; }

    // Window life cycle, called by the window in this order.
    void FormCreate();
    // The closing question; true when the window may close.
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();

    // The directory the local pane shows (ends in "/").
    const std::string& localDir() const { return m_state.localDir; }
    // Makes dir (absolute, or relative to the shown directory) the local pane's directory and
    // fills the pane again; false, and nothing changes, when it is not a directory.
    bool changeLocalDir(const std::string& dir);

    // Hands the options to the FTP client and the window: connection type, proxy and SOCKS
    // settings, transfer type, passive mode, time-out. Run at start-up and after the options
    // dialog, whichever button closed it.
    void applyOptions();

    void updateConnectionUI(bool connected);
    void beginBusy();
    void endBusy();

    void miAutoClick(const std::string& sender);
    // Every entry of the language menu; tag -1 (miEnglish) is the built-in texts.
    void miEnglishClick(int tag);
    void Spawnnewsession1Click();
    void Exit1Click();
    // Closes the window like Exit1Click(); once the user has confirmed, a running request is
    // aborted before the window goes (unless the client only waits on a closed connection).
    void ExplorerButton1Click();
    void sbStopClick();
    // The remote pane changed (the controller watches it itself).
    void FTPViewChange();
    // The left button went down in FTPView: true when a drag of the selected row may start,
    // that is in server-list mode with a server (image 3) selected.
    bool FTPViewMouseDown();
    // Rows of the list named source were dropped on row target of FTPView (-1: no row). In
    // server-list mode a server dropped on a folder moves into it.
    void FTPViewDragDrop(const std::string& source, long target);
    // Rows of the list named source were dropped on lvLoc: rows of FTPView are downloaded.
    void lvLocDragDrop(const std::string& source);
    // Whether a drag of the selected rows of the named list may start.
    bool paneDragAllowed(const std::string& list);
    // The view-style entries: the sender's tag is the view style of lvLoc (MenuItem11Click)
    // or of FTPView (LargeIcons1Click, LargeIcons3Click).
    void MenuItem11Click(const std::string& sender);
    // The font entries: the sender's tag chooses FTPView (non-zero) or lvLoc (0); the list
    // gets the font chosen in the font dialog.
    void Font2Click(const std::string& sender);
    void LargeIcons3Click(const std::string& sender);

private:
    void registerOwnHandlers();
    // The server-list commands act only in server-list mode (connected, the same controls
    // act on remote files).
    void registerServerListHandlers();
    // Upload, download, stop and the client's progress reports.
    void setUpTransfers();
    TransferDriver::Hooks transferHooks();
    // The remote file operations, permissions and the command bar.
    void setUpRemoteOperations();
    RemoteOperations::Hooks remoteOperationHooks();
    // Every change of the remote pane's items reruns the enabling rule.
    void watchRemotePane();
    void setDate();
    // Checks exactly the transfer-mode entry whose tag is mode.
    void markTransferMode(int mode);
    // The options' pane fonts over the fonts the lists have now (LoadOptions' last step),
    // and back (for SaveOptions).
    void applyPaneFonts();
    void collectPaneFonts();
    void languageItemsChanged();
    void setUpFtpClient();
    // Busy: the controls tagged 16 show the hourglass and the path box is locked.
    void setBusy(bool busy);

    EventLoop& m_loop;
    Dialogs& m_dialogs;
    std::filesystem::path m_dataDir;
    std::filesystem::path m_helpFile;
    PresentationModel m_model;
    SessionState m_state;
    std::map<std::string, Handler> m_handlers;
    Options m_options;
    FtpClient m_ftp;
    bool m_abortOnClose = false;
    ServerListCommands m_serverList;
    PresentationForm m_form;
    LanguageMenu m_languageMenu;
    CustomCommandsFile m_commandsFile;
    CustomCommands m_customCommands;
    TransferDriver m_transfers;
    RemoteOperations m_remoteOps;
    QuoteCommands m_quoteCommands;
};

}  // namespace quay

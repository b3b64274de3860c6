#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "config/language_menu.h"
#include "config/options.h"
#include "ftp/ftp_client.h"
#include "listing/remote_pane.h"
#include "panes/custom_commands.h"
#include "session/local_pane.h"
#include "session/log_file.h"
#include "session/operation_runner.h"
#include "session/presentation_form.h"
#include "session/presentation_model.h"
#include "session/progress_model.h"
#include "session/quote_commands.h"
#include "session/server_list_commands.h"
#include "session/session_state.h"
#include "sites/server_info.h"

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
    // nothing when that fails. Set by the window.
    std::function<void()> onStartInstance;
    // Hands a local file to the desktop for "View as Text File" and "Run Application". Set by
    // the application; unset, both commands do nothing.
    FileOpener onOpenFile;

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
    // The local pane: drive box, directory tree, file list and their commands.
    LocalPane& localPane() { return m_localPane; }
    const std::filesystem::path& dataDir() const { return m_dataDir; }
    const std::filesystem::path& helpFile() const { return m_helpFile; }
    // Translates a window as it is created, by the language chosen in the main window's menu.
    void translateWindow(NamedForm& form) { m_languageMenu.translateWindow(form); }
    // The progress window of a transfer batch is shown (the view keeps the model as long as
    // it needs it) and closed again. Set by the window.
    std::function<void(const std::shared_ptr<ProgressModel>& progress)> onShowProgress;
    std::function<void()> onHideProgress;
    // The directory the client is in, with the trailing "/" a remote operation's start
    // directory keeps.
    std::string remoteStartDir() const;
    // How the listings of the connected server are read: the layout code, the date, and
    // whether they come from MLSD.
    ListingFormat listingFormat() const;
    // The request that lists the client's directory: MLSD while SessionState::listWithMlsd
    // holds, else LIST (dirAsync).
    using ListingRequest = void (FtpClientBase::*)();
    ListingRequest listingRequest() const;
    // After a listing request failed with error: true when it was an MLSD the server refused
    // (a 5xx reply). MLSD is then off for the rest of the session, one "! " line says so, and
    // the caller lists the same directory again with listingRequest().
    bool mlsdRefused(int error);
    // Runs the operations of the session one at a time; the only listener to the client's
    // completions.
    OperationRunner& runner() { return m_runner; }

    // Runs the command handler registered under name; unknown names do nothing.
    void invoke(const std::string& handler, const std::string& sender);
    // Adds or replaces a command handler (other parts of the controller register theirs).
    void registerHandler(const std::string& name, Handler handler);
    bool hasHandler(const std::string& name) const { return m_handlers.count(name) != 0; }

    // Window life cycle, called by the window in this order.
    void FormCreate();
    // The closing question; true when the window may close. After Yes to the exit button the
    // session ends first: false now, and the window is closed again once the loop has
    // delivered the session's end, then without a question.
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

    // Enables the commands of a session; Disconnect and Stop also while connecting.
    void updateConnectionUI(bool connected);
    // The status label "lbEncrypted": "Encrypted (TLS 1.3)" while the control connection is
    // encrypted, hidden otherwise.
    void showEncryption();
    // The busy look: the hourglass over the remote controls and the path box locked. It
    // follows the runner.
    void showBusy(bool busy);

    void miAutoClick(const std::string& sender);
    // Every entry of the language menu; tag -1 (miEnglish) is the built-in texts.
    void miEnglishClick(int tag);
    void Spawnnewsession1Click();
    // "Preferences": the options dialog; on OK the record is saved. Then the options are
    // applied, whichever button closed the dialog.
    void FtpOptions1Click();
    void Exit1Click();
    // Closes the window like Exit1Click(); once the user has confirmed, a running request is
    // aborted before the window goes (unless the client only waits on a closed connection).
    void ExplorerButton1Click();
    // Stops the running operation; with nothing running it does nothing.
    void sbStopClick();
    // The remote pane changed (the controller watches it itself).
    void FTPViewChange();
    // The row index of FTPView was selected or deselected (the window calls this once per row
    // whose selection changed). In server-list mode the three Properties entries are enabled
    // exactly when that row is a server.
    void FTPViewSelectItem(std::size_t index, bool selected);
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

    // --- connecting and disconnecting (connection.cpp)
    // Connects to the selected server (asking for a new one when nothing is selected).
    void sbConnectClick();
    // Server-list mode: opens a folder or connects to a server. Connected: opens a directory.
    void FTPViewDblClick();
    void sbDisConnectClick();
    void Ftp1SessionConnected(int error);
    void Ftp1SessionClosed(int error);
    // The copy of the record of the server being connected or connected.
    const FtpServerInfo& currentServer() const { return m_currentServer; }

    // The password prompt (unless saved) and the client's settings for a log-in to server;
    // false when the prompt was cancelled. Used by the log-in operation.
    bool prepareLogin(const FtpServerInfo& server);
    // The session is over: the right pane shows the server list again.
    void backToServerList();

    // --- completions (request_done.cpp)
    // The client's onRequestDone: handed to the runner.
    void Ftp1RequestDone(FtpRequest request, int error);
    // Loads the completed listing into the remote pane.
    void showListing();
    // A listing of the client's directory could not be had: unless the pane shows that
    // directory already, it is shown empty, the path box naming it, with a "! " line.
    void showUnlisted();

    // --- navigation while connected (navigation.cpp)
    void FTPOneLevelUpClick();
    void FTPPathChange();
    void Refresh3Click();
    void ChandDirect1Click();
    void Filter4Click();

    // --- log (session_log.cpp)
    // Appends a line to the log pane and, while it is open, to the log file; the client's
    // password is masked.
    void addLog(const std::string& line);
    // The client's onDisplay: every line goes to the log, a PASS command masked.
    void Ftp1Display(const std::string& line);
    bool logOpen() const { return m_state.logOpen; }

    // --- keep-alive (keep_alive.cpp)
    // One tick of cTimer: after StartKeep idle ticks sends the next keep-alive command.
    void cTimerTimer();
    bool keepAliveRunning() const { return m_keepTimer != 0; }

private:
    void registerSessionHandlers();
    void bindFtpEvents();
    // Applies the log-file option: opens, reopens under a new name, or closes the log file.
    void applyLogOption();
    void openLogFile();
    void closeLogFile();
    // The record's local directory: entered, or made first when it does not exist.
    void enterServerLocalDir(const std::string& localDir);
    void strayRequestDone(FtpRequest request, int error);
    // The connection type, proxy and SOCKS settings of the options; they change only between
    // sessions.
    void applyConnectionOptions();
    // Disconnect and Stop (buttons and menu entries): on while connecting or connected.
    void setCancelEnabled(bool enabled);
    // A log-in runs: the only operation of the server-list mode.
    bool loggingIn() const { return m_state.serverListMode && m_runner.busy(); }
    // How the remote pane shows entries now: the remote mask, the date order, this year.
    RemoteViewOptions remoteViewOptions() const;
    void openRemoteDir(const PaneItem& row);
    // The keep-alive timer: prepared when connected, restarted after every completion.
    void prepareKeepAlive();
    bool keepAliveConfigured() const;
    void startKeepTimer();
    void stopKeepTimer();
    // No operation runs any more: the keep-alive count starts again.
    void operationsIdle();

    void registerOwnHandlers();
    // The server-list commands act only in server-list mode (connected, the same controls
    // act on remote files).
    void registerServerListHandlers();
    // Upload, download and the client's progress reports.
    void setUpTransfers();
    void upload();
    void download();
    // The remote file operations, permissions and the command bar.
    void setUpRemoteOperations();
    // Every change of the remote pane's items reruns the enabling rule; the pane keeps the
    // order of FTPViewCompare under RemoteSortKey.
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
    // The remote directory ("one level up", path box, open) as a navigation operation.
    void navigateTo(const std::string& name, const std::string& dir);
    bool sessionToEnd() const;
    void endSessionThenClose();

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
    // Yes was answered and the window closes once the session has ended.
    bool m_closeAnswered = false;
    // Tells the controller's posted tasks whether it still exists.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    ServerListCommands m_serverList;
    PresentationForm m_form;
    LanguageMenu m_languageMenu;
    CustomCommandsFile m_commandsFile;
    CustomCommands m_customCommands;

    FtpServerInfo m_currentServer;
    // The remote directory whose entries (or emptiness) the pane shows; none in server-list
    // mode.
    std::optional<std::string> m_shownRemoteDir;
    // The connection settings last handed to the client.
    std::string m_appliedConnection;
    // The server-list folder the connected server was opened from.
    std::string m_serverListFolder;
    RemoteEntries m_remoteEntries;
    LogFile m_logFile;
    EventLoop::TimerId m_keepTimer = 0;
    // Ticks since the last completed request (cTimer's Tag).
    int m_keepTicks = 0;
    int m_keepInterval = 0;
    LocalPane m_localPane;
    QuoteCommands m_quoteCommands;
    OperationRunner m_runner;
};

}  // namespace quay

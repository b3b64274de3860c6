#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "config/language_menu.h"
#include "config/message_texts.h"
#include "config/options.h"
#include "ftp/ftp_client.h"
#include "listing/remote_pane.h"
#include "panes/custom_commands.h"
#include "session/command.h"
#include "session/local_pane.h"
#include "session/log_file.h"
#include "session/operation_runner.h"
#include "session/presentation_form.h"
#include "session/presentation_model.h"
#include "session/progress_model.h"
#include "session/quote_commands.h"
#include "session/remote_pane_commands.h"
#include "session/server_list_commands.h"
#include "session/session_state.h"
#include "session/transfer_pool.h"
#include "sites/server_info.h"

namespace quay {

class Dialogs;
class EventLoop;
class TransferOperation;

// The behaviour of the main window without its widgets: it owns the presentation model and
// the session state and runs the window's commands. It talks to the user only through Dialogs.
//
// The window runs every command through execute(command); each command has one enabling rule
// (commandEnabled()), whose result the model carries per command and per control.
class SessionController {
public:
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

    // Runs command as its button, menu entry, popup entry and key do, whether or not it is
    // enabled (the window triggers only enabled commands). Help is the window's own: it sets
    // onHelp.
    void execute(Command command);
    std::function<void()> onHelp;
    // Reruns every command's enabling rule into the model.
    void updateCommands();
    // The two modes of the right pane and the one it is in now.
    RemotePaneCommands& remotePane();

    // Window life cycle, called by the window in this order. FormCreate() reads the options;
    // without an options file it chooses the desktop's language (chooseDesktopLanguage).
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
    // The status line names what the running operation does now (a text of the language
    // files); it is emptied when the runner goes idle.
    void showActivity(Message message, std::initializer_list<std::string_view> args = {});
    // "Listing <dir>", the directory named as the path box names it (no "/" at its end).
    void showListingActivity(std::string_view dir);

    // 0 automatic, 1 ASCII, 2 binary.
    void setTransferMode(int mode);
    // Every entry of the language menu; tag -1 (miEnglish) is the built-in texts.
    void chooseLanguage(int tag);
    void startNewSession();
    // "Preferences": the options dialog; on OK the record is saved. Then the options are
    // applied, whichever button closed the dialog.
    void editPreferences();
    void closeWindow();
    // Closes the window like closeWindow(); once the user has confirmed, a running request is
    // aborted before the window goes (unless the client only waits on a closed connection).
    void closeWindowAbortingRequest();
    // Stops the running operation; with nothing running it stops the transfer queue, if any.
    void stop();
    // The remote pane changed (the controller watches it itself).
    void remotePaneChanged();
    // The selection of FTPView changed: the summary and the enabling rules follow.
    void remoteSelectionChanged();
    // The left button went down in FTPView: true when a drag of the selected row may start,
    // that is in server-list mode with a server (image 3) selected.
    bool serverDragAllowed();
    // Rows of the list named source were dropped on row target of FTPView (-1: no row). In
    // server-list mode a server dropped on a folder moves into it.
    void dropOnRemotePane(const std::string& source, long target);
    // Rows of the list named source were dropped on lvLoc: rows of FTPView are downloaded.
    void dropOnLocalPane(const std::string& source);
    // Whether a drag of the selected rows of the named list may start.
    bool paneDragAllowed(const std::string& list);
    void setLocalViewStyle(ViewStyle style);
    void setRemoteViewStyle(ViewStyle style);
    // The list (lvLoc or FTPView) gets the font chosen in the font dialog.
    void chooseListFont(const char* list);

    // --- connecting and disconnecting (connection.cpp)
    // Connects to the selected server (asking for a new one when nothing is selected).
    void connectSelected();
    // Connects to the selected server of the server list (a log-in operation).
    void logIn();
    // Opens the selected directory of the connected server.
    void openRemoteRow();
    void disconnect();
    void sessionConnected(int error);
    void sessionClosed(int error);
    // The copy of the record of the server being connected or connected.
    const FtpServerInfo& currentServer() const { return m_currentServer; }

    // The password prompt (unless saved) and the client's settings for a log-in to server;
    // false when the prompt was cancelled. Used by the log-in operation.
    bool prepareLogin(const FtpServerInfo& server);
    // The session is over: the right pane shows the server list again.
    void backToServerList();

    // --- completions (request_done.cpp)
    // The client's onRequestDone: handed to the runner.
    void requestDone(FtpRequest request, int error);
    // Loads the completed listing into the remote pane.
    void showListing();
    // The window title names the server and the directory the remote pane shows.
    void showPlace();
    // A listing of the client's directory could not be had: unless the pane shows that
    // directory already, it is shown empty, the path box naming it, with a "! " line.
    void showUnlisted();

    // --- navigation while connected (navigation.cpp)
    void changeRemoteDirectory();
    // The remote directory ("one level up", path box, open) as a navigation operation.
    void navigateTo(const std::string& name, const std::string& dir);
    void filterRemote();

    // --- log (session_log.cpp)
    // Appends a line to the log pane and, while it is open, to the log file; the client's
    // password is masked.
    void addLog(const std::string& line);
    // The client's onDisplay: every line goes to the log, a PASS command masked.
    void showClientLine(const std::string& line);
    bool logOpen() const { return m_state.logOpen; }

    // --- transfer queue (transfer_pool_session.cpp)
    // The queue of extra connections while the options ask for more than one simultaneous
    // transfer and a session is connected; else null (a batch then runs on the session). It
    // lives as long as the session, its files listed for the queue pane.
    std::shared_ptr<TransferPool> transferPool();
    // The queue as it is (null without one), for the queue pane and the tests.
    const std::shared_ptr<TransferPool>& currentTransferPool() const { return m_pool; }
    // A file of the queue was added or changed (its index in the pool's jobs()).
    std::function<void(std::size_t index)> onTransferQueueChanged;
    // --- keep-alive (keep_alive.cpp)
    // One tick of cTimer: after StartKeep idle ticks sends the next keep-alive command.
    void keepAliveTick();
    bool keepAliveRunning() const { return m_keepTimer != 0; }

private:
    // A first start (no options file yet) speaks the desktop's language: the shipped
    // German file for a German desktop, the English one otherwise, translation on.
    void chooseDesktopLanguage();
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

    // The queue's progress window: shown from the file at firstJob on, refreshed, closed.
    void showQueueProgress(std::size_t firstJob);
    void refreshQueueProgress();
    void hideQueueProgress();
    // The queue's Cancel: the batch walking for the queue, the batches behind it, the queue.
    void stopTransfers();
    // The client's progress reports go to the running operation.
    void setUpTransfers();
    void upload();
    void download();
    void runBatch(std::unique_ptr<TransferOperation> batch);
    // The commands, by what they act on (command_dispatch.cpp).
    bool executeConnectionCommand(Command command);
    bool executeLocalCommand(Command command);
    bool executeRemoteCommand(Command command);
    // Runs a remote file operation: make directory, rename, delete, change case.
    void runRemote(std::unique_ptr<Operation> operation);
    // A command of the command bar or the permissions dialog: a question while it is open.
    void askQuoteCommand(void (QuoteCommands::*command)());
    CommandContext commandContext() const;
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
    // Puts the path box's first item (the way back to the server list) in the language shown.
    void showServerListRoot();
    void setUpFtpClient();
    bool sessionToEnd() const;
    void endSessionThenClose();

    EventLoop& m_loop;
    Dialogs& m_dialogs;
    std::filesystem::path m_dataDir;
    std::filesystem::path m_helpFile;
    PresentationModel m_model;
    SessionState m_state;
    Options m_options;
    FtpClient m_ftp;
    bool m_abortOnClose = false;
    // Yes was answered and the window closes once the session has ended.
    bool m_closeAnswered = false;
    // Tells the controller's posted tasks whether it still exists.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    // What the window shows: a session (as against the server list) and the busy look.
    bool m_sessionShown = false;
    bool m_busyShown = false;
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
    std::shared_ptr<TransferPool> m_pool;
    // The progress window of the transfer queue while it has work (transfer_pool_session.cpp).
    std::shared_ptr<ProgressModel> m_queueProgress;
    EventLoop::TimerId m_queueTimer = 0;
    std::size_t m_queueFirstJob = 0;
    std::size_t m_queueFiles = 0;
    std::unique_ptr<RemotePaneCommands> m_serverListPane;
    std::unique_ptr<RemotePaneCommands> m_sessionPane;
};

}  // namespace quay

#include "session/session_controller.h"

#include <chrono>
#include <cstdlib>
#include <utility>

#include "config/shipped_languages.h"
#include "panes/list_order.h"
#include "session/command_operation.h"
#include "session/dialogs.h"
#include "session/main_window_controls.h"

namespace quay {

SessionController::SessionController(EventLoop& loop, Dialogs& dialogs,
                                     std::filesystem::path dataDir)
    : m_loop(loop),
      m_dialogs(dialogs),
      m_dataDir(std::move(dataDir)),
      m_ftp(loop),
      m_serverList(m_dataDir, m_model.ftpView(), m_model.ftpPath(), m_dialogs),
      m_form(m_model, mainWindowControls()),
      m_languageMenu(m_dataDir, m_options.language),
      m_commandsFile(m_dataDir / kCustomCommandsFile),
      m_localPane(m_model, m_state, m_dialogs, m_options, onOpenFile),
      m_quoteCommands(
          m_state, m_model, m_dialogs, m_customCommands,
          [this](const std::string& line) { addLog(line); },
          [this](const std::string& name, const std::string& line) {
              m_runner.run(std::make_unique<CommandOperation>(*this, name, line, false));
          }),
      m_runner(m_loop,
               OperationRunner::Hooks{
                   [this](const std::string& line) { addLog(line); },
                   [this](bool busy) { showBusy(busy); },
                   [this] { operationsIdle(); },
                   [this](FtpRequest request, int error) { strayRequestDone(request, error); },
               }) {
    defineMainWindowControls(m_model);
    setUpFtpClient();
    // New and read server records take the anonymous address of the options when asked to.
    m_serverList.list().defaultEMail = [this] {
        return m_options.mailAno ? m_options.anonymous : std::string();
    };
    m_dialogs.translateWindow = [this](NamedForm& window) {
        m_languageMenu.translateWindow(window);
    };
    m_dialogs.messageTexts = &m_languageMenu.messages();
    m_serverListPane = std::make_unique<ServerListPane>(*this, m_serverList);
    m_sessionPane = std::make_unique<SessionPane>(*this);
    m_localPane.onListChanged = [this] { updateCommands(); };
    bindFtpEvents();
    setUpTransfers();
    watchRemotePane();
}

void SessionController::watchRemotePane() {
    PaneModel& pane = m_model.ftpView();
    usePaneOrder(pane, m_state.remoteSortKey);
    pane.onReset = [this] { remotePaneChanged(); };
    pane.onInserted = [this](std::size_t, std::size_t) { remotePaneChanged(); };
    pane.onRemoved = [this](std::size_t, std::size_t) { remotePaneChanged(); };
    pane.onChanged = [this](std::size_t, std::size_t) { remotePaneChanged(); };
}

SessionController::~SessionController() {
    m_dialogs.translateWindow = nullptr;
    m_dialogs.messageTexts = nullptr;
    stopKeepTimer();
    if (m_queueTimer != 0)
        m_loop.stopTimer(m_queueTimer);
    closeLogFile();
}

void SessionController::remoteSelectionChanged() {
    m_localPane.showRemoteSummary();
    updateCommands();
}

void SessionController::setUpFtpClient() {
    m_ftp.setTimeout(999);
    m_ftp.setMultiThreaded(true);
    m_ftp.setPort("ftp");
    m_ftp.setDisplayFileFlag(false);
    m_ftp.setBinary(true);
    m_ftp.setShareMode(FtpShareMode::ftpShareExclusive);
    m_ftp.setOptions(ftpAcceptLF);
    m_ftp.setConnectionType(FtpConnectionType::ftpDirect);
}

void SessionController::FormCreate() {
    m_helpFile = m_dataDir / "quayhelp.hlp";
    m_customCommands = m_commandsFile.load();
    m_model.ftpView().setViewStyle(ViewStyle::vsList);
    setDate();
    m_state.localMask = m_state.remoteMask = "*.*";
    m_state.localSortKey = m_state.remoteSortKey = 0;
    m_state.serverListMode = true;
    m_serverList.showServerList("");
    updateConnectionUI(false);
    m_state.logOpen = false;
    m_state.logFileName.clear();
    std::error_code noOptions;
    const bool firstStart = !std::filesystem::exists(m_dataDir / kOptionsFileName, noOptions);
    m_options = loadOptions(m_dataDir);
    if (firstStart)
        chooseDesktopLanguage();
    applyPaneFonts();
    // The local pane starts in the user's home directory, filled with the options' date form;
    // the options' start directory then takes it elsewhere.
    const char* home = std::getenv("HOME");
    if (!changeLocalDir(home != nullptr && *home != '\0' ? home : "/"))
        changeLocalDir("/");
    applyOptions();
    m_languageMenu.onItemsChanged = [this] { languageItemsChanged(); };
    m_languageMenu.buildLanguageMenu(m_form);
    m_languageMenu.translateWindow(m_form);
    markTransferMode(m_options.transferMode);
}

void SessionController::chooseDesktopLanguage() {
    m_options.language.langFile = desktopLanguageFile([](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value != nullptr ? value : "");
    });
    m_options.language.langOn = true;
}

void SessionController::chooseLanguage(int tag) {
    m_languageMenu.miEnglishClick(tag, m_form);
}

void SessionController::languageItemsChanged() {
    m_model.setChecked("miEnglish", m_languageMenu.items().front().checked);
    showServerListRoot();
    showEncryption();
    if (onLanguageItemsChanged)
        onLanguageItemsChanged();
}

void SessionController::showServerListRoot() {
    ComboModel& path = m_model.ftpPath();
    std::vector<std::string> items = path.items();
    const std::string root = m_dialogs.text(Message::ServerListRoot);
    if (items.empty() || items.front() == root)
        return;
    const int index = path.itemIndex();
    path.clear();
    path.add(root);
    for (std::size_t i = 1; i < items.size(); ++i)
        path.add(std::move(items[i]));
    path.setItemIndex(index);
}

namespace {

// Fields of over that are set replace those of base.
PaneFont overlay(PaneFont base, const PaneFont& over) {
    auto take = [](auto& to, const auto& from) {
        if (from)
            to = from;
    };
    take(base.name, over.name);
    take(base.charSet, over.charSet);
    take(base.color, over.color);
    take(base.bold, over.bold);
    take(base.italic, over.italic);
    take(base.underLine, over.underLine);
    take(base.strikeOut, over.strikeOut);
    return base;
}

}  // namespace

void SessionController::applyPaneFonts() {
    m_model.setPaneFont("lvLoc", overlay(m_model.paneFont("lvLoc"), m_options.fontLeft));
    m_model.setPaneFont("FTPView", overlay(m_model.paneFont("FTPView"), m_options.fontRight));
}

void SessionController::collectPaneFonts() {
    m_options.fontLeft = m_model.paneFont("lvLoc");
    m_options.fontRight = m_model.paneFont("FTPView");
}

void SessionController::setDate() {
    using namespace std::chrono;
    const year_month_day today{floor<days>(system_clock::now())};
    m_state.thisYear = static_cast<std::uint16_t>(static_cast<int>(today.year()));
    m_state.thisMonth = static_cast<std::uint16_t>(static_cast<unsigned>(today.month()));
    m_state.thisDay = static_cast<std::uint16_t>(static_cast<unsigned>(today.day()));
}

bool SessionController::FormCloseQuery() {
    if (m_closeAnswered)
        return true;
    if (m_dialogs.messageBox(m_dialogs.text(Message::Attention),
                             m_dialogs.text(Message::ExitQuestion), Dialogs::Icon::Question,
                             Dialogs::Yes | Dialogs::No) != Dialogs::Answer::Yes)
        return false;
    // The exit button stops the session only now that the user has said Yes: answering No
    // must leave a running transfer untouched.
    if (m_abortOnClose && sessionToEnd()) {
        endSessionThenClose();
        return false;
    }
    return true;
}

// A connection attempt waiting for its socket is left alone, as is a client with nothing open
// or pending (its abort would end nothing).
bool SessionController::sessionToEnd() const {
    if (m_ftp.state() == FtpState::fsWaitingResponse && !m_ftp.connected())
        return false;
    return m_ftp.connected() || m_ftp.state() != FtpState::fsReady;
}

// The abort's completion and the session's end are delivered by the loop, not by a loop run
// from here: the window closes (without asking again) from the loop's next turn, after them.
void SessionController::endSessionThenClose() {
    m_ftp.abortAsync();
    m_closeAnswered = true;
    m_loop.post([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.lock() && onCloseWindow)
            onCloseWindow();
    });
}

void SessionController::FormClose() {
    m_closeAnswered = false;
    collectPaneFonts();
    // A failed write is not reported: the program is ending and has nowhere to say it.
    saveOptions(m_options, m_dataDir);
}

void SessionController::FormDestroy() {
    closeLogFile();
    // A failed write is not reported, like that of the options at close.
    m_commandsFile.save(m_customCommands);
}

void SessionController::setTransferMode(int mode) {
    m_options.transferMode = mode;
    markTransferMode(m_options.transferMode);
}

void SessionController::markTransferMode(int mode) {
    for (const char* name : {"miAuto", "miAscii", "miBinary"})
        m_model.setChecked(name, m_model.control(name).tag == mode);
}

void SessionController::startNewSession() {
    if (onStartInstance)
        onStartInstance();
}

void SessionController::closeWindow() {
    if (onCloseWindow)
        onCloseWindow();
}

void SessionController::closeWindowAbortingRequest() {
    m_abortOnClose = true;
    closeWindow();
    m_abortOnClose = false;
}

// While connecting, Stop gives up the attempt. Otherwise a running transfer or listing ends
// at once, also when no data arrives (which would bring no progress report to abort at).
// Stop with no operation running stops the transfer queue: every file waiting or running.
void SessionController::stop() {
    if (m_runner.busy())
        m_runner.stop();
    else if (m_pool)
        m_pool->stopAll();
}

void SessionController::remotePaneChanged() {
    updateConnectionUI(!m_state.serverListMode);
    m_localPane.showRemoteSummary();
}

bool SessionController::serverDragAllowed() {
    const long selected = m_model.ftpView().firstSelected();
    return m_state.serverListMode && selected >= 0 &&
           m_model.ftpView().item(static_cast<std::size_t>(selected)).imageIndex == 3;
}

void SessionController::dropOnRemotePane(const std::string& source, long target) {
    if (m_state.serverListMode && source == "FTPView" && target >= 0)
        m_serverList.dropOnRemotePane(static_cast<std::size_t>(target));
    else if (source == "lvLoc")
        upload();
}

void SessionController::setLocalViewStyle(ViewStyle style) {
    m_model.lvLoc().setViewStyle(style);
}

void SessionController::chooseListFont(const char* list) {
    PaneFont font = m_model.paneFont(list);
    if (m_dialogs.chooseFont(font))
        m_model.setPaneFont(list, font);
}

void SessionController::setRemoteViewStyle(ViewStyle style) {
    m_model.ftpView().setViewStyle(style);
}

}  // namespace quay

#include "session/command_operation.h"
#include "session/dialogs.h"
#include "session/main_window_controls.h"
#include "session/remote_operations.h"
#include "session/rename_operation.h"
#include "session/session_controller.h"

namespace quay {

namespace {

// The sort column a sorting command clicks (1 name, 2 size, 3 date, 4 extension).
int sortColumnOf(Command command) {
    using C = Command;
    switch (command) {
        case C::LocalSortBySize:
        case C::RemoteSortBySize:
            return 2;
        case C::LocalSortByDate:
        case C::RemoteSortByDate:
            return 3;
        case C::LocalSortByExtension:
            return 4;
        default:
            return 1;
    }
}

}  // namespace

void SessionController::execute(Command command) {
    if (!executeConnectionCommand(command) && !executeLocalCommand(command))
        executeRemoteCommand(command);
}

bool SessionController::executeConnectionCommand(Command command) {
    using C = Command;
    switch (command) {
        case C::Connect:
            connectSelected();
            break;
        case C::Disconnect:
            disconnect();
            break;
        case C::Stop:
            stop();
            break;
        case C::TransferAuto:
            setTransferMode(0);
            break;
        case C::TransferAscii:
            setTransferMode(1);
            break;
        case C::TransferBinary:
            setTransferMode(2);
            break;
        case C::NewSession:
            startNewSession();
            break;
        case C::Preferences:
            editPreferences();
            break;
        case C::Exit:
            closeWindow();
            break;
        case C::ExitAbortingRequest:
            closeWindowAbortingRequest();
            break;
        case C::Upload:
            upload();
            break;
        case C::Download:
            download();
            break;
        case C::About:
            m_dialogs.messageBox(m_dialogs.text(Message::AboutTitle),
                                 m_dialogs.text(Message::AboutText), Dialogs::Icon::Information,
                                 Dialogs::Ok);
            break;
        case C::Help:
            if (onHelp)
                onHelp();
            break;
        case C::BuiltInLanguage:
            chooseLanguage(-1);
            break;
        default:
            return false;
    }
    return true;
}

bool SessionController::executeLocalCommand(Command command) {
    using C = Command;
    LocalPane& pane = m_localPane;
    switch (command) {
        case C::LocalOpen:
            pane.openSelected();
            break;
        case C::LocalUp:
            pane.oneLevelUp();
            break;
        case C::LocalRefresh:
            pane.refresh();
            break;
        case C::LocalMakeDirectory:
            pane.makeDirectory();
            break;
        case C::LocalRename:
            pane.rename();
            break;
        case C::LocalDelete:
            pane.remove();
            break;
        case C::LocalView:
            pane.view();
            break;
        case C::LocalRun:
            pane.run();
            break;
        case C::LocalFilter:
            pane.filter();
            break;
        case C::LocalFont:
            chooseListFont("lvLoc");
            break;
        case C::LocalSortByName:
        case C::LocalSortBySize:
        case C::LocalSortByDate:
        case C::LocalSortByExtension:
            pane.sortLocalByColumn(sortColumnOf(command));
            break;
        case C::LocalSelectAll:
            pane.selectLocal(SelectAction::All);
            break;
        case C::LocalUnselectByMask:
            pane.selectLocal(SelectAction::UnselectByMask);
            break;
        case C::LocalSelectByMask:
            pane.selectLocal(SelectAction::SelectByMask);
            break;
        case C::LocalInvertSelection:
            pane.selectLocal(SelectAction::Invert);
            break;
        case C::LocalViewLargeIcons:
            setLocalViewStyle(ViewStyle::vsIcon);
            break;
        case C::LocalViewSmallIcons:
            setLocalViewStyle(ViewStyle::vsSmallIcon);
            break;
        case C::LocalViewList:
            setLocalViewStyle(ViewStyle::vsList);
            break;
        case C::LocalViewDetails:
            setLocalViewStyle(ViewStyle::vsReport);
            break;
        case C::LocalUpperCase:
            pane.changeCase(0);
            break;
        case C::LocalLowerCase:
            pane.changeCase(1);
            break;
        case C::LocalSentenceCase:
            pane.changeCase(2);
            break;
        default:
            return false;
    }
    return true;
}

bool SessionController::executeRemoteCommand(Command command) {
    using C = Command;
    switch (command) {
        case C::RemoteOpen:
            if (m_ftp.state() == FtpState::fsAbort)
                m_ftp.abortAsync();
            else
                remotePane().open();
            break;
        case C::RemoteUp:
            remotePane().oneLevelUp();
            break;
        case C::RemotePathChosen:
            remotePane().pathChosen();
            updateCommands();
            break;
        case C::RemoteRefresh:
            remotePane().refresh();
            break;
        case C::RemoteMakeDirectory:
            remotePane().makeDirectory();
            break;
        case C::RemoteRename:
            remotePane().rename();
            break;
        case C::RemoteDelete:
            remotePane().remove();
            break;
        case C::NewServer:
            if (m_state.serverListMode)
                m_serverList.addServer();
            break;
        case C::ServerProperties:
            if (m_state.serverListMode)
                m_serverList.editSelectedServer();
            break;
        case C::ConvertServerList:
            if (m_state.serverListMode)
                m_serverList.convertPasswords();
            break;
        case C::RemoteChangeDirectory:
            changeRemoteDirectory();
            break;
        case C::RemoteFilter:
            filterRemote();
            break;
        case C::RemoteFont:
            chooseListFont("FTPView");
            break;
        case C::RemoteAttributes:
            askQuoteCommand(&QuoteCommands::changeAttributes);
            break;
        case C::ToggleCommandBar:
            askQuoteCommand(&QuoteCommands::toggleCommandBar);
            break;
        case C::SendCommandLine:
            askQuoteCommand(&QuoteCommands::sendCommandLine);
            break;
        case C::CommandList:
            askQuoteCommand(&QuoteCommands::chooseFromCommandList);
            break;
        case C::CompareDirectories:
            compareDirectories(m_model);
            break;
        case C::RemoteSortByName:
        case C::RemoteSortBySize:
        case C::RemoteSortByDate:
            m_localPane.sortRemoteByColumn(sortColumnOf(command));
            break;
        case C::RemoteSelectAll:
            m_localPane.selectRemote(SelectAction::All);
            break;
        case C::RemoteUnselectByMask:
            m_localPane.selectRemote(SelectAction::UnselectByMask);
            break;
        case C::RemoteSelectByMask:
            m_localPane.selectRemote(SelectAction::SelectByMask);
            break;
        case C::RemoteInvertSelection:
            m_localPane.selectRemote(SelectAction::Invert);
            break;
        case C::RemoteViewLargeIcons:
            setRemoteViewStyle(ViewStyle::vsIcon);
            break;
        case C::RemoteViewSmallIcons:
            setRemoteViewStyle(ViewStyle::vsSmallIcon);
            break;
        case C::RemoteViewList:
            setRemoteViewStyle(ViewStyle::vsList);
            break;
        case C::RemoteViewDetails:
            setRemoteViewStyle(ViewStyle::vsReport);
            break;
        case C::RemoteUpperCase:
            runRemote(RenameOperation::changeCase(*this, 0));
            break;
        case C::RemoteLowerCase:
            runRemote(RenameOperation::changeCase(*this, 1));
            break;
        case C::RemoteSentenceCase:
            runRemote(RenameOperation::changeCase(*this, 2));
            break;
        default:
            return false;
    }
    return true;
}

void SessionController::runRemote(std::unique_ptr<Operation> operation) {
    if (!m_state.serverListMode)
        m_runner.run(std::move(operation));
}

// Their dialogs are questions: the keep-alive waits while one is open.
void SessionController::askQuoteCommand(void (QuoteCommands::*command)()) {
    const OperationRunner::Question open = m_runner.question();
    (m_quoteCommands.*command)();
}

RemotePaneCommands& SessionController::remotePane() {
    return m_state.serverListMode ? *m_serverListPane : *m_sessionPane;
}

CommandContext SessionController::commandContext() const {
    CommandContext context;
    context.connected = m_sessionShown;
    context.loggingIn = loggingIn();
    context.busy = m_busyShown;
    context.serverSelected = m_state.serverListMode && m_serverList.serverSelected();
    const PaneModel& local = m_model.lvLoc();
    const long first = local.firstSelected();
    context.localSelection = first >= 0;
    context.localFileSelected =
        first >= 0 &&
        local.item(static_cast<std::size_t>(first)).imageIndex == LocalPane::kFileImage;
    context.localBelowRoot = m_state.localDir.size() > 1;
    return context;
}

void SessionController::updateCommands() {
    const CommandContext context = commandContext();
    std::map<std::string, bool> submenus;
    for (int i = 1; i < kCommandCount; ++i) {
        const auto command = static_cast<Command>(i);
        const bool enabled = commandEnabled(command, context);
        m_model.setCommandEnabled(command, enabled);
        for (const std::string& name : controlsOf(command))
            m_model.setEnabled(name, enabled);
    }
    // A submenu is usable while one of its entries is.
    for (const ControlDef& def : mainWindowControls())
        if (def.kind == ControlKind::MenuItem && def.command != Command::None)
            submenus[def.parent] = submenus[def.parent] || m_model.control(def.name).enabled;
    for (const auto& [name, enabled] : submenus)
        m_model.setEnabled(name, enabled);
}

}  // namespace quay

#pragma once

#include <string>
#include <vector>

namespace quay {

// Every user command of the main window. A button, a menu entry, a popup entry and a key
// that do the same thing name the same command; the controls' names, captions and tags are
// data beside it (see mainWindowControls()).
enum class Command {
    None,
    // connection
    Connect,
    Disconnect,
    Stop,
    TransferAuto,
    TransferAscii,
    TransferBinary,
    NewSession,
    Preferences,
    Exit,
    // the exit button: as Exit, and once the user confirmed, a running request is aborted
    ExitAbortingRequest,
    // the local pane
    LocalOpen,
    LocalUp,
    LocalRefresh,
    LocalMakeDirectory,
    LocalRename,
    LocalDelete,
    LocalView,
    LocalRun,
    LocalFilter,
    LocalFont,
    LocalSortByName,
    LocalSortBySize,
    LocalSortByDate,
    LocalSortByExtension,
    LocalSelectAll,
    LocalUnselectByMask,
    LocalSelectByMask,
    LocalInvertSelection,
    LocalViewLargeIcons,
    LocalViewSmallIcons,
    LocalViewList,
    LocalViewDetails,
    LocalUpperCase,
    LocalLowerCase,
    LocalSentenceCase,
    // transfers
    Upload,
    Download,
    // the right pane: server list or connected session
    RemoteOpen,
    RemoteUp,
    RemotePathChosen,
    RemoteRefresh,
    RemoteMakeDirectory,
    RemoteRename,
    RemoteDelete,
    NewServer,
    ServerProperties,
    ConvertServerList,
    RemoteChangeDirectory,
    RemoteFilter,
    RemoteFont,
    RemoteAttributes,
    CompareDirectories,
    RemoteSortByName,
    RemoteSortBySize,
    RemoteSortByDate,
    RemoteSelectAll,
    RemoteUnselectByMask,
    RemoteSelectByMask,
    RemoteInvertSelection,
    RemoteViewLargeIcons,
    RemoteViewSmallIcons,
    RemoteViewList,
    RemoteViewDetails,
    RemoteUpperCase,
    RemoteLowerCase,
    RemoteSentenceCase,
    // the command bar
    ToggleCommandBar,
    SendCommandLine,
    CommandList,
    // about
    About,
    Help,
    BuiltInLanguage,
};

inline constexpr int kCommandCount = static_cast<int>(Command::BuiltInLanguage) + 1;

// What the enabling rules read: the state of the session and of the two lists.
struct CommandContext {
    bool connected = false;          // a session is connected (the right pane lists its files)
    bool loggingIn = false;          // a log-in is running
    bool busy = false;               // an operation runs: the path box is locked
    bool serverSelected = false;     // server list: the first selected row is a server
    bool localSelection = false;     // the local list has a selected row
    bool localFileSelected = false;  // ... and the first of them is a file
    bool localBelowRoot = false;     // the local directory is not "/"
};

// The one enabling rule of each command.
bool commandEnabled(Command command, const CommandContext& context);

// The names of the controls (buttons, lists, menu and popup entries) that run command.
const std::vector<std::string>& controlsOf(Command command);
// The command the named control runs; None for one that runs none.
Command commandOf(const std::string& control);

}  // namespace quay

#include "session/command.h"

#include <array>
#include <map>

#include "session/main_window_controls.h"

namespace quay {

bool commandEnabled(Command command, const CommandContext& c) {
    using C = Command;
    switch (command) {
        case C::Connect:
        case C::NewServer:
        case C::Preferences:
        case C::ConvertServerList:
            return !c.connected;
        case C::ServerProperties:
            return !c.connected && c.serverSelected;
        // From the start of connecting: a server that greets a byte at a time must not leave the
        // user only the way out of the program.
        case C::Disconnect:
        case C::Stop:
            return c.connected || c.loggingIn;
        case C::Upload:
        case C::Download:
        case C::RemoteChangeDirectory:
        case C::RemoteFilter:
        case C::RemoteAttributes:
        case C::CompareDirectories:
        case C::RemoteSortByName:
        case C::RemoteSortBySize:
        case C::RemoteSortByDate:
        case C::RemoteSelectAll:
        case C::RemoteUnselectByMask:
        case C::RemoteSelectByMask:
        case C::RemoteInvertSelection:
        case C::RemoteUpperCase:
        case C::RemoteLowerCase:
        case C::RemoteSentenceCase:
            return c.connected;
        case C::RemotePathChosen:
            return !c.busy;
        case C::LocalView:
        case C::LocalRun:
            return c.localFileSelected;
        case C::LocalRename:
            return c.localSelection;
        // With nothing selected, the local directory itself is deleted (never the root).
        case C::LocalDelete:
            return c.localSelection || c.localBelowRoot;
        default:
            return true;
    }
}

namespace {

struct ControlIndex {
    std::array<std::vector<std::string>, kCommandCount> controls;
    std::map<std::string, Command> commands;
};

const ControlIndex& controlIndex() {
    static const ControlIndex index = [] {
        ControlIndex built;
        for (const ControlDef& def : mainWindowControls()) {
            if (def.command == Command::None)
                continue;
            built.controls[static_cast<std::size_t>(def.command)].push_back(def.name);
            built.commands[def.name] = def.command;
        }
        return built;
    }();
    return index;
}

}  // namespace

const std::vector<std::string>& controlsOf(Command command) {
    return controlIndex().controls[static_cast<std::size_t>(command)];
}

Command commandOf(const std::string& control) {
    const auto& commands = controlIndex().commands;
    auto it = commands.find(control);
    return it == commands.end() ? Command::None : it->second;
}

}  // namespace quay

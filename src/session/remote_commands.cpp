#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

RemoteOperations::Hooks SessionController::remoteOperationHooks() {
    RemoteOperations::Hooks hooks;
    hooks.addLog = [this](const std::string& line) { addLog(line); };
    hooks.listingFormat = [this] {
        ListingFormat format = listingFormat();
        format.layout = m_currentServer.Answer;
        return format;
    };
    hooks.remoteDirPath = [this](const std::string& dir) {
        return remoteDirPath(dir, m_currentServer.CheckVHost);
    };
    return hooks;
}

void SessionController::setUpRemoteOperations() {
    // Connected, the server-list buttons act on the remote directory.
    struct RemoteCommand {
        const char* handler;
        const char* name;
        void (RemoteOperations::*command)();
    };
    const RemoteCommand remote[] = {
        {"sbMkd2Click", "Make directory", &RemoteOperations::sbMkd2Click},
        {"sbRen2Click", "Rename", &RemoteOperations::sbRen2Click},
        {"sbDel2Click", "Delete", &RemoteOperations::sbDel2Click},
    };
    for (const auto& [handler, name, command] : remote) {
        Handler serverList = m_handlers[handler];
        registerHandler(handler, [this, serverList, name = std::string(name),
                                  command = command](const std::string& sender) {
            if (m_state.serverListMode) {
                if (serverList)
                    serverList(sender);
            } else {
                runBatch(name, [this, command] { (m_remoteOps.*command)(); });
            }
        });
    }
    registerHandler("LARGECASE3Click", [this](const std::string& sender) {
        if (m_state.serverListMode)
            return;
        const int tag = m_model.control(sender).tag;
        runBatch("Change case", [this, tag] { m_remoteOps.LARGECASE3Click(tag); });
    });
    registerHandler("CompareDirectories1Click",
                    [this](const std::string&) { m_remoteOps.CompareDirectories1Click(); });
    const std::pair<const char*, void (QuoteCommands::*)()> quote[] = {
        {"FileAttributes2Click", &QuoteCommands::FileAttributes2Click},
        {"CustomCommand1Click", &QuoteCommands::CustomCommand1Click},
        {"SpeedButton5Click", &QuoteCommands::SpeedButton5Click},
        {"SpeedButton6Click", &QuoteCommands::SpeedButton6Click},
    };
    // Their dialogs are questions: the keep-alive waits while one is open.
    for (const auto& [name, command] : quote)
        registerHandler(name, [this, command = command](const std::string&) {
            const OperationRunner::Question open = m_runner.question();
            (m_quoteCommands.*command)();
        });
}

}  // namespace quay

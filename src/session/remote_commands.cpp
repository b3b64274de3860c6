#include "session/delete_operation.h"
#include "session/make_directory_operation.h"
#include "session/remote_operations.h"
#include "session/rename_operation.h"
#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

std::string SessionController::remoteStartDir() const {
    return remoteDirPath(m_ftp.hostDirName(), m_currentServer.CheckVHost);
}

void SessionController::setUpRemoteOperations() {
    // Connected, the server-list buttons act on the remote directory.
    using Make = std::unique_ptr<Operation> (*)(SessionController&);
    const std::pair<const char*, Make> remote[] = {
        {"sbMkd2Click",
         [](SessionController& s) -> std::unique_ptr<Operation> {
             return std::make_unique<MakeDirectoryOperation>(s);
         }},
        {"sbRen2Click", &RenameOperation::rename},
        {"sbDel2Click",
         [](SessionController& s) -> std::unique_ptr<Operation> {
             return std::make_unique<DeleteOperation>(s);
         }},
    };
    for (const auto& [handler, make] : remote) {
        Handler serverList = m_handlers[handler];
        registerHandler(handler, [this, serverList, make = make](const std::string& sender) {
            if (m_state.serverListMode) {
                if (serverList)
                    serverList(sender);
            } else {
                m_runner.run(make(*this));
            }
        });
    }
    registerHandler("LARGECASE3Click", [this](const std::string& sender) {
        if (!m_state.serverListMode)
            m_runner.run(RenameOperation::changeCase(*this, m_model.control(sender).tag));
    });
    registerHandler("CompareDirectories1Click",
                    [this](const std::string&) { compareDirectories(m_model); });
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

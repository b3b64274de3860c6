#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

TransferDriver::Hooks SessionController::transferHooks() {
    TransferDriver::Hooks hooks;
    hooks.addLog = [this](const std::string& line) { addLog(line); };
    hooks.startRemoteDir = [this] {
        return remoteDirPath(m_ftp.hostDirName(), m_currentServer.CheckVHost);
    };
    hooks.listingFormat = [this] {
        ListingFormat format;
        format.layout = m_currentServer.Answer;
        format.today = std::chrono::year_month_day{std::chrono::year{m_state.thisYear},
                                                   std::chrono::month{m_state.thisMonth},
                                                   std::chrono::day{m_state.thisDay}};
        return format;
    };
    hooks.beginBusy = [this] { beginBusy(); };
    hooks.endBusy = [this] { endBusy(); };
    hooks.refillLocalPane = [this] { changeLocalDir(m_state.localDir); };
    return hooks;
}

void SessionController::setUpTransfers() {
    registerHandler("SpeedButton1Click",
                    [this](const std::string&) { m_transfers.SpeedButton1Click(); });
    registerHandler("SpeedButton2Click",
                    [this](const std::string&) { m_transfers.SpeedButton2Click(); });
    m_ftp.onProgress = [this](std::int64_t count, bool& abort) {
        m_transfers.progress(count, abort);
    };
}

void SessionController::lvLocDragDrop(const std::string& source) {
    if (source == "FTPView")
        m_transfers.SpeedButton2Click();
}

bool SessionController::paneDragAllowed(const std::string& list) {
    if (list == "FTPView" && m_state.serverListMode)
        return FTPViewMouseDown();
    const PaneModel& pane = list == "FTPView" ? m_model.ftpView() : m_model.lvLoc();
    return pane.firstSelected() >= 0;
}

}  // namespace quay

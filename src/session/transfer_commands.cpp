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
    // The busy look follows the runner, which holds the whole batch.
    hooks.beginBusy = [this] { m_state.busy = true; };
    hooks.endBusy = [this] { m_state.busy = false; };
    hooks.refillLocalPane = [this] { changeLocalDir(m_state.localDir); };
    return hooks;
}

void SessionController::setUpTransfers() {
    registerHandler("SpeedButton1Click", [this](const std::string&) { upload(); });
    registerHandler("SpeedButton2Click", [this](const std::string&) { download(); });
    m_ftp.onProgress = [this](std::int64_t count, bool& abort) {
        m_transfers.progress(count, abort);
        abort = abort || m_runner.abortsData();
    };
}

void SessionController::lvLocDragDrop(const std::string& source) {
    if (source == "FTPView")
        download();
}

void SessionController::upload() {
    if (!m_state.serverListMode)
        runBatch("Upload", [this] { m_transfers.SpeedButton1Click(); });
}

void SessionController::download() {
    if (!m_state.serverListMode)
        runBatch("Download", [this] { m_transfers.SpeedButton2Click(); });
}

bool SessionController::paneDragAllowed(const std::string& list) {
    if (list == "FTPView" && m_state.serverListMode)
        return FTPViewMouseDown();
    const PaneModel& pane = list == "FTPView" ? m_model.ftpView() : m_model.lvLoc();
    return pane.firstSelected() >= 0;
}

}  // namespace quay

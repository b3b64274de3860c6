#include "session/download_operation.h"
#include "session/session_controller.h"
#include "session/upload_operation.h"

namespace quay {

void SessionController::setUpTransfers() {
    m_ftp.onProgress = [this](std::int64_t count, bool& abort) {
        m_runner.progress(count);
        abort = m_runner.abortsData();
    };
}

void SessionController::dropOnLocalPane(const std::string& source) {
    if (source == "FTPView")
        download();
}

// A second batch while one runs is refused by the runner with a "! " line.
void SessionController::upload() {
    if (!m_state.serverListMode)
        m_runner.run(std::make_unique<UploadOperation>(*this));
}

void SessionController::download() {
    if (!m_state.serverListMode)
        m_runner.run(std::make_unique<DownloadOperation>(*this));
}

bool SessionController::paneDragAllowed(const std::string& list) {
    if (list == "FTPView" && m_state.serverListMode)
        return serverDragAllowed();
    const PaneModel& pane = list == "FTPView" ? m_model.ftpView() : m_model.lvLoc();
    return pane.firstSelected() >= 0;
}

}  // namespace quay

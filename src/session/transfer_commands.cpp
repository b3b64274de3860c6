#include "session/download_operation.h"
#include "session/session_controller.h"
#include "session/transfer_operation.h"
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

void SessionController::upload() {
    if (!m_state.serverListMode)
        runBatch(std::make_unique<UploadOperation>(*this));
}

void SessionController::download() {
    if (!m_state.serverListMode)
        runBatch(std::make_unique<DownloadOperation>(*this));
}

// A batch given while a batch carried by the transfer queue runs (walks its tree or lists its
// start directory after it) waits behind it, its selection taken now; else the runner starts
// it or refuses it with a "! " line as any command while another runs.
void SessionController::runBatch(std::unique_ptr<TransferOperation> batch) {
    const auto* running = dynamic_cast<const TransferOperation*>(m_runner.current());
    if (running == nullptr || !running->carriedByQueue() || !transferPool()) {
        m_runner.run(std::move(batch));
        return;
    }
    batch->takeSelectionBehind(*running);
    addLog(batch->name() + " waits until " + running->name() + " has walked its folders");
    m_runner.runAfter(std::move(batch));
}

bool SessionController::paneDragAllowed(const std::string& list) {
    if (list == "FTPView" && m_state.serverListMode)
        return serverDragAllowed();
    const PaneModel& pane = list == "FTPView" ? m_model.ftpView() : m_model.lvLoc();
    return pane.firstSelected() >= 0;
}

}  // namespace quay

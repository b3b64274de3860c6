#include <algorithm>

#include "listing/listing_walkers.h"
#include "session/session_controller.h"
#include "session/transfer_operation.h"
#include "session/transfer_paths.h"

namespace quay {

std::shared_ptr<TransferPool> SessionController::transferPool() {
    const int connections = std::clamp(m_options.connections, 1, 10);
    if (connections <= 1 || m_state.serverListMode || !m_ftp.connected())
        return nullptr;
    const WorkerSettings settings{&m_ftp, m_options.transferMode, m_options.ext};
    if (m_pool) {
        m_pool->reconfigure(settings, connections, m_options.retry);
        return m_pool;
    }
    TransferPool::Hooks hooks;
    hooks.log = [this](const std::string& line) { addLog(line); };
    hooks.changed = [this](std::size_t index) {
        if (!m_queueProgress)
            showQueueProgress(index);
        if (onTransferQueueChanged)
            onTransferQueueChanged(index);
    };
    // Downloaded files show in the local pane once the queue has carried them.
    hooks.idle = [this] {
        hideQueueProgress();
        const TransferPool::Totals sum = m_pool->totals(0);
        addLog("Transfer queue done: " + std::to_string(sum.filesDone) + " of " +
               std::to_string(sum.files) + " files, " + std::to_string(sum.filesFailed) +
               " failed");
        if (!m_state.serverListMode)
            changeLocalDir(m_state.localDir);
    };
    m_pool = std::make_shared<TransferPool>(m_loop, settings, connections, m_options.retry,
                                            std::move(hooks));
    return m_pool;
}

namespace {

// A running file as the progress window lists it: its name and how far it is.
std::string runningFileText(const TransferJob& job, const Dialogs& dialogs) {
    const std::string name = printableName(fileNamePart(job.upload ? job.local : job.remote));
    if (job.size > 0)
        return dialogs.text(Message::ProgressRunningFile,
                            {name, std::to_string(std::min(job.done, job.size) * 100 / job.size)});
    return dialogs.text(Message::ProgressRunningBytes, {name, std::to_string(job.done)});
}

}  // namespace

// The progress window shows the queue as one transfer: its files and bytes from the first file
// queued since it was last empty, the bytes done, the rate and the time left, and the files
// running now. Counting the queue's files costs a pass over them, so the window is refreshed
// from a timer, not at every change.
void SessionController::showQueueProgress(std::size_t firstJob) {
    m_queueProgress = std::make_shared<ProgressModel>();
    m_queueProgress->messages = m_dialogs.messageTexts;
    m_queueProgress->onCancel = [this] { stopTransfers(); };
    m_queueFirstJob = firstJob;
    m_queueFiles = 0;
    if (onShowProgress)
        onShowProgress(m_queueProgress);
    m_queueTimer = m_loop.startTimer(
        std::chrono::milliseconds(ProgressModel::kRepaintInterval),
        [this] { refreshQueueProgress(); }, true);
}

// Cancel stops the whole transfer: the batch still walking on the session, as Stop stops it (the
// batches waiting behind it are dropped with it), then every file of the queue. An operation that
// is no transfer batch of the queue (a listing the user asked for meanwhile) goes on.
void SessionController::stopTransfers() {
    const auto* walking = dynamic_cast<const TransferOperation*>(m_runner.current());
    if (walking != nullptr && walking->carriedByQueue())
        m_runner.stop();
    if (m_pool)
        m_pool->stopAll();
}

void SessionController::refreshQueueProgress() {
    if (!m_pool || !m_queueProgress)
        return;
    const std::vector<TransferJob>& jobs = m_pool->jobs();
    std::int64_t bytes = 0;
    std::int64_t done = 0;
    std::vector<std::string> running;
    for (std::size_t i = m_queueFirstJob; i < jobs.size(); ++i) {
        bytes += jobs[i].size;
        done += jobs[i].state == TransferJob::State::Done ? jobs[i].size : jobs[i].done;
        if (jobs[i].state == TransferJob::State::Running)
            running.push_back(runningFileText(jobs[i], m_dialogs));
    }
    const std::size_t files = jobs.size() - std::min(m_queueFirstJob, jobs.size());
    if (files != m_queueFiles) {
        m_queueFiles = files;
        const bool sending = m_queueFirstJob < jobs.size() && jobs[m_queueFirstJob].upload;
        m_queueProgress->startFile(
            m_dialogs.text(Message::ProgressQueueFiles, {std::to_string(files)}), bytes, sending);
    }
    m_queueProgress->setRunningFiles(std::move(running));
    m_queueProgress->updateProgress(done);
}

void SessionController::hideQueueProgress() {
    if (m_queueTimer != 0)
        m_loop.stopTimer(m_queueTimer);
    m_queueTimer = 0;
    if (!m_queueProgress)
        return;
    m_queueProgress->onCancel = nullptr;
    m_queueProgress.reset();
    if (onHideProgress)
        onHideProgress();
}

}  // namespace quay

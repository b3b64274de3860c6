#include "session/transfer_operation.h"

#include <utility>

#include "session/server_address.h"
#include "session/session_controller.h"
#include "session/transfer_paths.h"

namespace quay {

TransferOperation::TransferOperation(std::string name, SessionController& session, bool sending)
    : ListingOperation(std::move(name), session),
      m_state(session.state()),
      m_model(session.model()),
      m_options(session.options()),
      m_dialogs(session.dialogs()),
      m_loop(session.loop()),
      m_sending(sending) {}

TransferOperation::~TransferOperation() {
    *m_alive = false;
    releaseBatch();
    if (m_progress)
        m_progress->onCancel = nullptr;
}

void TransferOperation::log(const std::string& line) {
    m_session.addLog(line);
}

void TransferOperation::start() {
    if (!m_selectionTaken)
        takeSelection(remoteDirPath(m_ftp.hostDirName(), m_session.currentServer().CheckVHost));
    proceed();
}

void TransferOperation::takeSelectionBehind(const TransferOperation& running) {
    m_waitedBehind = true;
    takeSelection(running.m_startRemoteDir);
}

void TransferOperation::takeSelection(std::string startRemoteDir) {
    m_selectionTaken = true;
    m_startRemoteDir = std::move(startRemoteDir);
    m_startLocalDir = withTrailingSlash(m_state.localDir);
    const int layout = m_state.listingType;
    if (layout != 5 && layout != 7) {
        if (std::shared_ptr<TransferPool> pool = m_session.transferPool()) {
            m_pool = pool;
            m_batch = pool->beginBatch();
        }
    }
    queueSelection();
}

void TransferOperation::proceed() {
    if (m_stopped)
        finishBatch();
    else
        step();
}

void TransferOperation::startStep(Step step, const std::function<void()>& start,
                                  std::function<void()> refused) {
    m_step = step;
    try {
        start();
    } catch (const std::exception& e) {
        // Nothing was sent and no completion follows: the batch goes on from the loop, so a
        // long run of refused names does not nest calls.
        m_step = Step::None;
        log(std::string("Error ") + e.what());
        continueLater(std::move(refused));
    }
}

void TransferOperation::tryStart(const std::function<void()>& start,
                                 std::function<void()> refused) {
    startStep(Step::Request, start, std::move(refused));
}

void TransferOperation::continueLater(std::function<void()> refused) {
    m_loop.post([this, alive = std::weak_ptr<bool>(m_alive), refused = std::move(refused)] {
        auto a = alive.lock();
        if (!a || !*a || finished() || m_batchOver)
            return;
        if (refused)
            refused();
        proceed();
    });
}

void TransferOperation::typeAsciiThen(std::function<void()> then) {
    m_afterType = std::move(then);
    startStep(Step::Type, [this] { m_ftp.typeAsciiAsync(); }, {});
}

void TransferOperation::fileTypeThen(std::function<void()> then) {
    switch (transferTypeFor(m_options.transferMode, m_options.ext, m_ftp.localFileName(),
                            m_ftp.binary())) {
        case TypeChange::Ascii:
            typeAsciiThen(std::move(then));
            return;
        case TypeChange::Binary:
            m_afterType = std::move(then);
            startStep(Step::Type, [this] { m_ftp.typeBinaryAsync(); }, {});
            return;
        case TypeChange::None:
            then();
            return;
    }
}

void TransferOperation::enterDirectory(std::function<void()> refused) {
    startStep(
        Step::Cwd, [this] { m_ftp.cwdAsync(); }, std::move(refused));
}

void TransferOperation::listDirectory() {
    m_ftp.setHostFileName("");
    m_ftp.setLocalFileName(m_options.dirListFile);
    typeAsciiThen([this] { startListing(); });
}

void TransferOperation::startListing() {
    m_session.showListingActivity(m_ftp.hostDirName());
    startStep(Step::List, [this] { std::invoke(m_session.listingRequest(), m_ftp); }, {});
}

void TransferOperation::requestDone(FtpRequest request, int error) {
    const Step step = m_step;
    m_step = Step::None;
    switch (step) {
        case Step::None:
            // The listing of the start directory after the batch.
            listingStepDone(request, error);
            return;
        case Step::Type:
            if (m_stopped && !m_batchOver)
                proceed();
            else
                std::exchange(m_afterType, nullptr)();
            return;
        case Step::Cwd:
            if (m_stopped)
                proceed();
            else if (error == 0)
                directoryEntered();
            else
                directoryRefused();
            return;
        case Step::List:
            if (error != 0 && !m_stopped && m_session.mlsdRefused(error)) {
                startListing();
                return;
            }
            if (error != 0)
                logFailure();
            if (m_stopped || error != 0)
                proceed();
            else
                readListing();
            return;
        case Step::Request:
            fileDone(request, error);
            return;
    }
}

void TransferOperation::releaseBatch() {
    if (std::shared_ptr<TransferPool> pool = m_pool.lock())
        pool->batchWalked(m_batch);
    m_pool.reset();
}

void TransferOperation::handToPool(std::string remote, std::string local, std::int64_t size) {
    if (std::shared_ptr<TransferPool> pool = m_pool.lock()) {
        TransferJob job;
        job.batch = m_batch;
        job.upload = m_sending;
        job.remote = std::move(remote);
        job.local = std::move(local);
        job.size = size;
        job.resume = m_overwrite.resumeCurrent;
        pool->add(std::move(job));
    }
    continueLater();
}

std::vector<std::string> TransferOperation::uploadsUnderway(const std::string& dir) const {
    if (std::shared_ptr<TransferPool> pool = m_pool.lock())
        return pool->uploadsUnderway(withTrailingSlash(dir));
    return {};
}

bool TransferOperation::downloadUnderway(const std::string& path) const {
    std::shared_ptr<TransferPool> pool = m_pool.lock();
    return pool && pool->downloadUnderway(path);
}

void TransferOperation::finishBatch() {
    releaseBatch();
    m_batchOver = true;
    m_queue.clear();
    hideProgress();
    if (!m_sending)
        m_session.changeLocalDir(m_state.localDir);
    if (!m_ftp.binary()) {
        listStartDirectory();
        return;
    }
    m_afterType = [this] { listStartDirectory(); };
    m_step = Step::Type;
    if (!send(&FtpClientBase::typeAsciiAsync)) {
        m_step = Step::None;
        endUnlisted();
    }
}

void TransferOperation::listStartDirectory() {
    enterAndList(m_startRemoteDir);
}

void TransferOperation::stop() {
    if (m_batchOver) {
        ListingOperation::stop();
        return;
    }
    m_stopped = true;
    if (std::shared_ptr<TransferPool> pool = m_pool.lock())
        pool->stopBatch(m_batch);
    // At once, also when no data arrives: a progress report would never come to abort at.
    m_ftp.abortTransfer();
}

bool TransferOperation::abortsData() const {
    return (m_stopped && !m_batchOver) || ListingOperation::abortsData();
}

void TransferOperation::sessionClosed() {
    m_queue.clear();
    hideProgress();
    if (m_asking) {
        // The question is answered first: the operation is still on the stack below it.
        m_sessionEnded = true;
        return;
    }
    finish();
}

bool TransferOperation::settleOverwrite(const OverwriteRules& rules,
                                        const OverwriteTargets& targets) {
    m_asking = true;
    checkOverwrite(m_overwrite, m_queue, rules, targets, m_dialogs);
    m_asking = false;
    if (!m_sessionEnded)
        return true;
    m_queue.clear();
    finish();
    m_session.backToServerList();
    return false;
}

void TransferOperation::showProgress() {
    // The queue's files are shown in the queue pane, not file by file here.
    if (m_progress || pooled())
        return;
    m_progress = std::make_shared<ProgressModel>();
    m_progress->messages = m_session.dialogs().messageTexts;
    m_progress->onCancel = [&runner = m_session.runner()] { runner.stop(); };
    if (m_session.onShowProgress)
        m_session.onShowProgress(m_progress);
}

void TransferOperation::hideProgress() {
    if (m_progress) {
        m_progress->onCancel = nullptr;
        m_progress.reset();
        if (m_session.onHideProgress)
            m_session.onHideProgress();
    }
    m_model.setScreenCursor(Cursor::crDefault);
}

void TransferOperation::startFileProgress(const std::string& name, std::int64_t size) {
    // The total grows while a tree is walked: it counts the files known so far.
    ++m_filesStarted;
    const std::size_t known = m_filesStarted + m_queue.files.size();
    m_session.showActivity(m_sending ? Message::StatusUploading : Message::StatusDownloading,
                           {std::to_string(m_filesStarted), std::to_string(known)});
    if (m_progress)
        m_progress->startFile(name, size, m_sending);
}

void TransferOperation::fileTransferred() {
    if (m_progress)
        m_progress->fileDone();
}

void TransferOperation::progress(std::int64_t bytes) {
    if (m_progress)
        m_progress->updateProgress(bytes);
}

}  // namespace quay

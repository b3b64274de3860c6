#include "session/transfer_driver.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "listing/listing_walkers.h"
#include "session/overwrite_check.h"
#include "session/transfer_paths.h"

namespace quay {

TransferDriver::TransferDriver(SessionState& state, PresentationModel& model, FtpClient& ftp,
                               const Options& options, Dialogs& dialogs, EventLoop& loop,
                               Hooks hooks)
    : m_state(state),
      m_model(model),
      m_ftp(ftp),
      m_options(options),
      m_dialogs(dialogs),
      m_loop(loop),
      m_hooks(std::move(hooks)) {}

TransferDriver::~TransferDriver() {
    *m_alive = false;
}

void TransferDriver::log(const std::string& line) {
    if (m_hooks.addLog)
        m_hooks.addLog(line);
}

void TransferDriver::beginBatch(Direction direction) {
    if (m_hooks.beginBusy)
        m_hooks.beginBusy();
    m_queue.clear();
    m_state.startRemoteDir =
        m_hooks.startRemoteDir ? m_hooks.startRemoteDir() : withTrailingSlash(m_ftp.hostDirName());
    m_state.startLocalDir = withTrailingSlash(m_state.localDir);
    m_state.overwriteAll = false;
    m_state.downloadTree = m_state.uploadTree = false;
    m_direction = direction;
    m_running = true;
    m_stopped = false;
    m_remoteSizes.clear();
}

bool TransferDriver::stopped() {
    if (!m_stopped)
        return false;
    m_queue.clear();
    finishTransfers();
    return true;
}

void TransferDriver::stop() {
    if (!m_running)
        return;
    m_stopped = true;
    // At once, also when no data arrives: a progress report would never come to abort at.
    m_ftp.abortTransfer();
}

void TransferDriver::sessionClosed() {
    if (!m_running)
        return;
    m_running = false;
    m_queue.clear();
    m_state.downloadTree = m_state.uploadTree = false;
    hideProgress();
}

void TransferDriver::finishTransfers() {
    const bool download = m_direction == Direction::Download;
    m_state.downloadTree = m_state.uploadTree = false;
    m_ftp.setHostDirName(m_state.startRemoteDir);
    m_ftp.setHostFileName("");
    m_ftp.setLocalFileName(m_options.dirListFile);
    m_running = false;
    if (m_ftp.binary())
        m_ftp.typeAscii();
    // With the batch over, the change of directory is the request-done handler's again: it
    // lists the start directory into the pane.
    try {
        m_ftp.cwdAsync();
    } catch (const std::exception& e) {
        log(std::string("Error ") + e.what());
    }
    if (m_hooks.endBusy)
        m_hooks.endBusy();
    hideProgress();
    if (download && m_hooks.refillLocalPane)
        m_hooks.refillLocalPane();
}

void TransferDriver::tryStart(const std::function<void()>& start, std::function<void()> next) {
    try {
        start();
    } catch (const std::exception& e) {
        // Nothing was sent and no completion follows: the batch goes on from the loop, so a
        // long run of refused names does not nest calls.
        log(std::string("Error ") + e.what());
        continueLater(std::move(next));
    }
}

void TransferDriver::continueLater(std::function<void()> next) {
    m_loop.post([this, alive = std::weak_ptr<bool>(m_alive), next = std::move(next)] {
        if (auto a = alive.lock(); a && *a && m_running)
            next();
    });
}

void TransferDriver::next() {
    if (m_direction == Direction::Download)
        downloadNext();
    else
        uploadNext();
}

void TransferDriver::showProgress() {
    if (m_progress)
        return;
    m_progress = std::make_shared<ProgressModel>();
    m_progress->onCancel = [this] { stop(); };
    if (onShowProgress)
        onShowProgress(m_progress);
}

void TransferDriver::hideProgress() {
    if (m_progress) {
        m_progress->onCancel = nullptr;
        m_progress.reset();
        if (onHideProgress)
            onHideProgress();
    }
    m_model.setScreenCursor(Cursor::crDefault);
}

void TransferDriver::progress(std::int64_t bytes, bool& abort) {
    if (m_progress)
        m_progress->updateProgress(bytes);
    // The stop request is the batch's: once it has ended, no later data connection is cut.
    abort = m_running && m_stopped;
}

void TransferDriver::setTransferType() {
    switch (transferTypeFor(m_options.transferMode, m_options.ext, m_ftp.localFileName(),
                            m_ftp.binary())) {
        case TypeChange::Ascii:
            m_ftp.typeAscii();
            break;
        case TypeChange::Binary:
            m_ftp.typeBinary();
            break;
        case TypeChange::None:
            break;
    }
}

void TransferDriver::listCurrentDir() {
    m_ftp.setHostFileName("");
    m_ftp.setLocalFileName(m_options.dirListFile);
    m_ftp.typeAscii();
    tryStart([this] { m_ftp.dirAsync(); }, [this] { next(); });
}

void TransferDriver::downloadNext() {
    if (stopped())
        return;
    if (m_queue.files.empty()) {
        if (m_queue.dirs.empty()) {
            finishTransfers();
            return;
        }
        m_state.downloadTree = true;
        m_currentDir = takeFront(m_queue.dirs);
        m_ftp.setHostDirName(m_currentDir.remote);
        m_ftp.setHostFileName("");
        m_ftp.typeAscii();
        tryStart([this] { m_ftp.cwdAsync(); }, [this] { downloadNext(); });
        return;
    }
    const OverwriteTargets targets{
        [this](const TransferItem& file) { return downloadTarget(file); },
        [](const std::string& target) {
            std::error_code error;
            return std::filesystem::exists(std::filesystem::symlink_status(target, error));
        }};
    checkOverwrite(m_state, m_queue, {m_options.promptDownLoad, m_options.defPrompt}, targets,
                   m_dialogs);
    if (m_queue.files.empty()) {
        downloadNext();
        return;
    }
    startDownload();
}

void TransferDriver::startDownload() {
    showProgress();
    const TransferItem source = takeFront(m_queue.files);
    const std::optional<std::string> target = writableDownloadTarget(source);
    if (!target) {
        continueLater([this] { downloadNext(); });
        return;
    }
    m_ftp.setHostFileName(source.remote);
    m_ftp.setLocalFileName(*target);
    log("Starting transfer of " + fileNamePart(*target));
    m_state.uploading = false;
    setTransferType();
    m_currentLocal = *target;
    m_currentSize = source.size;
    m_currentBinary = m_ftp.binary();
    if (m_progress)
        m_progress->startFile(source.remote, source.size, false);
    const bool resume = m_state.resumeCurrent;
    tryStart(
        [this, resume] {
            if (resume)
                m_ftp.restGetAsync();
            else
                m_ftp.getAsync();
        },
        [this] { downloadNext(); });
}

// A file is done only when its size fits the listing. Shorter means cut short, in text mode as
// well (a text transfer may add CRs, never drop bytes). A resumed binary file that ends longer
// was sent again from its start behind the kept part (a server that answered REST with 350 and
// ignored it); it is kept, so that a fresh download can replace it.
bool TransferDriver::downloadComplete(bool resumed) {
    if (m_currentSize <= 0)
        return true;
    struct stat file {};
    if (::stat(m_currentLocal.c_str(), &file) != 0 || !S_ISREG(file.st_mode))
        return true;
    const std::int64_t received = file.st_size;
    const std::string name = printableName(fileNamePart(m_currentLocal));
    const std::string listed = std::to_string(m_currentSize);
    if (received < m_currentSize) {
        log("! Transfer of " + name + " failed: " + std::to_string(received) + " of " + listed +
            " bytes received");
        return false;
    }
    if (resumed && m_currentBinary && received > m_currentSize) {
        log("! Transfer of " + name + " failed: " + std::to_string(received) +
            " bytes, but the listing shows " + listed + "; the file is kept");
        return false;
    }
    return true;
}

void TransferDriver::uploadNext() {
    if (stopped())
        return;
    if (m_queue.files.empty()) {
        if (m_queue.dirs.empty())
            finishTransfers();
        else
            enterNextUploadDir();
        return;
    }
    const OverwriteTargets targets{&TransferDriver::uploadTarget,
                                   [this](const std::string& target) {
                                       const std::string name = fileNamePart(target);
                                       for (const std::string& remote : m_state.remoteNames)
                                           if (remote == name)
                                               return true;
                                       return false;
                                   }};
    checkOverwrite(m_state, m_queue, {m_options.promptUpLoad, m_options.defPrompt}, targets,
                   m_dialogs);
    if (m_queue.files.empty()) {
        uploadNext();
        return;
    }
    showProgress();
    const TransferItem file = takeFront(m_queue.files);
    const std::optional<std::string> source = pathBelowStart(m_state.startLocalDir, file.local);
    if (!source) {
        continueLater([this] { uploadNext(); });
        return;
    }
    const std::string target = uploadTarget(file);
    m_ftp.setLocalFileName(*source);
    m_ftp.setHostFileName(target);
    m_state.uploading = true;
    setTransferType();
    if (m_progress)
        m_progress->startFile(*source, file.size, true);
    if (!m_state.resumeCurrent) {
        startUpload(0);
        return;
    }
    // Resuming appends to the very file the upload goes to: its size comes from the listing
    // of its directory, else from the server.
    auto known = m_remoteSizes.find(fileNamePart(target));
    if (known != m_remoteSizes.end() && known->second >= 0)
        startUpload(known->second);
    else
        tryStart([this] { m_ftp.sizeAsync(); }, [this] { startUpload(0); });
}

void TransferDriver::startUpload(std::int64_t resume) {
    if (stopped())
        return;
    tryStart(
        [this, resume] {
            if (resume > 0) {
                m_ftp.setResumeAt(resume);
                m_ftp.restPutAsync();
            } else {
                m_ftp.putAsync();
            }
        },
        [this] { uploadNext(); });
}

bool TransferDriver::requestDone(FtpRequest request, int error) {
    if (!m_running)
        return false;
    using R = FtpRequest;
    const bool download = m_direction == Direction::Download;
    switch (request) {
        case R::GetAsync:
        case R::RestGetAsync:
            if (!download)
                return false;
            if (error != 0)
                log("Error " + m_ftp.errorMessage());
            else if (downloadComplete(request == R::RestGetAsync) && m_progress)
                m_progress->fileDone();
            downloadNext();
            return true;
        case R::PutAsync:
        case R::RestPutAsync:
            if (download)
                return false;
            if (error != 0)
                log("Error " + m_ftp.errorMessage());
            else if (m_progress)
                m_progress->fileDone();
            uploadNext();
            return true;
        case R::SizeAsync:
            if (download)
                return false;
            startUpload(error == 0 ? m_ftp.sizeResult() : 0);
            return true;
        case R::CwdAsync:
            return directoryEntered(error);
        case R::MkdAsync:
            if (download)
                return false;
            directoryMade(error);
            return true;
        case R::DirAsync:
        case R::LsAsync:
        case R::DirectoryAsync:
        case R::ListAsync:
            if (m_stopped || error != 0) {
                if (error != 0)
                    log("Error " + m_ftp.errorMessage());
                next();
            } else if (download) {
                readDownloadListing();
            } else {
                readUploadListing();
            }
            return true;
        default:
            return false;
    }
}

bool TransferDriver::directoryEntered(int error) {
    if (m_stopped) {
        next();
        return true;
    }
    if (error == 0) {
        listCurrentDir();
        return true;
    }
    if (m_direction == Direction::Download) {
        log("Error " + m_ftp.errorMessage());
        log("! Not entered: " + printableName(m_ftp.hostDirName()));
        downloadNext();
        return true;
    }
    // The remote directory of an upload does not exist yet: it is made, then entered.
    m_ftp.typeAscii();
    m_ftp.setHostFileName(m_ftp.hostDirName());
    tryStart([this] { m_ftp.mkdAsync(); },
             [this, dir = m_currentDir] {
                 skipUploadSubtree(dir);
                 uploadNext();
             });
    return true;
}

void TransferDriver::directoryMade(int error) {
    if (m_stopped) {
        uploadNext();
    } else if (error == 0) {
        m_ftp.setHostDirName(m_ftp.hostFileName());
        tryStart([this] { m_ftp.cwdAsync(); },
                 [this, dir = m_currentDir] {
                     skipUploadSubtree(dir);
                     uploadNext();
                 });
    } else {
        log("Error " + m_ftp.errorMessage());
        skipUploadSubtree(m_currentDir);
        uploadNext();
    }
}

}  // namespace quay

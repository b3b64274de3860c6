#include "session/upload_operation.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "config/options.h"
#include "ftp/ftp_client.h"
#include "session/presentation_model.h"
#include "session/session_controller.h"
#include "session/session_state.h"
#include "session/transfer_paths.h"

namespace quay {

UploadOperation::UploadOperation(SessionController& session)
    : TransferOperation("Upload", session, true) {}

void UploadOperation::queueSelection() {
    m_remoteNames = m_state.remoteNames;
    for (std::string& name : uploadsUnderway(m_startRemoteDir))
        m_remoteNames.push_back(std::move(name));
    for (const PaneItem& item : m_model.ftpView().items())
        if (item.imageIndex == 2)
            m_remoteSizes[item.caption] = parseByteCount(sizeColumn(item));
    const PaneModel& pane = m_model.lvLoc();
    for (std::size_t index : pane.selectedIndexes()) {
        const PaneItem& item = pane.item(index);
        if (!acceptName(item.caption))
            continue;
        if (item.imageIndex == 1) {
            if (std::optional<std::string> remote = pathBelowStart(m_startRemoteDir, item.caption))
                m_queue.dirs.push_back({std::move(*remote), item.caption});
        } else {
            // A file of the first level goes into the directory the client stands in.
            m_queue.files.push_back({item.caption, item.caption, knownSize(sizeColumn(item))});
        }
    }
}

std::string UploadOperation::uploadTarget(const TransferItem& file) {
    return file.savedAs.empty() ? file.remote : file.savedAs;
}

void UploadOperation::step() {
    m_listingStart = false;
    if (waitedBehind() && !m_startListed && !m_queue.files.empty()) {
        listStartAgain();
        return;
    }
    if (m_queue.files.empty()) {
        if (m_queue.dirs.empty())
            finishBatch();
        else
            enterNextUploadDir();
        return;
    }
    const OverwriteTargets targets{&UploadOperation::uploadTarget,
                                   [this](const std::string& target) {
                                       return std::find(m_remoteNames.begin(), m_remoteNames.end(),
                                                        fileNamePart(target)) !=
                                              m_remoteNames.end();
                                   },
                                   [this](const TransferItem& file, const std::string& target) {
                                       return resumable(file, target);
                                   }};
    if (!settleOverwrite({m_options.promptUpLoad, m_options.defPrompt}, targets))
        return;
    if (m_queue.files.empty()) {
        proceed();
        return;
    }
    showProgress();
    m_currentFile = takeFront(m_queue.files);
    const std::optional<std::string> source = pathBelowStart(m_startLocalDir, m_currentFile.local);
    if (!source) {
        continueLater();
        return;
    }
    m_currentSource = *source;
    const std::string target = uploadTarget(m_currentFile);
    if (pooled()) {
        // A connection of the queue does not stand in the start directory.
        handToPool(target.starts_with('/') ? target : m_startRemoteDir + target, *source,
                   m_currentFile.size);
        return;
    }
    m_ftp.setLocalFileName(*source);
    m_ftp.setHostFileName(target);
    fileTypeThen([this, target] {
        startFileProgress(m_currentSource, m_currentFile.size);
        if (!m_overwrite.resumeCurrent) {
            startUpload(0);
            return;
        }
        // Resuming appends to the very file the upload goes to: its size comes from the
        // listing of its directory, else from the server.
        auto known = m_remoteSizes.find(fileNamePart(target));
        if (known != m_remoteSizes.end() && known->second >= 0)
            startUpload(known->second);
        else
            tryStart([this] { m_ftp.sizeAsync(); });
    });
}

// A remote file as long as the local one or longer has nothing left to append.
bool UploadOperation::resumable(const TransferItem& file, const std::string& target) {
    auto known = m_remoteSizes.find(fileNamePart(target));
    if (known == m_remoteSizes.end() || known->second < 0)
        return true;
    const std::optional<std::string> source = pathBelow(m_startLocalDir, file.local);
    std::error_code error;
    const auto have = source ? std::filesystem::file_size(*source, error) : 0;
    if (!source || error || known->second < static_cast<std::int64_t>(have))
        return true;
    log("! Not resumed: " + printableName(target) + " holds " + std::to_string(known->second) +
        " bytes on the server, the local file " + std::to_string(have));
    return false;
}

void UploadOperation::remoteSizeKnown(std::int64_t size) {
    m_remoteSizes[fileNamePart(uploadTarget(m_currentFile))] = size;
    if (!resumable(m_currentFile, uploadTarget(m_currentFile))) {
        // Asked again: the file goes back to the head of the queue, known to be there.
        m_remoteNames.push_back(fileNamePart(uploadTarget(m_currentFile)));
        m_queue.files.insert(m_queue.files.begin(), m_currentFile);
        proceed();
        return;
    }
    startUpload(size);
}

void UploadOperation::startUpload(std::int64_t resume) {
    if (stopRequested()) {
        proceed();
        return;
    }
    tryStart([this, resume] {
        if (resume > 0) {
            m_ftp.setResumeAt(resume);
            m_ftp.restPutAsync();
        } else {
            m_ftp.putAsync();
        }
    });
}

void UploadOperation::fileDone(FtpRequest request, int error) {
    switch (request) {
        case FtpRequest::SizeAsync:
            if (error == 0)
                remoteSizeKnown(m_ftp.sizeResult());
            else
                startUpload(0);
            return;
        case FtpRequest::MkdAsync:
            directoryMade(error);
            return;
        default:
            if (error != 0)
                logFailure();
            else
                fileTransferred();
            proceed();
            return;
    }
}

// A batch that waited behind another asks about the names of its start directory as they are
// now: the batches in front have sent files there since the user gave the command.
void UploadOperation::listStartAgain() {
    m_startListed = true;
    m_listingStart = true;
    m_namesUnderway = uploadsUnderway(m_startRemoteDir);
    m_ftp.setHostDirName(m_startRemoteDir);
    m_ftp.setHostFileName("");
    enterDirectory();
}

// The remote directory does not exist yet: it is made, then entered.
void UploadOperation::directoryRefused() {
    if (m_listingStart) {
        // The start directory that cannot be entered is not made: the names shown when the
        // command was given stand, with those the queue is sending there now.
        m_remoteNames.insert(m_remoteNames.end(), m_namesUnderway.begin(), m_namesUnderway.end());
        proceed();
        return;
    }
    m_ftp.setHostFileName(m_ftp.hostDirName());
    typeAsciiThen([this] {
        tryStart([this] { m_ftp.mkdAsync(); },
                 [this, dir = m_currentDir] { skipUploadSubtree(dir); });
    });
}

void UploadOperation::directoryMade(int error) {
    if (stopRequested()) {
        proceed();
    } else if (error == 0) {
        m_ftp.setHostDirName(m_ftp.hostFileName());
        m_directoryMade = true;
        enterDirectory([this, dir = m_currentDir] { skipUploadSubtree(dir); });
    } else {
        logFailure();
        skipUploadSubtree(m_currentDir);
        proceed();
    }
}

// A directory the batch has just made holds no names an upload could meet but those the queue is
// sending there: its listing (TYPE A, a passive reply, LIST and a data connection) is left out.
void UploadOperation::directoryEntered() {
    if (!std::exchange(m_directoryMade, false)) {
        listDirectory();
        return;
    }
    m_remoteNames = m_namesUnderway;
    m_remoteSizes.clear();
    proceed();
}

void UploadOperation::readListing() {
    const ListingLog logLine = [this](const std::string& line) { log(line); };
    const std::string text = takeListingFile(m_options.dirListFile, logLine);
    m_remoteNames.clear();
    m_remoteSizes.clear();
    forEachListingEntry(
        text, m_session.listingFormat(), kWalkedLineLength,
        [&](RemoteEntry& entry) {
            if (entry.isDir)
                return;
            m_remoteSizes[entry.name] = parseByteCount(entry.size);
            m_remoteNames.push_back(std::move(entry.name));
        },
        logLine);
    // Files the queue is sending there count as there: the listing may predate them.
    m_remoteNames.insert(m_remoteNames.end(), m_namesUnderway.begin(), m_namesUnderway.end());
    proceed();
}

void UploadOperation::enterNextUploadDir() {
    namespace fs = std::filesystem;
    m_currentDir = takeFront(m_queue.dirs);
    m_directoryMade = false;
    const TransferItem& dir = m_currentDir;
    const std::optional<std::string> localDir = pathBelowStart(m_startLocalDir, dir.local);
    if (!localDir) {
        continueLater();
        return;
    }
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(*localDir, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    if (error)
        log("! Can not read the local directory " + printableName(*localDir));
    std::sort(entries.begin(), entries.end());
    for (const fs::directory_entry& entry : entries) {
        const std::string local = childPath(dir.local, entry.path().filename().string());
        const fs::file_status status = entry.symlink_status(error);
        if (fs::is_symlink(status)) {
            log("! Not uploaded, a symbolic link: " + printableName(entry.path().string()));
        } else if (!fs::is_directory(status) && !fs::is_regular_file(status)) {
            log("! Not uploaded, not a regular file: " + printableName(entry.path().string()));
        } else if (std::optional<std::string> remote = pathBelowStart(m_startRemoteDir, local)) {
            TransferItem item{std::move(*remote), local};
            if (fs::is_directory(status)) {
                m_queue.dirs.push_back(std::move(item));
            } else {
                const auto size = static_cast<std::int64_t>(entry.file_size(error));
                item.size = error ? 0 : size;
                m_queue.files.push_back(std::move(item));
            }
        }
    }
    m_namesUnderway = uploadsUnderway(dir.remote);
    m_ftp.setHostDirName(dir.remote);
    m_ftp.setHostFileName("");
    enterDirectory([this, entered = m_currentDir] { skipUploadSubtree(entered); });
}

void UploadOperation::skipUploadSubtree(const TransferItem& dir) {
    log("! Skipped " + printableName(dir.remote) +
        " and everything in it: the directory could not be made");
    const std::string inside = dir.local + "/";
    auto isInside = [&](const TransferItem& item) { return item.local.starts_with(inside); };
    std::erase_if(m_queue.files, isInside);
    std::erase_if(m_queue.dirs, isInside);
}

}  // namespace quay

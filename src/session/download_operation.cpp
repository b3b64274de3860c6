#include "session/download_operation.h"

#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "config/options.h"
#include "ftp/ftp_client.h"
#include "session/presentation_model.h"
#include "session/session_controller.h"
#include "session/session_state.h"
#include "session/transfer_paths.h"

namespace quay {

namespace {

// The name of a names-only listing row (server type 1): the last blank-separated word.
std::string lastWord(const std::string& caption) {
    const std::size_t end = caption.find_last_not_of(' ');
    if (end == std::string::npos)
        return {};
    const std::size_t space = caption.find_last_of(' ', end);
    const std::size_t begin = space == std::string::npos ? 0 : space + 1;
    return caption.substr(begin, end - begin + 1);
}

std::string joinRemote(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

// The size of a local file; -1 when it is not a regular file.
std::int64_t localSize(const std::string& path) {
    struct stat file {};
    if (::stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode))
        return -1;
    return file.st_size;
}

}  // namespace

DownloadOperation::DownloadOperation(SessionController& session)
    : TransferOperation("Download", session, false) {}

void DownloadOperation::queueSelection() {
    const int type = m_state.listingType;
    // The VMS and WU-FTP layouts enter a directory by its name in the start directory.
    const std::string prefix = type == 5 || type == 7 ? std::string() : m_startRemoteDir;
    const PaneModel& pane = m_model.ftpView();
    for (std::size_t index : pane.selectedIndexes()) {
        const PaneItem& item = pane.item(index);
        if (item.caption == "..")
            continue;
        const std::string name = type == 1 ? lastWord(item.caption) : item.caption;
        if (name.empty() || !acceptName(name))
            continue;
        TransferItem entry{prefix + name, name};
        if (item.imageIndex == 1) {
            m_queue.dirs.push_back(std::move(entry));
        } else {
            entry.size = knownSize(sizeColumn(item));
            m_queue.files.push_back(std::move(entry));
        }
    }
}

void DownloadOperation::step() {
    if (m_queue.files.empty()) {
        if (m_queue.dirs.empty()) {
            finishBatch();
            return;
        }
        m_currentDir = takeFront(m_queue.dirs);
        m_ftp.setHostDirName(m_currentDir.remote);
        m_ftp.setHostFileName("");
        typeAsciiThen([this] { enterDirectory(); });
        return;
    }
    const OverwriteTargets targets{
        [this](const TransferItem& file) { return downloadTarget(file); },
        // A file the queue is still to write counts as there: it would be overwritten unasked.
        [this](const std::string& target) {
            std::error_code error;
            return std::filesystem::exists(std::filesystem::symlink_status(target, error)) ||
                   downloadUnderway(target);
        },
        [this](const TransferItem& file, const std::string& target) {
            return resumable(file, target);
        }};
    if (!settleOverwrite({m_options.promptDownLoad, m_options.defPrompt}, targets))
        return;
    if (m_queue.files.empty())
        proceed();
    else
        startDownload();
}

// A local file that holds the listed size already has nothing left to fetch.
bool DownloadOperation::resumable(const TransferItem& file, const std::string& target) {
    const std::int64_t have = localSize(target);
    if (file.size <= 0 || have < file.size)
        return true;
    log("! Not resumed: " + printableName(target) + " holds " + std::to_string(have) +
        " bytes, the listing shows " + std::to_string(file.size));
    return false;
}

void DownloadOperation::startDownload() {
    showProgress();
    const TransferItem source = takeFront(m_queue.files);
    const std::optional<std::string> target = writableDownloadTarget(source);
    if (!target) {
        continueLater();
        return;
    }
    if (pooled()) {
        handToPool(source.remote, *target, source.size);
        return;
    }
    m_ftp.setHostFileName(source.remote);
    m_ftp.setLocalFileName(*target);
    log("Starting transfer of " + fileNamePart(*target));
    m_currentLocal = *target;
    m_currentSize = source.size;
    const bool resume = m_overwrite.resumeCurrent;
    fileTypeThen([this, resume, name = source.remote] {
        m_currentBinary = m_ftp.binary();
        startFileProgress(name, m_currentSize);
        tryStart([this, resume] {
            if (resume)
                m_ftp.restGetAsync();
            else
                m_ftp.getAsync();
        });
    });
}

void DownloadOperation::fileDone(FtpRequest request, int error) {
    if (error != 0)
        logFailure();
    else if (downloadComplete(request == FtpRequest::RestGetAsync))
        fileTransferred();
    proceed();
}

// A file is done only when its size fits the listing. Shorter means cut short, in text mode as
// well (a text transfer may add CRs, never drop bytes). A resumed binary file that ends longer
// was sent again from its start behind the kept part (a server that answered REST with 350 and
// ignored it); it is kept, so that a fresh download can replace it.
bool DownloadOperation::downloadComplete(bool resumed) {
    if (m_currentSize <= 0)
        return true;
    const std::int64_t received = localSize(m_currentLocal);
    if (received < 0)
        return true;
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

void DownloadOperation::directoryRefused() {
    logFailure();
    log("! Not entered: " + printableName(m_ftp.hostDirName()));
    proceed();
}

void DownloadOperation::readListing() {
    const ListingLog logLine = [this](const std::string& line) { log(line); };
    const std::string text = takeListingFile(m_options.dirListFile, logLine);
    const TransferItem dir = m_currentDir;
    if (!makeLocalDir(dir.local)) {
        proceed();
        return;
    }
    const bool deepest = pathDepth(dir.local) >= kMaxTreeDepth;
    RefusedNameNotes refused(logLine);
    forEachListingEntry(
        text, m_session.listingFormat(), kShortestListingLine,
        [&](RemoteEntry& entry) {
            if (!acceptName(entry.name, &refused))
                return;
            const std::string local = childPath(dir.local, entry.name);
            if (!entry.isDir) {
                // A file is fetched by its name in the directory the client stands in; a
                // connection of the queue stands elsewhere and is sent the whole path.
                m_queue.files.push_back({pooled() ? joinRemote(dir.remote, entry.name) : entry.name,
                                         local, knownSize(entry.size)});
                return;
            }
            std::string remote = joinRemote(dir.remote, entry.name);
            // A link may point anywhere, also back up the tree ("loop -> ."): never entered.
            if (entry.attr.starts_with('l')) {
                refused.note("! Not entered, a symbolic link: " + printableName(remote));
            } else if (deepest) {
                refused.note("! Not entered, more than " + std::to_string(kMaxTreeDepth) +
                             " levels deep: " + printableName(remote));
            } else if (makeLocalDir(local)) {
                m_queue.dirs.push_back({std::move(remote), local});
            }
        },
        logLine);
    refused.finish();
    proceed();
}

std::string DownloadOperation::downloadTarget(const TransferItem& file) const {
    if (file.savedAs.empty())
        return m_startLocalDir + file.local;
    if (file.savedAs.starts_with('/'))
        return file.savedAs;
    // The program's working directory is not the local pane's.
    return m_startLocalDir + file.savedAs;
}

std::optional<std::string> DownloadOperation::writableDownloadTarget(const TransferItem& file) {
    if (file.savedAs.empty())
        return writableLocalPath(file.local);
    // A path the user typed is written where it points; below the start directory it may
    // not lead through a link either.
    const std::string target = downloadTarget(file);
    if (isPathBelow(m_startLocalDir, target) && !staysInsideTree(m_startLocalDir, target)) {
        logLinkOnTheWay(target);
        return std::nullopt;
    }
    return target;
}

bool DownloadOperation::makeLocalDir(const std::string& relative) {
    const std::optional<std::string> dir = writableLocalPath(relative);
    if (!dir)
        return false;
    std::error_code error;
    std::filesystem::create_directories(*dir, error);
    if (error || !std::filesystem::is_directory(*dir, error)) {
        log("! Can not make the local directory " + printableName(*dir));
        return false;
    }
    return true;
}

}  // namespace quay

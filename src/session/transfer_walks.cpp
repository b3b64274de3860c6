#include <algorithm>
#include <filesystem>
#include <system_error>

#include "listing/listing_walkers.h"
#include "session/transfer_driver.h"
#include "session/transfer_paths.h"

namespace quay {

namespace {

// The name of a names-only listing row (server type 1): the last blank-separated word.
std::string lastWord(const std::string& caption) {
    const std::size_t end = caption.find_last_not_of(' ');
    if (end == std::string::npos)
        return {};
    const std::size_t space = caption.find_last_of(' ', end);
    return caption.substr(space == std::string::npos ? 0 : space + 1,
                          end - (space == std::string::npos ? 0 : space + 1) + 1);
}

std::string joinRemote(const std::string& dir, const std::string& name) {
    return dir.empty() || dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool startsWithDir(const std::string& path, const std::string& dir) {
    const std::string prefix = withTrailingSlash(dir);
    return path.compare(0, prefix.size(), prefix) == 0;
}

}  // namespace

bool TransferDriver::acceptName(const std::string& name) {
    if (name == "." || name == "..")
        return false;
    if (isSafeEntryName(name))
        return true;
    log("! Not transferred, unsafe name: \"" + printableName(name) + "\"");
    return false;
}

void TransferDriver::SpeedButton2Click() {
    if (m_state.serverListMode || m_state.busy)
        return;
    beginBatch(Direction::Download);
    const int type = m_state.listingType;
    const std::string prefix = type == 5 || type == 7 ? std::string() : m_state.startRemoteDir;
    const PaneModel& pane = m_model.ftpView();
    for (std::size_t index : pane.selectedIndexes()) {
        const PaneItem& item = pane.item(index);
        if (item.caption == "..")
            continue;
        const std::string name = type == 1 ? lastWord(item.caption) : item.caption;
        if (name.empty() || !acceptName(name))
            continue;
        if (item.imageIndex == 1) {
            m_state.sourceDirs.push_back(prefix + name);
            m_state.targetDirs.push_back(m_state.startLocalDir + name);
        } else {
            const std::string size = item.subItems.empty() ? std::string() : item.subItems[0];
            m_state.sourceFiles.push_back(queueEntry(prefix + name, size));
            m_state.targetFiles.push_back(m_state.startLocalDir + name);
        }
    }
    downloadNext();
}

void TransferDriver::SpeedButton1Click() {
    if (m_state.serverListMode || m_state.busy)
        return;
    beginBatch(Direction::Upload);
    for (const PaneItem& item : m_model.ftpView().items())
        if (item.imageIndex == 2)
            m_remoteSizes[item.caption] =
                parseByteCount(item.subItems.empty() ? std::string() : item.subItems[0]);
    const PaneModel& pane = m_model.lvLoc();
    for (std::size_t index : pane.selectedIndexes()) {
        const PaneItem& item = pane.item(index);
        if (!acceptName(item.caption))
            continue;
        // The program's working directory is not the local pane's: sources are full paths.
        const std::string path = m_state.startLocalDir + item.caption;
        if (item.imageIndex == 1) {
            m_state.targetDirs.push_back(m_state.startRemoteDir + item.caption);
            m_state.sourceDirs.push_back(path);
        } else {
            const std::string size = item.subItems.empty() ? std::string() : item.subItems[0];
            m_state.targetFiles.push_back(item.caption);
            m_state.sourceFiles.push_back(queueEntry(path, size));
        }
    }
    uploadNext();
}

bool TransferDriver::makeLocalDir(const std::string& dir) {
    if (!staysInsideTree(m_state.startLocalDir, dir)) {
        log("! Not written, the local path leads through a symbolic link: " + printableName(dir));
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error || !std::filesystem::is_directory(dir, error)) {
        log("! Can not make the local directory " + printableName(dir));
        return false;
    }
    return true;
}

void TransferDriver::readDownloadListing() {
    const ListingLog logLine = [this](const std::string& line) { log(line); };
    const ListingFormat format = m_hooks.listingFormat ? m_hooks.listingFormat() : ListingFormat{};
    const std::string text = takeListingFile(m_options.dirListFile, logLine);
    const std::string hostDir = m_ftp.hostDirName();
    const std::string rel = remoteRelativeDir(hostDir, m_state.startRemoteDir);
    if (!makeLocalDir(m_state.startLocalDir + rel)) {
        downloadNext();
        return;
    }
    const bool deepest = pathDepth(rel) >= kMaxTreeDepth;
    forEachListingEntry(
        text, format, kShortestListingLine,
        [&](RemoteEntry& entry) {
            if (!acceptName(entry.name))
                return;
            const std::string target = m_state.startLocalDir + rel + entry.name;
            if (!entry.isDir) {
                m_state.sourceFiles.push_back(queueEntry(entry.name, entry.size));
                m_state.targetFiles.push_back(target);
                return;
            }
            const std::string remote = joinRemote(hostDir, entry.name);
            // A link may point anywhere, also back up the tree ("loop -> ."): never entered.
            if (entry.attr.starts_with('l')) {
                log("! Not entered, a symbolic link: " + printableName(remote));
            } else if (deepest) {
                log("! Not entered, more than " + std::to_string(kMaxTreeDepth) +
                    " levels deep: " + printableName(remote));
            } else if (makeLocalDir(target)) {
                m_state.sourceDirs.push_back(remote);
                m_state.targetDirs.push_back(target);
            }
        },
        logLine);
    downloadNext();
}

void TransferDriver::readUploadListing() {
    const ListingLog logLine = [this](const std::string& line) { log(line); };
    const ListingFormat format = m_hooks.listingFormat ? m_hooks.listingFormat() : ListingFormat{};
    const std::string text = takeListingFile(m_options.dirListFile, logLine);
    m_state.remoteNames.clear();
    m_remoteSizes.clear();
    forEachListingEntry(
        text, format, kWalkedLineLength,
        [&](RemoteEntry& entry) {
            if (entry.isDir)
                return;
            m_remoteSizes[entry.name] = parseByteCount(entry.size);
            m_state.remoteNames.push_back(std::move(entry.name));
        },
        logLine);
    uploadNext();
}

void TransferDriver::enterNextUploadDir() {
    namespace fs = std::filesystem;
    const std::string dir = withTrailingSlash(m_state.sourceDirs.front());
    std::string rel = localToRemotePath(dir, m_state.startLocalDir);
    const std::string remote = m_state.startRemoteDir + rel.substr(1);
    m_state.uploadTree = true;
    std::vector<fs::directory_entry> entries;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error))
        entries.push_back(*it);
    if (error)
        log("! Can not read the local directory " + printableName(dir));
    std::sort(entries.begin(), entries.end());
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        const fs::file_status status = entry.symlink_status(error);
        if (fs::is_symlink(status)) {
            log("! Not uploaded, a symbolic link: " + printableName(dir + name));
        } else if (fs::is_directory(status)) {
            m_state.targetDirs.push_back(remote + name);
            m_state.sourceDirs.push_back(dir + name);
        } else if (fs::is_regular_file(status)) {
            const auto size = static_cast<std::int64_t>(entry.file_size(error));
            m_state.targetFiles.push_back(remote + name);
            m_state.sourceFiles.push_back(queueEntry(dir + name, std::to_string(error ? 0 : size)));
        } else {
            log("! Not uploaded, not a regular file: " + printableName(dir + name));
        }
    }
    const std::string remoteDir = m_state.targetDirs.front();
    m_ftp.setHostDirName(remoteDir);
    m_ftp.setHostFileName("");
    m_state.sourceDirs.erase(m_state.sourceDirs.begin());
    m_state.targetDirs.erase(m_state.targetDirs.begin());
    tryStart([this] { m_ftp.cwdAsync(); },
             [this, remoteDir] {
                 skipUploadSubtree(remoteDir);
                 uploadNext();
             });
}

void TransferDriver::skipUploadSubtree(const std::string& remoteDir) {
    log("! Skipped " + printableName(remoteDir) +
        " and everything in it: the directory could not be made");
    auto dropInside = [&](std::vector<std::string>& targets, std::vector<std::string>& sources) {
        for (std::size_t i = targets.size(); i-- > 0;) {
            if (startsWithDir(targets[i], remoteDir)) {
                targets.erase(targets.begin() + static_cast<std::ptrdiff_t>(i));
                sources.erase(sources.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    };
    dropInside(m_state.targetFiles, m_state.sourceFiles);
    dropInside(m_state.targetDirs, m_state.sourceDirs);
}

}  // namespace quay

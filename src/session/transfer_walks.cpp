#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

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

std::int64_t sizeOf(const std::string& text) {
    const std::int64_t size = parseByteCount(text);
    return size < 0 ? 0 : size;
}

std::string sizeColumn(const PaneItem& item) {
    return item.subItems.empty() ? std::string() : item.subItems[0];
}

}  // namespace

bool TransferDriver::acceptName(const std::string& name, RefusedNameNotes* notes) {
    if (name == "." || name == "..")
        return false;
    if (isSafeEntryName(name))
        return true;
    const std::string line = "! Not transferred, unsafe name: \"" + printableName(name) + "\"";
    if (notes)
        notes->note(line);
    else
        log(line);
    return false;
}

void TransferDriver::SpeedButton2Click() {
    if (m_state.serverListMode || m_state.busy)
        return;
    beginBatch(Direction::Download);
    const int type = m_state.listingType;
    // The VMS and WU-FTP layouts enter a directory by its name in the start directory.
    const std::string prefix = type == 5 || type == 7 ? std::string() : m_state.startRemoteDir;
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
            entry.size = sizeOf(sizeColumn(item));
            m_queue.files.push_back(std::move(entry));
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
            m_remoteSizes[item.caption] = parseByteCount(sizeColumn(item));
    const PaneModel& pane = m_model.lvLoc();
    for (std::size_t index : pane.selectedIndexes()) {
        const PaneItem& item = pane.item(index);
        if (!acceptName(item.caption))
            continue;
        if (item.imageIndex == 1) {
            if (std::optional<std::string> remote =
                    pathBelowStart(m_state.startRemoteDir, item.caption))
                m_queue.dirs.push_back({std::move(*remote), item.caption});
        } else {
            // A file of the first level goes into the directory the client stands in.
            m_queue.files.push_back({item.caption, item.caption, sizeOf(sizeColumn(item))});
        }
    }
    uploadNext();
}

void TransferDriver::readDownloadListing() {
    const ListingLog logLine = [this](const std::string& line) { log(line); };
    const ListingFormat format = m_hooks.listingFormat ? m_hooks.listingFormat() : ListingFormat{};
    const std::string text = takeListingFile(m_options.dirListFile, logLine);
    const TransferItem dir = m_currentDir;
    if (!makeLocalDir(dir.local)) {
        downloadNext();
        return;
    }
    const bool deepest = pathDepth(dir.local) >= kMaxTreeDepth;
    RefusedNameNotes refused(logLine);
    forEachListingEntry(
        text, format, kShortestListingLine,
        [&](RemoteEntry& entry) {
            if (!acceptName(entry.name, &refused))
                return;
            const std::string local = childPath(dir.local, entry.name);
            if (!entry.isDir) {
                // A file is fetched by its name in the directory the client stands in.
                m_queue.files.push_back({entry.name, local, sizeOf(entry.size)});
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
    m_currentDir = takeFront(m_queue.dirs);
    const TransferItem& dir = m_currentDir;
    const std::optional<std::string> localDir = pathBelowStart(m_state.startLocalDir, dir.local);
    if (!localDir) {
        continueLater([this] { uploadNext(); });
        return;
    }
    m_state.uploadTree = true;
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
        } else if (std::optional<std::string> remote =
                       pathBelowStart(m_state.startRemoteDir, local)) {
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
    m_ftp.setHostDirName(dir.remote);
    m_ftp.setHostFileName("");
    tryStart([this] { m_ftp.cwdAsync(); },
             [this, entered = m_currentDir] {
                 skipUploadSubtree(entered);
                 uploadNext();
             });
}

void TransferDriver::skipUploadSubtree(const TransferItem& dir) {
    log("! Skipped " + printableName(dir.remote) +
        " and everything in it: the directory could not be made");
    const std::string inside = dir.local + "/";
    auto isInside = [&](const TransferItem& item) { return item.local.starts_with(inside); };
    std::erase_if(m_queue.files, isInside);
    std::erase_if(m_queue.dirs, isInside);
}

}  // namespace quay

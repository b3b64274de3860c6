#include <filesystem>
#include <system_error>

#include "listing/listing_walkers.h"
#include "session/transfer_driver.h"
#include "session/transfer_paths.h"

namespace quay {

std::optional<std::string> TransferDriver::pathBelowStart(const std::string& root,
                                                          const std::string& relative) {
    std::optional<std::string> path = pathBelow(root, relative);
    if (!path)
        log("! Not transferred, the path leaves " + printableName(root) + ": " +
            printableName(relative));
    return path;
}

std::optional<std::string> TransferDriver::writableLocalPath(const std::string& relative) {
    std::optional<std::string> path = pathBelowStart(m_state.startLocalDir, relative);
    if (path && !staysInsideTree(m_state.startLocalDir, *path)) {
        logLinkOnTheWay(*path);
        return std::nullopt;
    }
    return path;
}

void TransferDriver::logLinkOnTheWay(const std::string& path) {
    log("! Not written, the local path leads through a symbolic link: " + printableName(path));
}

std::string TransferDriver::downloadTarget(const TransferItem& file) const {
    if (file.savedAs.empty())
        return m_state.startLocalDir + file.local;
    if (file.savedAs.starts_with('/'))
        return file.savedAs;
    // The program's working directory is not the local pane's.
    return m_state.startLocalDir + file.savedAs;
}

std::string TransferDriver::uploadTarget(const TransferItem& file) {
    return file.savedAs.empty() ? file.remote : file.savedAs;
}

std::optional<std::string> TransferDriver::writableDownloadTarget(const TransferItem& file) {
    if (file.savedAs.empty())
        return writableLocalPath(file.local);
    // A path the user typed is written where it points; below the start directory it may
    // not lead through a link either.
    const std::string target = downloadTarget(file);
    if (isPathBelow(m_state.startLocalDir, target) &&
        !staysInsideTree(m_state.startLocalDir, target)) {
        logLinkOnTheWay(target);
        return std::nullopt;
    }
    return target;
}

bool TransferDriver::makeLocalDir(const std::string& relative) {
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

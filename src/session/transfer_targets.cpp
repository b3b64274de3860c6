#include "listing/listing_walkers.h"
#include "session/transfer_operation.h"
#include "session/transfer_paths.h"

namespace quay {

std::int64_t TransferOperation::knownSize(const std::string& text) {
    const std::int64_t size = parseByteCount(text);
    return size < 0 ? 0 : size;
}

std::string TransferOperation::sizeColumn(const PaneItem& item) {
    return item.subItems.empty() ? std::string() : item.subItems[0];
}

bool TransferOperation::acceptName(const std::string& name, RefusedNameNotes* notes) {
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

std::optional<std::string> TransferOperation::pathBelowStart(const std::string& root,
                                                             const std::string& relative) {
    std::optional<std::string> path = pathBelow(root, relative);
    if (!path)
        log("! Not transferred, the path leaves " + printableName(root) + ": " +
            printableName(relative));
    return path;
}

std::optional<std::string> TransferOperation::writableLocalPath(const std::string& relative) {
    std::optional<std::string> path = pathBelowStart(m_startLocalDir, relative);
    if (path && !staysInsideTree(m_startLocalDir, *path)) {
        logLinkOnTheWay(*path);
        return std::nullopt;
    }
    return path;
}

void TransferOperation::logLinkOnTheWay(const std::string& path) {
    log("! Not written, the local path leads through a symbolic link: " + printableName(path));
}

}  // namespace quay

#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quay {

// One file or directory of a transfer batch. Both paths are made when the item is queued and
// never derived from each other: the local side of a tree is named by the checked names that
// led to it, whatever the server's paths look like.
struct TransferItem {
    TransferItem() = default;
    TransferItem(std::string remotePath, std::string localPath, std::int64_t bytes = 0)
        : remote(std::move(remotePath)), local(std::move(localPath)), size(bytes) {}

    // The remote path as the server is sent it: a download's source, an upload's target.
    std::string remote;
    // The path below the start local directory: entry names (never empty, ".", ".." or holding
    // "/" or NUL) joined by "/". A download's target, an upload's source.
    std::string local;
    // Files: the size the pane or the listing showed; 0 when unknown.
    std::int64_t size = 0;
    // The path typed into the overwrite prompt's "Save as"; when set it replaces the target
    // (the local file of a download, the remote file of an upload).
    std::string savedAs;
};

// The files and directories still to do in a batch, each in order.
struct TransferQueue {
    std::vector<TransferItem> files;
    std::vector<TransferItem> dirs;

    void clear() {
        files.clear();
        dirs.clear();
    }
};

// Removes and returns the first item of a non-empty list.
inline TransferItem takeFront(std::vector<TransferItem>& items) {
    TransferItem item = std::move(items.front());
    items.erase(items.begin());
    return item;
}

}  // namespace quay

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace quay {

// The texts the transfer queues are made of. A file entry is a path, one tab and the size in
// bytes in decimal ("path\tsize"); directories are plain paths. Remote paths use "/", local
// paths are absolute and use "/" as well (the local directory always ends in "/").

struct QueueEntry {
    std::string path;
    std::int64_t size = 0;
};

// "path\tsize". size is the text of a pane's size column, written as it is.
std::string queueEntry(std::string_view path, std::string_view size);
// Splits an entry at its first tab. The size is the decimal number after it; 0 when there is
// no tab, when the text is not a plain decimal number or when it does not fit 63 bits.
QueueEntry splitQueueEntry(std::string_view entry);
// A pane's size column as a byte count; -1 when it is not a plain decimal number.
std::int64_t parseByteCount(std::string_view text);

// The text after the last "/" (all of path when there is none).
std::string fileNamePart(std::string_view path);
// path with "/" appended unless it already ends in one; "/" for an empty path.
std::string withTrailingSlash(std::string path);

// The remote directory below startRemoteDir that hostDirName names, ending in "/" unless it
// is empty: the two paths lose a leading "/", and the part hostDirName shares with
// startRemoteDir from the start, character by character, is cut off.
std::string remoteRelativeDir(std::string_view hostDirName, std::string_view startRemoteDir);
// The path of the local directory dir below startLocalDir, as a remote path: "/" + the part
// after startLocalDir, ending in "/" ("/" alone for startLocalDir itself).
std::string localToRemotePath(std::string_view dir, std::string_view startLocalDir);
// The number of directory levels of a relative path ("a/b/" is 2).
int pathDepth(std::string_view relative);

// True when no part of path below root is a symbolic link, so writing to path stays inside
// root. Parts that do not exist yet are fine. A path outside root is not checked (the user
// named it).
bool staysInsideTree(const std::filesystem::path& root, const std::filesystem::path& path);

// The extension of the file-name part of path without its dot; empty when there is none.
std::string fileExtension(std::string_view path);

}  // namespace quay

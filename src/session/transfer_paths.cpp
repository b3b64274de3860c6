#include "session/transfer_paths.h"

#include <limits>
#include <system_error>

namespace quay {

std::string queueEntry(std::string_view path, std::string_view size) {
    std::string entry(path);
    entry += '\t';
    entry += size;
    return entry;
}

std::int64_t parseByteCount(std::string_view text) {
    if (text.empty())
        return -1;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return -1;
        value = value * 10 + digit;
    }
    return value;
}

QueueEntry splitQueueEntry(std::string_view entry) {
    const std::size_t tab = entry.find('\t');
    if (tab == std::string_view::npos)
        return {std::string(entry), 0};
    const std::int64_t size = parseByteCount(entry.substr(tab + 1));
    return {std::string(entry.substr(0, tab)), size < 0 ? 0 : size};
}

std::string fileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string withTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string remoteRelativeDir(std::string_view hostDirName, std::string_view startRemoteDir) {
    auto dropLeadingSlash = [](std::string_view& p) {
        if (p.starts_with('/'))
            p.remove_prefix(1);
    };
    dropLeadingSlash(hostDirName);
    dropLeadingSlash(startRemoteDir);
    std::size_t common = 0;
    while (common < hostDirName.size() && common < startRemoteDir.size() &&
           hostDirName[common] == startRemoteDir[common])
        ++common;
    std::string rel(hostDirName.substr(common));
    return rel.empty() ? rel : withTrailingSlash(std::move(rel));
}

std::string localToRemotePath(std::string_view dir, std::string_view startLocalDir) {
    std::string_view rest =
        dir.size() > startLocalDir.size() ? dir.substr(startLocalDir.size()) : std::string_view();
    std::string path = "/";
    path += rest;
    return withTrailingSlash(std::move(path));
}

int pathDepth(std::string_view relative) {
    int depth = 0;
    bool inPart = false;
    for (char c : relative) {
        if (c == '/') {
            inPart = false;
        } else if (!inPart) {
            inPart = true;
            ++depth;
        }
    }
    return depth;
}

bool staysInsideTree(const std::filesystem::path& root, const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    const fs::path rel = path.lexically_relative(root);
    if (rel.empty() || *rel.begin() == "..")
        return true;
    fs::path at = root;
    for (const fs::path& part : rel) {
        at /= part;
        std::error_code error;
        const fs::file_status status = fs::symlink_status(at, error);
        if (error || !fs::exists(status))
            return true;
        if (fs::is_symlink(status))
            return false;
    }
    return true;
}

std::string fileExtension(std::string_view path) {
    const std::string name = fileNamePart(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

}  // namespace quay

#include "session/transfer_paths.h"

#include <limits>
#include <system_error>
#include <vector>

namespace quay {

namespace {

// The parts of a path after lexical normalisation, without the empty part a trailing "/"
// leaves.
std::vector<std::filesystem::path> normalParts(std::string_view path) {
    std::vector<std::filesystem::path> parts;
    for (const std::filesystem::path& part : std::filesystem::path(path).lexically_normal())
        if (!part.empty())
            parts.push_back(part);
    return parts;
}

}  // namespace

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

std::string fileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string withTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string childPath(std::string_view relative, std::string_view name) {
    std::string path(relative);
    if (!path.empty())
        path += '/';
    path += name;
    return path;
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

bool isPathBelow(std::string_view root, std::string_view path) {
    const std::vector<std::filesystem::path> rootParts = normalParts(root);
    const std::vector<std::filesystem::path> parts = normalParts(path);
    if (parts.size() <= rootParts.size())
        return false;
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (parts[i] == ".." || parts[i] == "." ||
            (i < rootParts.size() && parts[i] != rootParts[i]))
            return false;
    return true;
}

std::optional<std::string> pathBelow(std::string_view root, std::string_view relative) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = relative.find('/', start);
        const std::string_view part = relative.substr(start, slash - start);
        if (part.empty() || part == "." || part == ".." || part.find('\0') != part.npos)
            return std::nullopt;
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    std::string path = root.empty() ? std::string() : withTrailingSlash(std::string(root));
    path += relative;
    if (!isPathBelow(root, path))
        return std::nullopt;
    return path;
}

bool staysInsideTree(const std::filesystem::path& root, const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    if (!isPathBelow(root.native(), path.native()))
        return false;
    fs::path at = root;
    for (const fs::path& part : path.lexically_relative(root)) {
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

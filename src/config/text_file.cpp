#include "config/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace quay {
namespace {

// Reads until end of file; false on a read error or when more than maxBytes arrive (the file
// may grow while it is read).
bool readAll(int fd, std::size_t maxBytes, std::string& out) {
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0) {
            return true;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (out.size() + static_cast<std::size_t>(got) > maxBytes) {
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

std::optional<std::string> readTextFile(const std::filesystem::path& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    std::string content;
    const bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    static_cast<std::size_t>(info.st_size) <= maxBytes &&
                    readAll(fd, maxBytes, content);
    ::close(fd);
    if (!ok) {
        return std::nullopt;
    }
    return content;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace quay

#include "session/log_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "config/ascii.h"

namespace quay {

LogFile::~LogFile() {
    close();
}

bool LogFile::open(const std::string& name) {
    close();
    const auto create = [](const std::string& path) {
        return path.empty() ? -1
                            : ::open(path.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0600);
    };
    m_fd = create(name);
    if (m_fd < 0)
        m_fd = create(name + "." + std::to_string(::getpid()));
    m_written = 0;
    m_full = false;
    return isOpen();
}

void LogFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

LogFile::Write LogFile::write(std::string_view line) {
    if (m_full)
        return Write::Written;
    std::string record = escapeControlBytes(line, true) + "\n";
    // Room is kept for the note, so the file never passes kMaxBytes.
    const auto noteSize = static_cast<std::int64_t>(kLimitNote.size() + 1);
    const bool crosses =
        m_written + static_cast<std::int64_t>(record.size()) > kMaxBytes - noteSize;
    if (crosses) {
        m_full = true;
        record = std::string(kLimitNote) + "\n";
    }
    if (!writeAll(record)) {
        close();
        return Write::Failed;
    }
    m_written += static_cast<std::int64_t>(record.size());
    return crosses ? Write::LimitReached : Write::Written;
}

bool LogFile::writeAll(const std::string& record) {
    const char* data = record.data();
    std::size_t left = record.size();
    while (left > 0) {
        const ssize_t written = ::write(m_fd, data, left);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace quay

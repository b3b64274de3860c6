#include "ftp/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace quay {

namespace {

std::runtime_error systemError(const std::string& what) {
    return std::runtime_error(what + std::strerror(errno));
}

// A FIFO, device, socket or directory would block the open (a FIFO without a peer), stall
// writes or reads, or take bytes meant for a file.
std::runtime_error notRegular() {
    return std::runtime_error("not a regular file");
}

}  // namespace

// Only regular files are opened. The name is checked before the open, so that no device is
// opened at all; the open does not block (a FIFO put there meanwhile), and the descriptor is
// checked again, so a swap between the two checks is caught as well.
void LocalFile::open(const std::string& path, int flags, std::int64_t offset) {
    close();
    // The system would stop reading the name at the NUL byte and open another file, one the
    // name only begins with (a name from a hostile listing could aim at an existing file).
    if (path.find('\0') != std::string::npos)
        throw std::runtime_error("cannot open a file name that holds a NUL byte");
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        throw notRegular();
    m_fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0644);
    if (m_fd < 0)
        throw systemError("");
    if (::fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close();
        throw notRegular();
    }
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    if (offset > 0 && lseek(m_fd, offset, SEEK_SET) != offset) {
        const auto error = systemError("cannot seek: ");
        close();
        throw error;
    }
}

void LocalFile::openForWrite(const std::string& path, bool truncate, std::int64_t offset) {
    open(path, truncate ? O_WRONLY | O_CREAT : O_WRONLY, truncate ? 0 : offset);
    m_emptyPending = truncate;
}

void LocalFile::emptyIfPending() {
    if (!m_emptyPending)
        return;
    struct stat st {};
    // A file that is empty already (a new one) is left alone: the file system takes a
    // truncation as a sign the file is being replaced and writes it out at close, which on a
    // tree of small files costs more than the transfers.
    if (::fstat(m_fd, &st) == 0 && st.st_size > 0 && ::ftruncate(m_fd, 0) != 0)
        throw std::runtime_error(std::string("cannot empty the file: ") + std::strerror(errno));
    m_emptyPending = false;
}

void LocalFile::openForRead(const std::string& path, std::int64_t offset) {
    open(path, O_RDONLY, offset);
}

void LocalFile::write(const char* data, std::int64_t len) {
    emptyIfPending();
    while (len > 0) {
        ssize_t n = ::write(m_fd, data, static_cast<std::size_t>(len));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error(std::string("write failed: ") + std::strerror(errno));
        data += n;
        len -= n;
    }
}

std::int64_t LocalFile::read(char* data, std::int64_t len) {
    for (;;) {
        ssize_t n = ::read(m_fd, data, static_cast<std::size_t>(len));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            throw std::runtime_error(std::string("read failed: ") + std::strerror(errno));
    }
}

void LocalFile::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    m_emptyPending = false;
}

std::int64_t LocalFile::sizeOf(const std::string& path) {
    struct stat st {};
    if (path.empty() || path.find('\0') != std::string::npos || ::stat(path.c_str(), &st) != 0)
        return -1;
    return st.st_size;
}

}  // namespace quay

#include "net/stream_layer.h"

#include <sys/socket.h>

#include <cerrno>
#include <climits>

#include "net/socket_error.h"

namespace quay {

namespace {

std::size_t chunk(std::int64_t len) {
    return static_cast<std::size_t>(len > INT_MAX ? INT_MAX : (len < 0 ? 0 : len));
}

}  // namespace

std::int64_t FdLayer::read(void* buffer, std::int64_t size, int& error) {
    const ssize_t n = ::recv(m_fd, buffer, chunk(size), 0);
    if (n < 0)
        error = mapErrno(errno);
    return n;
}

std::int64_t FdLayer::write(const void* data, std::int64_t len, int& error) {
    const ssize_t n = ::send(m_fd, data, chunk(len), MSG_NOSIGNAL);
    if (n < 0)
        error = mapErrno(errno);
    return n;
}

std::int64_t FdLayer::peek(int& error) {
    char byte;
    const ssize_t n = ::recv(m_fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n < 0)
        error = mapErrno(errno);
    return n;
}

}  // namespace quay

#include "fuzz_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace quay::fuzz {

namespace {

int listenLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(addr.sin_port);
    return fd;
}

int acceptNonBlocking(int listener) {
    return ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
}

}  // namespace

FuzzPeer::FuzzPeer(std::vector<std::string> replies, std::vector<std::string> dataChunks)
    : m_replies(std::move(replies)), m_dataChunks(std::move(dataChunks)) {
    m_listener = listenLoopback(m_port);
}

FuzzPeer::~FuzzPeer() {
    closeFd(m_data);
    closeFd(m_dataListener);
    closeFd(m_control);
    closeFd(m_listener);
}

void FuzzPeer::closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool FuzzPeer::step() {
    m_progress = false;
    acceptControl();
    readCommands();
    if (m_control >= 0 && !flush(m_control, m_controlOut))
        closeFd(m_control);
    serveData();
    return m_progress;
}

bool FuzzPeer::giveUp() {
    if (m_data >= 0 || m_dataListener >= 0) {
        closeFd(m_data);
        closeFd(m_dataListener);
        return true;
    }
    if (m_control >= 0 || m_listener >= 0) {
        closeFd(m_control);
        closeFd(m_listener);
        return true;
    }
    return false;
}

void FuzzPeer::acceptControl() {
    if (m_listener < 0 || m_control >= 0)
        return;
    m_control = acceptNonBlocking(m_listener);
    if (m_control < 0)
        return;
    m_progress = true;
    // One session per run: a second connection attempt is refused.
    closeFd(m_listener);
    answer({});
}

void FuzzPeer::readCommands() {
    if (m_control < 0)
        return;
    char buffer[4096];
    const ssize_t n = ::recv(m_control, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        closeFd(m_control);
        m_progress = true;
        return;
    }
    if (n < 0)
        return;
    m_progress = true;
    // The client speaks TLS now: its bytes are no command lines, and the replies still left
    // answer its first ones (a server's handshake comes after the client's hello).
    if (m_rawReplies) {
        while (m_nextReply < m_replies.size())
            m_controlOut += m_replies[m_nextReply++];
        return;
    }
    m_commandBytes.append(buffer, static_cast<std::size_t>(n));
    std::size_t end;
    while (m_control >= 0 && (end = m_commandBytes.find('\n')) != std::string::npos) {
        const std::string command = m_commandBytes.substr(0, end);
        m_commandBytes.erase(0, end + 1);
        answer(command);
    }
}

void FuzzPeer::answer(std::string_view command) {
    const bool extendedReplyNext =
        m_nextReply < m_replies.size() && m_replies[m_nextReply].rfind("229", 0) == 0;
    if (command.rfind("EPSV", 0) == 0 && !extendedReplyNext) {
        m_controlOut += "502 EPSV not implemented\r\n";
        return;
    }
    if (command.rfind("PASV", 0) == 0 || command.rfind("EPSV", 0) == 0)
        openPassive();
    else if (command.rfind("PORT ", 0) == 0)
        connectActive(command.substr(5));
    if (m_nextReply >= m_replies.size()) {
        closeFd(m_control);
        return;
    }
    std::string reply = m_replies[m_nextReply++];
    const std::size_t token = reply.find("%PORT%");
    if (token != std::string::npos) {
        char numbers[32];
        if (extendedReplyNext)
            std::snprintf(numbers, sizeof numbers, "%d", m_passivePort);
        else
            std::snprintf(numbers, sizeof numbers, "127,0,0,1,%d,%d", m_passivePort >> 8,
                          m_passivePort & 0xff);
        reply.replace(token, 6, numbers);
    }
    m_controlOut += reply;
    const bool tlsNext = reply.rfind("234", 0) == 0 ||
                         (command.empty() && !reply.empty() && (reply[0] < '0' || reply[0] > '9'));
    m_rawReplies = m_rawReplies || tlsNext;
}

void FuzzPeer::openPassive() {
    closeFd(m_dataListener);
    closeFd(m_data);
    m_dataListener = listenLoopback(m_passivePort);
    m_dataLoaded = m_dataShut = false;
}

void FuzzPeer::connectActive(std::string_view numbers) {
    unsigned value[6] = {};
    if (std::sscanf(std::string(numbers).c_str(), "%u,%u,%u,%u,%u,%u", &value[0], &value[1],
                    &value[2], &value[3], &value[4], &value[5]) != 6 ||
        value[4] > 255 || value[5] > 255)
        return;
    closeFd(m_dataListener);
    closeFd(m_data);
    m_dataLoaded = m_dataShut = false;
    m_data = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_data < 0)
        return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(value[4] * 256 + value[5]));
    if (::connect(m_data, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
        errno != EINPROGRESS)
        closeFd(m_data);
}

void FuzzPeer::serveData() {
    if (m_data < 0 && m_dataListener >= 0) {
        m_data = acceptNonBlocking(m_dataListener);
        if (m_data < 0)
            return;
        closeFd(m_dataListener);
        m_progress = true;
    }
    if (m_data < 0)
        return;
    if (!m_dataLoaded) {
        m_dataOut = m_nextData < m_dataChunks.size() ? m_dataChunks[m_nextData++] : std::string();
        m_dataLoaded = true;
    }
    if (!flush(m_data, m_dataOut)) {
        closeFd(m_data);
        m_progress = true;
        return;
    }
    if (!m_dataOut.empty())
        return;
    if (!m_dataShut) {
        m_dataShut = ::shutdown(m_data, SHUT_WR) == 0;
        if (!m_dataShut)
            return;  // an active connection still being made
        m_progress = true;
    }
    char buffer[65536];
    const ssize_t n = ::recv(m_data, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) {
        closeFd(m_data);
        m_progress = true;
    } else if (n > 0) {
        m_progress = true;
    }
}

// False when the connection is broken.
bool FuzzPeer::flush(int fd, std::string& out) {
    while (!out.empty()) {
        const ssize_t n = ::send(fd, out.data(), out.size(), MSG_NOSIGNAL);
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOTCONN;
        out.erase(0, static_cast<std::size_t>(n));
        m_progress = true;
    }
    return true;
}

}  // namespace quay::fuzz

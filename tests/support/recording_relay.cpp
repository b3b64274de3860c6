#include "recording_relay.h"

#include "test_support.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace quay::test {

namespace {

bool forward(int from, int to, std::string* record, std::mutex& mutex) {
    char buffer[16384];
    const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
    if (n <= 0) {
        ::shutdown(to, SHUT_WR);
        return false;
    }
    if (record) {
        std::lock_guard lock(mutex);
        record->append(buffer, static_cast<std::size_t>(n));
    }
    for (ssize_t sent = 0; sent < n;) {
        const ssize_t m =
            ::send(to, buffer + sent, static_cast<std::size_t>(n - sent), MSG_NOSIGNAL);
        if (m <= 0)
            return false;
        sent += m;
    }
    return true;
}

}  // namespace

RecordingRelay::RecordingRelay(int targetPort)
    : m_targetPort(targetPort), m_fd(listenOnLoopback(m_port)) {
    m_acceptor = std::thread([this] { acceptLoop(); });
}

RecordingRelay::~RecordingRelay() {
    m_stop = true;
    m_acceptor.join();
    for (auto& relay : m_relays)
        relay.join();
    ::close(m_fd);
}

std::string RecordingRelay::clientBytes() const {
    std::lock_guard lock(m_mutex);
    return m_clientBytes;
}

void RecordingRelay::acceptLoop() {
    while (!m_stop) {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0)
            continue;
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            m_relays.emplace_back([this, client] { relay(client); });
    }
}

void RecordingRelay::relay(int client) {
    const int target = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(m_targetPort);
    bool up = ::connect(target, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    bool down = up;
    while ((up || down) && !m_stop) {
        pollfd fds[2] = {{client, static_cast<short>(up ? POLLIN : 0), 0},
                         {target, static_cast<short>(down ? POLLIN : 0), 0}};
        if (::poll(fds, 2, 50) <= 0)
            continue;
        if (up && fds[0].revents)
            up = forward(client, target, &m_clientBytes, m_mutex);
        if (down && fds[1].revents)
            down = forward(target, client, nullptr, m_mutex);
    }
    ::close(target);
    ::close(client);
}

}  // namespace quay::test

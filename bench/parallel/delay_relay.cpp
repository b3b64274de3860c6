#include "delay_relay.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <exception>
#include <list>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_support.h"

namespace quay::bench {

namespace {

using Clock = std::chrono::steady_clock;

// Sends each chunk as it is written: Nagle's rule would hold a reply behind the client's
// delayed acknowledgement of the one before (40 ms), which is the relay's doing, not the
// network's it stands for.
void sendAtOnce(int fd) {
    const int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int connectToServer(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = test::loopback(port);
    if (fd < 0 || ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    sendAtOnce(fd);
    return fd;
}

// Sends what it can of text without blocking and removes it; false when the peer is gone.
bool sendSome(int fd, std::string& text) {
    while (!text.empty()) {
        const ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
        if (sent < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK;
        text.erase(0, static_cast<std::size_t>(sent));
    }
    return true;
}

// One client and the connection to the server made for it.
struct Pair {
    struct Chunk {
        Clock::time_point due;
        std::string bytes;
    };
    int client = -1;
    int server = -1;
    std::deque<Chunk> toClient;  // held until due
    std::string toServer;        // what the server did not take yet
    bool serverEnded = false;
    bool broken = false;

    ~Pair() {
        for (int fd : {client, server})
            if (fd >= 0)
                ::close(fd);
    }
    bool due(Clock::time_point now) const {
        return !toClient.empty() && toClient.front().due <= now;
    }
    bool finished() const { return broken || (serverEnded && toClient.empty()); }

    // Reads what fd has; false at its end or on an error.
    static bool readInto(int fd, std::string& bytes) {
        char buffer[16384];
        const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
        if (got > 0)
            bytes.append(buffer, static_cast<std::size_t>(got));
        return got > 0 || (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }
    long long readServer(Clock::time_point due) {
        std::string bytes;
        serverEnded = !readInto(server, bytes);
        if (!bytes.empty())
            toClient.push_back({due, bytes});
        return static_cast<long long>(bytes.size());
    }
    void readClient() { broken = !readInto(client, toServer) || !sendSome(server, toServer); }
    void sendDue(Clock::time_point now) {
        while (!broken && due(now)) {
            broken = !sendSome(client, toClient.front().bytes);
            if (!toClient.front().bytes.empty())
                return;
            toClient.pop_front();
        }
    }
};

}  // namespace

DelayRelay::DelayRelay(int serverPort, std::chrono::milliseconds delay)
    : m_serverPort(serverPort), m_delay(delay) {
    m_listener = test::listenOnLoopback(m_port);
    ::fcntl(m_listener, F_SETFL, ::fcntl(m_listener, F_GETFL) | O_NONBLOCK);
    if (::pipe2(m_stopPipe, O_CLOEXEC) != 0) {
        ::close(m_listener);
        throw std::runtime_error("the relay has no stop pipe");
    }
    m_thread = std::thread([this] { run(); });
}

DelayRelay::~DelayRelay() {
    const char stop = 's';
    if (::write(m_stopPipe[1], &stop, 1) != 1)
        std::terminate();
    m_thread.join();
    for (int fd : {m_listener, m_stopPipe[0], m_stopPipe[1]})
        ::close(fd);
}

void DelayRelay::run() {
    std::list<Pair> pairs;
    std::vector<pollfd> fds;
    for (;;) {
        const Clock::time_point now = Clock::now();
        // Wakes when the earliest held chunk falls due.
        int timeout = -1;
        for (const Pair& pair : pairs)
            if (!pair.toClient.empty()) {
                const auto wait =
                    std::chrono::ceil<std::chrono::milliseconds>(pair.toClient.front().due - now);
                const int ms = std::max(0, static_cast<int>(wait.count()));
                timeout = timeout < 0 ? ms : std::min(timeout, ms);
            }
        fds.assign({{m_stopPipe[0], POLLIN, 0}, {m_listener, POLLIN, 0}});
        for (const Pair& pair : pairs) {
            const bool clientOut = pair.due(now);
            fds.push_back({pair.client, static_cast<short>(POLLIN | (clientOut ? POLLOUT : 0)), 0});
            const short serverEvents = static_cast<short>((pair.serverEnded ? 0 : POLLIN) |
                                                          (pair.toServer.empty() ? 0 : POLLOUT));
            fds.push_back({pair.server, serverEvents, 0});
        }
        if (::poll(fds.data(), fds.size(), timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents != 0)
            return;
        const Clock::time_point woke = Clock::now();
        std::size_t index = 2;
        for (Pair& pair : pairs) {
            const short clientEvents = fds[index++].revents;
            const short serverEvents = fds[index++].revents;
            if ((serverEvents & (POLLIN | POLLHUP | POLLERR)) != 0 && !pair.serverEnded)
                m_bytesFromServer += pair.readServer(woke + m_delay);
            if ((serverEvents & POLLOUT) != 0)
                pair.broken = pair.broken || !sendSome(pair.server, pair.toServer);
            if ((clientEvents & (POLLIN | POLLHUP | POLLERR)) != 0 && !pair.broken)
                pair.readClient();
            pair.sendDue(woke);
        }
        pairs.remove_if([](const Pair& pair) { return pair.finished(); });
        if ((fds[1].revents & POLLIN) != 0) {
            const int client =
                ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            const int server = client >= 0 ? connectToServer(m_serverPort) : -1;
            if (server < 0 && client >= 0)
                ::close(client);
            if (server >= 0) {
                sendAtOnce(client);
                ++m_connections;
                pairs.emplace_back().client = client;
                pairs.back().server = server;
            }
        }
    }
}

}  // namespace quay::bench

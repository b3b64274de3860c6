#include "dropping_relay.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "test_support.h"

namespace quay::test {

namespace {

constexpr int kPollMs = 50;
// How long a data listener waits for the client before it gives up.
constexpr int kAcceptWaitMs = 30000;

bool sendAll(int fd, const char* bytes, std::size_t size) {
    for (std::size_t sent = 0; sent < size;) {
        const ssize_t n = ::send(fd, bytes + sent, size - sent, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Closes fd with a reset instead of an orderly end, as a dropped path looks to its ends.
void reset(int fd) {
    const linger abortive{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    ::close(fd);
}

int connectTo(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(port);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The data port a passive reply names: "227 ... (h1,h2,h3,h4,p1,p2)" or "229 ... (|||port|)".
int passivePort(const std::string& line, std::size_t open) {
    unsigned h[4] = {};
    unsigned high = 0;
    unsigned low = 0;
    unsigned port = 0;
    if (line.starts_with("227 ") && std::sscanf(line.c_str() + open, "(%u,%u,%u,%u,%u,%u)", &h[0],
                                                &h[1], &h[2], &h[3], &high, &low) == 6)
        return static_cast<int>(high * 256 + low);
    if (line.starts_with("229 ") && std::sscanf(line.c_str() + open, "(|||%u|)", &port) == 1)
        return static_cast<int>(port);
    return 0;
}

}  // namespace

DroppingRelay::DroppingRelay(int serverPort, int every, std::int64_t after)
    : m_serverPort(serverPort),
      m_every(std::max(every, 1)),
      m_after(after),
      m_listener(listenOnLoopback(m_port)) {
    m_acceptor = std::thread([this] { acceptControl(); });
}

DroppingRelay::~DroppingRelay() {
    m_stop = true;
    m_acceptor.join();
    // A control thread may still add a data thread while it winds down.
    for (;;) {
        std::list<std::thread> threads;
        {
            std::lock_guard lock(m_mutex);
            threads.swap(m_threads);
        }
        if (threads.empty())
            break;
        for (std::thread& thread : threads)
            thread.join();
    }
    ::close(m_listener);
}

std::vector<std::string> DroppingRelay::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

void DroppingRelay::spawn(std::function<void()> work) {
    std::lock_guard lock(m_mutex);
    m_threads.emplace_back(std::move(work));
}

void DroppingRelay::acceptControl() {
    while (!m_stop) {
        pollfd listening{m_listener, POLLIN, 0};
        if (::poll(&listening, 1, kPollMs) <= 0)
            continue;
        const int client = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client >= 0)
            spawn([this, client] { relayControl(client); });
    }
}

void DroppingRelay::relayControl(int client) {
    const int server = connectTo(m_serverPort);
    bool fromClient = server >= 0;
    bool fromServer = fromClient;
    std::string commandPart;
    std::string replyPart;
    char buffer[16384];
    while ((fromClient || fromServer) && !m_stop) {
        pollfd fds[2] = {{client, static_cast<short>(fromClient ? POLLIN : 0), 0},
                         {server, static_cast<short>(fromServer ? POLLIN : 0), 0}};
        if (::poll(fds, 2, kPollMs) <= 0)
            continue;
        if (fromClient && fds[0].revents != 0) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            fromClient = n > 0 && sendAll(server, buffer, static_cast<std::size_t>(n));
            if (n > 0)
                commandPart.append(buffer, static_cast<std::size_t>(n));
            for (std::size_t end; (end = commandPart.find("\r\n")) != std::string::npos;) {
                std::lock_guard lock(m_mutex);
                m_commands.push_back(commandPart.substr(0, end));
                commandPart.erase(0, end + 2);
            }
            if (!fromClient)
                ::shutdown(server, SHUT_WR);
        }
        if (fromServer && fds[1].revents != 0) {
            const ssize_t n = ::recv(server, buffer, sizeof buffer, 0);
            if (n > 0)
                replyPart.append(buffer, static_cast<std::size_t>(n));
            fromServer = n > 0;
            // Whole lines go on; a passive reply with the relay's own data port.
            for (std::size_t end;
                 fromServer && (end = replyPart.find('\n')) != std::string::npos;) {
                const std::string line = redirectPassive(replyPart.substr(0, end + 1));
                replyPart.erase(0, end + 1);
                fromServer = sendAll(client, line.data(), line.size());
            }
            if (!fromServer)
                ::shutdown(client, SHUT_WR);
        }
    }
    if (server >= 0)
        ::close(server);
    ::close(client);
}

std::string DroppingRelay::redirectPassive(const std::string& line) {
    const std::size_t open = line.find('(');
    const std::size_t close = line.find(')', open);
    const int serverPort = open == std::string::npos ? 0 : passivePort(line, open);
    if (serverPort == 0 || close == std::string::npos)
        return line;
    int port = 0;
    const int listener = listenOnLoopback(port);
    const int number = ++m_dataConnections;
    const bool cut = number % m_every == 0;
    spawn([this, listener, serverPort, cut] { relayData(listener, serverPort, cut); });
    const std::string address =
        line.starts_with("227 ")
            ? "(127,0,0,1," + std::to_string(port / 256) + "," + std::to_string(port % 256) + ")"
            : "(|||" + std::to_string(port) + "|)";
    return line.substr(0, open) + address + line.substr(close + 1);
}

void DroppingRelay::relayData(int listener, int serverPort, bool cut) {
    int client = -1;
    for (int waited = 0; client < 0 && waited < kAcceptWaitMs && !m_stop; waited += kPollMs) {
        pollfd listening{listener, POLLIN, 0};
        if (::poll(&listening, 1, kPollMs) > 0)
            client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    ::close(listener);
    const int server = client >= 0 ? connectTo(serverPort) : -1;
    std::int64_t crossed = 0;
    int ends[2] = {client, server};
    bool open[2] = {server >= 0, server >= 0};
    char buffer[16384];
    while ((open[0] || open[1]) && !m_stop) {
        pollfd fds[2] = {{ends[0], static_cast<short>(open[0] ? POLLIN : 0), 0},
                         {ends[1], static_cast<short>(open[1] ? POLLIN : 0), 0}};
        if (::poll(fds, 2, kPollMs) <= 0)
            continue;
        for (int from = 0; from < 2; ++from) {
            if (!open[from] || fds[from].revents == 0)
                continue;
            const int to = ends[1 - from];
            // A cut connection carries exactly `after` bytes, then is reset both ways.
            const std::size_t room = cut ? static_cast<std::size_t>(std::min<std::int64_t>(
                                               sizeof buffer, m_after - crossed))
                                         : sizeof buffer;
            const ssize_t n = ::recv(ends[from], buffer, room, 0);
            open[from] = n > 0 && sendAll(to, buffer, static_cast<std::size_t>(n));
            crossed += std::max<ssize_t>(n, 0);
            if (!open[from])
                ::shutdown(to, SHUT_WR);
        }
        if (cut && crossed >= m_after) {
            reset(client);
            reset(server);
            ++m_cuts;
            return;
        }
    }
    if (server >= 0)
        ::close(server);
    if (client >= 0)
        ::close(client);
}

}  // namespace quay::test

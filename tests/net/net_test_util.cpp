#include "net_test_util.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

namespace quay::test {

namespace {

bool waitReadable(int fd, std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
        return false;
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(left.count())) > 0;
}

const char* stateName(SocketState s) {
    static const char* const names[] = {"invalid",   "opened",    "bound",     "connecting",
                                        "connected", "accepting", "listening", "closed"};
    return names[static_cast<int>(s)];
}

}  // namespace

PosixListener::PosixListener() : m_fd(listenOnLoopback(m_port)) {}

PosixListener::~PosixListener() {
    ::close(m_fd);
}

int PosixListener::acceptOne(std::chrono::milliseconds timeout) {
    if (!waitReadable(m_fd, std::chrono::steady_clock::now() + timeout))
        return -1;
    return ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
}

int posixConnect(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = loopback(port);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string posixRead(int fd, std::size_t n, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string out;
    char buf[65536];
    while (out.size() < n && waitReadable(fd, deadline)) {
        const ssize_t got = ::recv(fd, buf, std::min(sizeof buf, n - out.size()), 0);
        if (got <= 0)
            break;
        out.append(buf, static_cast<std::size_t>(got));
    }
    return out;
}

void posixWrite(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            throw std::runtime_error("posixWrite failed");
        done += static_cast<std::size_t>(n);
    }
}

void posixReset(int fd) {
    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd);
}

void posixClose(int fd) {
    if (fd >= 0)
        ::close(fd);
}

std::string thrown(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const SocketException& e) {
        return e.what();
    }
    return "no exception";
}

void recordEvents(Socket& socket, std::vector<std::string>& log) {
    socket.onChangeState = [&log](SocketState from, SocketState to) {
        log.push_back(std::string("state ") + stateName(from) + ">" + stateName(to));
    };
    socket.onSessionConnected = [&log](int e) { log.push_back("connected " + std::to_string(e)); };
    socket.onSessionClosed = [&log](int e) { log.push_back("closed " + std::to_string(e)); };
    socket.onDataSent = [&log](int e) { log.push_back("sent " + std::to_string(e)); };
    socket.onSocksConnected = [&log](int e) {
        log.push_back("socks-connected " + std::to_string(e));
    };
    socket.onSocksAuthState = [&log](SocksAuthState s) {
        log.push_back("auth " + std::to_string(static_cast<int>(s)));
    };
    socket.onSocksError = [&log](int e, const std::string& msg) {
        log.push_back("socks-error " + std::to_string(e) + " " + msg);
    };
}

std::vector<std::string> without(const std::vector<std::string>& log, const std::string& prefix) {
    std::vector<std::string> out;
    for (const auto& entry : log)
        if (entry.rfind(prefix, 0) != 0)
            out.push_back(entry);
    return out;
}

void collectData(Socket& socket, std::string& out) {
    socket.onDataAvailable = [&socket, &out](int) {
        char buf[4096];
        const std::int64_t n = socket.receive(buf, sizeof buf);
        if (n > 0)
            out.append(buf, static_cast<std::size_t>(n));
    };
}

EchoServer::EchoServer() : m_fd(listenOnLoopback(m_port)) {
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
    m_thread = std::thread([this] {
        std::vector<pollfd> fds{{m_stopFd, POLLIN, 0}, {m_fd, POLLIN, 0}};
        char buf[65536];
        while (::poll(fds.data(), fds.size(), -1) > 0 && !fds[0].revents) {
            for (std::size_t i = 1; i < fds.size(); ++i) {
                if (!fds[i].revents)
                    continue;
                if (i == 1) {
                    fds.push_back({::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC), POLLIN, 0});
                    continue;
                }
                const ssize_t n = ::recv(fds[i].fd, buf, sizeof buf, 0);
                if (n > 0 && ::send(fds[i].fd, buf, static_cast<std::size_t>(n), MSG_NOSIGNAL) > 0)
                    continue;
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
        for (std::size_t i = 2; i < fds.size(); ++i)
            if (fds[i].fd >= 0)
                ::close(fds[i].fd);
    });
}

EchoServer::~EchoServer() {
    std::uint64_t one = 1;
    [[maybe_unused]] auto written = ::write(m_stopFd, &one, sizeof one);
    m_thread.join();
    ::close(m_stopFd);
    ::close(m_fd);
}

}  // namespace quay::test

namespace quay::test {

std::string transportName(const ::testing::TestParamInfo<Transport>& info) {
    return info.param == Transport::Tls ? "Tls" : "Plain";
}

TransportPath::TransportPath(Transport transport, int peerPort) : m_peerPort(peerPort) {
    if (transport == Transport::Plain)
        return;
    m_certificate = std::make_unique<TestCertificate>();
    m_terminator = std::make_unique<TlsTerminator>(peerPort, *m_certificate);
    m_settings = std::make_shared<TlsSettings>(TlsSettings{TlsContext::client(), "127.0.0.1", {}});
}

void TransportPath::settle() const {
    for (int i = 0; i < 500 && m_terminator && m_terminator->active() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace quay::test

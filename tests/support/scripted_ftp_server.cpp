#include "scripted_ftp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdio>

namespace quay::test {

namespace {

constexpr std::chrono::milliseconds kPollSlice{50};

int listenOnLoopback(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 4) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        throw std::runtime_error("cannot listen on 127.0.0.1");
    }
    port = ntohs(addr.sin_port);
    return fd;
}

// A send that the client never drains must not block the server thread (and the test's
// destructor that joins it) for ever.
void limitSendTime(int fd) {
    timeval limit{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

void closeFd(int& fd) {
    if (fd >= 0)
        close(fd);
    fd = -1;
}

}  // namespace

ScriptedFtpSession::ScriptedFtpSession(int controlFd, const std::atomic<bool>& stopping,
                                       std::function<void(const std::string&)> onCommand)
    : m_control(controlFd), m_stopping(stopping), m_onCommand(std::move(onCommand)) {}

ScriptedFtpSession::~ScriptedFtpSession() {
    closeFd(m_data);
    closeFd(m_dataListener);
    closeFd(m_control);
}

bool ScriptedFtpSession::waitReadable(int fd, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_stopping && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(kPollSlice.count())) > 0)
            return true;
    }
    return false;
}

void ScriptedFtpSession::sendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n <= 0)
            throw ScriptError("send failed");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void ScriptedFtpSession::send(std::string_view bytes) {
    if (m_control < 0)
        throw ScriptError("control connection closed");
    sendAll(m_control, bytes);
}

void ScriptedFtpSession::reply(std::string_view line) {
    send(std::string(line) + "\r\n");
}

std::string ScriptedFtpSession::readCommand() {
    for (;;) {
        auto end = m_pending.find('\n');
        if (end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            m_onCommand(line);
            if (refuseEpsv && line == "EPSV") {
                reply("502 EPSV not implemented");
                continue;
            }
            return line;
        }
        if (m_control < 0 || !waitReadable(m_control, ioTimeout))
            throw ScriptError("no command from the client");
        char buf[4096];
        ssize_t n = recv(m_control, buf, sizeof buf, 0);
        if (n <= 0)
            throw ScriptError("client closed the control connection");
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
}

std::string ScriptedFtpSession::expect(std::string_view prefix) {
    std::string line = readCommand();
    if (line.compare(0, prefix.size(), prefix) != 0)
        throw ScriptError("expected " + std::string(prefix) + ", got " + line);
    return line;
}

bool ScriptedFtpSession::waitForClose(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (m_control >= 0 && !m_stopping && std::chrono::steady_clock::now() < deadline) {
        if (!waitReadable(m_control, kPollSlice))
            continue;
        char buf[4096];
        ssize_t n = recv(m_control, buf, sizeof buf, 0);
        if (n <= 0)
            return true;
        m_pending.append(buf, static_cast<std::size_t>(n));
    }
    return false;
}

void ScriptedFtpSession::closeControl() {
    closeFd(m_control);
}

int ScriptedFtpSession::listenData() {
    closeFd(m_dataListener);
    int port = 0;
    m_dataListener = listenOnLoopback(port);
    return port;
}

void ScriptedFtpSession::acceptData() {
    if (m_dataListener < 0 || !waitReadable(m_dataListener, ioTimeout))
        throw ScriptError("no data connection from the client");
    closeFd(m_data);
    m_data = accept4(m_dataListener, nullptr, nullptr, SOCK_CLOEXEC);
    closeFd(m_dataListener);
    if (m_data < 0)
        throw ScriptError("accept failed");
    limitSendTime(m_data);
}

void ScriptedFtpSession::connectData(const std::string& portLine) {
    unsigned h[4], p[2];
    if (std::sscanf(portLine.c_str(), "PORT %u,%u,%u,%u,%u,%u", &h[0], &h[1], &h[2], &h[3], &p[0],
                    &p[1]) != 6)
        throw ScriptError("bad PORT line " + portLine);
    closeFd(m_data);
    m_data = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl((h[0] << 24) | (h[1] << 16) | (h[2] << 8) | h[3]);
    addr.sin_port = htons(static_cast<uint16_t>(p[0] * 256 + p[1]));
    if (connect(m_data, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw ScriptError("cannot connect to " + portLine);
    limitSendTime(m_data);
}

void ScriptedFtpSession::sendData(std::string_view bytes) {
    if (m_data < 0)
        throw ScriptError("no data connection");
    sendAll(m_data, bytes);
}

std::string ScriptedFtpSession::receiveData() {
    std::string result;
    for (;;) {
        if (m_data < 0 || !waitReadable(m_data, ioTimeout))
            throw ScriptError("data connection stalled");
        char buf[65536];
        ssize_t n = recv(m_data, buf, sizeof buf, 0);
        if (n <= 0)
            return result;
        result.append(buf, static_cast<std::size_t>(n));
    }
}

bool ScriptedFtpSession::waitForDataClose(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (m_data >= 0 && !m_stopping && std::chrono::steady_clock::now() < deadline) {
        if (!waitReadable(m_data, kPollSlice))
            continue;
        char buf[65536];
        if (recv(m_data, buf, sizeof buf, 0) <= 0)
            return true;
    }
    return false;
}

void ScriptedFtpSession::closeData() {
    closeFd(m_data);
}

void ScriptedFtpSession::resetData() {
    if (m_data >= 0) {
        const linger abortive{1, 0};
        ::setsockopt(m_data, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
    }
    closeFd(m_data);
}

ScriptedFtpServer::ScriptedFtpServer(Script script) : m_script(std::move(script)) {
    m_listener = listenOnLoopback(m_port);
    m_thread = std::thread([this] { serve(); });
}

ScriptedFtpServer::~ScriptedFtpServer() {
    m_stopping = true;
    m_thread.join();
    closeFd(m_listener);
}

void ScriptedFtpServer::serve() {
    while (!m_stopping) {
        pollfd p{m_listener, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(kPollSlice.count())) <= 0)
            continue;
        int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        limitSendTime(fd);
        ScriptedFtpSession session(fd, m_stopping, [this](const std::string& line) {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(line);
        });
        try {
            m_script(session);
        } catch (const std::exception& e) {
            std::lock_guard lock(m_mutex);
            if (m_failure.empty())
                m_failure = e.what();
        }
        ++m_finished;
    }
}

std::vector<std::string> ScriptedFtpServer::commands() const {
    std::lock_guard lock(m_mutex);
    return m_commands;
}

std::string ScriptedFtpServer::failure() const {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

std::string ScriptedFtpServer::extendedPassiveReply(int port) {
    return "229 Entering Extended Passive Mode (|||" + std::to_string(port) + "|)";
}

std::string ScriptedFtpServer::passiveReply(int port, const std::string& host) {
    return "227 Entering Passive Mode (" + host + "," + std::to_string(port / 256) + "," +
           std::to_string(port % 256) + ").";
}

}  // namespace quay::test

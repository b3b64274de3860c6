#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include <memory>

#include "base/poll_loop.h"
#include "net/socket.h"
#include "tls_peers.h"

namespace quay::test {

// A plain blocking POSIX listener on 127.0.0.1 with a system-chosen port.
class PosixListener {
public:
    PosixListener();
    ~PosixListener();
    PosixListener(const PosixListener&) = delete;
    PosixListener& operator=(const PosixListener&) = delete;
    int port() const { return m_port; }
    // Waits up to the timeout for a connection; -1 when none came.
    int acceptOne(std::chrono::milliseconds timeout = std::chrono::seconds(5));

private:
    int m_port = 0;  // set by the initialiser of m_fd, so declared first
    int m_fd = -1;
};

// A plain blocking connection to 127.0.0.1:port; -1 on failure.
int posixConnect(int port);
// Reads exactly n bytes (less when the peer closes or the timeout passes).
std::string posixRead(int fd, std::size_t n,
                      std::chrono::milliseconds timeout = std::chrono::seconds(5));
// Reads until end of stream or the timeout.
inline std::string posixReadAll(int fd) {
    return posixRead(fd, std::string::npos);
}
void posixWrite(int fd, const std::string& data);
// Closes with a reset instead of a FIN.
void posixReset(int fd);
void posixClose(int fd);

// The message of the SocketException that fn throws, or "no exception".
std::string thrown(const std::function<void()>& fn);

// Records the events of a socket as short texts ("state 7>1", "connected 0", "closed 0",
// "data 0", "sent 0", "socks-connected 0", "auth 1", "socks-error 20003 ...").
void recordEvents(Socket& socket, std::vector<std::string>& log);
// The log without the entries that start with the given prefix.
std::vector<std::string> without(const std::vector<std::string>& log, const std::string& prefix);

// Receives everything that arrives on `socket` from its onDataAvailable into `out`.
void collectData(Socket& socket, std::string& out);

// Echoes every connection on 127.0.0.1 until destroyed (the destination behind proxies).
class EchoServer {
public:
    EchoServer();
    ~EchoServer();
    EchoServer(const EchoServer&) = delete;
    EchoServer& operator=(const EchoServer&) = delete;
    int port() const { return m_port; }

private:
    int m_port = 0;  // set by the initialiser of m_fd, so declared first
    int m_fd = -1;
    int m_stopFd = -1;
    std::thread m_thread;
};

}  // namespace quay::test

namespace quay::test {

// The stacks the stream tests run over: plain TCP, and TLS ended by a TlsTerminator in front
// of the test's plain peer (so the peer's side of every test stays the same).
enum class Transport { Plain, Tls };
std::string transportName(const ::testing::TestParamInfo<Transport>& info);

// Where a test's socket connects to reach `peerPort` over the transport, and how.
class TransportPath {
public:
    TransportPath(Transport transport, int peerPort);
    int port() const { return m_terminator ? m_terminator->port() : m_peerPort; }
    // Prepares a socket before its connect().
    void apply(Socket& socket) const { socket.setTls(m_settings); }
    // Waits (up to 5 s) until the terminator has let go of every relayed connection.
    void settle() const;

private:
    int m_peerPort;
    std::unique_ptr<TestCertificate> m_certificate;
    std::unique_ptr<TlsTerminator> m_terminator;
    std::shared_ptr<const TlsSettings> m_settings;
};

}  // namespace quay::test

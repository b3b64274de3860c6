#pragma once

#include <atomic>
#include <chrono>
#include <thread>

namespace quay::bench {

// A TCP forwarder on 127.0.0.1 in front of a server on 127.0.0.1, standing for a network with
// a round trip: every chunk the server sends is held `delay` before it goes on to the client
// (in order); what the client sends goes on at once. Meant for the control connection: a
// passive-mode reply names the server's own data port on 127.0.0.1, so data connections go
// to the server directly, which connections() and bytesFromServer() let a caller check.
// Runs one poll(2) loop for every connection pair on a thread of its own until destroyed.
class DelayRelay {
public:
    DelayRelay(int serverPort, std::chrono::milliseconds delay);
    ~DelayRelay();
    DelayRelay(const DelayRelay&) = delete;
    DelayRelay& operator=(const DelayRelay&) = delete;

    int port() const { return m_port; }
    // Connections accepted so far, and the bytes forwarded from the server to clients.
    int connections() const { return m_connections.load(); }
    long long bytesFromServer() const { return m_bytesFromServer.load(); }

private:
    void run();

    int m_serverPort;
    std::chrono::milliseconds m_delay;
    int m_listener = -1;
    int m_port = 0;
    int m_stopPipe[2] = {-1, -1};
    std::atomic<int> m_connections{0};
    std::atomic<long long> m_bytesFromServer{0};
    std::thread m_thread;
};

}  // namespace quay::bench

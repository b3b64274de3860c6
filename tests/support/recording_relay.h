#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quay::test {

// A TCP forwarder on a free port of 127.0.0.1 to 127.0.0.1:targetPort that keeps every byte
// the clients sent, to prove what did or did not cross the wire in clear.
class RecordingRelay {
public:
    explicit RecordingRelay(int targetPort);
    ~RecordingRelay();
    RecordingRelay(const RecordingRelay&) = delete;
    RecordingRelay& operator=(const RecordingRelay&) = delete;
    int port() const { return m_port; }
    // Connections from now on go to 127.0.0.1:targetPort.
    void retarget(int targetPort) { m_targetPort = targetPort; }
    // Everything the clients sent so far, connections one after another.
    std::string clientBytes() const;

private:
    void acceptLoop();
    void relay(int client);

    std::atomic<int> m_targetPort;
    int m_port = 0;  // set by the initialiser of m_fd, so declared first
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::string m_clientBytes;
    std::vector<std::thread> m_relays;
    std::thread m_acceptor;
};

}  // namespace quay::test

#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quay::test {

// A relay on a free port of 127.0.0.1 in front of an FTP server's control port on 127.0.0.1 that
// drops data connections the way a broken network path does. The dialogue stays the server's
// own: commands and replies pass unchanged, except that each passive reply (227 or 229) names a
// listener of the relay instead of the server's data port, and the relay carries the data
// connection made to it on to the server's. Every `every`-th data connection (counted over all
// control connections, in the order of the passive replies) is cut with a reset both ways once
// `after` bytes have crossed it; the others pass whole. Plain FTP only (the relay reads the
// replies). Every connection has a thread of its own until the relay goes.
class DroppingRelay {
public:
    DroppingRelay(int serverPort, int every, std::int64_t after);
    ~DroppingRelay();
    DroppingRelay(const DroppingRelay&) = delete;
    DroppingRelay& operator=(const DroppingRelay&) = delete;

    int port() const { return m_port; }
    // Data connections cut so far.
    int cuts() const { return m_cuts.load(); }
    // The command lines the clients sent (without CR LF), in the order they arrived.
    std::vector<std::string> commands() const;

private:
    void acceptControl();
    void relayControl(int client);
    // The passive reply line with its port replaced by a new data listener's.
    std::string redirectPassive(const std::string& line);
    void relayData(int listener, int serverPort, bool cut);
    void spawn(std::function<void()> work);

    int m_serverPort;
    int m_every;
    std::int64_t m_after;
    int m_port = 0;  // set by the initialiser of m_listener, so declared first
    int m_listener = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_dataConnections{0};
    std::atomic<int> m_cuts{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_commands;
    std::list<std::thread> m_threads;
    std::thread m_acceptor;
};

}  // namespace quay::test

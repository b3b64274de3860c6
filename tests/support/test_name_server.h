#pragma once

#include <netinet/in.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quay::test {

// A name server of the test's own on port 53 of a loopback address of its own (127.x.y.z), for
// a resolv.conf bound over the machine's (useSystemFile): no query leaves the machine, and a
// lookup of a name that the hosts file does not hold either fails at once ("no such name") or
// waits for an answer that never comes, as with a dead name server, until the server goes with
// the object and answers them "no such name". The names asked for are noted.
class TestNameServer {
public:
    enum class Answer { NoSuchName, Nothing };

    // Takes the port; answers from use() on.
    explicit TestNameServer(Answer answer);
    ~TestNameServer();
    TestNameServer(const TestNameServer&) = delete;
    TestNameServer& operator=(const TestNameServer&) = delete;

    // Binds `hosts` as the hosts file and a resolv.conf that names this server only (one try of
    // up to 30 s per query) for this process (useSystemFile), and starts answering. The first
    // call must come before any thread of the test starts; a later one changes the hosts file
    // for the lookups after it. False when the test cannot have them (port 53 and the mount
    // namespace need root), and should skip.
    bool use(const std::string& hosts);
    // The names asked for so far (several times when the resolver asks for both families).
    std::vector<std::string> questions() const;
    bool asked(const std::string& name) const;

private:
    struct Query {
        std::array<std::uint8_t, 512> message{};
        std::size_t size = 0;  // up to the end of the question
        sockaddr_in from{};
    };
    void serve();
    void answerNoSuchName(Query& query) const;

    Answer m_answer;
    std::string m_address;
    int m_fd = -1;
    int m_stopFd = -1;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_questions;
    std::thread m_thread;
};

}  // namespace quay::test

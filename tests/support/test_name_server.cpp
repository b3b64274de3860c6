#include "test_name_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <random>

#include "test_support.h"

namespace quay::test {

namespace {

constexpr std::size_t HeaderSize = 12;

// The name of a query's question ("a.example.test"), and where the question ends (behind its
// type and class); 0 for a message that holds no whole question.
std::size_t readQuestion(const std::uint8_t* message, std::size_t size, std::string& name) {
    std::size_t at = HeaderSize;
    while (at < size && message[at] != 0) {
        const std::size_t length = message[at];
        if (length > 63 || at + 1 + length > size)
            return 0;
        if (!name.empty())
            name += '.';
        name.append(reinterpret_cast<const char*>(message + at + 1), length);
        at += 1 + length;
    }
    return at + 5 <= size ? at + 5 : 0;
}

}  // namespace

TestNameServer::TestNameServer(Answer answer) : m_answer(answer) {
    // An address of its own in 127.0.0.0/8, so that tests running side by side do not meet.
    std::random_device random;
    const auto byte = [&] { return std::to_string(1 + random() % 250); };
    m_address = "127." + byte() + "." + byte() + "." + byte();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    inet_pton(AF_INET, m_address.c_str(), &address.sin_addr);
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_stopFd = ::eventfd(0, EFD_CLOEXEC);
}

TestNameServer::~TestNameServer() {
    if (m_fd < 0)
        return;
    if (m_thread.joinable()) {
        const std::uint64_t one = 1;
        (void)!::write(m_stopFd, &one, sizeof one);
        m_thread.join();
    }
    ::close(m_fd);
    ::close(m_stopFd);
}

bool TestNameServer::use(const std::string& hosts) {
    const std::string resolvConf = "nameserver " + m_address + "\noptions timeout:30 attempts:1\n";
    if (m_fd < 0 || !useHostsFile(hosts) || !useSystemFile("/etc/resolv.conf", resolvConf))
        return false;
    if (!m_thread.joinable())
        m_thread = std::thread([this] { serve(); });
    return true;
}

std::vector<std::string> TestNameServer::questions() const {
    std::lock_guard lock(m_mutex);
    return m_questions;
}

bool TestNameServer::asked(const std::string& name) const {
    const std::vector<std::string> all = questions();
    return std::find(all.begin(), all.end(), name) != all.end();
}

// The queries left unanswered are answered "no such name" when the server stops, so that no
// resolver waits for them beyond the test.
void TestNameServer::serve() {
    std::vector<Query> unanswered;
    for (;;) {
        pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN))
            break;
        Query query;
        socklen_t fromSize = sizeof query.from;
        const ssize_t n = ::recvfrom(m_fd, query.message.data(), query.message.size(), 0,
                                     reinterpret_cast<sockaddr*>(&query.from), &fromSize);
        std::string name;
        query.size =
            n > 0 ? readQuestion(query.message.data(), static_cast<std::size_t>(n), name) : 0;
        if (query.size == 0)
            continue;
        {
            std::lock_guard lock(m_mutex);
            m_questions.push_back(name);
        }
        if (m_answer == Answer::Nothing)
            unanswered.push_back(query);
        else
            answerNoSuchName(query);
    }
    for (Query& query : unanswered)
        answerNoSuchName(query);
}

// The query's own header and question, as a reply with RCODE 3 and no records.
void TestNameServer::answerNoSuchName(Query& query) const {
    std::uint8_t* message = query.message.data();
    message[2] = static_cast<std::uint8_t>(0x80 | (message[2] & 0x79));  // QR, opcode, RD
    message[3] = 0x83;                                                   // RA, NXDOMAIN
    std::fill(message + 6, message + HeaderSize, 0);
    ::sendto(m_fd, message, query.size, 0, reinterpret_cast<const sockaddr*>(&query.from),
             sizeof query.from);
}

}  // namespace quay::test

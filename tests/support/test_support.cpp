#include "test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace quay::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "quay-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(m_path, ignored);
}

void ChildProcess::start(const std::vector<std::string>& argv, const std::string& logFile) {
    stop();
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        setpgid(0, 0);
        int out = open(logFile.empty() ? "/dev/null" : logFile.c_str(),
                       O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (out >= 0) {
            dup2(out, 1);
            dup2(out, 2);
        }
        int in = open("/dev/null", O_RDONLY);
        if (in >= 0)
            dup2(in, 0);
        for (int fd = 3; fd < 1024; ++fd)
            close(fd);
        execvp(args[0], args.data());
        _exit(127);
    }
    m_pid = pid;
}

void ChildProcess::stop() {
    if (m_pid <= 0)
        return;
    kill(-m_pid, SIGTERM);
    kill(m_pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
            m_pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(-m_pid, SIGKILL);
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string numbered(const char* prefix, int n, const char* suffix) {
    std::string text = prefix;
    text += std::to_string(n);
    text += suffix;
    return text;
}

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random() & 0xff);
    return bytes;
}

namespace {

bool enterMountNamespace() {
    return unshare(CLONE_NEWNS) == 0 &&
           mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

}  // namespace

bool useSystemFile(const fs::path& path, const std::string& content) {
    static const bool inNamespace = enterMountNamespace();
    static TempDir dir;
    static std::set<fs::path> bound;
    const fs::path file = dir.path() / path.filename();
    writeFile(file, content);
    if (!inNamespace)
        return false;
    if (bound.contains(path))
        return true;
    if (mount(file.c_str(), path.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return false;
    bound.insert(path);
    return true;
}

bool useHostsFile(const std::string& content) {
    return useSystemFile("/etc/hosts", content);
}

sockaddr_in loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    return addr;
}

int listenOnLoopback(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr = loopback(0);
    socklen_t len = sizeof addr;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        throw std::runtime_error("listener setup failed");
    port = ntohs(addr.sin_port);
    return fd;
}

int freePort() {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
        close(fd);
        throw std::runtime_error("no free port");
    }
    close(fd);
    return ntohs(addr.sin_port);
}

namespace {

bool waitForConnect(const sockaddr* addr, socklen_t len, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        int fd = socket(addr->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        bool ok = connect(fd, addr, len) == 0;
        close(fd);
        if (ok)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace

bool waitForPort(int port, std::chrono::milliseconds timeout) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    return waitForConnect(reinterpret_cast<sockaddr*>(&addr), sizeof addr, timeout);
}

bool waitForIpv6Port(int port, std::chrono::milliseconds timeout) {
    sockaddr_in6 addr{};
    addr.sin6_family = AF_INET6;
    addr.sin6_addr = in6addr_loopback;
    addr.sin6_port = htons(static_cast<uint16_t>(port));
    return waitForConnect(reinterpret_cast<sockaddr*>(&addr), sizeof addr, timeout);
}

int openDescriptorCount() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

fs::path supportDir() {
    return QUAY_TEST_SUPPORT_DIR;
}

}  // namespace quay::test

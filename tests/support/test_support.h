#pragma once

#include <netinet/in.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace quay::test {

// A temporary directory removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A child process (a server under test) stopped by its own pid when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { stop(); }

    // Starts argv[0] (searched on PATH) with stdout and stderr sent to logFile (or /dev/null).
    void start(const std::vector<std::string>& argv, const std::string& logFile = {});
    void stop();
    bool running() const { return m_pid > 0; }
    pid_t pid() const { return m_pid; }

private:
    pid_t m_pid = -1;
};

// Makes this process and its children read `content` as the system file `path` (/etc/hosts,
// /etc/resolv.conf), through a mount namespace of their own (the machine's file is untouched).
// The first call must run before the process starts a thread; a later call for the same file
// changes what it reads (the resolver reads both files anew when they change). False when it
// cannot (not root, or no namespaces), and the test should skip.
bool useSystemFile(const std::filesystem::path& path, const std::string& content);
bool useHostsFile(const std::string& content);

// n bytes of a fixed pseudo-random sequence.
std::string randomBytes(std::size_t n, unsigned seed);

// prefix, n in decimal, suffix ("f" 3 ".bin" gives "f3.bin"). Appended piece by piece: GCC 12's
// -Wrestrict takes "f" + std::to_string(n) for an overlapping copy.
std::string numbered(const char* prefix, int n, const char* suffix = "");

// 127.0.0.1:port as a socket address.
sockaddr_in loopback(int port);
// A listening socket on 127.0.0.1 with a system-chosen port (written to port); throws on
// failure.
int listenOnLoopback(int& port);
// A TCP port on 127.0.0.1 that nothing listens on right now.
int freePort();
// Waits until something accepts TCP connections on 127.0.0.1:port; false on time-out.
bool waitForPort(int port, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// The same on [::1]:port.
bool waitForIpv6Port(int port, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// The number of descriptors this process has open (for leak checks around a test group).
int openDescriptorCount();

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& content);

// The directory of the support scripts (scripted servers and responders).
std::filesystem::path supportDir();

}  // namespace quay::test

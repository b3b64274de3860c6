// Throughput of the FTP engine against curl and lftp, through one vsftpd on loopback; with
// "tls" as the second argument over explicit FTPS (TLS forced on log-in and data).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/poll_loop.h"
#include "cpu_time.h"
#include "ftp/ftp_client.h"
#include "ftp_servers.h"
#include "test_support.h"
#include "tls_peers.h"

namespace {

namespace fs = std::filesystem;
using quay::test::TempDir;
using quay::test::VsftpdServer;

double seconds(const std::function<bool()>& action) {
    const auto start = std::chrono::steady_clock::now();
    if (!action())
        throw std::runtime_error("a transfer failed");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void makeFile(const fs::path& path, std::int64_t bytes) {
    std::vector<char> block(1 << 20);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 31 + 7);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (std::int64_t done = 0; done < bytes; done += static_cast<std::int64_t>(block.size()))
        if (::write(fd, block.data(), block.size()) != static_cast<ssize_t>(block.size()))
            throw std::runtime_error("cannot write " + path.string());
    ::close(fd);
}

class Engine {
public:
    Engine(int port, const std::string& user, const std::string& password,
           const std::string& trustedFingerprint) {
        if (!trustedFingerprint.empty()) {
            m_ftp.setSecurity(quay::FtpSecurity::ftpTlsRequired);
            m_ftp.setTrustedFingerprint(trustedFingerprint);
            m_ftp.onDisplay = [](std::string& msg) {
                if (msg.rfind("! TLS", 0) == 0)
                    std::printf("engine %s\n", msg.c_str());
            };
        }
        m_ftp.setHostName("127.0.0.1");
        m_ftp.setPort(std::to_string(port));
        m_ftp.setUserName(user);
        m_ftp.setPassWord(password);
        m_ftp.setPassive(true);
        if (std::getenv("FTP_BENCH_LOG"))
            m_ftp.onDisplay = [](std::string& msg) { std::fprintf(stderr, "%s\n", msg.c_str()); };
        m_ftp.onRequestDone = [this](quay::FtpRequest, int error) {
            m_error = error;
            m_done = true;
        };
        if (!run([this] { m_ftp.connectAsync(); }) || !m_ftp.typeBinary())
            throw std::runtime_error("the engine cannot log in");
    }
    bool get(const std::string& remote, const std::string& local) {
        m_ftp.setHostFileName(remote);
        m_ftp.setLocalFileName(local);
        return run([this] { m_ftp.getAsync(); });
    }
    bool put(const std::string& local, const std::string& remote) {
        m_ftp.setHostFileName(remote);
        m_ftp.setLocalFileName(local);
        return run([this] { m_ftp.putAsync(); });
    }

private:
    bool run(const std::function<void()>& operation) {
        m_done = false;
        operation();
        m_loop.runUntil([this] { return m_done; }, std::chrono::minutes(5));
        return m_done && m_error == 0;
    }

    quay::PollLoop m_loop;
    quay::FtpClient m_ftp{m_loop};
    bool m_done = false;
    int m_error = 0;
};

bool shell(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) == 0)
        return true;
    std::fprintf(stderr, "failed: %s\n", command.c_str());
    return false;
}

std::string loadAverage() {
    std::ifstream file("/proc/loadavg");
    std::string one, five, fifteen;
    file >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

struct Contender {
    const char* name;
    std::function<bool()> run;
};

double clientCpuSeconds() {
    return quay::bench::ownCpuSeconds() + quay::bench::waitedChildrenCpuSeconds();
}

// Every contender runs once a round, the order turning by one each round (so none always runs
// first or after the same one), each run after a sync; every run is printed with the load
// average before it and the CPU seconds the client and the server spent on it, and the
// fastest run of each counts.
void race(const char* direction, std::int64_t bytes, int rounds, pid_t server,
          const std::vector<Contender>& contenders) {
    auto rate = [&](double s) { return static_cast<double>(bytes) / s / 1e6; };
    std::vector<double> best(contenders.size(), 1e9);
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < contenders.size(); ++k) {
            const std::size_t i = (k + static_cast<std::size_t>(round)) % contenders.size();
            // Each run starts with the written files on disk, so that no run pays for the
            // write-back of the one before it.
            ::sync();
            const std::string load = loadAverage();
            const double clientBefore = clientCpuSeconds();
            quay::bench::ProcessTreeCpu serverCpu(server);
            const double s = seconds(contenders[i].run);
            const double serverSeconds = serverCpu.stop();
            const double clientSeconds = clientCpuSeconds() - clientBefore;
            best[i] = std::min(best[i], s);
            std::printf(
                "%s round %d: %-6s %4.0f MB/s, CPU client %4.1f s, server %4.1f s (load "
                "%s)\n",
                direction, round + 1, contenders[i].name, rate(s), clientSeconds, serverSeconds,
                load.c_str());
            std::fflush(stdout);
        }
    }
    // contenders[0] is the engine, the others its peers.
    const double faster = *std::min_element(best.begin() + 1, best.end());
    std::printf(
        "%s: engine %.0f MB/s, curl %.0f MB/s, lftp %.0f MB/s; engine at %.2fx the "
        "faster peer\n",
        direction, rate(best[0]), rate(best[1]), rate(best[2]), faster / best[0]);
    std::fflush(stdout);
}

}  // namespace

// Throws on any failure, so that the server and the temporary files go with the stack.
int runBench(int argc, char** argv) {
    const std::int64_t mib = argc > 1 ? std::atoll(argv[1]) : 1024;
    const bool tls = argc > 2 && std::string(argv[2]) == "tls";
    const std::int64_t bytes = mib << 20;
    quay::test::TestCertificate certificate;
    TempDir root;
    TempDir work;
    makeFile(root.path() / "big.bin", bytes);
    makeFile(work.path() / "big.bin", bytes);
    VsftpdServer server;
    if (tls)
        server.useTls(certificate);
    server.start(root.path());
    const std::string url = std::string(tls ? "--ssl-reqd -k " : "") + "ftp://" + server.user() +
                            ":" + server.password() +
                            "@127.0.0.1:" + std::to_string(server.port()) + "/";
    const std::string lftpOpen =
        "lftp -u " + server.user() + "," + server.password() + " -p " +
        std::to_string(server.port()) + " 127.0.0.1 -e " +
        (tls ? "'set ftp:ssl-force true; set ssl:verify-certificate no; " : "'");
    const std::string local = (work.path() / "big.bin").string();
    // Every client writes the download into the same file: the engine takes no device
    // (/dev/null) as a target.
    const std::string received = (work.path() / "received.bin").string();

    Engine engine(server.port(), server.user(), server.password(),
                  tls ? certificate.sha256() : std::string());
    // FTP_BENCH_ONLY=upload or download runs one direction (for profiling it alone);
    // FTP_BENCH_ROUNDS sets the rounds (default 2).
    const char* only = std::getenv("FTP_BENCH_ONLY");
    const char* roundsText = std::getenv("FTP_BENCH_ROUNDS");
    const int rounds = roundsText ? std::max(1, std::atoi(roundsText)) : 2;
    if (!only || std::string(only) != "upload") {
        // The page cache of the served file is warmed once.
        engine.get("big.bin", received);
        race("download", bytes, rounds, server.pid(),
             {{"engine", [&] { return engine.get("big.bin", received); }},
              {"curl", [&] { return shell("curl -s -o " + received + " " + url + "big.bin"); }},
              {"lftp", [&] {
                   return shell(lftpOpen + "set ftp:passive-mode on; set xfer:clobber on; get " +
                                "big.bin -o " + received + "; quit'");
               }}});
    }
    if (!only || std::string(only) != "download") {
        // Each upload's file is removed after it, so every run writes a new file.
        auto uploaded = [&](const char* name) {
            const bool complete =
                fs::file_size(root.path() / name) == static_cast<std::uintmax_t>(bytes);
            fs::remove(root.path() / name);
            return complete;
        };
        race("upload", bytes, rounds, server.pid(),
             {{"engine", [&] { return engine.put(local, "up.bin") && uploaded("up.bin"); }},
              {"curl",
               [&] {
                   return shell("curl -s -T " + local + " " + url + "up.bin") && uploaded("up.bin");
               }},
              {"lftp", [&] {
                   return shell(lftpOpen + "set ftp:passive-mode on; put " + local +
                                " -o up.bin; quit'") &&
                          uploaded("up.bin");
               }}});
    }
    return 0;
}

int main(int argc, char** argv) {
    try {
        return runBench(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_ftp_transfer: %s\n", e.what());
        return 1;
    }
}

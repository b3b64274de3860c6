// Throughput of the FTP engine against curl and lftp, through one vsftpd on loopback; with
// "tls" as the second argument over explicit FTPS (TLS forced on log-in and data).
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "base/poll_loop.h"
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

void report(const char* direction, std::int64_t bytes, double engine, double curl, double lftp) {
    auto rate = [&](double s) { return static_cast<double>(bytes) / s / 1e6; };
    const double best = std::min(curl, lftp);
    std::printf(
        "%s: engine %.0f MB/s, curl %.0f MB/s, lftp %.0f MB/s; engine at %.2fx the faster peer\n",
        direction, rate(engine), rate(curl), rate(lftp), best / engine);
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
    // Warm the page cache of the served file once; then every client runs twice, interleaved,
    // and its faster run counts.
    engine.get("big.bin", received);
    double engineGet = 1e9, curlGet = 1e9, lftpGet = 1e9;
    double enginePut = 1e9, curlPut = 1e9, lftpPut = 1e9;
    for (int round = 0; round < 2; ++round) {
        engineGet = std::min(engineGet, seconds([&] { return engine.get("big.bin", received); }));
        curlGet = std::min(curlGet, seconds([&] {
                               return shell("curl -s -o " + received + " " + url + "big.bin");
                           }));
        lftpGet = std::min(lftpGet, seconds([&] {
                               return shell(lftpOpen +
                                            "set ftp:passive-mode on; set xfer:clobber on; "
                                            "get big.bin -o " +
                                            received + "; quit'");
                           }));
    }
    report("download", bytes, engineGet, curlGet, lftpGet);
    for (int round = 0; round < 2; ++round) {
        enginePut =
            std::min(enginePut, seconds([&] { return engine.put(local, "up-engine.bin"); }));
        if (fs::file_size(root.path() / "up-engine.bin") != static_cast<std::uintmax_t>(bytes)) {
            std::fprintf(stderr, "the engine's upload is incomplete\n");
            return 1;
        }
        fs::remove(root.path() / "up-engine.bin");
        curlPut = std::min(curlPut, seconds([&] {
                               return shell("curl -s -T " + local + " " + url + "up-curl.bin");
                           }));
        fs::remove(root.path() / "up-curl.bin");
        lftpPut = std::min(lftpPut, seconds([&] {
                               return shell(lftpOpen + "set ftp:passive-mode on; put " + local +
                                            " -o up-lftp.bin; quit'");
                           }));
        fs::remove(root.path() / "up-lftp.bin");
    }
    report("upload", bytes, enginePut, curlPut, lftpPut);
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

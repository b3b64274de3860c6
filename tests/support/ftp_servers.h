#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "test_support.h"
#include "tls_peers.h"

namespace quay::test {

// A real FTP server started on a free port of 127.0.0.1 with a given root directory, stopped by
// its own pid when the object goes. Every server logs in user() with password(); the root is
// made writable for the account the server runs the session as.
class FtpServer {
public:
    virtual ~FtpServer() = default;
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;

    // Starts the server on `root` and waits until it accepts connections; throws on failure.
    virtual void start(const std::filesystem::path& root) = 0;
    virtual std::string name() const = 0;
    void stop() { m_process.stop(); }
    // The server's own process (its sessions are its children).
    pid_t pid() const { return m_process.pid(); }

    // TLS with this certificate from the next start() on: vsftpd forces it on log-ins and data
    // connections and requires data connections to resume the control session, and speaks it
    // from the first byte when implicit; pure-ftpd requires it (--tls=3), explicit only.
    void useTls(const TestCertificate& certificate, bool implicit = false) {
        m_certFile = certificate.certFile().string();
        m_keyFile = certificate.keyFile().string();
        m_implicitTls = implicit;
    }

    int port() const { return m_port; }
    std::string user() const { return "quaytest"; }
    std::string password() const { return "quaytest"; }
    // The server's own log (for failure messages).
    std::string log() const;
    // Hands a file or tree made after start() to the account the server writes as.
    static void handOver(const std::filesystem::path& path) { giveToTestAccount(path); }

protected:
    FtpServer() = default;
    // Starts argv and waits for m_port; throws with the log when it does not come up.
    void launch(const std::vector<std::string>& argv);
    // Hands `root` and everything in it to the local test account.
    static void giveToTestAccount(const std::filesystem::path& root);

    TempDir m_work;
    ChildProcess m_process;
    int m_port = 0;
    // The server listens on [::1] instead of 127.0.0.1.
    bool m_ipv6 = false;
    std::string m_certFile;
    std::string m_keyFile;
    bool m_implicitTls = false;
};

// vsftpd with the virtual user quaytest (a PAM service of its own with a password file the
// fixture writes), sessions run as the locked account quaytest, no chroot, served from the root.
// Needs root, as vsftpd switches to that account.
class VsftpdServer : public FtpServer {
public:
    // Listen on [::1] instead of 127.0.0.1 (before start()).
    void listenOnIpv6() { m_ipv6 = true; }
    // At most bytesPerSecond per data connection (before start()), so a transfer lasts.
    void limitRate(int bytesPerSecond) { m_maxRate = bytesPerSecond; }
    void start(const std::filesystem::path& root) override;
    std::string name() const override { return "vsftpd"; }

private:
    std::string vsftpdTlsSettings() const;
    int m_maxRate = 0;
};

// pure-ftpd (unpacked beside the system) with the virtual user quaytest chrooted to the root.
class PureFtpdServer : public FtpServer {
public:
    void start(const std::filesystem::path& root) override;
    std::string name() const override { return "pure-ftpd"; }
    // The most entries one listing gives (pure-ftpd's own default is a few thousand); takes
    // effect at start().
    void setListingLimit(int entries) { m_listingLimit = entries; }
    // The most connections one client address may hold at once (-C), and the bandwidth of a
    // user in KiB/s each way (-T); both take effect at start().
    void setPerAddressLimit(int connections) { m_perAddressLimit = connections; }
    void setBandwidth(int kibPerSecond) { m_bandwidth = kibPerSecond; }

private:
    int m_listingLimit = 0;
    int m_perAddressLimit = 0;
    int m_bandwidth = 0;
};

// pyftpdlib under Debian's interpreter. Besides user(), it knows noPasswordUser(), whom it
// logs in with 230 on USER alone.
class PyFtpdServer : public FtpServer {
public:
    void start(const std::filesystem::path& root) override;
    std::string name() const override { return "pyftpdlib"; }
    static std::string noPasswordUser() { return "nopass"; }
};

// The PAM service quayside-test (written by scripts/install-deps --test) checks log-ins against
// this file, which writeTestPasswords() fills with `user` and the tests' password; vsftpd and
// dante use it, so no test log-in is a system account.
inline const char* const kTestPasswords = "/run/quayside-test/passwd";
void writeTestPasswords(const std::string& user);

enum class FtpServerKind { Vsftpd, PureFtpd, Pyftpdlib };

std::unique_ptr<FtpServer> makeFtpServer(FtpServerKind kind);
std::string ftpServerKindName(FtpServerKind kind);

// The FTP proxy ftp-proxy, which takes the real server from a "user@host:port" log-in name.
class FtpProxyServer {
public:
    void start();
    void stop() { m_process.stop(); }
    int port() const { return m_port; }

private:
    TempDir m_work;
    ChildProcess m_process;
    int m_port = 0;
};

}  // namespace quay::test

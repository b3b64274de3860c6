#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

typedef struct ssl_ctx_st SSL_CTX;

namespace quay::test {

// A certificate authority of the test (openssl command, temporary directory); a client trusts
// it when SSL_CERT_FILE names caFile() before its TLS context is made.
class TestAuthority {
public:
    TestAuthority();
    std::filesystem::path caFile() const { return m_dir.path() / "ca.pem"; }
    std::filesystem::path keyFile() const { return m_dir.path() / "ca.key"; }

private:
    TempDir m_dir;
};

// A certificate and its key, made with the openssl command in a temporary directory:
// self-signed, or signed by a TestAuthority. The names are subjectAltName entries
// ("IP:127.0.0.1,DNS:localhost").
class TestCertificate {
public:
    explicit TestCertificate(const std::string& commonName = "quay-test",
                             const std::string& altNames = "IP:127.0.0.1,DNS:localhost",
                             int days = 2);
    TestCertificate(const TestAuthority& authority, const std::string& commonName,
                    const std::string& altNames);
    std::filesystem::path certFile() const { return m_dir.path() / "cert.pem"; }
    std::filesystem::path keyFile() const { return m_dir.path() / "key.pem"; }
    // Certificate and key in one file (vsftpd's rsa_cert_file, pure-ftpd's pure-ftpd.pem).
    std::filesystem::path combinedFile() const { return m_dir.path() / "combined.pem"; }
    // SHA-256 fingerprint as the socket layer writes it ("AB:CD:...").
    std::string sha256() const { return m_sha256; }

private:
    void finish();

    TempDir m_dir;
    std::string m_sha256;
};

// Runs argv (no shell) and returns its exit status; output goes to /dev/null.
int runCommand(const std::vector<std::string>& argv);

// Ends TLS in front of a plain TCP server: each connection to port() is accepted with the
// certificate's TLS, its plain bytes are relayed to 127.0.0.1:targetPort and back; an end of
// stream or a reset on one side is passed on to the other.
class TlsTerminator {
public:
    TlsTerminator(int targetPort, const TestCertificate& certificate);
    ~TlsTerminator();
    TlsTerminator(const TlsTerminator&) = delete;
    TlsTerminator& operator=(const TlsTerminator&) = delete;
    int port() const { return m_port; }
    // Connections still being relayed.
    int active() const { return m_active; }

private:
    void acceptLoop();
    void relay(int client);

    int m_targetPort;
    SSL_CTX* m_ctx = nullptr;
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_active{0};
    std::mutex m_mutex;
    std::vector<std::thread> m_relays;
    std::thread m_acceptor;
};

}  // namespace quay::test

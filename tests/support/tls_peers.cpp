#include "tls_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/crypto.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>

namespace quay::test {

int runCommand(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

namespace {

std::string fingerprintOf(const std::filesystem::path& certFile) {
    FILE* file = std::fopen(certFile.c_str(), "r");
    if (!file)
        throw std::runtime_error("no certificate " + certFile.string());
    X509* cert = PEM_read_X509(file, nullptr, nullptr, nullptr);
    std::fclose(file);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    X509_digest(cert, EVP_sha256(), digest, &len);
    X509_free(cert);
    char* hex = OPENSSL_buf2hexstr(digest, len);
    const std::string text = hex;
    OPENSSL_free(hex);
    return text;
}

void writeAll(int fd, const char* data, int len) {
    while (len > 0) {
        const ssize_t n = ::send(fd, data, static_cast<std::size_t>(len), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        data += n;
        len -= static_cast<int>(n);
    }
}

void resetAndClose(int fd) {
    linger hard{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    ::close(fd);
}

}  // namespace

TestCertificate::TestCertificate(const std::string& commonName, const std::string& altNames,
                                 int days) {
    const int status =
        runCommand({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", keyFile().string(), "-out",
                    certFile().string(), "-days", std::to_string(days), "-subj",
                    "/CN=" + commonName, "-addext", "subjectAltName=" + altNames});
    if (status != 0)
        throw std::runtime_error("openssl req failed");
    finish();
}

TestAuthority::TestAuthority() {
    const int status = runCommand({"openssl",
                                   "req",
                                   "-x509",
                                   "-newkey",
                                   "ec",
                                   "-pkeyopt",
                                   "ec_paramgen_curve:prime256v1",
                                   "-nodes",
                                   "-keyout",
                                   keyFile().string(),
                                   "-out",
                                   caFile().string(),
                                   "-days",
                                   "2",
                                   "-subj",
                                   "/CN=Quayside Test CA",
                                   "-addext",
                                   "basicConstraints=critical,CA:TRUE",
                                   "-addext",
                                   "keyUsage=critical,keyCertSign,cRLSign"});
    if (status != 0)
        throw std::runtime_error("openssl req (authority) failed");
}

TestCertificate::TestCertificate(const TestAuthority& authority, const std::string& commonName,
                                 const std::string& altNames) {
    const std::string request = (m_dir.path() / "leaf.csr").string();
    const std::string extensions = (m_dir.path() / "leaf.ext").string();
    writeFile(extensions, "subjectAltName=" + altNames + "\n");
    const bool made =
        runCommand({"openssl", "req", "-new", "-newkey", "ec", "-pkeyopt",
                    "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", keyFile().string(), "-out",
                    request, "-subj", "/CN=" + commonName}) == 0 &&
        runCommand({"openssl", "x509", "-req", "-in", request, "-CA", authority.caFile().string(),
                    "-CAkey", authority.keyFile().string(), "-CAcreateserial", "-days", "2",
                    "-extfile", extensions, "-out", certFile().string()}) == 0;
    if (!made)
        throw std::runtime_error("openssl x509 (signed certificate) failed");
    finish();
}

void TestCertificate::finish() {
    writeFile(combinedFile(), readFile(certFile()) + readFile(keyFile()));
    std::filesystem::permissions(
        combinedFile(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    m_sha256 = fingerprintOf(certFile());
}

TlsTerminator::TlsTerminator(int targetPort, const TestCertificate& certificate)
    : m_targetPort(targetPort) {
    // OpenSSL writes to the descriptor with write(), which raises SIGPIPE once the client has
    // gone; the relay notices the failed write instead.
    std::signal(SIGPIPE, SIG_IGN);
    m_ctx = SSL_CTX_new(TLS_server_method());
    if (SSL_CTX_use_certificate_chain_file(m_ctx, certificate.certFile().c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(m_ctx, certificate.keyFile().c_str(), SSL_FILETYPE_PEM) != 1)
        throw std::runtime_error("TlsTerminator: certificate not usable");
    m_fd = listenOnLoopback(m_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
}

TlsTerminator::~TlsTerminator() {
    m_stop = true;
    m_acceptor.join();
    for (auto& relay : m_relays)
        relay.join();
    ::close(m_fd);
    SSL_CTX_free(m_ctx);
}

void TlsTerminator::acceptLoop() {
    while (!m_stop) {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, 50) <= 0)
            continue;
        const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        ++m_active;
        std::lock_guard lock(m_mutex);
        m_relays.emplace_back([this, client] {
            relay(client);
            --m_active;
        });
    }
}

void TlsTerminator::relay(int client) {
    timeval limit{5, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    // Without it a small record behind the session tickets waits for a delayed ACK.
    const int noDelay = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
    SSL* ssl = SSL_new(m_ctx);
    SSL_set_fd(ssl, client);
    const int target = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = loopback(m_targetPort);
    bool clientOpen =
        SSL_accept(ssl) == 1 &&
        ::connect(target, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    bool targetOpen = clientOpen;
    bool reset = false;
    char buffer[16384];
    while ((clientOpen || targetOpen) && !m_stop) {
        pollfd fds[2] = {{client, static_cast<short>(clientOpen ? POLLIN : 0), 0},
                         {target, static_cast<short>(targetOpen ? POLLIN : 0), 0}};
        if (SSL_pending(ssl) == 0 && ::poll(fds, 2, 50) <= 0)
            continue;
        if (clientOpen && (SSL_pending(ssl) > 0 || fds[0].revents)) {
            const int n = SSL_read(ssl, buffer, sizeof buffer);
            if (n > 0) {
                writeAll(target, buffer, n);
            } else {
                clientOpen = false;
                ::shutdown(target, SHUT_WR);
            }
        }
        if (targetOpen && fds[1].revents) {
            const ssize_t n = ::recv(target, buffer, sizeof buffer, 0);
            if (n > 0) {
                SSL_write(ssl, buffer, static_cast<int>(n));
            } else {
                targetOpen = false;
                reset = n < 0;
                if (reset)
                    break;
                SSL_shutdown(ssl);
                ::shutdown(client, SHUT_WR);
            }
        }
    }
    SSL_free(ssl);
    ::close(target);
    if (reset)
        resetAndClose(client);
    else
        ::close(client);
}

}  // namespace quay::test

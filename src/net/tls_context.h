#pragma once

#include <memory>
#include <string>

typedef struct ssl_ctx_st SSL_CTX;
typedef struct ssl_session_st SSL_SESSION;

namespace quay {

// An OpenSSL context: the role (client or server), the trust store and the protocol range
// (TLS 1.2 and later). Shared by every connection of one client, so that sessions of one can
// be resumed by the others. Client contexts verify against the system's trust store but never
// fail a handshake for it: the result is kept for the application to decide (TlsCertificate).
class TlsContext {
public:
    // Throws SocketException when OpenSSL cannot make the context.
    static std::shared_ptr<TlsContext> client();
    // A server context with a PEM certificate (chain) and key file; for test peers.
    static std::shared_ptr<TlsContext> server(const std::string& certFile,
                                              const std::string& keyFile);
    ~TlsContext();
    TlsContext(const TlsContext&) = delete;
    TlsContext& operator=(const TlsContext&) = delete;

    SSL_CTX* handle() const { return m_ctx; }
    bool isServer() const { return m_server; }

private:
    TlsContext(SSL_CTX* ctx, bool server) : m_ctx(ctx), m_server(server) {}
    SSL_CTX* m_ctx;
    bool m_server;
};

// A TLS session a later connection may resume (the data connections of FTPS resume the
// control connection's).
class TlsSession {
public:
    // Takes over one reference of session.
    explicit TlsSession(SSL_SESSION* session) : m_session(session) {}
    ~TlsSession();
    TlsSession(const TlsSession&) = delete;
    TlsSession& operator=(const TlsSession&) = delete;
    SSL_SESSION* handle() const { return m_session; }

private:
    SSL_SESSION* m_session;
};

// What a connection's TLS layer is built with.
struct TlsSettings {
    std::shared_ptr<TlsContext> context;
    // The server's name or address as the user gave it: sent as SNI (names only) and checked
    // against the certificate.
    std::string peerName;
    // A session to resume, or none.
    std::shared_ptr<TlsSession> resume;
};

// The peer's certificate as a user sees it, with the outcome of its verification.
struct TlsCertificate {
    std::string subject;
    std::string issuer;
    std::string notBefore;
    std::string notAfter;
    // SHA-256 of the DER form, upper-case hex pairs joined by ':'.
    std::string sha256;
    // 0 when the chain verified against the trust store and matched peerName.
    long verifyResult = -1;
    // Why it did not verify ("self-signed certificate", "hostname mismatch", ...).
    std::string reason;

    bool verified() const { return verifyResult == 0; }
};

}  // namespace quay

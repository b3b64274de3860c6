#include "net/tls_context.h"

#include <openssl/err.h>
#include <openssl/ssl.h>

#include "net/socket_error.h"

namespace quay {

namespace {

std::string lastOpenSslError(const std::string& what) {
    char text[256] = "";
    ERR_error_string_n(ERR_get_error(), text, sizeof text);
    return what + ": " + text;
}

SSL_CTX* newContext(const SSL_METHOD* method) {
    SSL_CTX* ctx = SSL_CTX_new(method);
    if (!ctx)
        throw SocketException(lastOpenSslError("TLS context"));
    SSL_CTX_set_min_proto_version(ctx, TLS1_2_VERSION);
    // Many FTP servers end a data connection without close_notify; the transfer's end is
    // known from the 226 reply and the size, so a plain end of stream reads as the end.
    SSL_CTX_set_options(ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(ctx, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    return ctx;
}

}  // namespace

std::shared_ptr<TlsContext> TlsContext::client() {
    SSL_CTX* ctx = newContext(TLS_client_method());
    // The outcome is kept (SSL_get_verify_result) and judged by the application, which may
    // ask the user, so the handshake itself never fails for it.
    SSL_CTX_set_verify(ctx, SSL_VERIFY_NONE, nullptr);
    if (SSL_CTX_set_default_verify_paths(ctx) != 1)
        ERR_clear_error();
    // Sessions are kept by the connections that resume them, not in a cache of the context.
    SSL_CTX_set_session_cache_mode(ctx, SSL_SESS_CACHE_OFF);
    return std::shared_ptr<TlsContext>(new TlsContext(ctx, false));
}

std::shared_ptr<TlsContext> TlsContext::server(const std::string& certFile,
                                               const std::string& keyFile) {
    SSL_CTX* ctx = newContext(TLS_server_method());
    if (SSL_CTX_use_certificate_chain_file(ctx, certFile.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(ctx, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        const std::string message = lastOpenSslError("TLS certificate " + certFile);
        SSL_CTX_free(ctx);
        throw SocketException(message);
    }
    return std::shared_ptr<TlsContext>(new TlsContext(ctx, true));
}

TlsContext::~TlsContext() {
    SSL_CTX_free(m_ctx);
}

TlsSession::~TlsSession() {
    SSL_SESSION_free(m_session);
}

}  // namespace quay

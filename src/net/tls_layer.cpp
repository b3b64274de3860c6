#include "net/tls_layer.h"

#include <arpa/inet.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <climits>
#include <cstdio>

#include "net/resolve.h"
#include "net/socket_error.h"

namespace quay {

namespace {

TlsLayer& layerOf(BIO* bio) {
    return *static_cast<TlsLayer*>(BIO_get_data(bio));
}

int clampLength(std::int64_t len) {
    return static_cast<int>(len > INT_MAX ? INT_MAX : len);
}

int bioRead(BIO* bio, char* buffer, int size) {
    TlsLayer& layer = layerOf(bio);
    BIO_clear_retry_flags(bio);
    const std::int64_t n = layer.below().read(buffer, size, layer.belowError());
    if (n < 0 && layer.belowError() == sockerr::WouldBlock)
        BIO_set_retry_read(bio);
    return static_cast<int>(n);
}

int bioWrite(BIO* bio, const char* data, int len) {
    TlsLayer& layer = layerOf(bio);
    BIO_clear_retry_flags(bio);
    const std::int64_t n = layer.below().write(data, len, layer.belowError());
    if (n < 0 && layer.belowError() == sockerr::WouldBlock)
        BIO_set_retry_write(bio);
    return static_cast<int>(n);
}

long bioControl(BIO*, int command, long, void*) {
    // Writes go straight to the layer below, so there is never anything to flush.
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

// The method is made once and never changed afterwards.
BIO_METHOD* layerMethod() {
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "quay layer");
        BIO_meth_set_read(m, bioRead);
        BIO_meth_set_write(m, bioWrite);
        BIO_meth_set_ctrl(m, bioControl);
        BIO_meth_set_create(m, [](BIO* bio) {
            BIO_set_init(bio, 1);
            return 1;
        });
        return m;
    }();
    return method;
}

std::string bioText(BIO* bio) {
    char* data = nullptr;
    const long len = BIO_get_mem_data(bio, &data);
    std::string text(data ? data : "", len > 0 ? static_cast<std::size_t>(len) : 0);
    BIO_free(bio);
    return text;
}

std::string nameText(const X509_NAME* name) {
    BIO* bio = BIO_new(BIO_s_mem());
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253 & ~ASN1_STRFLGS_ESC_MSB);
    return bioText(bio);
}

std::string timeText(const ASN1_TIME* time) {
    BIO* bio = BIO_new(BIO_s_mem());
    ASN1_TIME_print(bio, time);
    return bioText(bio);
}

std::string fingerprint(X509* cert) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int len = 0;
    X509_digest(cert, EVP_sha256(), digest, &len);
    std::string text;
    for (unsigned int i = 0; i < len; ++i) {
        char pair[4];
        std::snprintf(pair, sizeof pair, i == 0 ? "%02X" : ":%02X", digest[i]);
        text += pair;
    }
    return text;
}

bool isAddress(const std::string& name) {
    in6_addr scratch{};
    return isDottedAddress(name) || ::inet_pton(AF_INET6, name.c_str(), &scratch) == 1;
}

}  // namespace

TlsLayer::TlsLayer(const TlsSettings& settings, std::unique_ptr<StreamLayer> below)
    : m_below(std::move(below)) {
    ERR_clear_error();
    m_ssl = SSL_new(settings.context->handle());
    BIO* bio = m_ssl ? BIO_new(layerMethod()) : nullptr;
    if (!bio) {
        SSL_free(m_ssl);
        throw SocketException("TLS: cannot make a connection object");
    }
    BIO_set_data(bio, this);
    SSL_set_bio(m_ssl, bio, bio);
    if (settings.context->isServer()) {
        SSL_set_accept_state(m_ssl);
        return;
    }
    SSL_set_connect_state(m_ssl);
    const std::string& name = settings.peerName;
    if (isAddress(name)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(m_ssl), name.c_str());
    } else if (!name.empty()) {
        SSL_set_tlsext_host_name(m_ssl, name.c_str());
        SSL_set1_host(m_ssl, name.c_str());
    }
    if (settings.resume)
        SSL_set_session(m_ssl, settings.resume->handle());
}

TlsLayer::~TlsLayer() {
    SSL_free(m_ssl);
}

int TlsLayer::failure(int result, bool reading) {
    switch (SSL_get_error(m_ssl, result)) {
        case SSL_ERROR_WANT_READ:
        case SSL_ERROR_WANT_WRITE:
            return sockerr::WouldBlock;
        case SSL_ERROR_ZERO_RETURN:
            m_ended = true;
            return 0;
        case SSL_ERROR_SYSCALL:
            if (m_belowError != 0 && m_belowError != sockerr::WouldBlock)
                return m_belowError;
            if (reading) {
                m_ended = true;
                return 0;
            }
            return sockerr::ConnectionReset;
        default: {
            char text[256] = "";
            ERR_error_string_n(ERR_peek_last_error(), text, sizeof text);
            m_errorText = text;
            ERR_clear_error();
            return sockerr::TlsFailure;
        }
    }
}

StreamLayer::Opening TlsLayer::open(int& error) {
    ERR_clear_error();
    m_belowError = 0;
    const int result = SSL_do_handshake(m_ssl);
    if (result == 1)
        return Opening::Done;
    const int code = SSL_get_error(m_ssl, result);
    if (code == SSL_ERROR_WANT_READ)
        return Opening::WantRead;
    if (code == SSL_ERROR_WANT_WRITE)
        return Opening::WantWrite;
    error = failure(result, false);
    if (error == 0 || error == sockerr::TlsFailure)
        error = sockerr::TlsHandshakeFailed;
    if (m_errorText.empty())
        m_errorText = socketErrorText(error);
    return Opening::Failed;
}

std::int64_t TlsLayer::read(void* buffer, std::int64_t size, int& error) {
    if (m_ended)
        return 0;
    ERR_clear_error();
    m_belowError = 0;
    // A record holds at most 16 KiB: the records that are there fill the caller's buffer in one
    // call, as one recv() of a plain connection would.
    auto* bytes = static_cast<char*>(buffer);
    std::int64_t total = 0;
    while (total < size) {
        const int n = SSL_read(m_ssl, bytes + total, clampLength(size - total));
        if (n > 0) {
            total += n;
            continue;
        }
        const int code = failure(n, true);
        if (total > 0)
            return total;
        error = code;
        return code == 0 ? 0 : -1;
    }
    return total;
}

std::int64_t TlsLayer::peek(int& error) {
    if (m_ended)
        return 0;
    ERR_clear_error();
    m_belowError = 0;
    char byte;
    const int n = SSL_peek(m_ssl, &byte, 1);
    if (n > 0)
        return n;
    error = failure(n, true);
    return error == 0 ? 0 : -1;
}

std::int64_t TlsLayer::write(const void* data, std::int64_t len, int& error) {
    ERR_clear_error();
    m_belowError = 0;
    // With partial writes SSL_write returns after each record: the records go on until the
    // bytes are taken or the layer below is full, as one send() of a plain connection would.
    const auto* bytes = static_cast<const char*>(data);
    std::int64_t total = 0;
    while (total < len) {
        const int n = SSL_write(m_ssl, bytes + total, clampLength(len - total));
        if (n > 0) {
            total += n;
            continue;
        }
        const int code = failure(n, false);
        if (total > 0)
            return total;
        error = code == 0 ? sockerr::Shutdown : code;
        return -1;
    }
    return total;
}

std::int64_t TlsLayer::held() const {
    return SSL_pending(m_ssl);
}

void TlsLayer::finish() {
    if (m_finished || !SSL_is_init_finished(m_ssl))
        return;
    m_finished = true;
    ERR_clear_error();
    // One attempt: the peer's close_notify is not waited for.
    SSL_shutdown(m_ssl);
    ERR_clear_error();
}

std::string TlsLayer::version() const {
    return SSL_get_version(m_ssl);
}

std::string TlsLayer::cipher() const {
    const char* name = SSL_get_cipher_name(m_ssl);
    return name ? name : "";
}

bool TlsLayer::resumed() const {
    return SSL_session_reused(m_ssl) == 1;
}

std::shared_ptr<TlsSession> TlsLayer::session() const {
    SSL_SESSION* session = SSL_get1_session(m_ssl);
    return session ? std::make_shared<TlsSession>(session) : nullptr;
}

TlsCertificate TlsLayer::peerCertificate() const {
    TlsCertificate info;
    X509* cert = SSL_get1_peer_certificate(m_ssl);
    if (!cert) {
        info.reason = "The server sent no certificate";
        return info;
    }
    info.subject = nameText(X509_get_subject_name(cert));
    info.issuer = nameText(X509_get_issuer_name(cert));
    info.notBefore = timeText(X509_get0_notBefore(cert));
    info.notAfter = timeText(X509_get0_notAfter(cert));
    info.sha256 = fingerprint(cert);
    X509_free(cert);
    info.verifyResult = SSL_get_verify_result(m_ssl);
    if (!info.verified())
        info.reason = X509_verify_cert_error_string(info.verifyResult);
    return info;
}

}  // namespace quay

#pragma once

#include <memory>
#include <string>

#include "net/stream_layer.h"
#include "net/tls_context.h"

typedef struct ssl_st SSL;

namespace quay {

// TLS over the layer below, with OpenSSL. Reads and writes of the layer below go through a
// BIO of its own, so the layer below may be the descriptor or anything else that moves bytes.
// The handshake runs in open() as client or server (the context's role); a client resumes
// settings.resume when given. After the handshake the layer tells the version, the cipher,
// whether the session was resumed and the peer's certificate.
class TlsLayer final : public StreamLayer {
public:
    // Throws SocketException when OpenSSL cannot make the connection object.
    TlsLayer(const TlsSettings& settings, std::unique_ptr<StreamLayer> below);
    ~TlsLayer() override;
    TlsLayer(const TlsLayer&) = delete;
    TlsLayer& operator=(const TlsLayer&) = delete;

    Opening open(int& error) override;
    std::int64_t read(void* buffer, std::int64_t size, int& error) override;
    std::int64_t write(const void* data, std::int64_t len, int& error) override;
    std::int64_t peek(int& error) override;
    std::int64_t held() const override;
    bool ended() const override { return m_ended; }
    void finish() override;

    // "TLSv1.3", "TLSv1.2", ...
    std::string version() const;
    std::string cipher() const;
    bool resumed() const;
    // The session as it stands now (in TLS 1.3 the tickets come after the handshake, so ask
    // when the session is to be resumed, not right after the handshake).
    std::shared_ptr<TlsSession> session() const;
    TlsCertificate peerCertificate() const;
    // OpenSSL's words for the last failure.
    const std::string& errorText() const { return m_errorText; }

    // Used by the BIO that connects the layer below.
    StreamLayer& below() { return *m_below; }
    int& belowError() { return m_belowError; }

private:
    // Maps the result of an SSL call; returns the socket-layer code (WouldBlock included).
    int failure(int result, bool reading);

    std::unique_ptr<StreamLayer> m_below;
    SSL* m_ssl = nullptr;
    bool m_ended = false;
    bool m_finished = false;
    int m_belowError = 0;
    std::string m_errorText;
};

}  // namespace quay

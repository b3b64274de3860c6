#include "net/async_socket.h"
#include "net/tls_layer.h"

#include <utility>

namespace quay {

void AsyncSocket::startTls(const TlsSettings& settings) {
    if (m_state != SocketState::wsConnected || m_socketType != SOCK_STREAM || m_tlsLayer ||
        layerOpening())
        throw SocketException("StartTls: not a plain connected stream");
    beginTls(LayerOpening::TlsStarted, settings);
}

void AsyncSocket::beginTls(LayerOpening how, const TlsSettings& settings) {
    auto layer = std::make_unique<TlsLayer>(settings, takeTopLayer());
    m_tlsLayer = layer.get();
    m_layer = std::move(layer);
    m_opening = how;
    driveOpening();
}

// Reports the handshake's outcome the way the start of the connection is reported without
// TLS, then hands on what was held back meanwhile.
void AsyncSocket::tlsOpened(int error) {
    const LayerOpening how = m_opening;
    m_opening = LayerOpening::None;
    m_writeWanted = false;
    refreshWatch();
    const Guard guard(*this);
    if (how == LayerOpening::TlsStarted) {
        fire(onTlsStarted, error);
        if (guard.gone())
            return;
    }
    if (how == LayerOpening::TlsConnect) {
        fire(onSessionConnected, error);
        if (guard.gone())
            return;
        if (error != 0 && m_state != SocketState::wsClosed)
            close();
        if (error != 0 || guard.gone())
            return;
    } else if (error != 0) {
        // The close changes the connection's generation, so only the socket's life decides.
        auto life = lifeToken();
        m_closeReported = true;
        close();
        if (!life.expired())
            doSessionClosed(error);
        return;
    }
    if (m_state != SocketState::wsConnected)
        return;
    // The write notification held back during the handshake, or bytes queued meanwhile. One
    // that is still to come (the handshake may end within the call that started it) is not
    // doubled.
    const bool writeHeld = std::exchange(m_writeHeld, false);
    if (writeHeld || !queueDrained()) {
        handleEvents(EvWrite, 0);
        if (guard.gone())
            return;
    }
    postHeldBytes();
}

}  // namespace quay

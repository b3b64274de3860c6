#include "net/async_socket.h"
#include "net/tls_layer.h"

#include <utility>

namespace quay {

void AsyncSocket::startTls(const TlsSettings& settings) {
    if (m_state != SocketState::wsConnected || m_socketType != SOCK_STREAM || m_layer)
        throw SocketException("StartTls: not a plain connected stream");
    beginTls(TlsOpening::Started, settings);
}

void AsyncSocket::beginTls(TlsOpening how, const TlsSettings& settings) {
    auto layer = std::make_unique<TlsLayer>(settings, std::make_unique<FdLayer>(m_handle));
    m_tlsLayer = layer.get();
    m_layer = std::move(layer);
    m_opening = how;
    driveTlsOpening();
}

void AsyncSocket::driveTlsOpening() {
    int error = 0;
    switch (m_layer->open(error)) {
        case StreamLayer::Opening::Done:
            tlsOpened(0);
            return;
        case StreamLayer::Opening::WantRead:
            m_writeWanted = false;
            refreshWatch();
            return;
        case StreamLayer::Opening::WantWrite:
            m_writeWanted = true;
            refreshWatch();
            return;
        case StreamLayer::Opening::Failed:
            tlsOpened(error);
            return;
    }
}

// Reports the handshake's outcome the way the start of the connection is reported without
// TLS, then hands on what was held back meanwhile.
void AsyncSocket::tlsOpened(int error) {
    const TlsOpening how = m_opening;
    m_opening = TlsOpening::None;
    m_writeWanted = false;
    refreshWatch();
    const Guard guard(*this);
    if (how == TlsOpening::Started) {
        fire(onTlsStarted, error);
        if (guard.gone())
            return;
    }
    if (how == TlsOpening::Connect) {
        fire(onSessionConnected, error);
        if (guard.gone())
            return;
        if (error != 0 && m_state != SocketState::wsClosed)
            close();
        if (error != 0 || guard.gone())
            return;
    } else if (error != 0) {
        m_closeReported = true;
        close();
        if (!guard.gone())
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

void AsyncSocket::postHeldBytes() {
    if (m_heldPosted || !m_layer || m_layer->held() <= 0)
        return;
    m_heldPosted = true;
    const std::uint64_t generation = m_generation;
    postSelf([this, generation] {
        m_heldPosted = false;
        if (m_generation == generation && !m_paused && m_state == SocketState::wsConnected)
            guarded([this] { handleEvents(EvRead, 0); });
    });
}

std::int64_t AsyncSocket::layerRead(void* buffer, std::int64_t size) {
    if (tlsOpening()) {
        m_libraryError = sockerr::WouldBlock;
        return -1;
    }
    int error = 0;
    const std::int64_t n = m_layer->read(buffer, size, error);
    if (n < 0)
        m_libraryError = error;
    // The peer ended TLS (close_notify, perhaps behind the last bytes just read) but may keep the
    // descriptor open until it hears ours.
    if (n >= 0 && m_layer->ended() && !m_endPosted) {
        m_endPosted = true;
        const std::uint64_t generation = m_generation;
        postSelf([this, generation] {
            if (m_generation == generation && m_state == SocketState::wsConnected)
                guarded([this] { handleEvents(EvClose, 0); });
        });
    }
    return n;
}

}  // namespace quay

#include "net/async_socket.h"
#include "net/socks_layer.h"

namespace quay {

std::unique_ptr<StreamLayer> AsyncSocket::takeTopLayer() {
    if (m_layer)
        return std::move(m_layer);
    return std::make_unique<FdLayer>(m_handle);
}

// Opens the top layer as far as it goes now; readiness of the descriptor calls again.
void AsyncSocket::driveOpening() {
    for (;;) {
        int error = 0;
        const StreamLayer::Opening step = m_layer->open(error);
        const bool socks = m_opening == LayerOpening::Socks;
        if (socks)
            m_socksState = m_socksLayer->state();
        switch (step) {
            case StreamLayer::Opening::Done:
                socks ? socksOpened() : tlsOpened(0);
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
                socks ? socksFailed(error) : tlsOpened(error);
                return;
            case StreamLayer::Opening::Notice: {
                // Only the SOCKS layer stops for its owner: at a step of the user code exchange.
                const Guard guard(*this);
                fire(onSocksAuthState, m_socksLayer->notice());
                if (guard.gone() || m_opening != LayerOpening::Socks)
                    return;
                break;
            }
        }
    }
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
    if (layerOpening()) {
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

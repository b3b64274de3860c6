#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <limits>

#include "net/async_socket.h"

namespace quay {

namespace {

constexpr std::int64_t MaxChunk = INT_MAX;

// What one read notification takes at most before the loop has its turn again (input, paints,
// timers, a Stop). A fast connection into a slower disk keeps bytes waiting all the time, and
// reading until none were left held the loop for hundreds of milliseconds, or as long as the
// sender stayed ahead. Level-triggered readiness brings the rest at the next turn.
constexpr std::int64_t ReadBurstLimit = 4 * 1024 * 1024;

std::size_t chunk(std::int64_t len) {
    return static_cast<std::size_t>(len > MaxChunk ? MaxChunk : len);
}

// Readiness reported by an outer poll may be stale when a handler pumped the loop meanwhile.
bool readableNow(int handle) {
    pollfd fd{handle, POLLIN, 0};
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN);
}

}  // namespace

void AsyncSocket::dropWatch() {
    if (m_watching) {
        m_loop.unwatch(m_watchedFd);
        m_watching = false;
        m_watchedFd = InvalidSocket;
    }
}

void AsyncSocket::registerEvents(unsigned mask) {
    m_selectMask = mask;
    refreshWatch();
}

void AsyncSocket::refreshWatch() {
    if (m_handle == InvalidSocket || m_paused || m_selectMask == 0) {
        dropWatch();
        return;
    }
    unsigned events = EventLoop::IoReadable;
    if (m_state == SocketState::wsConnecting)
        events = EventLoop::IoWritable;
    else if (m_state == SocketState::wsListening && !m_acceptArmed)
        events = 0;
    else if (m_writeWanted)
        events |= EventLoop::IoWritable;
    if (m_watching && m_watchedFd == m_handle) {
        m_loop.updateWatch(m_handle, events);
        return;
    }
    dropWatch();
    m_loop.watch(m_handle, events, [this](unsigned ioEvents) { onReadiness(ioEvents); });
    m_watching = true;
    m_watchedFd = m_handle;
}

void AsyncSocket::onReadiness(unsigned ioEvents) {
    guarded([this, ioEvents] {
        if (m_paused || m_handle == InvalidSocket)
            return;
        if (m_state == SocketState::wsConnecting)
            onConnectReadiness(ioEvents);
        else if (m_state == SocketState::wsListening)
            onListenReadiness(ioEvents);
        else if (m_state == SocketState::wsConnected)
            onStreamReadiness(ioEvents);
    });
}

void AsyncSocket::onConnectReadiness(unsigned ioEvents) {
    if (!(ioEvents & (EventLoop::IoWritable | EventLoop::IoError | EventLoop::IoHangUp)))
        return;
    int soError = 0;
    socklen_t len = sizeof soError;
    if (::getsockopt(m_handle, SOL_SOCKET, SO_ERROR, &soError, &len) != 0)
        soError = errno;
    const int error = mapErrno(soError);
    const Guard guard(*this);
    handleEvents(EvConnect, error);
    // A connection that is established is writable: the first write notification.
    if (error == 0 && !guard.gone() && m_state == SocketState::wsConnected)
        handleEvents(EvWrite, 0);
}

void AsyncSocket::onListenReadiness(unsigned ioEvents) {
    if (!(ioEvents & EventLoop::IoReadable) || !m_acceptArmed || !readableNow(m_handle))
        return;
    // Like a one-shot notification: the next one comes after accept().
    m_acceptArmed = false;
    refreshWatch();
    handleEvents(EvAccept, 0);
}

void AsyncSocket::onStreamReadiness(unsigned ioEvents) {
    if (layerOpening()) {
        driveOpening();
        return;
    }
    const Guard guard(*this);
    if ((ioEvents & EventLoop::IoWritable) && m_writeWanted) {
        m_writeWanted = false;
        refreshWatch();
        handleEvents(EvWrite, 0);
        if (guard.gone())
            return;
    }
    if (!(ioEvents & (EventLoop::IoReadable | EventLoop::IoError | EventLoop::IoHangUp)))
        return;
    if (m_socketType == SOCK_DGRAM) {
        handleEvents(EvRead, 0);
        return;
    }
    int closeError = 0;
    switch (probeStream(closeError)) {
        case StreamProbe::Data:
            handleEvents(EvRead, 0);
            break;
        case StreamProbe::EndOfStream:
            handleEvents(EvClose, closeError);
            break;
        case StreamProbe::Nothing:
            break;
    }
}

AsyncSocket::StreamProbe AsyncSocket::probeStream(int& closeError) {
    closeError = 0;
    if (m_layer) {
        int error = 0;
        const std::int64_t n = m_layer->held() > 0 ? 1 : m_layer->peek(error);
        if (n > 0)
            return StreamProbe::Data;
        if (n == 0)
            return StreamProbe::EndOfStream;
        if (error == sockerr::WouldBlock || error == sockerr::Interrupted)
            return StreamProbe::Nothing;
        closeError = error;
        return StreamProbe::EndOfStream;
    }
    char byte;
    const ssize_t n = ::recv(m_handle, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0)
        return StreamProbe::Data;
    if (n == 0)
        return StreamProbe::EndOfStream;
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
        return StreamProbe::Nothing;
    closeError = mapErrno(errno);
    return StreamProbe::EndOfStream;
}

// One notification; the bits are handled in a fixed order and handling stops as soon as a
// handler has closed or destroyed the socket.
void AsyncSocket::handleEvents(unsigned bits, int error) {
    const Guard guard(*this);
    if (bits & EvConnect) {
        changeState(SocketState::wsConnected);
        if (guard.gone())
            return;
        doSessionConnected(error);
        if (guard.gone())
            return;
        if (error != 0 && m_state != SocketState::wsClosed)
            close();
        if (guard.gone())
            return;
    }
    if (bits & EvRead) {
        receiveLoop(error, ReadBurstLimit);
        if (guard.gone())
            return;
        postHeldBytes();
    }
    if (bits & EvWrite) {
        tryToSend();
        if (guard.gone())
            return;
        if (queueDrained())
            doDataSent(error);
        if (guard.gone())
            return;
    }
    if (bits & EvAccept) {
        doSessionAvailable(error);
        if (guard.gone())
            return;
    }
    if ((bits & EvClose) && m_state != SocketState::wsConnecting) {
        // The peer has ended: what is left is all there will be, read before the close.
        receiveLoop(0, std::numeric_limits<std::int64_t>::max());
        if (guard.gone())
            return;
        if (!m_closeReported) {
            m_closeReported = true;
            doSessionClosed(error);
            if (guard.gone())
                return;
        }
        if (m_state != SocketState::wsClosed)
            close();
    }
}

// Calls the data handler while bytes wait, until `limit` bytes have been read in this call.
void AsyncSocket::receiveLoop(int error, std::int64_t limit) {
    const Guard guard(*this);
    const std::int64_t readAtStart = m_readCount;
    for (;;) {
        m_lastError = 0;
        const std::int64_t readBefore = m_readCount;
        bool handled = false;
        try {
            handled = doDataAvailable(error);
        } catch (const std::exception&) {
            // A failing data handler ends this burst only; the connection stays as it is and
            // the next notification calls the handler again.
            return;
        }
        if (guard.gone())
            return;
        if (!handled) {
            char scratch[1024];
            if (receive(scratch, sizeof scratch) < 0 && m_lastError == sockerr::WouldBlock) {
                m_lastError = 0;
                return;
            }
        }
        // A handler that read nothing is called again from the next round of the loop rather
        // than at once, so that it cannot freeze the thread.
        if ((m_options & wsoNoReceiveLoop) || m_lastError != 0 ||
            (handled && m_readCount == readBefore) || m_readCount - readAtStart >= limit)
            return;
        const std::int64_t waiting = getRcvdCount();
        if (waiting < 0) {
            m_lastError = m_libraryError;
            return;
        }
        if (waiting == 0)
            return;
    }
}

std::int64_t AsyncSocket::getRcvdCount() {
    int waiting = 0;
    if (m_handle == InvalidSocket) {
        m_libraryError = sockerr::NotSocket;
        return -1;
    }
    if (m_layer && (layerOpening() || m_layer->held() > 0))
        return layerOpening() ? 0 : m_layer->held();
    if (::ioctl(m_handle, FIONREAD, &waiting) != 0) {
        m_libraryError = mapErrno(errno);
        return -1;
    }
    return waiting;
}

std::int64_t AsyncSocket::recvRaw(void* buffer, std::int64_t size) {
    if (m_handle == InvalidSocket) {
        m_libraryError = sockerr::NotSocket;
        return -1;
    }
    if (size < 0) {
        m_libraryError = sockerr::InvalidArgument;
        return -1;
    }
    if (m_layer)
        return layerRead(buffer, size);
    const ssize_t n = ::recv(m_handle, buffer, chunk(size), 0);
    if (n < 0)
        m_libraryError = mapErrno(errno);
    return n;
}

std::int64_t AsyncSocket::receive(void* buffer, std::int64_t size) {
    const std::int64_t n = recvRaw(buffer, size);
    if (n < 0)
        m_lastError = m_libraryError;
    else
        m_readCount += n;
    return n;
}

std::string AsyncSocket::receiveStr() {
    const std::int64_t waiting = getRcvdCount();
    if (waiting <= 0)
        return {};
    std::string text(static_cast<std::size_t>(waiting), '\0');
    const std::int64_t n = receive(text.data(), waiting);
    if (n <= 0)
        return {};
    text.resize(static_cast<std::size_t>(n));
    return text;
}

std::int64_t AsyncSocket::receiveFrom(void* buffer, std::int64_t size, sockaddr_in& from) {
    if (size < 0) {
        m_lastError = sockerr::InvalidArgument;
        return -1;
    }
    socklen_t len = sizeof from;
    const ssize_t n =
        ::recvfrom(m_handle, buffer, chunk(size), 0, reinterpret_cast<sockaddr*>(&from), &len);
    if (n < 0) {
        m_libraryError = mapErrno(errno);
        m_lastError = m_libraryError;
    } else {
        m_readCount += n;
    }
    return n;
}

std::int64_t AsyncSocket::sendTo(const sockaddr_in& dest, const void* data, std::int64_t len) {
    const ssize_t n = ::sendto(m_handle, data, chunk(len < 0 ? 0 : len), m_sendFlags | MSG_NOSIGNAL,
                               reinterpret_cast<const sockaddr*>(&dest), sizeof dest);
    if (n < 0) {
        m_libraryError = mapErrno(errno);
        m_lastError = m_libraryError;
    } else if (n > 0) {
        fire(onSendData, static_cast<std::int64_t>(n));
    }
    return n;
}

std::int64_t AsyncSocket::sendRaw(const void* data, std::int64_t len) {
    if (layerOpening()) {
        m_libraryError = sockerr::WouldBlock;
        return -1;
    }
    // Only TLS changes the bytes written; below it (the SOCKS layer after its negotiation, the
    // descriptor) a write goes straight to the descriptor, with the send flags.
    if (m_tlsLayer)
        return m_layer->write(data, len, m_libraryError);
    const int flags = m_sendFlags | MSG_NOSIGNAL;
    const ssize_t n = m_socketType == SOCK_DGRAM
                          ? ::sendto(m_handle, data, chunk(len), flags, m_sin.get(), m_sin.size())
                          : ::send(m_handle, data, chunk(len), flags);
    if (n < 0)
        m_libraryError = mapErrno(errno);
    return n;
}

std::int64_t AsyncSocket::sendQueueBytes() const {
    std::int64_t total = 0;
    for (const auto& block : m_sendQueue)
        total += block->unread();
    return total;
}

bool AsyncSocket::queueDrained() const {
    // Emptied blocks are freed except the last, so only a lone block can be empty.
    return m_sendQueue.empty() || (m_sendQueue.size() == 1 && m_sendQueue.front()->unread() == 0);
}

void AsyncSocket::discardSendQueue() {
    m_sendQueue.clear();
    m_allSent = true;
}

void AsyncSocket::postWriteNotification() {
    const std::uint64_t generation = m_generation;
    postSelf([this, generation] {
        if (m_generation == generation && !m_paused)
            guarded([this] { handleEvents(EvWrite, 0); });
    });
}

std::int64_t AsyncSocket::send(const void* data, std::int64_t len) {
    if (m_state != SocketState::wsConnected) {
        m_libraryError = sockerr::NotConnected;
        socketError("Send");
        return -1;
    }
    m_allSent = false;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    std::int64_t left = len > 0 ? len : 0;
    if (left > 0 && m_sendQueue.empty())
        m_sendQueue.push_back(std::make_unique<Buffer>(m_blockSize));
    while (left > 0) {
        const std::int64_t written = m_sendQueue.back()->write(bytes, left);
        bytes += written;
        left -= written;
        if (left > 0)
            m_sendQueue.push_back(std::make_unique<Buffer>(m_blockSize));
    }
    auto life = lifeToken();
    tryToSend();
    // With nobody to tell (the control connection: the reply says the command arrived), the
    // notification would only wake the loop once more per command.
    if (!life.expired() && m_handle != InvalidSocket && queueDrained() && onDataSent)
        postWriteNotification();
    return len > 0 ? len : 0;
}

std::int64_t AsyncSocket::sendStr(const std::string& text) {
    return send(text.data(), static_cast<std::int64_t>(text.size()));
}

void AsyncSocket::tryToSend() {
    if (m_handle == InvalidSocket || m_sendQueue.empty())
        return;
    for (;;) {
        Buffer& block = *m_sendQueue.front();
        std::int64_t count = 0;
        const std::uint8_t* bytes = block.peek(count);
        if (!bytes) {
            if (m_sendQueue.size() == 1) {
                m_allSent = true;
                return;
            }
            m_sendQueue.pop_front();
            continue;
        }
        const std::int64_t n = sendRaw(bytes, count);
        if (n == 0)
            return;
        if (n < 0) {
            sendFailed(m_libraryError);
            return;
        }
        block.remove(n);
        const bool partial = n < count;
        if (partial) {
            // Linux takes part of a block when its buffer fills; writability tells when to
            // go on.
            m_writeWanted = true;
            refreshWatch();
        }
        // Fired once the queue is consistent: the handler may send, close or abort.
        const Guard guard(*this);
        fire(onSendData, n);
        if (partial || guard.gone() || m_sendQueue.empty())
            return;
    }
}

void AsyncSocket::sendFailed(int code) {
    switch (code) {
        case sockerr::ConnectionReset:
        case sockerr::NotSocket:
        case sockerr::NotConnected:
        case sockerr::InvalidArgument:
        case sockerr::ConnectionAborted: {
            auto life = lifeToken();
            m_closeReported = true;
            close();
            if (!life.expired())
                doSessionClosed(code);
            return;
        }
        case sockerr::WouldBlock:
            m_writeWanted = true;
            refreshWatch();
            return;
        default:
            socketError("TryToSend failed");
            return;
    }
}

}  // namespace quay

#include "net/line_socket.h"

#include <algorithm>
#include <cstring>

namespace quay {

LineSocket::LineSocket(EventLoop& loop) : AsyncSocket(loop) {}

bool LineSocket::lineModeActive() const {
    return m_lineMode && !m_lineEnd.empty() && socksState() == SocksState::socksData;
}

void LineSocket::setLineMode(bool value) {
    if (value == m_lineMode)
        return;
    m_lineMode = value;
    if (m_lineCount > 0 || m_lineLength > 0)
        postSelf([this] { guarded([this] { deliverBuffered(); }); });
}

// Bytes received in one mode are delivered in the other.
void LineSocket::deliverBuffered() {
    if (lineModeActive()) {
        deliverLines(0);
        return;
    }
    const Guard guard(*this);
    while (m_lineCount > 0) {
        const std::int64_t before = m_lineCount;
        if (!AsyncSocket::doDataAvailable(0)) {
            dropFront(m_lineCount);
            return;
        }
        if (guard.gone() || m_lineCount == before)
            return;
    }
}

std::int64_t LineSocket::getRcvdCount() {
    if (m_lineMode)
        return m_lineStalled ? 0 : m_lineLength;
    if (m_lineCount > 0)
        return m_lineCount;
    return AsyncSocket::getRcvdCount();
}

void LineSocket::dropFront(std::int64_t count) {
    count = std::min(count, m_lineCount);
    std::memmove(m_lineBuffer.data(), m_lineBuffer.data() + count,
                 static_cast<std::size_t>(m_lineCount - count));
    m_lineCount -= count;
    m_lineLength = std::max<std::int64_t>(0, m_lineLength - count);
}

std::int64_t LineSocket::recvRaw(void* buffer, std::int64_t size) {
    const std::int64_t available = m_lineMode ? m_lineLength : (m_lineCount > 0 ? m_lineCount : 0);
    if (available <= 0 || size < 0)
        return AsyncSocket::recvRaw(buffer, size);
    const std::int64_t count = std::min(size, available);
    m_lineStalled = false;
    std::memcpy(buffer, m_lineBuffer.data(), static_cast<std::size_t>(count));
    dropFront(count);
    return count;
}

bool LineSocket::doDataAvailable(int error) {
    if (!lineModeActive())
        return AsyncSocket::doDataAvailable(error);
    // Line mode owns every received byte, so the read counts as handled even when nothing
    // could be delivered yet.
    const std::int64_t waiting = AsyncSocket::getRcvdCount();
    if (waiting < 1)
        return true;
    if (static_cast<std::int64_t>(m_lineBuffer.size()) < m_lineCount + waiting + 1)
        m_lineBuffer.resize(static_cast<std::size_t>(m_lineCount + waiting + 1));
    const std::int64_t n = AsyncSocket::recvRaw(m_lineBuffer.data() + m_lineCount, waiting);
    if (n < 1)
        return true;
    const std::int64_t previous = m_lineCount;
    m_lineCount += n;
    m_lineStalled = false;
    if (m_lineEdit)
        editLine(previous);
    else if (m_lineEcho)
        echo(m_lineBuffer.data() + previous, n);
    const auto endLength = static_cast<std::int64_t>(m_lineEnd.size());
    deliverLines(std::clamp<std::int64_t>(previous - endLength, 0, m_lineCount));
    return true;
}

void LineSocket::deliverLines(std::int64_t searchFrom) {
    const Guard guard(*this);
    while (lineModeActive()) {
        if (m_lineLength == 0) {
            const auto begin = m_lineBuffer.begin();
            const auto end = begin + m_lineCount;
            const auto found =
                std::search(begin + searchFrom, end, m_lineEnd.begin(), m_lineEnd.end());
            if (found == end)
                return;
            m_lineLength = (found - begin) + static_cast<std::int64_t>(m_lineEnd.size());
            m_lineReceived = true;
        }
        if (!deliverPendingLine() || guard.gone())
            return;
        searchFrom = 0;
    }
}

// Fires onDataAvailable while the line is pending; false when the handler left it unread.
bool LineSocket::deliverPendingLine() {
    const Guard guard(*this);
    while (m_lineMode && m_lineLength > 0) {
        const std::int64_t before = m_lineLength;
        if (!AsyncSocket::doDataAvailable(0)) {
            dropFront(m_lineLength);
            return true;
        }
        if (guard.gone())
            return false;
        // Left unread: waits for more bytes instead of calling the handler again at once.
        m_lineStalled = m_lineLength == before;
        if (m_lineStalled)
            return false;
    }
    return true;
}

void LineSocket::doSessionClosed(int error) {
    m_lineReceived = true;
    const Guard guard(*this);
    if (lineModeActive() && m_lineCount > 0) {
        m_lineLength = m_lineCount;
        deliverPendingLine();
        if (guard.gone())
            return;
    }
    m_lineBuffer.clear();
    m_lineBuffer.shrink_to_fit();
    m_lineCount = 0;
    m_lineLength = 0;
    AsyncSocket::doSessionClosed(error);
}

void LineSocket::echo(const void* data, std::int64_t len) {
    if (state() == SocketState::wsConnected)
        send(data, len);
}

void LineSocket::editLine(std::int64_t from) {
    const std::vector<std::uint8_t> input(m_lineBuffer.begin() + from,
                                          m_lineBuffer.begin() + m_lineCount);
    std::int64_t w = from;
    auto put = [&](std::uint8_t c) {
        if (w >= static_cast<std::int64_t>(m_lineBuffer.size()))
            m_lineBuffer.resize(static_cast<std::size_t>(w + 1) * 2);
        m_lineBuffer[static_cast<std::size_t>(w++)] = c;
        if (m_lineEcho)
            echo(&c, 1);
    };
    for (const std::uint8_t c : input) {
        if (c == 8) {
            if (w > 0) {
                --w;
                if (m_lineEcho)
                    echo("\b \b", 3);
            }
        } else if (c == 9) {
            do {
                put(' ');
            } while (w % 8 != 0);
        } else {
            put(c);
        }
    }
    m_lineCount = w;
}

}  // namespace quay

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/async_socket.h"

namespace quay {

// Optional line mode: with lineMode() on, received bytes are cut at lineEnd() and each line
// (line end included) is delivered by onDataAvailable and read with receive(); rcvdCount()
// is then the unread length of that line. Off by default; with it off every operation
// behaves exactly as in AsyncSocket. lineEdit() applies backspace and tab to received bytes
// for interactive peers; lineEcho() sends received (edited) bytes back. When the peer
// closes, bytes without a line end are delivered as a last line.
//
// The data handler is expected to read the pending line; a handler that reads nothing of it
// is not called again until more bytes arrive (the line stays first in line). A line read
// only in part when line mode is switched off stays in front of the later bytes, once.
class LineSocket : public AsyncSocket {
public:
    explicit LineSocket(EventLoop& loop);

    bool lineMode() const { return m_lineMode; }
    void setLineMode(bool value);
    const std::string& lineEnd() const { return m_lineEnd; }
    void setLineEnd(const std::string& value) { m_lineEnd = value; }
    bool lineEcho() const { return m_lineEcho; }
    void setLineEcho(bool value) { m_lineEcho = value; }
    bool lineEdit() const { return m_lineEdit; }
    void setLineEdit(bool value) { m_lineEdit = value; }
    // Milliseconds the synchronous wait may take; 0 = no limit.
    int timeout() const { return m_timeout; }
    void setTimeout(int ms) { m_timeout = ms; }
    // Unread length of the line being delivered (0 when none).
    std::int64_t lineLength() const { return m_lineLength; }
    // Set when a line was cut or the connection closed.
    bool lineReceived() const { return m_lineReceived; }
    void setLineReceived(bool value) { m_lineReceived = value; }

protected:
    std::int64_t getRcvdCount() override;
    std::int64_t recvRaw(void* buffer, std::int64_t size) override;
    bool doDataAvailable(int error) override;
    void doSessionClosed(int error) override;
    // Rewrites the buffered bytes from position `from` for backspace and tab, echoing when
    // lineEcho() is on.
    void editLine(std::int64_t from);

private:
    bool lineModeActive() const;
    void echo(const void* data, std::int64_t len);
    void deliverLines(std::int64_t searchFrom);
    bool deliverPendingLine();
    void deliverBuffered();
    void dropFront(std::int64_t count);

    std::vector<std::uint8_t> m_lineBuffer;
    std::int64_t m_lineCount = 0;
    std::string m_lineEnd = "\r\n";
    bool m_lineMode = false;
    std::int64_t m_lineLength = 0;
    bool m_lineStalled = false;  // the handler left the pending line unread
    bool m_lineReceived = false;
    bool m_lineEcho = false;
    bool m_lineEdit = false;
    int m_timeout = 0;
};

}  // namespace quay

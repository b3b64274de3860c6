#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/socks_socket.h"

namespace quay {

// Optional line mode: with lineMode() on, received bytes are cut at lineEnd() and each line
// is delivered by one onDataAvailable, read with receive(). Off by default; with it off every
// operation behaves exactly as in SocksSocket. lineEdit() handles backspace and tab for
// interactive peers; lineEcho() sends received (edited) bytes back.
// Line mode expects the data handler to read the pending line on each call.
class LineSocket : public SocksSocket {
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
    // Length of the line waiting to be read (0 when none).
    std::int64_t lineLength() const { return m_lineLength; }
    bool lineReceived() const { return m_lineReceived; }

protected:
    std::int64_t getRcvdCount() override;
    std::int64_t recvRaw(void* buffer, std::int64_t size) override;
    bool doDataAvailable(int error) override;
    void doSessionClosed(int error) override;
    // Rewrites the bytes from position `from` of the line buffer for backspace and tab.
    void editLine(std::int64_t from);

    bool m_lineReceived = false;

private:
    bool lineModeActive() const;
    bool appendReceived(std::int64_t& previous);
    void deliverLines(std::int64_t searchFrom);
    void deliverBuffered();
    std::int64_t takeFront(void* buffer, std::int64_t size, std::int64_t available);

    std::vector<std::uint8_t> m_lineBuffer;
    std::int64_t m_lineCount = 0;
    std::string m_lineEnd = "\r\n";
    bool m_lineMode = false;
    std::int64_t m_lineLength = 0;
    bool m_lineEcho = false;
    bool m_lineEdit = false;
    int m_timeout = 0;
};

}  // namespace quay

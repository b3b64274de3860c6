#pragma once

#include <cstdint>
#include <memory>

namespace quay {

// One layer of a stream connection's byte path. A socket builds its stack when it connects:
// the descriptor at the bottom (FdLayer), then the layers chosen for the connection, each
// reading and writing through the one below: the SOCKS negotiation (SocksLayer) when a SOCKS
// server is set, TLS (TlsLayer) when chosen. Each layer is opened after the one below it. The
// socket's events, line mode and the FTP engine sit on top and see the same byte stream whatever
// the stack holds.
//
// Errors are socket-layer codes (net/socket_error.h); sockerr::WouldBlock means "nothing now,
// wait for readiness of the descriptor and retry with the same bytes".
class StreamLayer {
public:
    // Notice: the layer stopped at a step of its exchange that its owner reports (the layer
    // type tells which); open() is called again to go on.
    enum class Opening { Done, WantRead, WantWrite, Failed, Notice };

    virtual ~StreamLayer() = default;

    // Drives the layer's opening exchange (the SOCKS negotiation, the TLS handshake); Done once
    // it may carry data.
    virtual Opening open(int& error) {
        (void)error;
        return Opening::Done;
    }
    // Bytes read (> 0), 0 at the end of the stream, -1 with error set.
    virtual std::int64_t read(void* buffer, std::int64_t size, int& error) = 0;
    // Bytes taken (> 0), or -1 with error set.
    virtual std::int64_t write(const void* data, std::int64_t len, int& error) = 0;
    // Looks without taking: > 0 when bytes of this layer wait, 0 at the end of the stream,
    // -1 with error set (WouldBlock: nothing yet; a TLS record that carried no data, such as a
    // session ticket, is taken and counts as nothing).
    virtual std::int64_t peek(int& error) = 0;
    // Bytes this layer holds ready to read without anything more from below.
    virtual std::int64_t held() const { return 0; }
    // The layer has seen the end of its stream, perhaps before the layer below did.
    virtual bool ended() const { return false; }
    // Ends this layer's sending direction (TLS: close_notify); best effort, never blocks.
    virtual void finish() {}
};

// The descriptor itself; never raises SIGPIPE. It does not own the descriptor.
class FdLayer final : public StreamLayer {
public:
    explicit FdLayer(int fd) : m_fd(fd) {}
    std::int64_t read(void* buffer, std::int64_t size, int& error) override;
    std::int64_t write(const void* data, std::int64_t len, int& error) override;
    std::int64_t peek(int& error) override;

private:
    int m_fd;
};

}  // namespace quay

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ftp/ftp_client_base.h"

namespace quay {

// The FTP client the program uses: FtpClientBase plus the synchronous layer (cwd, typeSet,
// typeBinary, typeAscii, which pump the loop while they wait, so events, including
// onRequestDone of the awaited request, run inside them), the connection types and the SOCKS
// settings.
//
// Connection types: ftpProxy logs in through an FTP proxy named by proxyServer() with
// "USER user@host[:port]"; the SOCKS types reach the server through socksServer(). Every type
// but ftpDirect forces passive mode. The SOCKS server, port and level are written into both
// sockets before every connection they make (control connection and passive data
// connections), so a second session or a retry goes through the SOCKS server again.
class FtpClient : public FtpClientBase {
public:
    explicit FtpClient(EventLoop& loop);

    // Seconds a synchronous wait may take; 0 or less waits without limit.
    int timeout() const { return m_timeout; }
    void setTimeout(int seconds) { m_timeout = seconds; }
    bool multiThreaded() const { return m_multiThreaded; }
    void setMultiThreaded(bool v) { m_multiThreaded = v; }

    // Throws FtpException "Quayside is connected" while connected.
    FtpConnectionType connectionType() const;
    void setConnectionType(FtpConnectionType type);
    // With ftpDirect sets passive() to value; with any other type passive() stays true.
    void setPassive(bool value);

    // Writes go to both sockets; reads come from the control socket.
    std::string socksServer() const { return m_control->socksServer(); }
    void setSocksServer(const std::string& value);
    std::string socksPort() const { return m_control->socksPort(); }
    void setSocksPort(const std::string& value);
    std::string socksUserCode() const { return m_control->socksUsercode(); }
    void setSocksUserCode(const std::string& value);
    std::string socksPassword() const { return m_control->socksPassword(); }
    void setSocksPassword(const std::string& value);

    // Synchronous operations: true when the request ended without error. They return only
    // after onRequestDone of their own request has run (inside the call), so a request the
    // handler or the caller starts next never sees it. On time-out the session is aborted,
    // errorMessage() is "426 Timeout" and statusCode() 426.
    bool cwd();
    bool typeSet();
    bool typeBinary();
    bool typeAscii();

protected:
    void progressTouched() override;
    void completionDelivered(std::uint64_t serial, int error) override;

private:
    // A synchronous call waiting for the completion with this serial number.
    struct Awaited {
        std::uint64_t serial = 0;
        bool delivered = false;
        int error = 0;
    };

    bool synchronize(void (FtpClientBase::*operation)());
    // Pumps until the awaited completion has been delivered or the time-out passed.
    bool waitForCompletion(Awaited& awaited);
    void setSocksLevelAndAuthentication(const std::string& level, SocksAuthentication auth);

    int m_timeout = 15;
    bool m_multiThreaded = false;
    std::chrono::steady_clock::time_point m_deadline{};
    // The synchronous calls waiting, innermost last (a handler may wait inside a wait).
    std::vector<Awaited*> m_awaited;
};

}  // namespace quay

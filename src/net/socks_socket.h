#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "net/async_socket.h"

namespace quay {

enum class SocksState { socksData, socksNegotiateMethods, socksAuthenticate, socksConnect };
enum class SocksAuthentication { socksNoAuthentication, socksAuthenticateUsercode };
enum class SocksAuthState {
    socksAuthStart,
    socksAuthSuccess,
    socksAuthFailure,
    socksAuthNotRequired,
};

// Error codes of a failed SOCKS negotiation (onSocksError, onSessionConnected,
// onSessionClosed).
namespace sockserr {
inline constexpr int LogicError = 20001;
inline constexpr int VersionError = 20002;
inline constexpr int MethodNotAcceptable = 20003;
inline constexpr int GeneralFailure = 20004;
inline constexpr int NotAllowed = 20005;
inline constexpr int NetworkUnreachable = 20006;
inline constexpr int HostUnreachable = 20007;
inline constexpr int ConnectionRefused = 20008;
inline constexpr int TtlExpired = 20009;
inline constexpr int CommandNotSupported = 20010;
inline constexpr int AddressTypeNotSupported = 20011;
inline constexpr int Unassigned = 20012;
inline constexpr int InternalError = 20013;
inline constexpr int AuthenticationFailed = 20015;
inline constexpr int RequestRejected = 20016;
inline constexpr int ResolveFailed = 20017;
}  // namespace sockserr

// A stream socket that reaches its destination through a SOCKS 4, 4A or 5 server when
// socksServer() is set at connect(). State is wsConnected during the negotiation; the
// application must not send before onSessionConnected. Events of a negotiation:
// - onSocksConnected(error): the TCP connection to the SOCKS server was made or failed.
// - onSocksAuthState(state): each step of the user code/password exchange (SOCKS 5).
// - onSocksError(code, message): the negotiation failed; onSessionConnected(code) follows
//   (except for 20017) and the socket is closed with the code.
// Application bytes that arrive behind the SOCKS 5 reply are served first by receive(), and
// already from inside onSessionConnected. onDataSent is held back while the negotiation runs
// (so that a sender paced by it cannot write into the negotiation) and fires once after it
// succeeded, as for a direct connection.
//
// socksServer(), socksPort() and socksLevel() return to empty, empty and "5" after every
// close; user code, password and authentication are kept.
//
// A user code, password or host name that does not fit the 128-byte request is refused by
// connect() with a SocketException before anything is sent.
//
// Destinations: SOCKS 5 sends an IPv6 literal as an IPv6 address and anything else as a name;
// SOCKS 4A sends the text as a name; SOCKS 4 needs an IPv4 address and refuses an IPv6
// literal in connect() (reported: "SOCKS 4 cannot reach the IPv6 address ...").
class SocksSocket : public AsyncSocket {
public:
    explicit SocksSocket(EventLoop& loop);

    std::function<void(int error, const std::string& message)> onSocksError;
    std::function<void(int error)> onSocksConnected;
    std::function<void(SocksAuthState state)> onSocksAuthState;

    const std::string& socksServer() const { return m_socksServer; }
    void setSocksServer(const std::string& value);
    const std::string& socksPort() const { return m_socksPort; }
    void setSocksPort(const std::string& value);
    // "4", "4A" or "5" ("4a" is accepted and stored as "4A").
    const std::string& socksLevel() const { return m_socksLevel; }
    void setSocksLevel(const std::string& value);
    const std::string& socksUsercode() const { return m_socksUsercode; }
    void setSocksUsercode(const std::string& value) { m_socksUsercode = value; }
    const std::string& socksPassword() const { return m_socksPassword; }
    void setSocksPassword(const std::string& value) { m_socksPassword = value; }
    SocksAuthentication socksAuthentication() const { return m_socksAuthentication; }
    void setSocksAuthentication(SocksAuthentication value) { m_socksAuthentication = value; }
    SocksState socksState() const { return m_socksState; }
    // From the SOCKS 5 connect reply.
    const std::string& boundAddr() const { return m_boundAddr; }
    const std::string& boundPort() const { return m_boundPort; }

    void connect() override;
    void listen() override;

protected:
    static constexpr int RequestSize = 128;

    void resetDefaults() override;
    std::int64_t getRcvdCount() override;
    std::int64_t recvRaw(void* buffer, std::int64_t size) override;
    bool doDataAvailable(int error) override;
    void doSessionConnected(int error) override;
    void doSessionClosed(int error) override;
    void doDataSent(int error) override;
    void doSocksConnected(int error);
    void doSocksError(int error, const std::string& message);
    void doSocksAuthState(SocksAuthState state);

private:
    void resetSocks();
    void assignSocksText(std::string& text, bool& assigned, const std::string& value,
                         const char* what);
    void checkRequestLimits() const;
    void sendGreeting();
    void sendAuthentication();
    void sendConnectRequest();
    void sendSocks4Request();
    void sendSocks5Request();
    void sendNegotiation(const std::vector<std::uint8_t>& request);
    void socksFail(int code, const std::string& message);
    void handleGreetingReply();
    void methodNoneChosen();
    void handleAuthReply();
    void handleSocks4Reply();
    void handleSocks5Reply();
    bool receiveReply(int limit);
    void negotiationDone(int leftoverFrom);

    SocksState m_socksState = SocksState::socksData;
    std::string m_socksServer;
    std::string m_socksLevel = "5";
    std::string m_socksPort;
    bool m_socksServerAssigned = false;
    bool m_socksPortAssigned = false;
    std::string m_socksUsercode;
    std::string m_socksPassword;
    SocksAuthentication m_socksAuthentication = SocksAuthentication::socksNoAuthentication;
    std::uint8_t m_offeredMethod = 0;
    std::string m_boundAddr;
    std::string m_boundPort;
    std::array<std::uint8_t, RequestSize> m_reply{};
    int m_replyCount = 0;
    int m_leftoverCount = 0;
    int m_leftoverPos = 0;
    std::uint16_t m_destPort = 0;
};

}  // namespace quay

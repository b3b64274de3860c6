#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/stream_layer.h"

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

// What a SOCKS negotiation asks the SOCKS server for.
struct SocksRequest {
    std::string level = "5";  // "4", "4A" or "5"
    SocksAuthentication authentication = SocksAuthentication::socksNoAuthentication;
    std::string usercode;
    std::string password;
    std::string host;  // the destination as given: a name, a dotted address or an IPv6 literal
    std::uint16_t port = 0;
    // SOCKS 4: the destination's IPv4 address (network order), looked up by the socket before it
    // connected, or why it has none ("ResolveHost: ..."), which fails the request unsent.
    std::uint32_t socks4Address = 0;
    std::string socks4Failure;
};

// The SOCKS 4, 4A or 5 negotiation over the layer below (the connection to the SOCKS server),
// run by open(); afterwards the layer passes the destination's bytes through. Bytes of the
// destination that arrived behind the last reply are held and read first.
//
// open() stops with Opening::Notice at each step of the user code exchange (SOCKS 5) that the
// owner reports (notice()); calling open() again goes on. A refusal is Opening::Failed with the
// code and failureText(); Failed with an empty failureText() means that the connection below
// ended (error 0) or failed (its code) during the negotiation.
//
// Destinations: SOCKS 5 sends an IPv6 literal as an IPv6 address (type 4) and anything else as
// a name (type 3, dotted addresses included); SOCKS 4A sends the text as a name; SOCKS 4 sends
// the IPv4 address the text resolved to (socks4Address). The layer never calls the resolver.
class SocksLayer final : public StreamLayer {
public:
    // Every request is built in this many bytes.
    static constexpr int RequestSize = 128;

    // Throws SocketException when a request would not fit into RequestSize bytes.
    static void checkLimits(const SocksRequest& request);

    SocksLayer(SocksRequest request, std::unique_ptr<StreamLayer> below);

    Opening open(int& error) override;
    std::int64_t read(void* buffer, std::int64_t size, int& error) override;
    std::int64_t write(const void* data, std::int64_t len, int& error) override;
    std::int64_t peek(int& error) override;
    std::int64_t held() const override { return m_leftoverCount; }
    void finish() override { m_below->finish(); }

    SocksState state() const { return m_state; }
    // The step that the last Opening::Notice reports.
    SocksAuthState notice() const { return m_notice; }
    const std::string& failureText() const { return m_failureText; }
    // From the SOCKS 5 connect reply.
    const std::string& boundAddr() const { return m_boundAddr; }
    const std::string& boundPort() const { return m_boundPort; }

private:
    // What open() sends next: nothing (read the reply), or the request that the last reply or
    // the reported step calls for.
    enum class Next { Read, SendGreeting, SendAuthentication, SendConnectRequest };
    // The private steps give nothing to go on, or how open() returns.
    using Step = std::optional<Opening>;

    bool isLevel5() const { return m_request.level == "5"; }
    Opening fail(int code, const std::string& text, int& error);
    Opening notify(SocksAuthState step, Next next);
    Opening negotiationDone(int leftoverFrom);
    Step sendPending(int& error);
    Step receiveReply(int limit, int& error);
    Step compose(int& error);
    void queue(std::vector<std::uint8_t> request);
    Step queueAuthentication(int& error);
    Step queueSocks4Request(int& error);
    void queueSocks5Request();
    Step handleReply(int& error);
    Step handleGreetingReply(int& error);
    Step handleAuthReply(int& error);
    Step handleSocks4Reply(int& error);
    Step handleSocks5Reply(int& error);

    SocksRequest m_request;
    std::unique_ptr<StreamLayer> m_below;
    SocksState m_state = SocksState::socksNegotiateMethods;
    Next m_next = Next::Read;
    SocksAuthState m_notice = SocksAuthState::socksAuthStart;
    std::uint8_t m_offeredMethod = 0;
    std::vector<std::uint8_t> m_pending;
    std::size_t m_pendingPos = 0;
    std::array<std::uint8_t, RequestSize> m_reply{};
    int m_replyCount = 0;
    int m_leftoverCount = 0;
    int m_leftoverPos = 0;
    std::string m_failureText;
    std::string m_boundAddr;
    std::string m_boundPort;
};

}  // namespace quay

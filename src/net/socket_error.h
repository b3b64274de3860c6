#pragma once

#include <stdexcept>
#include <string>

namespace quay {

// The exception of the socket layer: a request that cannot start, or an error reported while
// no onError handler is set. Carries only its message.
class SocketException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The socket layer's numeric error codes. errno and getaddrinfo results are mapped onto them
// (mapErrno, mapResolverError) so that messages and decisions use one set of codes.
namespace sockerr {
inline constexpr int NoError = 0;
inline constexpr int Interrupted = 10004;  // also: a lookup was cancelled
inline constexpr int BadFile = 10009;
inline constexpr int Access = 10013;
inline constexpr int Fault = 10014;
inline constexpr int InvalidArgument = 10022;
inline constexpr int TooManyFiles = 10024;
inline constexpr int WouldBlock = 10035;
inline constexpr int InProgress = 10036;
inline constexpr int Already = 10037;
inline constexpr int NotSocket = 10038;
inline constexpr int MessageSize = 10040;
inline constexpr int AddressInUse = 10048;
inline constexpr int AddressNotAvailable = 10049;
inline constexpr int NetworkDown = 10050;
inline constexpr int NetworkUnreachable = 10051;
inline constexpr int NetworkReset = 10052;
inline constexpr int ConnectionAborted = 10053;
inline constexpr int ConnectionReset = 10054;
inline constexpr int NoBufferSpace = 10055;
inline constexpr int IsConnected = 10056;
inline constexpr int NotConnected = 10057;
inline constexpr int Shutdown = 10058;
inline constexpr int TimedOut = 10060;
inline constexpr int ConnectionRefused = 10061;
inline constexpr int HostDown = 10064;
inline constexpr int HostUnreachable = 10065;
inline constexpr int NotInitialised = 10093;
inline constexpr int HostNotFound = 11001;
inline constexpr int TryAgain = 11002;
inline constexpr int NoRecovery = 11003;
inline constexpr int NoData = 11004;
// WaitUntilReady gave up (time-out or the application is quitting).
inline constexpr int WaitTimedOut = 12001;
// The TLS handshake failed (the layer's errorText() has OpenSSL's words).
inline constexpr int TlsHandshakeFailed = 12101;
// A TLS record could not be read or written after the handshake.
inline constexpr int TlsFailure = 12102;
}  // namespace sockerr

// English text of a socket-layer error code (the system's text for an errno value that
// mapErrno kept as 10000 + errno); "Not a WinSock error" for unknown codes.
std::string socketErrorText(int code);

// errno value -> socket-layer code (EAGAIN -> 10035, ECONNREFUSED -> 10061, ...). Values
// without a counterpart map to 10000 + errno so that no error reads as success.
int mapErrno(int errnoValue);
// getaddrinfo/getnameinfo result (EAI_*) -> 11001..11004 or a mapped errno for EAI_SYSTEM.
int mapResolverError(int gaiResult, int errnoValue);

}  // namespace quay

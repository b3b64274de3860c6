#pragma once

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/event_loop.h"
#include "net/buffer.h"
#include "net/dns_lookup.h"
#include "net/socket_address.h"
#include "net/socket_error.h"
#include "net/socks_layer.h"
#include "net/stream_layer.h"
#include "net/tls_context.h"

namespace quay {

class SocksLayer;
class TlsLayer;

enum class SocketState {
    wsInvalidState,
    wsOpened,
    wsBound,
    wsConnecting,
    wsConnected,
    wsAccepting,
    wsListening,
    wsClosed,
};

enum class SocketLingerOnOff { wsLingerOff = 0, wsLingerOn = 1, wsLingerNoSet = 2 };
enum class SocketSendFlags { wsSendNormal, wsSendUrgent };

// Component options (a set): wsoNoReceiveLoop delivers one onDataAvailable per read
// notification instead of repeating it while bytes wait.
enum SocketOption : unsigned { wsoNoReceiveLoop = 1 };
using SocketOptions = unsigned;

using SocketHandle = int;
inline constexpr SocketHandle InvalidSocket = -1;

// An event-driven, non-blocking TCP (and UDP) socket on an EventLoop. addr() may name an IPv4 or
// IPv6 address (or a name, resolved to its first address); the socket takes that family.
//
// Threading: every method must be called on the loop's thread; events are fired on it, from
// the loop, and re-entrantly from any pumping call (processMessages, flush, waitForClose, the
// synchronous wait of SyncSocket). A handler may call any operation of its own socket,
// including close(), and may destroy the socket from onSessionClosed.
//
// Events (empty std::function = not set; the sender is the socket the handler was set on):
// - onSessionConnected(error): outcome of connect(); never for a handle adopted by dup().
// - onSessionClosed(error): at most once per connection.
// - onDataAvailable(error): bytes (or the end of the stream) wait; the handler is expected
//   to receive() on each call, the event repeats while bytes wait (from the next round of
//   the loop when a call read nothing).
// - onDataSent(error): the send queue has been drained. Never fired from inside send();
//   also fired for the first write notification of a fresh connection. A send() while it
//   is not set posts no notification (a handler set later hears of the next drain).
// - onSendData(bytesSent): after every successful send call of the library.
// - onChangeState(old, new): every change of state(), also to the same value.
// - onSessionAvailable(error): a listening socket has a connection to accept(); it fires
//   again only after accept() was called.
// - onDnsLookupDone(error): a lookup finished (0), failed (11001...) or was cancelled (10004).
// - onError(): set it to receive reported errors as an event (lastError() holds the code)
//   instead of a SocketException.
// - onBgException(e, canClose): an exception escaped a handler run from the loop; when
//   canClose stays true the socket is aborted.
// - onTlsStarted(error): outcome of startTls(); a failure closes the connection right after
//   (onSessionClosed with the same code).
// - onSocksConnected(error): the TCP connection to the SOCKS server was made or failed.
// - onSocksAuthState(state): each step of the user code/password exchange (SOCKS 5); a close
//   during the exchange reports socksAuthFailure before onSessionClosed.
// - onSocksError(code, message): the SOCKS negotiation failed; onSessionConnected(code)
//   follows (except for 20017) and the socket is closed with the code.
//
// Stack: the bytes of a stream connection pass through the layers chosen when connecting
// (stream_layer.h): the descriptor, a SocksLayer when socksServer() is set at connect(), a
// TlsLayer when TLS is chosen (setTls, startTls). Each layer keeps the events and their order:
// nothing of the application (data, the first write notification, for connect() the connection
// itself) is reported before the layers are open. After a SOCKS negotiation onSessionConnected
// (after TLS, if chosen) is followed by onDataAvailable, and application bytes that arrived
// behind the SOCKS 5 reply are already readable from inside onSessionConnected; the write
// notification of the negotiation is not given, one is posted after it succeeded.
//
// Error reporting: operations that cannot start report through reportError: onError when
// set, else SocketException. Errors of a started connection arrive as event codes.
//
// Names: connect() never waits for the resolver on the loop thread. A name to connect to (addr(),
// or the SOCKS server's), and for SOCKS 4 the destination's, is looked up on a worker thread:
// connect() returns with state() wsConnecting and no descriptor, and the connection starts from
// the loop once the addresses are in. A dotted address or an IPv6 literal needs no lookup and
// connects inside connect() as before. close(), abort(), dup() and destruction drop a pending
// lookup without any event.
//
// After every close the socket returns to its defaults (resetDefaults): addr() and port()
// remain readable but must be set again before the next connect() or listen(); proto() is
// "tcp", localAddr() "0.0.0.0", localPort() "0", linger on with 0 s, readCount() 0.
class AsyncSocket {
public:
    explicit AsyncSocket(EventLoop& loop);
    virtual ~AsyncSocket();
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    // Number of sockets of this layer alive in the process.
    static int liveCount();

    // --- events
    std::function<void(int error)> onSessionAvailable;
    std::function<void(int error)> onSessionConnected;
    std::function<void(int error)> onSessionClosed;
    std::function<void(SocketState oldState, SocketState newState)> onChangeState;
    std::function<void(int error)> onDataAvailable;
    std::function<void(int error)> onDataSent;
    std::function<void(std::int64_t bytesSent)> onSendData;
    std::function<void(int error)> onDnsLookupDone;
    std::function<void()> onError;
    std::function<void(const std::exception& e, bool& canClose)> onBgException;
    std::function<void(int error)> onTlsStarted;
    std::function<void(int error, const std::string& message)> onSocksError;
    std::function<void(int error)> onSocksConnected;
    std::function<void(SocksAuthState state)> onSocksAuthState;

    // --- properties
    const std::string& addr() const { return m_addr; }
    void setAddr(const std::string& value);
    const std::string& port() const { return m_port; }
    void setPort(const std::string& value);
    const std::string& proto() const { return m_proto; }
    void setProto(const std::string& value);
    const std::string& localAddr() const { return m_localAddr; }
    void setLocalAddr(const std::string& value);
    const std::string& localPort() const { return m_localPort; }
    void setLocalPort(const std::string& value);

    const std::string& dnsResult() const { return m_dnsResult; }
    const std::vector<std::string>& dnsResultList() const { return m_dnsResultList; }
    SocketState state() const { return m_state; }
    std::int64_t readCount() const { return m_readCount; }
    // Bytes waiting to be received; -1 when the library fails.
    std::int64_t rcvdCount() { return getRcvdCount(); }
    int lastError() const { return m_lastError; }
    SocketHandle socketHandle() const { return m_handle; }

    bool multiThreaded() const { return m_multiThreaded; }
    void setMultiThreaded(bool value) { m_multiThreaded = value; }
    SocketOptions componentOptions() const { return m_options; }
    void setComponentOptions(SocketOptions value) { m_options = value; }
    // Kept for interface compatibility; it has no effect.
    int flushTimeout() const { return m_flushTimeout; }
    void setFlushTimeout(int seconds) { m_flushTimeout = seconds; }
    SocketSendFlags sendFlags() const;
    void setSendFlags(SocketSendFlags value);
    SocketLingerOnOff lingerOnOff() const { return m_lingerOnOff; }
    void setLingerOnOff(SocketLingerOnOff value) { m_lingerOnOff = value; }
    int lingerTimeout() const { return m_lingerTimeout; }
    void setLingerTimeout(int seconds) { m_lingerTimeout = seconds; }
    // Block size of new send-queue blocks (default 1514; tuning only).
    std::int64_t bufSize() const { return m_blockSize; }
    void setBufSize(std::int64_t size) { m_blockSize = size > 0 ? size : Buffer::DefaultSize; }
    // Bytes queued and not yet handed to the library.
    std::int64_t sendQueueBytes() const;
    // Number of blocks in the send queue.
    std::size_t sendQueueBlocks() const { return m_sendQueue.size(); }
    bool allSent() const { return m_allSent; }
    // The peer record of connect()/datagrams, and of the last accept().
    const SocketAddress& remoteAddress() const { return m_sin; }
    bool terminated() const { return m_terminated; }

    // --- operations
    // Starts a connection to addr():port(); completion arrives as onSessionConnected. A name
    // that does not resolve, or a socket that cannot be opened once it did, ends the connection
    // with onSessionConnected(code) (with SOCKS, onSocksConnected(code) before it) and
    // connectFailure() saying why; what fails before connect() returns is reported as before.
    void connect();
    // Why the last connect() failed after it returned and before a connection was tried
    // ("connect: ResolveHost: Cannot convert host address 'x', Error #11001"): the message
    // connect() itself reports when it fails at once. Empty otherwise; cleared by connect().
    const std::string& connectFailure() const { return m_connectFailure; }
    // Binds addr():port() (the local address and port; "0" lets the system choose, read it
    // back with getSockName or localPortText) and listens.
    void listen();
    // Accepts a waiting connection of a listening socket; InvalidSocket on failure. The
    // listening socket keeps listening; the returned handle belongs to the caller until
    // dup() adopts it.
    SocketHandle accept();
    // Adopts a connected handle (closing the current one); state() becomes wsConnected. A
    // write notification follows from the loop, so onDataSent(0) fires once it runs.
    void dup(SocketHandle handle);

    // Queues len bytes; returns len, 0 for len <= 0, -1 when not connected (reported).
    std::int64_t send(const void* data, std::int64_t len);
    std::int64_t sendStr(const std::string& text);
    // Bytes received, 0 when the peer closed, -1 on error (code in lastError()).
    std::int64_t receive(void* buffer, std::int64_t size);
    // Up to rcvdCount() bytes; empty when none wait or on error.
    std::string receiveStr();
    std::int64_t sendTo(const sockaddr_in& dest, const void* data, std::int64_t len);
    std::int64_t receiveFrom(void* buffer, std::int64_t size, sockaddr_in& from);

    // Graceful close (shutdown of the sending side first).
    void close();
    // Close without shutdown, linger off for a connected TCP socket, queue discarded.
    void abort();
    void closeLater();
    // Destroys the socket later, from the loop (for a handler that wants to free the socket
    // it runs on). The loop must run again before it is itself destroyed.
    static void freeLater(std::unique_ptr<AsyncSocket> socket);
    // Sends and pumps until the queue is drained or the socket is gone.
    void flush();
    // Pumps and delivers data until the socket is closed.
    void waitForClose();
    // how: 0 receive, 1 send, 2 both. Ending the sending side ends it in every layer first
    // (TLS: close_notify).
    void shutDown(int how);
    // Stop and restart event delivery; 0 on success.
    int pause();
    int resume();
    // Checks and applies the linger settings to the open handle. Closing is always graceful
    // and in the background: the kernel is never asked to reset on close (which would drop
    // unsent data) or to block close() for the linger time.
    void applyLinger();
    // Pumps the loop once (processPending); notes the application quitting in terminated().
    void processMessages();
    // Posts a task that raises SocketException "Test exception in Socket" inside the socket's
    // message handling (to exercise onBgException).
    void postTestException();

    // Resolves a name on a worker thread to its addresses of both families (dnsResultList(),
    // dnsResult() the first); onDnsLookupDone follows from the loop, except for a dotted
    // address or an IPv6 literal (bare or in brackets), which completes before dnsLookup
    // returns with dnsResult() alone. A new lookup or cancel drops the result of the running
    // one.
    void dnsLookup(const std::string& hostName);
    void reverseDnsLookup(const std::string& dottedAddress);
    // Drops the running lookup and fires onDnsLookupDone(10004); nothing when none runs.
    void cancelDnsLookup();

    std::string peerAddr();  // "error" unless wsConnected
    std::string peerPort();  // "error" unless wsConnected
    int getPeerName(SocketAddress& name);
    int getSockName(SocketAddress& name);
    // Local port in decimal when bound, connected or listening; "error" otherwise.
    std::string localPortText();

    // --- TLS (socket_tls.cpp)
    // TLS for the stream connections made from now on, kept across closes (null: plain):
    // connect() (after the SOCKS negotiation) and dup() run the handshake first. For connect()
    // onSessionConnected reports its outcome (TlsHandshakeFailed, or the transport's code,
    // then the close); for dup() a failure closes with onSessionClosed(code).
    void setTls(std::shared_ptr<const TlsSettings> settings) {
        m_tlsSettings = std::move(settings);
    }
    const std::shared_ptr<const TlsSettings>& tlsSettings() const { return m_tlsSettings; }
    // Starts TLS on the connected stream now (for FTP: after "234" to AUTH TLS). Nothing may be
    // sent before onTlsStarted; throws SocketException unless connected and plain.
    void startTls(const TlsSettings& settings);
    // The TLS layer of the open connection (also while its handshake runs), or null.
    const TlsLayer* tls() const { return m_tlsLayer; }

    // --- SOCKS (socket_socks.cpp)
    // The SOCKS server the next connect() goes through (empty: none), its port and level. The
    // three may only change while closed and return to "", "" and "5" after every close; user
    // code, password and authentication are kept. A user code, password or host name that does
    // not fit the 128-byte request is refused by connect() with a SocketException before
    // anything is sent; SOCKS 4 needs an IPv4 address and refuses an IPv6 literal (reported:
    // "SOCKS 4 cannot reach the IPv6 address ..."). A socket with a SOCKS server cannot listen.
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
    // socksData unless a negotiation runs (state() is wsConnected meanwhile; the application
    // must not send before onSessionConnected).
    SocksState socksState() const { return m_socksState; }
    // From the SOCKS 5 connect reply.
    const std::string& boundAddr() const { return m_boundAddr; }
    const std::string& boundPort() const { return m_boundPort; }

protected:
    EventLoop& loop() { return m_loop; }

    // Socket event bits of one notification, handled in this order.
    enum EventBits : unsigned {
        EvRead = 1,
        EvWrite = 2,
        EvAccept = 8,
        EvConnect = 16,
        EvClose = 32,
    };

    virtual void resetDefaults();
    virtual void doClose(bool shutFirst, int error);
    virtual std::int64_t getRcvdCount();
    virtual std::int64_t recvRaw(void* buffer, std::int64_t size);
    virtual bool doDataAvailable(int error);
    virtual void doSessionConnected(int error);
    virtual void doSessionClosed(int error);
    void doSessionAvailable(int error);
    virtual void doDataSent(int error);
    void doChangeState(SocketState oldState);
    void doDnsLookupDone(int error);
    void doError();

    void reportError(const std::string& message);
    // Reports "Error <code> in function <name>\r\n<text>" for the last library error.
    void socketError(const std::string& functionName);
    void setLastLibraryError(int code) { m_libraryError = code; }
    void changeState(SocketState newState);
    // One send call of the library for the queue; the caller fires onSendData.
    std::int64_t sendRaw(const void* data, std::int64_t len);
    void handleBgException(const std::exception& e);
    // Runs fn inside the exception guard of message handling.
    void guarded(const std::function<void()>& fn);
    // Posts fn to the loop; it runs only while this socket is alive.
    void postSelf(std::function<void()> fn);

    // True while this object is alive; lets code that fired an event notice a handler that
    // destroyed the socket.
    std::weak_ptr<int> lifeToken() const { return m_life; }

    // Taken before firing an event: tells afterwards whether the handler destroyed the socket
    // or closed (and perhaps reopened) its connection.
    class Guard {
    public:
        explicit Guard(const AsyncSocket& socket)
            : m_life(socket.m_life), m_socket(&socket), m_generation(socket.m_generation) {}
        bool gone() const { return m_life.expired() || m_socket->m_generation != m_generation; }

    private:
        std::weak_ptr<int> m_life;
        const AsyncSocket* m_socket;
        std::uint64_t m_generation;
    };

    // Resolves the protocol, the ports and the address when it is a literal; a name is left to
    // the connect lookup (socket_lookup.cpp) and, for listen(), to the blocking resolver.
    void resolvePortsAndAddress(bool resolveLocalPort, const std::string& prefix, bool nameLater);
    void startConnect();
    void bindLocal();
    bool remoteResolved() const { return m_addrResolved && m_portResolved; }
    // Posts a write notification for the current handle (as the library does when a
    // connection becomes writable).
    void postWriteNotification();
    // Whether a layer's opening (SOCKS negotiation, TLS handshake) holds back the application's
    // events.
    bool layerOpening() const { return m_opening != LayerOpening::None; }

private:
    // The layer being opened, and for TLS how its handshake was started, which decides how the
    // outcome is reported.
    enum class LayerOpening { None, Socks, TlsConnect, TlsAdopted, TlsStarted };

    // The stack's top layer, or the descriptor's when the stack is empty.
    std::unique_ptr<StreamLayer> takeTopLayer();
    void driveOpening();
    void openingEnded(int error);
    void beginTls(LayerOpening how, const TlsSettings& settings);
    void tlsOpened(int error);
    void resetSocks();
    void assignSocksText(std::string& text, bool& assigned, const std::string& value,
                         const char* what);
    // The checks of connect() through a SOCKS server, which is then the peer to connect to;
    // false when refused (reported).
    bool aimAtSocksServer();
    SocksRequest socksRequest() const;
    // connect() once the SOCKS server, if any, is the peer.
    void openConnection();
    // The name connect() goes to: the SOCKS server's when one is set, else addr().
    const std::string& peerName() const;
    bool inUse() const;
    // SOCKS 4: the destination's address when it is a literal; a name is looked up with the
    // SOCKS server's (m_socks4Pending).
    void takeSocks4Destination();

    // The connect lookup (socket_lookup.cpp): a name connect() looks up and its outcome.
    struct NameLookup {
        std::string name;
        int family = AF_UNSPEC;
        int error = 0;
        SocketAddress address;
    };
    using ConnectLookupTask = WorkerTask<std::vector<NameLookup>>;
    void startConnectLookup();
    void connectLookupDone(const std::vector<NameLookup>& answers);
    void connectFailed(int error, const std::string& message);
    void dropConnectLookup();
    void socksServerReached(int error);
    void socksOpened();
    void socksFailed(int error);
    // Reads through the stack; a layer that ended its stream gets its close reported.
    std::int64_t layerRead(void* buffer, std::int64_t size);
    // Posts a read notification for bytes a layer holds, which no readiness will announce.
    void postHeldBytes();
    void adoptHandle(SocketHandle handle);
    void forgetHandle();
    void assignRemote(std::string& text, bool& assigned, bool& resolved, const std::string& value,
                      const char* property);
    SocketHandle openHandle(const char* functionName);
    std::optional<SocketAddress> peerRecord(const char* functionName);
    enum class StreamProbe { Data, EndOfStream, Nothing };

    void handleEvents(unsigned bits, int error);
    void onReadiness(unsigned ioEvents);
    void onConnectReadiness(unsigned ioEvents);
    void onListenReadiness(unsigned ioEvents);
    void onStreamReadiness(unsigned ioEvents);
    StreamProbe probeStream(int& closeError);
    void receiveLoop(int error, std::int64_t limit);
    void tryToSend();
    void sendFailed(int code);
    bool queueDrained() const;
    void discardSendQueue();
    void registerEvents(unsigned mask);
    void refreshWatch();
    void dropWatch();
    bool setOption(int level, int name, int value, const char* functionName);
    void handleLookupReply(int error, std::vector<std::string> results);
    void startLookup(const std::string& text, bool reverse);
    // Calls a copy, so that a handler may replace or clear its own event while it runs.
    template <typename... Args, typename... Params>
    static void fire(const std::function<void(Params...)>& event, Args... args) {
        if (auto handler = event)
            handler(args...);
    }

    EventLoop& m_loop;
    std::shared_ptr<int> m_life;

    std::string m_dnsResult;
    std::vector<std::string> m_dnsResultList;
    std::deque<std::unique_ptr<Buffer>> m_sendQueue;
    std::int64_t m_blockSize = Buffer::DefaultSize;
    int m_sendFlags = 0;
    int m_lastError = 0;
    int m_libraryError = 0;
    std::shared_ptr<DnsLookupTask> m_lookup;
    std::shared_ptr<ConnectLookupTask> m_connectLookup;
    std::string m_connectFailure;
    unsigned m_selectMask = 0;
    SocketHandle m_handle = InvalidSocket;
    // Changes with every handle opened or closed: descriptor numbers are reused at once, so
    // code that fired an event compares this to notice that its connection is gone.
    std::uint64_t m_generation = 0;
    std::string m_addr;
    bool m_addrAssigned = false;
    bool m_addrResolved = false;
    int m_protoNumber = 6;
    bool m_protoAssigned = true;
    bool m_protoResolved = false;
    std::string m_proto = "tcp";
    std::string m_port;
    bool m_portAssigned = false;
    bool m_portResolved = false;
    std::uint16_t m_portNumber = 0;
    std::string m_localPort = "0";
    std::uint16_t m_localPortNumber = 0;
    bool m_localPortResolved = false;
    std::string m_localAddr = "0.0.0.0";
    int m_socketType = SOCK_STREAM;
    SocketLingerOnOff m_lingerOnOff = SocketLingerOnOff::wsLingerOn;
    int m_lingerTimeout = 0;
    bool m_allSent = true;
    std::int64_t m_readCount = 0;
    bool m_paused = false;
    bool m_closeReported = false;
    bool m_multiThreaded = false;
    SocketOptions m_options = 0;
    int m_flushTimeout = 60;
    SocketState m_state = SocketState::wsClosed;
    bool m_terminated = false;
    SocketAddress m_sin;

    // Readiness bookkeeping that turns level-triggered readiness into one-shot notifications.
    bool m_watching = false;
    SocketHandle m_watchedFd = InvalidSocket;
    bool m_writeWanted = false;
    bool m_acceptArmed = true;
    bool m_destroying = false;

    // SOCKS settings and the negotiation's state.
    std::string m_socksServer;
    std::string m_socksLevel = "5";
    std::string m_socksPort;
    bool m_socksServerAssigned = false;
    bool m_socksPortAssigned = false;
    std::string m_socksUsercode;
    std::string m_socksPassword;
    SocksAuthentication m_socksAuthentication = SocksAuthentication::socksNoAuthentication;
    SocksState m_socksState = SocksState::socksData;
    std::uint16_t m_socksDestPort = 0;
    std::uint32_t m_socks4Address = 0;
    std::string m_socks4Failure;
    bool m_socks4Pending = false;
    std::string m_boundAddr;
    std::string m_boundPort;

    // The layers above the descriptor of the open connection (SOCKS, TLS), and the settings of
    // TLS.
    std::shared_ptr<const TlsSettings> m_tlsSettings;
    std::unique_ptr<StreamLayer> m_layer;
    SocksLayer* m_socksLayer = nullptr;
    TlsLayer* m_tlsLayer = nullptr;
    LayerOpening m_opening = LayerOpening::None;
    bool m_writeHeld = false;
    bool m_heldPosted = false;
    bool m_endPosted = false;
};

}  // namespace quay

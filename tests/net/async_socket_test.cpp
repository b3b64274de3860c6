#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <thread>
#include <utility>
#include <vector>

#include "net_test_util.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;

// Receives up to `size` bytes from `socket` onto the end of `received`.
void receiveInto(Socket& socket, std::string& received, std::size_t size) {
    std::vector<char> block(size);
    const std::int64_t n = socket.receive(block.data(), static_cast<std::int64_t>(size));
    if (n > 0)
        received.append(block.data(), static_cast<std::size_t>(n));
}

// Every test of this file must give back every descriptor it opened.
class SocketTest : public ::testing::Test {
protected:
    void SetUp() override { m_fds = test::openDescriptorCount(); }
    void TearDown() override {
        for (const int peer : m_peers)
            test::posixClose(peer);
        loop.processPending();
        path().settle();
        EXPECT_EQ(m_fds, test::openDescriptorCount()) << "descriptor leaked";
    }

    // The way to the listener (plain here; the stream tests also run over TLS).
    virtual const test::TransportPath& path() const { return m_plain; }
    std::string connectPort() const { return std::to_string(path().port()); }

    void connectToListener(Socket& socket) {
        path().apply(socket);
        socket.setAddr("127.0.0.1");
        socket.setPort(connectPort());
        socket.connect();
    }

    // Connects `socket` to the listener and returns the peer's end, closed by TearDown. Returns
    // once onSessionConnected has come (over TLS: the handshake is over).
    int connectTo(Socket& socket) {
        const auto previous = socket.onSessionConnected;
        bool connected = false;
        socket.onSessionConnected = [&](int error) {
            connected = true;
            if (previous)
                previous(error);
        };
        connectToListener(socket);
        EXPECT_TRUE(loop.runUntil([&] { return connected; }, 5s));
        EXPECT_EQ(socket.state(), SocketState::wsConnected);
        m_peers.push_back(listener.acceptOne());
        socket.onSessionConnected = previous;
        return m_peers.back();
    }

    // Hands the peer's end back to the test, which closes it itself.
    int release(int peer) {
        m_peers.erase(std::find(m_peers.begin(), m_peers.end(), peer));
        return peer;
    }

    bool awaitClosed(Socket& socket) {
        return loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 5s);
    }

    PollLoop loop;
    test::PosixListener listener;
    Log log;

private:
    int m_fds = 0;
    std::vector<int> m_peers;
    test::TransportPath m_plain{test::Transport::Plain, listener.port()};
};

// The tests of a stream connection, over plain TCP and over TLS: the same events in the same
// order, the same bytes at the peer.
class StreamTest : public SocketTest, public ::testing::WithParamInterface<test::Transport> {
protected:
    const test::TransportPath& path() const override { return m_path; }

private:
    test::TransportPath m_path{GetParam(), listener.port()};
};

INSTANTIATE_TEST_SUITE_P(Transports, StreamTest,
                         ::testing::Values(test::Transport::Plain, test::Transport::Tls),
                         test::transportName);

TEST_P(StreamTest, StreamConnectFiresStateChangesThenConnectedThenDataSent) {
    Socket socket(loop);
    test::recordEvents(socket, log);
    connectToListener(socket);
    EXPECT_EQ(log, (Log{"state closed>opened", "state opened>connecting"}));
    ASSERT_TRUE(loop.runUntil([&] { return log.size() >= 5; }, 5s));
    EXPECT_EQ(log, (Log{"state closed>opened", "state opened>connecting",
                        "state connecting>connected", "connected 0", "sent 0"}));
    EXPECT_EQ(socket.peerPort(), connectPort());
    test::posixClose(listener.acceptOne());
}

TEST_F(SocketTest, RefusedConnectReportsCodeThenClosesOnce) {
    Socket socket(loop);
    test::recordEvents(socket, log);
    socket.setAddr("127.0.0.1");
    socket.setPort(std::to_string(test::freePort()));
    socket.connect();
    ASSERT_TRUE(awaitClosed(socket));
    loop.processPending();
    EXPECT_EQ(log,
              (Log{"state closed>opened", "state opened>connecting", "state connecting>connected",
                   "connected 10061", "state connected>closed", "closed 0"}));
}

TEST_P(StreamTest, LocalCloseOrderAndDefaultsRestored) {
    Socket socket(loop);
    socket.setLocalAddr("127.0.0.1");
    const int peer = connectTo(socket);
    // Binding to a local address reads the chosen port back into localPort().
    EXPECT_NE(socket.localPort(), "0");
    EXPECT_EQ(socket.localPort(), socket.localPortText());
    socket.setLingerOnOff(SocketLingerOnOff::wsLingerOff);
    socket.setLingerTimeout(10);
    socket.sendStr("bye");
    ASSERT_TRUE(loop.runUntil([&] { return socket.allSent(); }, 5s));
    test::recordEvents(socket, log);
    socket.close();
    socket.close();
    EXPECT_EQ(log, (Log{"state connected>closed", "closed 0"}));
    // The peer gets everything and then a clean end of stream.
    EXPECT_EQ(test::posixReadAll(peer), "bye");

    EXPECT_EQ(socket.port(), connectPort());
    EXPECT_EQ(socket.localAddr(), "0.0.0.0");
    EXPECT_EQ(socket.localPort(), "0");
    EXPECT_EQ(socket.lingerOnOff(), SocketLingerOnOff::wsLingerOn);
    EXPECT_EQ(socket.lingerTimeout(), 0);
    EXPECT_EQ(socket.readCount(), 0);
    // Addr and Port must be set again: their texts remain but count as not assigned.
    EXPECT_EQ(test::thrown([&] { socket.connect(); }), "Connect: No Port Specified");
}

TEST_P(StreamTest, PeerCloseDeliversBufferedDataBeforeOneSessionClosed) {
    Socket socket(loop);
    const int peer = release(connectTo(socket));
    test::recordEvents(socket, log);
    std::string received;
    socket.onDataAvailable = [&](int) {
        receiveInto(socket, received, 3);
        log.push_back("data");
    };
    socket.onSessionClosed = [&](int e) {
        log.push_back("closed " + std::to_string(e) + " while " +
                      (socket.state() == SocketState::wsConnected ? "connected" : "other"));
        socket.close();  // closing again from the handler must not report twice
    };
    test::posixWrite(peer, "hello world");
    test::posixClose(peer);
    ASSERT_TRUE(awaitClosed(socket));
    loop.processPending();
    EXPECT_EQ(received, "hello world");
    EXPECT_EQ(test::without(log, "data"),
              (Log{"closed 0 while connected", "state connected>closed"}));
    EXPECT_EQ(log.front(), "data");
    EXPECT_EQ(socket.readCount(), 0) << "reset after the close";
}

TEST_P(StreamTest, FailedSendClosesThenReportsTheCode) {
    Socket socket(loop);
    test::posixReset(release(connectTo(socket)));
    std::this_thread::sleep_for(100ms);  // the reset arrives; the loop does not run meanwhile
    test::recordEvents(socket, log);
    EXPECT_EQ(socket.sendStr(std::string(100000, 'x')), 100000);
    EXPECT_EQ(log, (Log{"state connected>closed", "closed 10054"}));
    loop.processPending();
    EXPECT_EQ(log.size(), 2u);
}

TEST_P(StreamTest, DataSentNeverFiresInsideSendAndSendQueueUsesFixedBlocks) {
    Socket socket(loop);
    const int peer = connectTo(socket);
    loop.processPending();
    test::recordEvents(socket, log);
    std::vector<std::int64_t> sendCalls;
    std::vector<std::size_t> blocksAtFirstCall;
    socket.onSendData = [&](std::int64_t n) {
        if (sendCalls.empty())
            blocksAtFirstCall.push_back(socket.sendQueueBlocks());
        sendCalls.push_back(n);
    };
    EXPECT_EQ(socket.sendStr(std::string(5000, 'a')), 5000);
    EXPECT_TRUE(log.empty()) << "onDataSent fired from inside send";
    EXPECT_EQ(blocksAtFirstCall, std::vector<std::size_t>{4});
    EXPECT_EQ(sendCalls, (std::vector<std::int64_t>{1514, 1514, 1514, 458}));
    ASSERT_TRUE(loop.runUntil([&] { return !log.empty(); }, 5s));
    EXPECT_EQ(log, Log{"sent 0"});
    EXPECT_EQ(test::posixRead(peer, 5000), std::string(5000, 'a'));
    EXPECT_EQ(socket.send("x", -5), 0);
}

TEST_P(StreamTest, SendDataHandlerMayCloseOrAbortMidQueue) {
    for (const bool abort : {false, true}) {
        Socket socket(loop);
        const int peer = connectTo(socket);
        int closes = 0;
        socket.onSessionClosed = [&](int) { ++closes; };
        socket.onSendData = [&](std::int64_t) { abort ? socket.abort() : socket.close(); };
        socket.sendStr(std::string(5000, 's'));
        EXPECT_EQ(socket.state(), SocketState::wsClosed);
        EXPECT_EQ(test::posixReadAll(peer), std::string(1514, 's'));
        loop.processPending();
        EXPECT_EQ(closes, 1);
    }
}

TEST_P(StreamTest, SlowPeerMakesTheQueueGrowAndDrainInOrder) {
    Socket socket(loop);
    const int peer = connectTo(socket);
    std::string expected;
    for (int i = 0; i < 32000; ++i)
        expected += std::to_string(i) + std::string(1000, static_cast<char>('a' + i % 26));
    int sentEvents = 0;
    socket.onDataSent = [&](int) { ++sentEvents; };
    loop.processPending();
    sentEvents = 0;
    socket.sendStr(expected);
    EXPECT_GT(socket.sendQueueBytes(), 0) << "a 32 MB burst should not fit the kernel buffer";
    std::string got;
    std::thread reader([&] { got = test::posixRead(peer, expected.size(), 10s); });
    ASSERT_TRUE(loop.runUntil([&] { return sentEvents > 0; }, 10s));
    reader.join();
    EXPECT_TRUE(got == expected);
    EXPECT_EQ(socket.sendQueueBytes(), 0);
}

TEST_F(SocketTest, ReceiveLoopRepeatsWhileBytesWaitUnlessSwitchedOff) {
    for (const bool noLoop : {false, true}) {
        Socket socket(loop);
        const int peer = connectTo(socket);
        loop.processPending();
        if (noLoop)
            socket.setComponentOptions(wsoNoReceiveLoop);
        int calls = 0;
        std::string received;
        socket.onDataAvailable = [&](int) {
            ++calls;
            receiveInto(socket, received, 100);
        };
        test::posixWrite(peer, std::string(1000, 'z'));
        // Waits without pumping, so that all bytes wait for one notification.
        for (int i = 0; i < 5000 && socket.rcvdCount() < 1000; ++i)
            std::this_thread::sleep_for(1ms);
        ASSERT_EQ(socket.rcvdCount(), 1000);
        loop.processPending();
        EXPECT_EQ(calls, noLoop ? 1 : 10);
        ASSERT_TRUE(loop.runUntil([&] { return received.size() == 1000; }, 5s));
        EXPECT_EQ(socket.readCount(), 1000);
    }
}

// A sender that stays ahead of a slow reader: one turn of the loop takes a bounded share and
// hands the loop back (for input, paints, timers); the next turns bring the rest, all of it in
// order.
TEST_P(StreamTest, ASenderAheadOfTheReaderCannotHoldTheLoop) {
    Socket socket(loop);
    const int peer = connectTo(socket);
    loop.processPending();
    constexpr std::size_t kTotal = 24 << 20;
    std::string sent(kTotal, '\0');
    for (std::size_t i = 0; i < kTotal; ++i)
        sent[i] = static_cast<char>(i % 251);
    std::string received;
    socket.onDataAvailable = [&](int) {
        receiveInto(socket, received, 64 * 1024);
        // Slower than the sender, so bytes wait at every look.
        std::this_thread::sleep_for(200us);
    };
    std::thread writer([&] { test::posixWrite(peer, sent); });
    for (int i = 0; i < 5000 && socket.rcvdCount() == 0; ++i)
        std::this_thread::sleep_for(1ms);
    loop.processPending();
    EXPECT_GT(received.size(), 0U);
    EXPECT_LT(received.size(), kTotal / 2) << "one turn of the loop read on while bytes came";
    const bool all = loop.runUntil([&] { return received.size() >= kTotal; }, 30s);
    writer.join();
    ASSERT_TRUE(all);
    EXPECT_TRUE(received == sent);
}

TEST_P(StreamTest, AHandlerThatDoesNotReadLetsTheLoopRun) {
    Socket socket(loop);
    const int peer = connectTo(socket);
    bool ready = false;
    std::string received;
    socket.onDataAvailable = [&](int) {
        if (!ready)
            loop.post([&] { ready = true; });
        else
            received += socket.receiveStr();
    };
    test::posixWrite(peer, "later");
    ASSERT_TRUE(loop.runUntil([&] { return received == "later"; }, 5s));
}

TEST_P(StreamTest, UnhandledDataIsDroppedAndPauseHoldsEvents) {
    Socket socket(loop);
    const int peer = connectTo(socket);
    test::posixWrite(peer, "ignored");
    ASSERT_TRUE(loop.runUntil([&] { return socket.readCount() == 7; }, 5s));

    std::string received;
    test::collectData(socket, received);
    EXPECT_EQ(socket.pause(), 0);
    test::posixWrite(peer, "held");
    loop.runUntil([] { return false; }, 200ms);
    EXPECT_EQ(received, "");
    EXPECT_EQ(socket.resume(), 0);
    ASSERT_TRUE(loop.runUntil([&] { return received == "held"; }, 5s));
}

TEST_P(StreamTest, AbortClosesGracefullyAndDropsTheQueue) {
    Socket socket(loop);
    const int peer = connectTo(socket);
    test::recordEvents(socket, log);
    socket.abort();
    EXPECT_EQ(log, (Log{"state connected>closed", "closed 0"}));
    EXPECT_EQ(socket.sendQueueBytes(), 0);
    char byte;
    EXPECT_EQ(::recv(peer, &byte, 1, 0), 0) << "the peer sees an end of stream, not a reset";
}

TEST_F(SocketTest, ListenOnPortZeroThenAcceptAndDupIntoTheSameObject) {
    Socket socket(loop);
    test::recordEvents(socket, log);
    bool available = false;
    socket.onSessionAvailable = [&](int e) { available = e == 0; };
    socket.setAddr("0.0.0.0");
    socket.setPort("0");
    socket.listen();
    SocketAddress name;
    ASSERT_EQ(socket.getSockName(name), 0);
    const int port = name.port();
    EXPECT_EQ(socket.localPortText(), std::to_string(port));

    const int client = test::posixConnect(port);
    ASSERT_GE(client, 0);
    ASSERT_TRUE(loop.runUntil([&] { return available; }, 5s));
    const SocketHandle accepted = socket.accept();
    ASSERT_NE(accepted, InvalidSocket);
    EXPECT_EQ(socket.state(), SocketState::wsListening) << "still listening after accept";
    socket.close();
    log.clear();
    socket.dup(accepted);
    EXPECT_EQ(log, Log{"state closed>connected"});
    ASSERT_TRUE(loop.runUntil([&] { return log.size() == 2; }, 5s));
    EXPECT_EQ(log.back(), "sent 0");

    std::string received;
    test::collectData(socket, received);
    socket.sendStr("to client");
    EXPECT_EQ(test::posixRead(client, 9), "to client");
    test::posixWrite(client, "to server");
    test::posixClose(client);
    ASSERT_TRUE(awaitClosed(socket));
    EXPECT_EQ(received, "to server");
    EXPECT_EQ(log.back(), "state connected>closed");
}

TEST_F(SocketTest, MisuseIsReportedByExceptionOrOnError) {
    Socket socket(loop);
    EXPECT_EQ(test::thrown([&] { socket.sendStr("x"); }),
              "Error 10057 in function Send\r\nSocket is not connected");
    EXPECT_EQ(test::thrown([&] { socket.accept(); }),
              "Error 10022 in function not a listening socket\r\nInvalid argument");
    EXPECT_EQ(test::thrown([&] { socket.dup(InvalidSocket); }),
              "Error 10022 in function Dup\r\nInvalid argument");
    EXPECT_EQ(test::thrown([&] { socket.connect(); }), "Connect: No Port Specified");
    socket.setPort("21");
    EXPECT_EQ(test::thrown([&] { socket.connect(); }), "Connect: No IP Address Specified");
    socket.setAddr("127.0.0.1");
    socket.setProto("");
    EXPECT_EQ(test::thrown([&] { socket.connect(); }), "Connect: No Protocol Specified");
    EXPECT_EQ(test::thrown([&] { socket.listen(); }),
              "Error 10022 in function listen: protocol not assigned\r\nInvalid argument");
    EXPECT_EQ(test::thrown([&] { socket.setLocalAddr("host"); }),
              "SetLocalAddr(): Invalid IP address");
    EXPECT_EQ(test::thrown([&] { socket.setSendFlags(static_cast<SocketSendFlags>(7)); }),
              "Invalid SendFlags");
    EXPECT_EQ(test::thrown([&] { socket.applyLinger(); }), "Cannot set linger option at this time");
    socket.setLocalAddr(" 10.0.0.1 ");
    EXPECT_EQ(socket.localAddr(), "10.0.0.1");
    socket.setLocalAddr("");
    EXPECT_EQ(socket.localAddr(), "0.0.0.0");
    EXPECT_EQ(socket.peerAddr(), "error");
    EXPECT_EQ(socket.localPortText(), "error");

    // With onError the failure is a return value; "not connected" also closes a handle that
    // exists, here a listening one.
    int errors = 0;
    socket.onError = [&] { ++errors; };
    EXPECT_EQ(socket.sendStr("x"), -1);
    EXPECT_EQ(socket.lastError(), 10057);
    Socket listening(loop);
    listening.onError = [&] { ++errors; };
    listening.setAddr("127.0.0.1");
    listening.setPort("0");
    listening.listen();
    ASSERT_EQ(listening.state(), SocketState::wsListening);
    EXPECT_EQ(listening.sendStr("x"), -1);
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(listening.state(), SocketState::wsClosed);
    EXPECT_EQ(listening.socketHandle(), InvalidSocket);
}

TEST_F(SocketTest, HostileConnectSettingsFailBeforeAnyConnection) {
    Socket socket(loop);
    auto connectMessage = [&](const std::string& host, const std::string& port) {
        socket.setAddr(host);
        socket.setPort(port);
        const std::string message = test::thrown([&] { socket.connect(); });
        socket.close();
        return message;
    };
    const std::string longName(257, 'h');
    EXPECT_EQ(connectMessage(longName, "21"),
              "connect: ResolveHost: '" + longName + "' Invalid Hostname.");
    EXPECT_EQ(connectMessage("127.0.0.1", std::string(32, '1')),
              "connect: ResolvePort: Invalid Port.");
    EXPECT_EQ(socket.state(), SocketState::wsClosed);
}

TEST_P(StreamTest, PropertiesOfAnOpenSocketAreGuarded) {
    Socket socket(loop);
    connectTo(socket);
    socket.setPort(connectPort());  // same text: accepted
    const std::pair<std::function<void()>, std::string> guarded[] = {
        {[&] { socket.setPort("1"); }, "Cannot change Port if not closed"},
        {[&] { socket.setAddr("1.2.3.4"); }, "Cannot change Addr if not closed"},
        {[&] { socket.setProto("udp"); }, "Cannot change Proto if not closed"},
        {[&] { socket.setLocalPort("1"); }, "Cannot change LocalPort if not closed"},
        {[&] { socket.setLocalAddr("1.2.3.4"); }, "Cannot change LocalAddr if not closed"},
        {[&] { socket.connect(); }, "Connect: Socket already in use"},
        {[&] { socket.listen(); }, "Listen: Socket already in use"},
        {[&] { socket.setSocksLevel("4"); }, "Can't change socks level if not closed"},
    };
    for (const auto& [change, message] : guarded)
        EXPECT_EQ(test::thrown(change), message);
}

TEST_P(StreamTest, BackgroundExceptionsAbortUnlessTheHandlerKeepsTheSocket) {
    for (const bool keep : {false, true}) {
        Socket socket(loop);
        connectTo(socket);
        std::string seen;
        socket.onBgException = [&](const std::exception& e, bool& canClose) {
            seen = e.what();
            canClose = !keep;
        };
        socket.postTestException();
        ASSERT_TRUE(loop.runUntil([&] { return !seen.empty(); }, 5s));
        EXPECT_EQ(seen, "Test exception in Socket");
        EXPECT_EQ(socket.state(), keep ? SocketState::wsConnected : SocketState::wsClosed);
    }
}

TEST_P(StreamTest, HandlersMayDestroyTheSocket) {
    for (const bool onData : {false, true}) {
        auto socket = std::make_unique<Socket>(loop);
        const int peer = release(connectTo(*socket));
        int calls = 0;
        auto destroy = [&](int) {
            ++calls;
            socket.reset();
        };
        (onData ? socket->onDataAvailable : socket->onSessionClosed) = destroy;
        // Data, end of stream and a queued write all wait for the same round of the loop.
        socket->sendStr("queued");
        test::posixWrite(peer, "data");
        test::posixClose(peer);
        ASSERT_TRUE(loop.runUntil([&] { return socket == nullptr; }, 5s));
        loop.runUntil([] { return false; }, 50ms);
        EXPECT_EQ(calls, 1);
    }
}

TEST_P(StreamTest, ReconnectFromTheCloseHandlerKeepsTheNewConnection) {
    for (const bool byPeer : {true, false}) {
        Socket socket(loop);
        const int first = connectTo(socket);
        int closes = 0;
        bool reconnected = false;
        socket.onSessionClosed = [&](int) {
            if (++closes > 1)
                return;
            socket.close();
            connectToListener(socket);
        };
        socket.onSessionConnected = [&](int error) { reconnected = error == 0; };
        if (byPeer)
            test::posixClose(release(first));
        else
            socket.close();
        ASSERT_TRUE(loop.runUntil([&] { return closes == 1; }, 5s));
        ASSERT_TRUE(loop.runUntil([&] { return reconnected; }, 5s));
        EXPECT_EQ(socket.state(), SocketState::wsConnected);
        const int second = listener.acceptOne();
        ASSERT_GE(second, 0);
        socket.sendStr("again");
        EXPECT_EQ(test::posixRead(second, 5), "again");
        EXPECT_EQ(closes, 1);
        test::posixClose(second);
    }
}

TEST_P(StreamTest, CloseLaterAndFreeLaterActFromTheLoop) {
    Socket socket(loop);
    connectTo(socket);
    socket.closeLater();
    EXPECT_EQ(socket.state(), SocketState::wsConnected);
    ASSERT_TRUE(awaitClosed(socket));

    auto doomed = std::make_unique<Socket>(loop);
    const int second = connectTo(*doomed);
    const int live = AsyncSocket::liveCount();
    doomed->onDataAvailable = [&](int) { AsyncSocket::freeLater(std::move(doomed)); };
    test::posixWrite(second, "x");
    ASSERT_TRUE(loop.runUntil([&] { return AsyncSocket::liveCount() == live - 1; }, 5s));
    EXPECT_EQ(test::posixReadAll(second), "") << "the peer sees the connection end";
}

TEST_P(StreamTest, FlushAndWaitForClosePumpTheLoop) {
    Socket socket(loop);
    const int peer = release(connectTo(socket));
    const std::string data(3 << 20, 'f');
    std::string got;
    std::thread reader([&] {
        got = test::posixRead(peer, data.size(), 10s);
        test::posixWrite(peer, "tail");
        test::posixClose(peer);
    });
    socket.sendStr(data);
    socket.flush();
    EXPECT_EQ(socket.sendQueueBytes(), 0);
    std::string received;
    test::collectData(socket, received);
    socket.waitForClose();
    reader.join();
    EXPECT_EQ(got.size(), data.size());
    EXPECT_EQ(received, "tail");
    EXPECT_EQ(socket.state(), SocketState::wsClosed);
}

TEST_F(SocketTest, DatagramListenAndConnectExchangeDatagrams) {
    Socket server(loop);
    test::recordEvents(server, log);
    server.setProto("udp");
    server.setAddr("127.0.0.1");
    server.setPort("0");
    server.listen();
    EXPECT_EQ(log, (Log{"state closed>bound", "state bound>listening", "state listening>connected",
                        "connected 0"}));
    Socket client(loop);
    client.setProto("17");
    client.setAddr("127.0.0.1");
    client.setPort(server.localPortText());
    bool clientConnected = false;
    client.onSessionConnected = [&](int) { clientConnected = true; };
    client.connect();
    EXPECT_TRUE(clientConnected) << "a datagram socket connects at once";
    std::string received;
    server.onDataAvailable = [&](int) {
        char buf[100];
        sockaddr_in from{};
        const std::int64_t n = server.receiveFrom(buf, sizeof buf, from);
        if (n > 0)
            received.append(buf, static_cast<std::size_t>(n));
    };
    client.sendStr("datagram");
    ASSERT_TRUE(loop.runUntil([&] { return received == "datagram"; }, 5s));
}

}  // namespace
}  // namespace quay

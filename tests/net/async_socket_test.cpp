#include <gtest/gtest.h>

#include <memory>

#include "net_test_util.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono_literals;
using test::PosixListener;

// Every test of this file must give back every descriptor it opened.
class SocketTest : public ::testing::Test {
protected:
    void SetUp() override { m_fds = test::openDescriptorCount(); }
    void TearDown() override {
        loop.processPending();
        EXPECT_EQ(m_fds, test::openDescriptorCount()) << "descriptor leaked";
    }

    // Connects `socket` to the listener and returns the peer's end.
    int connectTo(Socket& socket, PosixListener& listener) {
        socket.setAddr("127.0.0.1");
        socket.setPort(std::to_string(listener.port()));
        socket.connect();
        const int peer = listener.acceptOne();
        EXPECT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsConnected; }, 5s));
        return peer;
    }

    PollLoop loop;
    std::vector<std::string> log;

private:
    int m_fds = 0;
};

TEST_F(SocketTest, StreamConnectFiresStateChangesThenConnectedThenDataSent) {
    PosixListener listener;
    Socket socket(loop);
    test::recordEvents(socket, log);
    socket.setAddr("127.0.0.1");
    socket.setPort(std::to_string(listener.port()));
    socket.connect();
    EXPECT_EQ(log, (std::vector<std::string>{"state closed>opened", "state opened>connecting"}));
    ASSERT_TRUE(loop.runUntil([&] { return log.size() >= 5; }, 5s));
    EXPECT_EQ(log,
              (std::vector<std::string>{"state closed>opened", "state opened>connecting",
                                        "state connecting>connected", "connected 0", "sent 0"}));
    EXPECT_EQ(socket.peerAddr(), "127.0.0.1");
    EXPECT_EQ(socket.peerPort(), std::to_string(listener.port()));
    test::posixClose(listener.acceptOne());
}

TEST_F(SocketTest, RefusedConnectReportsCodeThenClosesOnce) {
    Socket socket(loop);
    test::recordEvents(socket, log);
    socket.setAddr("127.0.0.1");
    socket.setPort(std::to_string(test::freePort()));
    socket.connect();
    ASSERT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 5s));
    loop.processPending();
    EXPECT_EQ(log, (std::vector<std::string>{"state closed>opened", "state opened>connecting",
                                             "state connecting>connected", "connected 10061",
                                             "state connected>closed", "closed 0"}));
}

TEST_F(SocketTest, LocalCloseOrderAndDefaultsRestored) {
    PosixListener listener;
    Socket socket(loop);
    socket.setLocalAddr("127.0.0.1");
    const int peer = connectTo(socket, listener);
    // Binding to a local address reads the chosen port back into localPort().
    EXPECT_NE(socket.localPort(), "0");
    EXPECT_EQ(socket.localPort(), socket.localPortText());
    socket.setComponentOptions(wsoNoReceiveLoop);
    socket.setMultiThreaded(true);
    socket.setSendFlags(SocketSendFlags::wsSendUrgent);
    socket.setSendFlags(SocketSendFlags::wsSendNormal);
    socket.setLingerOnOff(SocketLingerOnOff::wsLingerOff);
    socket.setLingerTimeout(10);
    socket.sendStr("bye");
    ASSERT_TRUE(loop.runUntil([&] { return socket.allSent(); }, 5s));
    test::recordEvents(socket, log);
    socket.close();
    socket.close();
    EXPECT_EQ(log, (std::vector<std::string>{"state connected>closed", "closed 0"}));
    // The peer gets everything and then a clean end of stream.
    EXPECT_EQ(test::posixReadAll(peer), "bye");
    test::posixClose(peer);

    EXPECT_EQ(socket.addr(), "127.0.0.1");
    EXPECT_EQ(socket.port(), std::to_string(listener.port()));
    EXPECT_EQ(socket.proto(), "tcp");
    EXPECT_EQ(socket.localAddr(), "0.0.0.0");
    EXPECT_EQ(socket.localPort(), "0");
    EXPECT_EQ(socket.lingerOnOff(), SocketLingerOnOff::wsLingerOn);
    EXPECT_EQ(socket.lingerTimeout(), 0);
    EXPECT_EQ(socket.readCount(), 0);
    EXPECT_EQ(socket.socketHandle(), InvalidSocket);
    EXPECT_EQ(socket.componentOptions(), wsoNoReceiveLoop);
    EXPECT_TRUE(socket.multiThreaded());
    EXPECT_TRUE(socket.onSessionClosed != nullptr);
    // Addr and Port must be set again: their texts remain but count as not assigned.
    EXPECT_THROW(
        {
            try {
                socket.connect();
            } catch (const SocketException& e) {
                EXPECT_STREQ(e.what(), "Connect: No Port Specified");
                throw;
            }
        },
        SocketException);
}

TEST_F(SocketTest, PeerCloseDeliversBufferedDataBeforeOneSessionClosed) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
    test::recordEvents(socket, log);
    std::string received;
    socket.onDataAvailable = [&](int) {
        char buf[3];
        const std::int64_t n = socket.receive(buf, sizeof buf);
        if (n > 0)
            received.append(buf, static_cast<std::size_t>(n));
        log.push_back("data");
    };
    socket.onSessionClosed = [&](int e) {
        log.push_back("closed " + std::to_string(e) + " while " +
                      (socket.state() == SocketState::wsConnected ? "connected" : "other"));
        socket.close();  // closing again from the handler must not report twice
    };
    test::posixWrite(peer, "hello world");
    test::posixClose(peer);
    ASSERT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 5s));
    loop.processPending();
    EXPECT_EQ(received, "hello world");
    const auto events = test::without(log, "data");
    EXPECT_EQ(events,
              (std::vector<std::string>{"closed 0 while connected", "state connected>closed"}));
    EXPECT_EQ(log.front(), "data");
    EXPECT_EQ(socket.readCount(), 0) << "reset after the close";
}

TEST_F(SocketTest, FailedSendClosesThenReportsTheCode) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
    test::posixReset(peer);
    std::this_thread::sleep_for(100ms);  // the reset arrives; the loop does not run meanwhile
    test::recordEvents(socket, log);
    const std::string data(100000, 'x');
    EXPECT_EQ(socket.sendStr(data), 100000);
    EXPECT_EQ(log, (std::vector<std::string>{"state connected>closed", "closed 10054"}));
    loop.processPending();
    EXPECT_EQ(log.size(), 2u);
}

TEST_F(SocketTest, DataSentNeverFiresInsideSendAndSendQueueUsesFixedBlocks) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
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
    EXPECT_EQ(log, std::vector<std::string>{"sent 0"});
    EXPECT_EQ(test::posixRead(peer, 5000), std::string(5000, 'a'));
    EXPECT_EQ(socket.send("x", 0), 0);
    EXPECT_EQ(socket.send("x", -5), 0);
    test::posixClose(peer);
}

TEST_F(SocketTest, SendDataHandlerMayCloseOrAbortMidQueue) {
    for (const bool abort : {false, true}) {
        PosixListener listener;
        Socket socket(loop);
        const int peer = connectTo(socket, listener);
        int closes = 0;
        socket.onSessionClosed = [&](int) { ++closes; };
        socket.onSendData = [&](std::int64_t) {
            if (abort)
                socket.abort();
            else
                socket.close();
        };
        socket.sendStr(std::string(5000, 's'));
        EXPECT_EQ(socket.state(), SocketState::wsClosed);
        EXPECT_EQ(test::posixReadAll(peer), std::string(1514, 's'));
        loop.processPending();
        EXPECT_EQ(closes, 1);
        test::posixClose(peer);
    }
}

TEST_F(SocketTest, SlowPeerMakesTheQueueGrowAndDrainInOrder) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
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
    test::posixClose(peer);
}

TEST_F(SocketTest, ReceiveLoopRepeatsWhileBytesWaitUnlessSwitchedOff) {
    for (const bool noLoop : {false, true}) {
        PosixListener listener;
        Socket socket(loop);
        const int peer = connectTo(socket, listener);
        loop.processPending();
        if (noLoop)
            socket.setComponentOptions(wsoNoReceiveLoop);
        int calls = 0;
        std::string received;
        socket.onDataAvailable = [&](int) {
            ++calls;
            char buf[100];
            const std::int64_t n = socket.receive(buf, sizeof buf);
            if (n > 0)
                received.append(buf, static_cast<std::size_t>(n));
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
        test::posixClose(peer);
    }
}

TEST_F(SocketTest, AHandlerThatDoesNotReadLetsTheLoopRun) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
    bool ready = false;
    int calls = 0;
    std::string received;
    socket.onDataAvailable = [&](int) {
        if (++calls == 1)
            loop.post([&] { ready = true; });
        if (!ready)
            return;
        char buf[16];
        const std::int64_t n = socket.receive(buf, sizeof buf);
        if (n > 0)
            received.append(buf, static_cast<std::size_t>(n));
    };
    test::posixWrite(peer, "later");
    ASSERT_TRUE(loop.runUntil([&] { return received == "later"; }, 5s));
    test::posixClose(peer);
}

TEST_F(SocketTest, UnhandledDataIsDroppedAndPauseHoldsEvents) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
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
    test::posixClose(peer);
}

TEST_F(SocketTest, AbortClosesGracefullyAndDropsTheQueue) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
    test::recordEvents(socket, log);
    socket.abort();
    EXPECT_EQ(log, (std::vector<std::string>{"state connected>closed", "closed 0"}));
    EXPECT_EQ(socket.sendQueueBytes(), 0);
    char byte;
    EXPECT_EQ(::recv(peer, &byte, 1, 0), 0) << "the peer sees an end of stream, not a reset";
    test::posixClose(peer);
}

TEST_F(SocketTest, ListenOnPortZeroThenAcceptAndDupIntoTheSameObject) {
    Socket socket(loop);
    test::recordEvents(socket, log);
    bool available = false;
    socket.onSessionAvailable = [&](int e) {
        EXPECT_EQ(e, 0);
        available = true;
    };
    socket.setAddr("0.0.0.0");
    socket.setPort("0");
    socket.listen();
    EXPECT_EQ(socket.state(), SocketState::wsListening);
    sockaddr_in name{};
    ASSERT_EQ(socket.getSockName(name), 0);
    const int port = ntohs(name.sin_port);
    EXPECT_GT(port, 0);
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
    EXPECT_EQ(socket.state(), SocketState::wsConnected);
    EXPECT_EQ(log, std::vector<std::string>{"state closed>connected"});
    ASSERT_TRUE(loop.runUntil([&] { return log.size() == 2; }, 5s));
    EXPECT_EQ(log.back(), "sent 0");

    std::string received;
    test::collectData(socket, received);
    socket.sendStr("to client");
    EXPECT_EQ(test::posixRead(client, 9), "to client");
    test::posixWrite(client, "to server");
    test::posixClose(client);
    ASSERT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 5s));
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

    int errors = 0;
    socket.onError = [&] { ++errors; };
    EXPECT_EQ(socket.sendStr("x"), -1);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(socket.lastError(), 10057);

    // "Not connected" also closes a handle that exists, here a listening one.
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
    auto connectMessage = [&](const std::string& host, const std::string& port) -> std::string {
        socket.setAddr(host);
        socket.setPort(port);
        try {
            socket.connect();
        } catch (const SocketException& e) {
            socket.close();
            return e.what();
        }
        return "no exception";
    };
    const std::string longName(257, 'h');
    EXPECT_EQ(connectMessage(longName, "21"),
              "connect: ResolveHost: '" + longName + "' Invalid Hostname.");
    EXPECT_EQ(connectMessage("127.0.0.1", std::string(32, '1')),
              "connect: ResolvePort: Invalid Port.");
    const std::string unresolvable = std::string(64, 'u') + ".invalid";
    EXPECT_EQ(
        connectMessage(unresolvable, "21"),
        "connect: ResolveHost: Cannot convert host address '" + unresolvable + "', Error #11001");
    EXPECT_EQ(connectMessage("", "21"), "Connect: No IP Address Specified");
    EXPECT_EQ(socket.state(), SocketState::wsClosed);
}

TEST_F(SocketTest, PropertiesOfAnOpenSocketAreGuarded) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
    socket.setPort(std::to_string(listener.port()));  // same text: accepted
    EXPECT_EQ(test::thrown([&] { socket.setPort("1"); }), "Cannot change Port if not closed");
    EXPECT_EQ(test::thrown([&] { socket.setAddr("1.2.3.4"); }), "Cannot change Addr if not closed");
    EXPECT_EQ(test::thrown([&] { socket.setProto("udp"); }), "Cannot change Proto if not closed");
    EXPECT_EQ(test::thrown([&] { socket.setLocalPort("1"); }),
              "Cannot change LocalPort if not closed");
    EXPECT_EQ(test::thrown([&] { socket.setLocalAddr("1.2.3.4"); }),
              "Cannot change LocalAddr if not closed");
    EXPECT_EQ(test::thrown([&] { socket.connect(); }), "Connect: Socket already in use");
    EXPECT_EQ(test::thrown([&] { socket.listen(); }), "Listen: Socket already in use");
    EXPECT_EQ(test::thrown([&] { socket.setSocksLevel("4"); }),
              "Can't change socks level if not closed");
    test::posixClose(peer);
}

TEST_F(SocketTest, BackgroundExceptionsAbortUnlessTheHandlerKeepsTheSocket) {
    for (const bool keep : {false, true}) {
        PosixListener listener;
        Socket socket(loop);
        const int peer = connectTo(socket, listener);
        std::string seen;
        socket.onBgException = [&](const std::exception& e, bool& canClose) {
            seen = e.what();
            canClose = !keep;
        };
        socket.postTestException();
        ASSERT_TRUE(loop.runUntil([&] { return !seen.empty(); }, 5s));
        EXPECT_EQ(seen, "Test exception in Socket");
        EXPECT_EQ(socket.state(), keep ? SocketState::wsConnected : SocketState::wsClosed);
        test::posixClose(peer);
    }
}

TEST_F(SocketTest, HandlersMayDestroyTheSocket) {
    for (const bool onData : {false, true}) {
        PosixListener listener;
        auto socket = std::make_unique<Socket>(loop);
        const int peer = connectTo(*socket, listener);
        int calls = 0;
        auto destroy = [&](int) {
            ++calls;
            socket.reset();
        };
        if (onData)
            socket->onDataAvailable = destroy;
        else
            socket->onSessionClosed = destroy;
        // Data, end of stream and a queued write all wait for the same round of the loop.
        socket->sendStr("queued");
        test::posixWrite(peer, "data");
        test::posixClose(peer);
        ASSERT_TRUE(loop.runUntil([&] { return socket == nullptr; }, 5s));
        loop.runUntil([] { return false; }, 50ms);
        EXPECT_EQ(calls, 1);
    }
}

TEST_F(SocketTest, ReconnectFromTheCloseHandlerKeepsTheNewConnection) {
    for (const bool byPeer : {true, false}) {
        PosixListener listener;
        Socket socket(loop);
        const int first = connectTo(socket, listener);
        int closes = 0;
        socket.onSessionClosed = [&](int) {
            if (++closes > 1)
                return;
            socket.close();
            socket.setAddr("127.0.0.1");
            socket.setPort(std::to_string(listener.port()));
            socket.connect();
        };
        if (byPeer)
            test::posixClose(first);
        else
            socket.close();
        ASSERT_TRUE(loop.runUntil([&] { return closes == 1; }, 5s));
        const int second = listener.acceptOne();
        ASSERT_GE(second, 0);
        ASSERT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsConnected; }, 5s));
        EXPECT_EQ(socket.port(), std::to_string(listener.port()));
        socket.sendStr("again");
        EXPECT_EQ(test::posixRead(second, 5), "again");
        EXPECT_EQ(closes, 1);
        if (!byPeer)
            test::posixClose(first);
        test::posixClose(second);
    }
}

TEST_F(SocketTest, CloseLaterAndFreeLaterActFromTheLoop) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
    socket.closeLater();
    EXPECT_EQ(socket.state(), SocketState::wsConnected);
    ASSERT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 5s));
    test::posixClose(peer);

    auto doomed = std::make_unique<Socket>(loop);
    const int second = connectTo(*doomed, listener);
    const int live = AsyncSocket::liveCount();
    bool freed = false;
    doomed->onDataAvailable = [&](int) {
        AsyncSocket::freeLater(std::move(doomed));
        freed = true;
    };
    test::posixWrite(second, "x");
    ASSERT_TRUE(loop.runUntil([&] { return AsyncSocket::liveCount() == live - 1; }, 5s));
    EXPECT_TRUE(freed);
    EXPECT_EQ(test::posixReadAll(second), "") << "the peer sees the connection end";
    test::posixClose(second);
}

TEST_F(SocketTest, FlushAndWaitForClosePumpTheLoop) {
    PosixListener listener;
    Socket socket(loop);
    const int peer = connectTo(socket, listener);
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
    EXPECT_EQ(log, (std::vector<std::string>{"state closed>bound", "state bound>listening",
                                             "state listening>connected", "connected 0"}));
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

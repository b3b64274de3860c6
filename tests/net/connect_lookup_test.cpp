// connect() never waits for the resolver on the loop thread: a name to connect to (the
// destination's, the SOCKS server's, a SOCKS 4 destination's) is looked up on a worker while the
// loop goes on, and an address connects inside the call. The names come from a hosts file of the
// test's own; a name server of its own says "no such name" to the rest, or never answers.
#include <gtest/gtest.h>

#include <memory>

#include "net_test_util.h"
#include "scripted_socks.h"
#include "test_name_server.h"

namespace quay {
namespace {

using namespace std::chrono_literals;
using Answer = test::TestNameServer::Answer;
using Log = std::vector<std::string>;

const std::string Hosts =
    "127.0.0.1 echo.quayside.test socks.quayside.test\n10.1.2.3 far.quayside.test\n";

// A SOCKS 4 server that grants the request and echoes.
const std::string GrantingSocks4 =
    R"([{"read": "request4"}, {"send": "00 5a 00 00 00 00 00 00"}, {"echo": true}])";

class ConnectLookup : public ::testing::Test {
protected:
    // Before any thread of the test starts.
    bool useNames(Answer answer) {
        m_names = std::make_unique<test::TestNameServer>(answer);
        if (!m_names->use(Hosts))
            return false;
        m_echo = std::make_unique<test::EchoServer>();
        test::recordEvents(socket, log);
        test::collectData(socket, received);
        return true;
    }

    void aim(const std::string& host, int port, const std::string& socksServer = {},
             int socksPort = 0, const std::string& level = "5") {
        socket.setSocksServer(socksServer);
        if (!socksServer.empty()) {
            socket.setSocksPort(std::to_string(socksPort));
            socket.setSocksLevel(level);
        }
        socket.setAddr(host);
        socket.setPort(std::to_string(port));
    }

    // The events other than state changes and write notifications.
    Log events() const { return test::without(test::without(log, "state"), "sent"); }

    // Waits for the outcome of connect().
    bool awaitConnected() {
        return loop.runUntil(
            [&] {
                for (const std::string& event : events())
                    if (event.starts_with("connected") || event.starts_with("closed"))
                        return true;
                return false;
            },
            10s);
    }

    // Connects (what aim() set) and echoes a text.
    void connectAndEcho() {
        log.clear();
        socket.connect();
        ASSERT_TRUE(awaitConnected());
        ASSERT_EQ(test::without(events(), "socks-connected"), Log{"connected 0"});
        socket.sendStr("hello");
        EXPECT_TRUE(loop.runUntil([&] { return received == "hello"; }, 10s)) << received;
        received.clear();
        socket.close();
    }

    // How often a 20 ms timer of the loop fired until the name server was asked for `name`
    // and at least 10 times.
    int ticksWhileAsking(const std::string& name) {
        int ticks = 0;
        const EventLoop::TimerId timer = loop.startTimer(
            20ms, [&] { ++ticks; }, true);
        loop.runUntil([&] { return ticks >= 10 && m_names->asked(name); }, 10s);
        loop.stopTimer(timer);
        return ticks;
    }

    int echoPort() const { return m_echo->port(); }
    const test::TestNameServer& names() const { return *m_names; }

    PollLoop loop;
    Socket socket{loop};
    Log log;
    std::string received;

private:
    std::unique_ptr<test::TestNameServer> m_names;
    std::unique_ptr<test::EchoServer> m_echo;
};

const char* const NoNames =
    "no hosts file and name server of the test's own (needs root and a mount namespace)";

TEST_F(ConnectLookup, NamesConnectFromTheLoopAndAddressesAtOnce) {
    if (!useNames(Answer::NoSuchName))
        GTEST_SKIP() << NoNames;
    aim("echo.quayside.test", echoPort());
    socket.connect();
    EXPECT_EQ(socket.state(), SocketState::wsConnecting);
    EXPECT_EQ(socket.socketHandle(), InvalidSocket) << "the lookup comes before the socket";
    EXPECT_TRUE(events().empty());
    ASSERT_TRUE(awaitConnected());
    EXPECT_EQ(events(), Log{"connected 0"});
    EXPECT_EQ(socket.remoteAddress().text(), "127.0.0.1");
    socket.close();

    aim("127.0.0.1", echoPort());
    socket.connect();
    EXPECT_NE(socket.socketHandle(), InvalidSocket) << "an address connects inside the call";
    socket.close();
    aim("127.0.0.1", echoPort());
    connectAndEcho();

    // Through SOCKS 4 the SOCKS server's name and the destination's are looked up; the request
    // carries the destination's address.
    test::ScriptedSocks proxy(GrantingSocks4);
    aim("far.quayside.test", 21, "socks.quayside.test", proxy.port(), "4");
    connectAndEcho();
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0],
              "04010015"
              "0a010203"
              "00");
    EXPECT_TRUE(names().questions().empty()) << "everything came from the hosts file";
}

// A dead name server: the loop goes on while the name is looked up, close() drops the lookup
// without an event, and the next connection works.
TEST_F(ConnectLookup, AHangingLookupLeavesTheLoopRunningUntilClosed) {
    if (!useNames(Answer::Nothing))
        GTEST_SKIP() << NoNames;
    test::ScriptedSocks proxy(GrantingSocks4);
    // The name that hangs: the destination's, the SOCKS server's, a SOCKS 4 destination's.
    struct Way {
        std::string hung;
        std::string host;
        std::string socksServer;
        std::string level;
    };
    for (const Way& way :
         {Way{"hung.quayside.test", "hung.quayside.test", "", ""},
          Way{"hung-socks.quayside.test", "far.quayside.test", "hung-socks.quayside.test", "5"},
          Way{"hung-far.quayside.test", "hung-far.quayside.test", "127.0.0.1", "4"}}) {
        SCOPED_TRACE(way.hung);
        log.clear();
        aim(way.host, 21, way.socksServer, proxy.port(), way.level);
        socket.connect();
        EXPECT_GE(ticksWhileAsking(way.hung), 10);
        EXPECT_TRUE(names().asked(way.hung));
        EXPECT_EQ(socket.state(), SocketState::wsConnecting);
        EXPECT_EQ(test::thrown([&] { socket.connect(); }), "Connect: Socket already in use");
        socket.close();
        EXPECT_EQ(socket.state(), SocketState::wsClosed);
        loop.runUntil([] { return false; }, 100ms);
        EXPECT_TRUE(events().empty());
    }
    EXPECT_TRUE(proxy.requests().empty()) << "no SOCKS server is reached before the lookup";

    // A socket destroyed during its lookup is never called back.
    const int live = AsyncSocket::liveCount();
    int calls = 0;
    {
        Socket doomed(loop);
        doomed.onSessionConnected = [&](int) { ++calls; };
        doomed.setAddr("doomed.quayside.test");
        doomed.setPort("21");
        doomed.connect();
        EXPECT_GE(ticksWhileAsking("doomed.quayside.test"), 10);
    }
    loop.runUntil([] { return false; }, 100ms);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(AsyncSocket::liveCount(), live);

    aim("echo.quayside.test", echoPort());
    connectAndEcho();
}

// A name that does not resolve ends the connection as a refusal would, from the loop, with the
// message connect() used to throw; a SOCKS 4 destination fails in the negotiation as before.
TEST_F(ConnectLookup, NamesThatDoNotResolveFailAsAConnectionWould) {
    if (!useNames(Answer::NoSuchName))
        GTEST_SKIP() << NoNames;
    const std::string failure =
        "ResolveHost: Cannot convert host address 'nowhere.quayside.test', Error #11001";

    aim("nowhere.quayside.test", 21);
    socket.connect();
    ASSERT_TRUE(awaitConnected());
    EXPECT_EQ(events(), Log{"connected 11001"});
    EXPECT_EQ(socket.connectFailure(), "connect: " + failure);
    EXPECT_EQ(socket.state(), SocketState::wsClosed);

    log.clear();
    aim("far.quayside.test", 21, "nowhere.quayside.test", 1080);
    socket.connect();
    ASSERT_TRUE(awaitConnected());
    EXPECT_EQ(events(), (Log{"socks-connected 11001", "connected 11001"}));
    EXPECT_EQ(socket.connectFailure(), "connect: " + failure);

    log.clear();
    test::ScriptedSocks proxy(GrantingSocks4);
    aim("nowhere.quayside.test", 21, "socks.quayside.test", proxy.port(), "4");
    socket.connect();
    EXPECT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 10s));
    EXPECT_EQ(events(), (Log{"socks-connected 0", "socks-error 20017 SocketException " + failure,
                             "closed 20017"}));
    EXPECT_EQ(socket.connectFailure(), "");
    EXPECT_TRUE(proxy.requests().empty()) << "nothing is sent for an unresolved destination";

    aim("echo.quayside.test", echoPort());
    connectAndEcho();
    EXPECT_EQ(socket.connectFailure(), "");
}

}  // namespace
}  // namespace quay

#include <gtest/gtest.h>

#include <utility>

#include "net/tls_layer.h"
#include "net_test_util.h"
#include "scripted_socks.h"
#include "socks_servers.h"

namespace quay {
namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string portHex(int port) {
    return hex(std::string{static_cast<char>(port >> 8), static_cast<char>(port & 255)});
}

// Points `socket` at a destination behind the SOCKS server on 127.0.0.1:socksPort.
void aim(Socket& socket, int socksPort, const std::string& level, const std::string& host,
         int port) {
    socket.setSocksServer("127.0.0.1");
    socket.setSocksPort(std::to_string(socksPort));
    socket.setSocksLevel(level);
    socket.setAddr(host);
    socket.setPort(std::to_string(port));
}

// Checks that SOCKS use gives back every descriptor, whatever the outcome.
class SocksTest : public ::testing::Test {
protected:
    void SetUp() override { m_fds = test::openDescriptorCount(); }
    void TearDown() override {
        socket.close();
        loop.processPending();
        EXPECT_EQ(m_fds, test::openDescriptorCount()) << "descriptor leaked";
    }

    void connectVia(int socksPort, const std::string& level, const std::string& host, int port) {
        test::recordEvents(socket, log);
        socket.onDataAvailable = [this](int) {
            char buf[4096];
            const std::int64_t n = socket.receive(buf, sizeof buf);
            if (n > 0)
                received.append(buf, static_cast<std::size_t>(n));
            log.push_back("data");
        };
        aim(socket, socksPort, level, host, port);
        socket.connect();
    }

    void useUserCode(const std::string& user, const std::string& password) {
        socket.setSocksAuthentication(SocksAuthentication::socksAuthenticateUsercode);
        socket.setSocksUsercode(user);
        socket.setSocksPassword(password);
    }

    bool awaitConnected() {
        return loop.runUntil([&] { return connectedOrClosed(); }, 10s) &&
               socket.state() == SocketState::wsConnected;
    }

    bool connectedOrClosed() const {
        for (const auto& e : log)
            if (e.rfind("connected", 0) == 0 || e.rfind("closed", 0) == 0)
                return true;
        return false;
    }

    // The negotiation events, without state changes, data-sent and empty data events.
    Log events() const {
        return test::without(test::without(test::without(log, "state"), "sent"), "data");
    }

    // Sends text and gives back all that arrived since the last call (or the last clear), once
    // text's length has come back: a stray byte of a reply shows in front.
    std::string echo(const std::string& text) {
        const std::size_t before = received.size();
        socket.sendStr(text);
        loop.runUntil([&] { return received.size() >= before + text.size(); }, 10s);
        return std::exchange(received, {});
    }

    bool awaitClosed() {
        return loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 10s);
    }

    PollLoop loop;
    Socket socket{loop};
    Log log;
    std::string received;

private:
    int m_fds = 0;
};

// SOCKS 4 and 5 through real servers: the negotiation's events, then the bytes both ways.
// onDataAvailable follows the connect; onDataSent waits for the end of the negotiation.
TEST_F(SocksTest, Socks4And5ThroughMicrosocksAndDante) {
    test::EchoServer target;
    test::MicrosocksServer microsocks;
    microsocks.start();
    test::DantedServer dante;
    dante.start();
    const std::pair<int, std::string> routes[] = {
        {microsocks.port(), "5"}, {dante.port(), "4"}, {dante.port(), "5"}};
    for (const auto& [proxyPort, level] : routes) {
        SCOPED_TRACE(level + " on " + std::to_string(proxyPort));
        log.clear();
        received.clear();
        connectVia(proxyPort, level, "127.0.0.1", target.port());
        ASSERT_TRUE(awaitConnected());
        EXPECT_FALSE(socket.boundAddr().empty());
        EXPECT_EQ(echo("level " + level), "level " + level);
        EXPECT_EQ(events(), (Log{"socks-connected 0", "connected 0"}));
        const auto all = test::without(log, "state");
        ASSERT_GE(all.size(), 3u);
        EXPECT_EQ(Log(all.begin(), all.begin() + 3),
                  (Log{"socks-connected 0", "connected 0", "data"}));
        socket.close();
    }
}

TEST_F(SocksTest, Socks5WithRightAndWrongPasswordThroughMicrosocks) {
    test::EchoServer target;
    test::MicrosocksServer proxy;
    proxy.start("quay", "s3cret");
    useUserCode("quay", "s3cret");
    connectVia(proxy.port(), "5", "127.0.0.1", target.port());
    ASSERT_TRUE(awaitConnected());
    EXPECT_EQ(test::without(test::without(log, "sent"), "data"),
              (Log{"state closed>opened", "state opened>connecting", "state connecting>connected",
                   "socks-connected 0", "auth 0", "auth 1", "connected 0"}));
    EXPECT_EQ(echo("through"), "through");
    socket.close();
    // The credentials survive the close; server and level do not.
    EXPECT_EQ(socket.socksServer(), "");
    EXPECT_EQ(socket.socksLevel(), "5");
    EXPECT_EQ(socket.socksPassword(), "s3cret");

    log.clear();
    socket.setSocksPassword("wrong");
    connectVia(proxy.port(), "5", "127.0.0.1", target.port());
    ASSERT_TRUE(awaitClosed());
    EXPECT_EQ(events(),
              (Log{"socks-connected 0", "auth 0", "socks-error 20015 socks authentication failed",
                   "connected 20015", "closed 20015"}));
}

// The layers are chosen per connection: the SOCKS 5 negotiation with a user code, then TLS on
// top of it. onSessionConnected comes once, when both are open, and the bytes pass both ways.
TEST_F(SocksTest, TlsOpensOnTopOfTheSocksNegotiation) {
    test::EchoServer target;
    test::TransportPath tls(test::Transport::Tls, target.port());
    test::MicrosocksServer proxy;
    proxy.start("quay", "s3cret");
    useUserCode("quay", "s3cret");
    tls.apply(socket);
    connectVia(proxy.port(), "5", "127.0.0.1", tls.port());
    std::string versionWhenConnected;
    const auto recorded = socket.onSessionConnected;
    socket.onSessionConnected = [&](int error) {
        versionWhenConnected = socket.tls() ? socket.tls()->version() : "plain";
        recorded(error);
    };
    ASSERT_TRUE(awaitConnected());
    EXPECT_EQ(versionWhenConnected.rfind("TLSv1.", 0), 0u) << versionWhenConnected;
    EXPECT_EQ(events(), (Log{"socks-connected 0", "auth 0", "auth 1", "connected 0"}));
    EXPECT_EQ(echo("sealed both ways"), "sealed both ways");
    // The write notification held back while the layers opened is given once, after the connect.
    // (A record the server sends after the handshake, a TLS 1.3 session ticket, may bring a read
    // notification before it: that order is the loop's.)
    const auto all = test::without(test::without(log, "state"), "data");
    ASSERT_GE(all.size(), 5u);
    EXPECT_EQ(Log(all.begin(), all.begin() + 5),
              (Log{"socks-connected 0", "auth 0", "auth 1", "connected 0", "sent 0"}));
    socket.close();
    tls.settle();
}

// After the handshake the connection carries the application's bytes unchanged both ways: the
// proxy sends its last reply glued to the first application bytes, so a reply read one byte
// short or long shows in them. An IPv6 destination goes to SOCKS 5 as its 16 bytes (type 4),
// to SOCKS 4A as the literal, as a name.
TEST_F(SocksTest, ByteStreamAfterTheHandshakeIsExactBothWays) {
    const std::string request4 = R"({"read": "request4"}, )";
    const std::string plain5 =
        R"({"read": "greeting5"}, {"send": "05 00"}, {"read": "request5"}, )";
    const std::string auth5 = R"({"read": "greeting5"}, {"send": "05 02"}, {"read": "auth5"},
        {"send": "01 00"}, {"read": "request5"}, )";
    const std::string port = portHex(2121);
    const std::string nameRequest5 = "050100030c" + hex("dest.example") + port;
    const std::string authRequest = "0104" + hex("user") + "02" + hex("pw");
    struct Case {
        std::string level;
        bool auth;
        std::string host, steps;
        std::string reply;     // hex: the last reply of the handshake
        std::string bound;     // SOCKS 5: bound address and port
        std::string requests;  // hex: what the proxy reads during the handshake, step by step
    };
    const Case cases[] = {
        {"4", false, "127.0.0.1", request4, "005a08497f000001", "",
         "0401" + port + "7f000001" + hex("user") + "00"},
        {"4a", false, "dest.example", request4, "005a000000000000", "",
         "0401" + port + "00000001" + hex("user") + "00" + hex("dest.example") + "00"},
        // A dotted destination still travels as a name.
        {"5", false, "10.9.8.7", plain5, "050000017f0000013039", "127.0.0.1 12345",
         "050100 0501000308" + hex("10.9.8.7") + port},
        {"5", true, "dest.example", auth5, "0500000309" + hex("bound.net") + "04d2",
         "bound.net 1234", "050102 " + authRequest + " " + nameRequest5},
        // A bound name may be empty: the reply is then 7 bytes long.
        {"5", true, "dest.example", auth5, "050000030001bb", " 443",
         "050102 " + authRequest + " " + nameRequest5},
        // An IPv6 bound address: 22 bytes.
        {"5", false, "dest.example", plain5, "0500000420010db80000000000000000000000050015",
         "2001:db8::5 21", "050100 " + nameRequest5},
        {"5", false, "::1", plain5, "050000017f0000010015", "127.0.0.1 21",
         "050100 05010004" + std::string(30, '0') + "01" + port},
        {"4a", false, "fe80::1%lo", request4, "005a000000000000", "",
         "0401" + port + "00000001" + hex("user") + "00" + hex("fe80::1%lo") + "00"},
    };
    const std::string fromServer = std::string("220 ready\0\x05\r\n", 14);
    const std::string fromClient = std::string("USER \0\x05\r\n", 10);
    socket.setSocksUsercode("user");
    socket.setSocksPassword("pw");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level + " " + c.reply);
        log.clear();
        received.clear();
        test::ScriptedSocks proxy("[" + c.steps + R"({"send": ")" + c.reply + hex(fromServer) +
                                  R"("}, {"read": "all"}])");
        socket.setSocksAuthentication(c.auth ? SocksAuthentication::socksAuthenticateUsercode
                                             : SocksAuthentication::socksNoAuthentication);
        connectVia(proxy.port(), c.level, c.host, 2121);
        ASSERT_TRUE(awaitConnected());
        EXPECT_EQ(socket.socksLevel(), c.level == "4a" ? "4A" : c.level);
        loop.runUntil([&] { return received.size() >= fromServer.size(); }, 10s);
        socket.sendStr(fromClient);
        ASSERT_TRUE(loop.runUntil([&] { return socket.allSent(); }, 10s));
        socket.shutDown(1);
        ASSERT_TRUE(awaitClosed());
        EXPECT_EQ(hex(received), hex(fromServer));
        std::string requests;
        for (const std::string& step : proxy.requests())
            requests += (requests.empty() ? "" : " ") + step;
        EXPECT_EQ(requests, c.requests + " " + hex(fromClient));
        if (c.level == "5") {
            EXPECT_EQ(socket.boundAddr() + " " + socket.boundPort(), c.bound);
        }
    }
}

TEST_F(SocksTest, RefusalsCloseWithTheirCodes) {
    const std::string socks4 = R"([{"read": "request4"}, {"send": ")";
    const std::string greeting = R"([{"read": "greeting5"}, {"send": ")";
    const std::string socks5 = greeting + R"(05 00"}, {"read": "request5"}, {"send": "05 )";
    struct Case {
        std::string level, reply, code, message;
    };
    const Case cases[] = {
        {"4A", socks4 + "00 5b", "20016", "request rejected or failed"},
        {"4A", socks4 + "00 5c", "20008", "connection refused"},
        {"4A", socks4 + "00 5d", "20015", "authentification failed"},
        {"4A", socks4 + "00 42", "20012", "unassigned error #66"},
        {"4A", socks4 + "01 5a", "20002", "socks version error"},
        {"5", socks5 + "01", "20004", "general SOCKS server failure"},
        {"5", socks5 + "02", "20005", "connection not allowed by ruleset"},
        {"5", socks5 + "03", "20006", "network unreachable"},
        {"5", socks5 + "04", "20007", "host unreachable"},
        {"5", socks5 + "05", "20008", "connection refused"},
        {"5", socks5 + "06", "20009", "time to live expired"},
        {"5", socks5 + "07", "20010", "command not supported"},
        {"5", socks5 + "08", "20011", "address type not supported"},
        {"5", socks5 + "09", "20012", "unassigned error #9"},
        {"5", socks5 + "00 00 07", "20011", "address type not supported"},
        {"5", greeting + "05 ff", "20003", "authentification method not acceptable"},
        {"5", greeting + "04 00", "20002", "socks version error"},
        // More bytes than any greeting reply: the surplus is read as the connect reply.
        {"5", greeting + "05 00" + std::string(600, 'f'), "20002", "socks version error"},
    };
    // Each reply is padded with zero bytes to its full length.
    for (const Case& c : cases) {
        log.clear();
        test::ScriptedSocks proxy(c.reply + R"( 00 00 00 00 00 00 00 00"}, {"echo": true}])");
        connectVia(proxy.port(), c.level, "dest.example", 21);
        ASSERT_TRUE(awaitClosed()) << c.reply;
        EXPECT_EQ(events(), (Log{"socks-connected 0", "socks-error " + c.code + " " + c.message,
                                 "connected " + c.code, "closed " + c.code}))
            << c.reply;
    }
}

TEST_F(SocksTest, MethodNoneAfterOfferingUserCodeSkipsAuthentication) {
    test::ScriptedSocks proxy(R"([{"read": "greeting5"}, {"send": "05 00"},
        {"read": "request5"}, {"send": "05 00 00 01 7f 00 00 01 30 39"}, {"echo": true}])");
    socket.setSocksAuthentication(SocksAuthentication::socksAuthenticateUsercode);
    socket.setSocksUsercode("u");
    connectVia(proxy.port(), "5", "10.9.8.7", 4321);
    ASSERT_TRUE(awaitConnected());
    EXPECT_EQ(events(), (Log{"socks-connected 0", "auth 3", "connected 0"}));
    EXPECT_EQ(socket.boundAddr(), "127.0.0.1");
    EXPECT_EQ(socket.boundPort(), "12345");
    // A dotted destination still travels as a name.
    EXPECT_EQ(proxy.requests(),
              (Log{"050102", "05010003" + hex("\x08") + hex("10.9.8.7") + portHex(4321)}));
}

TEST_F(SocksTest, RepliesSplitOverPacketsAndDataGluedToTheReply) {
    // A type-3 reply with a 9-byte name is 16 bytes long and arrives in three pieces; the
    // application's first bytes come in the same packet as its last piece.
    test::ScriptedSocks proxy(R"([{"read": "greeting5"}, {"send": "05"}, {"sleep": 50},
        {"send": "02"}, {"read": "auth5"}, {"send": "01"}, {"sleep": 50}, {"send": "00"},
        {"read": "request5"}, {"send": "05 00 00 03 09 62 6f"}, {"sleep": 50},
        {"send": "75 6e 64 2e 6e 65"}, {"sleep": 50},
        {"send": "74 04 d2 57 45 4c 43 4f 4d 45"}, {"echo": true}])");
    useUserCode("name", "pw");
    connectVia(proxy.port(), "5", "dest.example", 21);
    ASSERT_TRUE(awaitConnected());
    EXPECT_EQ(events(), (Log{"socks-connected 0", "auth 0", "auth 1", "connected 0"}));
    EXPECT_EQ(socket.boundAddr(), "bound.net");
    EXPECT_EQ(socket.boundPort(), "1234");
    ASSERT_TRUE(loop.runUntil([&] { return received.size() >= 7; }, 10s));
    EXPECT_EQ(received, "WELCOME");
    received.clear();
    EXPECT_EQ(echo("after"), "after");
    EXPECT_EQ(proxy.requests()[1], "0104" + hex("name") + "02" + hex("pw"));
}

TEST_F(SocksTest, ServerClosingMidNegotiationEndsInSessionClosed) {
    // Closed during the authentication, auth 2 (failure) comes before the close.
    const std::pair<std::string, Log> cases[] = {
        {R"({"send": "05 02"}, {"read": "auth5"}, )",
         {"socks-connected 0", "auth 0", "auth 2", "closed 0"}},
        {"", {"socks-connected 0", "closed 0"}},
    };
    socket.setSocksAuthentication(SocksAuthentication::socksAuthenticateUsercode);
    for (const auto& [steps, expected] : cases) {
        log.clear();
        test::ScriptedSocks proxy(R"([{"read": "greeting5"}, )" + steps + R"({"close": true}])");
        connectVia(proxy.port(), "5", "dest.example", 21);
        ASSERT_TRUE(awaitClosed());
        EXPECT_EQ(events(), expected);
    }
}

TEST_F(SocksTest, OverlongRepliesFailInsteadOfWaitingForever) {
    std::string longName;
    for (int i = 0; i < 200; ++i)
        longName += "61 ";
    const std::string cases[] = {
        R"({"send": "05 02"}, {"read": "auth5"}, {"send": "01 00 00"})",
        R"({"send": "05 00"}, {"read": "request5"}, {"send": "05 00 00 03 c8 )" + longName +
            R"(00 15"})",
    };
    socket.setSocksAuthentication(SocksAuthentication::socksAuthenticateUsercode);
    for (const auto& steps : cases) {
        log.clear();
        test::ScriptedSocks proxy(R"([{"read": "greeting5"}, )" + steps + R"(, {"echo": true}])");
        connectVia(proxy.port(), "5", "dest.example", 21);
        ASSERT_TRUE(awaitClosed()) << steps;
        const auto got = events();
        EXPECT_NE(std::find(got.begin(), got.end(), "socks-error 20001 too much data availaible"),
                  got.end())
            << steps;
    }
}

TEST_F(SocksTest, RequestsThatDoNotFitAreRefusedBeforeConnecting) {
    test::ScriptedSocks proxy(R"([{"read": "greeting5"}, {"echo": true}])");
    // The refusal leaves the socket closed; accepted settings leave it connecting.
    auto refusal = [&](const std::string& level, const std::string& host) {
        aim(socket, proxy.port(), level, host, 21);
        const std::string message = test::thrown([&] { socket.connect(); });
        EXPECT_EQ(socket.state() == SocketState::wsClosed, message != "no exception") << message;
        socket.close();
        return message;
    };
    EXPECT_EQ(refusal("5", std::string(122, 'h')), "SOCKS 5: host name exceeds 121 bytes");
    EXPECT_EQ(refusal("5", std::string(257, 'h')), "SOCKS 5: host name exceeds 121 bytes");
    EXPECT_EQ(refusal("5", std::string(121, 'h')), "no exception");
    socket.setSocksUsercode(std::string(120, 'u'));
    EXPECT_EQ(refusal("4", "127.0.0.1"), "SOCKS 4: user code exceeds 119 bytes");
    socket.setSocksUsercode(std::string(100, 'u'));
    EXPECT_EQ(refusal("4A", std::string(19, 'h')),
              "SOCKS 4A: user code and host name together exceed 118 bytes");
    EXPECT_EQ(refusal("4A", std::string(18, 'h')), "no exception");
    socket.setSocksAuthentication(SocksAuthentication::socksAuthenticateUsercode);
    socket.setSocksPassword(std::string(26, 'p'));
    EXPECT_EQ(refusal("5", "h"), "SOCKS 5: user code and password together exceed 125 bytes");
    loop.runUntil([] { return false; }, 200ms);
    for (const auto& request : proxy.requests())
        EXPECT_EQ(request.size(), 6u) << "only greetings of accepted settings may arrive";
}

TEST_F(SocksTest, SettingsAndUnsupportedUses) {
    EXPECT_EQ(test::thrown([&] { socket.setSocksLevel("6"); }),
              "Invalid socks level. Must be 4, 4A or 5.");
    EXPECT_EQ(socket.socksLevel(), "5");
    socket.setSocksServer("127.0.0.1");
    socket.setAddr("0.0.0.0");
    socket.setPort("0");
    EXPECT_EQ(test::thrown([&] { socket.listen(); }),
              "Listening is not supported thru socks server");
    socket.setProto("udp");
    EXPECT_EQ(test::thrown([&] { socket.connect(); }),
              "tcp is the only protocol supported thru socks server");
    socket.setProto("tcp");
    socket.setSocksPort("1080");
    socket.setAddr("");
    EXPECT_EQ(test::thrown([&] { socket.connect(); }), "Connect: No IP Address Specified");
    EXPECT_EQ(socket.socksState(), SocksState::socksData) << "no negotiation without a socket";
}

TEST_F(SocksTest, Socks4DestinationThatCannotBeResolved) {
    test::ScriptedSocks proxy(R"([{"read": "request4"}, {"echo": true}])");
    const std::string name = std::string(64, 'q') + ".invalid";
    connectVia(proxy.port(), "4", name, 21);
    ASSERT_TRUE(awaitClosed());
    EXPECT_EQ(events(), (Log{"socks-connected 0",
                             "socks-error 20017 SocketException ResolveHost: Cannot convert host "
                             "address '" +
                                 name + "', Error #11001",
                             "closed 20017"}));
}

// SOCKS 4 has room for an IPv4 address only: an IPv6 destination is refused before connecting.
TEST_F(SocksTest, Socks4RefusesAnIpv6Destination) {
    test::ScriptedSocks proxy(R"([{"read": "request4"}, {"echo": true}])");
    EXPECT_EQ(test::thrown([&] { connectVia(proxy.port(), "4", "::1", 21); }),
              "SOCKS 4 cannot reach the IPv6 address ::1; use SOCKS 4A or 5");
    EXPECT_EQ(socket.state(), SocketState::wsClosed);
    EXPECT_EQ(events(), Log{});
    EXPECT_TRUE(proxy.requests().empty());
}

TEST_F(SocksTest, HandlersMayDestroyTheSocketDuringTheNegotiation) {
    test::ScriptedSocks proxy(R"([{"read": "greeting5"}, {"send": "05 02"}, {"read": "auth5"},
        {"send": "01 00"}, {"read": "request5"}, {"send": "05 ff 00 01 00 00 00 00 00 00"}])");
    for (int stage = 0; stage < 3; ++stage) {
        auto doomed = std::make_unique<Socket>(loop);
        auto destroy = [&] { doomed.reset(); };
        if (stage == 0)
            doomed->onSocksConnected = [&](int) { destroy(); };
        else if (stage == 1)
            doomed->onSocksAuthState = [&](SocksAuthState) { destroy(); };
        else
            doomed->onSocksError = [&](int, const std::string&) { destroy(); };
        doomed->setSocksAuthentication(SocksAuthentication::socksAuthenticateUsercode);
        aim(*doomed, proxy.port(), "5", "dest.example", 21);
        doomed->connect();
        EXPECT_TRUE(loop.runUntil([&] { return doomed == nullptr; }, 10s)) << stage;
    }
}

TEST_F(SocksTest, UnreachableSocksServer) {
    connectVia(test::freePort(), "5", "dest.example", 21);
    ASSERT_TRUE(awaitClosed());
    EXPECT_EQ(events(), (Log{"socks-connected 10061", "connected 10061", "closed 0"}));
}

}  // namespace
}  // namespace quay

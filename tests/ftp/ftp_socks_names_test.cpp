// Through SOCKS 4A and 5 the server's name goes to the SOCKS server unresolved: a name that only
// the SOCKS server knows (the scripted responder relays it to vsftpd) serves the log-in, a
// listing and a download, control and data connections alike. SOCKS 4, which carries addresses
// only, says why it cannot. The SOCKS server's own name is the one looked up here, and its
// addresses are tried in turn.
#include <gtest/gtest.h>

#include "ftp_harness.h"
#include "ftp_servers.h"
#include "net/dns_lookup.h"
#include "scripted_socks.h"
#include "silent_listener.h"
#include "socks_servers.h"
#include "test_name_server.h"

namespace quay::test {
namespace {

// Reserved never to resolve (RFC 6761).
const std::string OnlyAtProxy = "ftp-only-at-proxy.invalid";

std::string bytesOfHex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

int portOf(const std::string& twoBytes) {
    return static_cast<unsigned char>(twoBytes[0]) << 8 | static_cast<unsigned char>(twoBytes[1]);
}

struct Request {
    std::string host;
    int port = 0;
};

// The destination of a logged SOCKS 5 connect request, which must name it (address type 3).
Request socks5Destination(const std::string& bytes) {
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x05\x01\x00\x03", 4));
    const std::size_t length = static_cast<unsigned char>(bytes[4]);
    return {bytes.substr(5, length), portOf(bytes.substr(5 + length, 2))};
}

// The destination of a logged SOCKS 4A request: address 0.0.0.1, user id, then the name.
Request socks4aDestination(const std::string& bytes) {
    EXPECT_EQ(bytes.substr(4, 4), std::string("\0\0\0\x01", 4));
    const std::size_t hostAt = bytes.find('\0', 8) + 1;
    return {bytes.substr(hostAt, bytes.find('\0', hostAt) - hostAt), portOf(bytes.substr(2, 2))};
}

struct Level {
    FtpConnectionType type;
    const char* name;
    // The responder's steps up to the relay.
    const char* handshake;
};

const Level Socks5{FtpConnectionType::ftpSocks5, "Socks5",
                   R"({"read": "greeting5"}, {"send": "05 02"}, {"read": "auth5"},
                      {"send": "01 00"}, {"read": "request5"})"};
const Level Socks4A{FtpConnectionType::ftpSocks4A, "Socks4A", R"({"read": "request4"})"};

void PrintTo(const Level& level, std::ostream* out) {
    *out << level.name;
}

std::string relayScript(const Level& level) {
    return std::string("[") + level.handshake + R"(, {"relay": {")" + OnlyAtProxy +
           R"(": "127.0.0.1"}}])";
}

// vsftpd on 127.0.0.1 serving blob.bin, reached by the name OnlyAtProxy.
class SocksSession : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(root.path() / "blob.bin", blob);
        server.start(root.path());
        h.target(server.port(), server.user(), server.password());
        h.ftp.setHostName(OnlyAtProxy);
    }

    void useSocks(FtpConnectionType type, const std::string& socksServer, int socksPort) {
        h.ftp.setConnectionType(type);
        h.ftp.setSocksServer(socksServer);
        h.ftp.setSocksPort(std::to_string(socksPort));
        h.ftp.setSocksUserCode("sockuser");
        h.ftp.setSocksPassword("sockpass");
    }

    // Logs in, downloads blob.bin and lists the directory, through the SOCKS server.
    void loginDownloadAndList() {
        ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
        ASSERT_TRUE(h.ftp.passive());
        ASSERT_TRUE(h.ftp.typeBinary());
        h.ftp.setHostFileName("blob.bin");
        h.ftp.setLocalFileName((work.path() / "blob.bin").string());
        ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
        EXPECT_TRUE(readFile(work.path() / "blob.bin") == blob);
        h.ftp.setHostFileName("");
        h.ftp.setLocalFileName((work.path() / "list.txt").string());
        ASSERT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
        EXPECT_NE(readFile(work.path() / "list.txt").find("blob.bin"), std::string::npos);
        ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
        std::filesystem::remove(work.path() / "blob.bin");
    }

    const std::string blob = randomBytes(700000, 19);
    TempDir root;
    TempDir work;
    VsftpdServer server;
    FtpHarness h;
};

class SocksNames : public SocksSession, public ::testing::WithParamInterface<Level> {
protected:
    // The destinations of the connect requests the responder logged.
    std::vector<Request> destinations(const ScriptedSocks& proxy) const {
        std::vector<Request> found;
        for (const std::string& line : proxy.requests()) {
            const std::string bytes = bytesOfHex(line);
            const bool socks5 = GetParam().type == FtpConnectionType::ftpSocks5;
            if (socks5 && bytes.starts_with(std::string("\x05\x01\x00", 3)))
                found.push_back(socks5Destination(bytes));
            else if (GetParam().type == FtpConnectionType::ftpSocks4A)
                found.push_back(socks4aDestination(bytes));
        }
        return found;
    }
};

TEST_P(SocksNames, NameOnlyTheSocksServerKnowsServesTheWholeSession) {
    std::vector<std::string> local;
    ASSERT_NE(lookupAddresses(OnlyAtProxy, local), 0) << "the name resolves on this machine";
    ScriptedSocks proxy(relayScript(GetParam()));
    useSocks(GetParam().type, "127.0.0.1", proxy.port());
    loginDownloadAndList();
    EXPECT_EQ(h.loggedStarting("! " + OnlyAtProxy), 0) << h.logText();
    EXPECT_EQ(h.ftp.dataSocket().remoteAddress().port(), proxy.port());

    // The control connection and both data connections named the server, never an address
    // (nor the bound address 192.0.2.7 that the SOCKS 5 replies report).
    const std::vector<Request> sent = destinations(proxy);
    ASSERT_EQ(sent.size(), 3u) << h.logText();
    EXPECT_EQ(sent[0].port, server.port());
    for (const Request& request : sent)
        EXPECT_EQ(request.host, OnlyAtProxy);
    EXPECT_NE(sent[1].port, server.port());

    // A name the SOCKS server cannot reach fails with its answer, once.
    h.ftp.setHostName("elsewhere.invalid");
    const bool socks5 = GetParam().type == FtpConnectionType::ftpSocks5;
    const std::size_t requestsBefore = h.done.size();
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }),
              socks5 ? sockserr::HostUnreachable : sockserr::RequestRejected);
    EXPECT_EQ(h.done.size(), requestsBefore + 1);
    const std::string refusal =
        socks5 ? "SOCKS: host unreachable" : "SOCKS: request rejected or failed";
    EXPECT_EQ(h.ftp.errorMessage(), "500 " + refusal);
    EXPECT_TRUE(h.logged("! elsewhere.invalid through the SOCKS server 127.0.0.1: " + refusal))
        << h.logText();
}

// The SOCKS server's name stands for ::1 and 127.0.0.1 in a hosts file of the test's own; the
// responder listens on 127.0.0.1 only. ::1 refuses, then stays silent: either way the next
// address takes over, and the data connections use the address that answered.
TEST_P(SocksNames, EverySocksServerAddressIsTriedInTurn) {
    if (!useHostsFile("::1 socks.quayside.test\n127.0.0.1 socks.quayside.test\n"))
        GTEST_SKIP() << "no hosts file of the test's own (needs root and a mount namespace)";
    ScriptedSocks proxy(relayScript(GetParam()));
    useSocks(GetParam().type, "socks.quayside.test", proxy.port());
    const std::string viaIpv6 = "! " + OnlyAtProxy + " through the SOCKS server ::1: ";
    loginDownloadAndList();
    EXPECT_EQ(h.loggedStarting("! " + OnlyAtProxy), 1) << h.logText();
    EXPECT_TRUE(h.logged(viaIpv6 + "Connection refused")) << h.logText();
    EXPECT_EQ(h.ftp.controlSocket().remoteAddress().text(), "127.0.0.1");
    EXPECT_EQ(h.ftp.dataSocket().remoteAddress().text(), "127.0.0.1");

    {
        const SilentIpv6Listener silent(proxy.port());
        h.ftp.setIdleTimeout(1);
        ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
        EXPECT_EQ(h.loggedCount(viaIpv6 + "no connection within 1 seconds"), 1) << h.logText();
        ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
    }

    // With no address answering, the request fails once, with the last one's error.
    h.ftp.setSocksPort(std::to_string(freePort()));
    const std::size_t requestsBefore = h.done.size();
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), sockerr::ConnectionRefused);
    EXPECT_EQ(h.done.size(), requestsBefore + 1);
    EXPECT_TRUE(h.logged("! " + OnlyAtProxy +
                         " through the SOCKS server 127.0.0.1: "
                         "Connection refused"))
        << h.logText();
}

INSTANTIATE_TEST_SUITE_P(Levels, SocksNames, ::testing::Values(Socks5, Socks4A),
                         [](const auto& info) { return std::string(info.param.name); });

// The real SOCKS 5 servers take the name and resolve it themselves (through a hosts file of the
// test's own, which the servers started after it read too). dante answers SOCKS 4A requests
// with 91 (rejected) here, so 4A is the scripted responder's above.
TEST_F(SocksSession, RealSocksServersResolveTheName) {
    if (!useHostsFile("127.0.0.1 " + OnlyAtProxy + "\n"))
        GTEST_SKIP() << "no hosts file of the test's own (needs root and a mount namespace)";
    MicrosocksServer microsocks;
    microsocks.start("sockuser", "sockpass");
    DantedServer dante;
    dante.start();
    struct Way {
        int port;
        const char* user;
        const char* password;
    };
    // dante checks quaytest through the tests' PAM service.
    for (const Way way : {Way{microsocks.port(), "sockuser", "sockpass"},
                          Way{dante.port(), "quaytest", "quaytest"}}) {
        SCOPED_TRACE(way.port);
        useSocks(FtpConnectionType::ftpSocks5, "127.0.0.1", way.port);
        h.ftp.setSocksUserCode(way.user);
        h.ftp.setSocksPassword(way.password);
        loginDownloadAndList();
        EXPECT_EQ(h.ftp.dataSocket().remoteAddress().port(), way.port);
    }
    EXPECT_EQ(h.loggedStarting("! " + OnlyAtProxy), 0) << h.logText() << dante.log();
}

// A name that does not resolve here fails before the SOCKS server is contacted, saying what it
// was: the FTP server's under SOCKS 4, which sends addresses only, and under SOCKS 5 the SOCKS
// server's own.
TEST(SocksLookup, FailureNamesWhatCouldNotBeResolved) {
    // Both names go to a name server of the test's own, which knows neither.
    TestNameServer names(TestNameServer::Answer::NoSuchName);
    if (!names.use(""))
        GTEST_SKIP() << "a name server of the test's own needs root";
    ScriptedSocks proxy(relayScript(Socks4A));
    FtpHarness h;
    h.target(freePort(), "quaytest", "quaytest");
    h.ftp.setHostName(OnlyAtProxy);
    h.ftp.setConnectionType(FtpConnectionType::ftpSocks4);
    h.ftp.setSocksServer("127.0.0.1");
    h.ftp.setSocksPort(std::to_string(proxy.port()));
    const auto lookupFailure = [&] {
        EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), sockerr::HostNotFound);
        return "500 " + socketErrorText(sockerr::HostNotFound);
    };
    EXPECT_EQ(lookupFailure() + ": " + OnlyAtProxy +
                  " (SOCKS 4 sends the server's address, so its name must resolve here; SOCKS "
                  "4A and 5 let the SOCKS server look it up)",
              h.ftp.errorMessage());

    h.ftp.setConnectionType(FtpConnectionType::ftpSocks5);
    h.ftp.setSocksServer("socks-server.invalid");
    EXPECT_EQ(lookupFailure() + " (SOCKS server socks-server.invalid)", h.ftp.errorMessage());
    EXPECT_EQ(h.done.size(), 2u);
    EXPECT_TRUE(proxy.requests().empty());
    EXPECT_TRUE(names.asked(OnlyAtProxy) && names.asked("socks-server.invalid"));
}

}  // namespace
}  // namespace quay::test

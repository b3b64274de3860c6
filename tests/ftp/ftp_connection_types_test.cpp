// Connection types: the FTP proxy, SOCKS 4 and 5 (real servers), and the settings rules.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "ftp_harness.h"
#include "ftp_servers.h"
#include "socks_servers.h"
#include "test_support.h"

namespace quay::test {
namespace {

TEST(ConnectionTypes, TypeRulesForPassiveAndSocks) {
    PollLoop loop;
    FtpClient ftp(loop);
    ftp.setConnectionType(FtpConnectionType::ftpSocks4);
    ftp.setPassive(false);
    EXPECT_TRUE(ftp.passive());
    EXPECT_EQ(ftp.controlSocket().socksLevel(), "4");
    EXPECT_EQ(ftp.dataSocket().socksAuthentication(),
              SocksAuthentication::socksAuthenticateUsercode);
    ftp.setConnectionType(FtpConnectionType::ftpSocks4A);
    EXPECT_EQ(ftp.dataSocket().socksLevel(), "4A");
    ftp.setConnectionType(FtpConnectionType::ftpSocks5);
    EXPECT_EQ(ftp.controlSocket().socksLevel(), "5");
    ftp.setConnectionType(FtpConnectionType::ftpDirect);
    EXPECT_TRUE(ftp.passive());  // until setPassive says otherwise
    EXPECT_EQ(ftp.dataSocket().socksAuthentication(), SocksAuthentication::socksNoAuthentication);
    ftp.setConnectionType(static_cast<FtpConnectionType>(9));
    EXPECT_EQ(ftp.connectionType(), FtpConnectionType::ftpDirect);
}

TEST(ConnectionTypes, PreconditionsThrowAndSendNothing) {
    PollLoop loop;
    FtpClient ftp(loop);
    EXPECT_EQ(thrownMessage([&] { ftp.userAsync(); }), "UserName emtpy");
    EXPECT_EQ(thrownMessage([&] { ftp.passAsync(); }), "Password emtpy");
    EXPECT_EQ(thrownMessage([&] { ftp.cwdAsync(); }), "HostDirName emtpy");
    EXPECT_EQ(thrownMessage([&] { ftp.pwdAsync(); }), "Quayside is not connected");
    // An empty host name cannot even be looked up; the client stays ready.
    EXPECT_THROW(ftp.openAsync(), std::exception);
    EXPECT_EQ(ftp.state(), FtpState::fsReady);
}

TEST(ConnectionTypes, RefusedConnectionReportsTheSocketError) {
    FtpHarness h;
    h.target(freePort(), "joe", "pw");
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), 10061);
    EXPECT_EQ(h.ftp.lastResponse(), "500 Connection refused");
    EXPECT_EQ(h.ftp.errorMessage(), h.ftp.lastResponse());
    EXPECT_EQ(h.ftp.statusCode(), 500);
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
    EXPECT_EQ(h.sessionClosed, 0);
}

class ThroughIntermediary : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(root.path() / "data.txt", payload);
        server.start(root.path());
        h.target(server.port(), server.user(), server.password());
    }
    // Logs in, downloads data.txt in passive mode and quits.
    void session() {
        ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
        EXPECT_TRUE(h.ftp.passive());
        h.ftp.setHostFileName("data.txt");
        h.ftp.setLocalFileName((work.path() / "data.txt").string());
        ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
        EXPECT_EQ(readFile(work.path() / "data.txt"), payload);
        if (socksPort != 0) {
            // Both connections went to the SOCKS server, not straight to the FTP server.
            EXPECT_EQ(h.ftp.controlSocket().remoteAddress().port(), socksPort);
            EXPECT_EQ(h.ftp.dataSocket().remoteAddress().port(), socksPort);
        }
        ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
        std::filesystem::remove(work.path() / "data.txt");
    }

    void useSocks(FtpConnectionType type, int port, const std::string& user,
                  const std::string& password) {
        socksPort = static_cast<std::uint16_t>(port);
        h.ftp.setConnectionType(type);
        h.ftp.setSocksServer("127.0.0.1");
        h.ftp.setSocksPort(std::to_string(port));
        h.ftp.setSocksUserCode(user);
        h.ftp.setSocksPassword(password);
    }

    const std::string payload = std::string(70000, 'p') + "end";
    std::uint16_t socksPort = 0;
    TempDir root;
    TempDir work;
    VsftpdServer server;
    FtpHarness h;
};

TEST_F(ThroughIntermediary, FtpProxyWithUserAtHostAndPort) {
    FtpProxyServer proxy;
    proxy.start();
    h.ftp.setConnectionType(FtpConnectionType::ftpProxy);
    h.ftp.setProxyServer("127.0.0.1");
    h.ftp.setProxyPort(std::to_string(proxy.port()));
    session();
    EXPECT_TRUE(h.logged("> USER quaytest@127.0.0.1:" + std::to_string(server.port())));
}

TEST_F(ThroughIntermediary, Socks5WithUserAndPasswordForEverySession) {
    MicrosocksServer socks;
    socks.start("sockuser", "sockpass");
    useSocks(FtpConnectionType::ftpSocks5, socks.port(), "sockuser", "sockpass");
    session();
    session();
    h.ftp.setSocksPassword("wrong");
    EXPECT_NE(h.run([&] { h.ftp.connectAsync(); }), 0);
    EXPECT_FALSE(h.ftp.connected());
    // With the SOCKS server gone, a session fails: it does not go direct.
    h.ftp.setSocksPassword("sockpass");
    socks.stop();
    EXPECT_NE(h.run([&] { h.ftp.connectAsync(); }), 0);
}

TEST_F(ThroughIntermediary, DanteSocks4And5) {
    DantedServer socks;
    socks.start();
    for (auto type : {FtpConnectionType::ftpSocks4, FtpConnectionType::ftpSocks5}) {
        SCOPED_TRACE(static_cast<int>(type));
        useSocks(type, socks.port(), "quaytest", "quaytest");
        session();
    }
}

}  // namespace
}  // namespace quay::test

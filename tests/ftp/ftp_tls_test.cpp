// FTPS against real servers: vsftpd (explicit and implicit, TLS forced on log-ins and data,
// session reuse required) and pure-ftpd (--tls=3).
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "ftp_harness.h"
#include "ftp_servers.h"
#include "recording_relay.h"
#include "socks_servers.h"
#include "test_support.h"
#include "tls_peers.h"

namespace quay::test {
namespace {

namespace fs = std::filesystem;

struct TlsServerCase {
    FtpServerKind kind;
    FtpSecurity security;
    const char* name;
};

class FtpsServer : public ::testing::TestWithParam<TlsServerCase> {
protected:
    void SetUp() override {
        std::mt19937 gen(11);
        for (auto& c : blob)
            c = static_cast<char>(gen());
        writeFile(root.path() / "blob.bin", blob);
        server = makeFtpServer(GetParam().kind);
        server->useTls(certificate, implicit());
        server->start(root.path());
        h.target(server->port(), server->user(), server->password());
        h.ftp.setSecurity(GetParam().security);
    }
    bool implicit() const { return GetParam().security == FtpSecurity::ftpTlsImplicit; }
    // Logs in trusting the test certificate.
    void connect() {
        h.ftp.setTrustedFingerprint(certificate.sha256());
        ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText() << server->log();
    }
    int indexOf(const std::string& line) const {
        for (std::size_t i = 0; i < h.log.size(); ++i)
            if (h.log[i] == line)
                return static_cast<int>(i);
        return -1;
    }
    std::string local(const std::string& name) const { return (work.path() / name).string(); }
    fs::path remote(const std::string& name) const { return root.path() / name; }

    std::string blob = std::string(2 * 1024 * 1024 + 5, '\0');
    TestCertificate certificate;
    TempDir root;
    TempDir work;
    std::unique_ptr<FtpServer> server;
    FtpHarness h;
};

TEST_P(FtpsServer, LogInIsProtectedBeforeUserAndDataFollowsProtP) {
    connect();
    const int user = indexOf("> USER quaytest");
    ASSERT_GE(user, 0);
    EXPECT_EQ(h.loggedStarting("! TLS connection: TLSv1."), 1) << h.logText();
    EXPECT_LT(h.loggedStarting("! TLS connection:"), user);
    if (!implicit()) {
        EXPECT_LT(indexOf("> AUTH TLS"), user);
    }
    EXPECT_GT(indexOf("> PBSZ 0"), user);
    EXPECT_GT(indexOf("> PROT P"), indexOf("> PBSZ 0"));
    EXPECT_EQ(h.ftp.tlsVersion().substr(0, 6), "TLSv1.");
}

TEST_P(FtpsServer, TransfersAreByteExactInBothModesAndResume) {
    connect();
    for (const bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        h.ftp.setPassive(passive);
        ASSERT_TRUE(h.ftp.typeBinary());
        h.ftp.setHostFileName("blob.bin");
        h.ftp.setLocalFileName(local("blob.bin"));
        ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText() << server->log();
        EXPECT_TRUE(readFile(local("blob.bin")) == blob);

        const std::string up = passive ? "up-passive.bin" : "up-active.bin";
        h.ftp.setHostFileName(up);
        ASSERT_EQ(h.run([&] { h.ftp.putAsync(); }), 0) << h.logText() << server->log();
        EXPECT_TRUE(readFile(remote(up)) == blob);
    }
    // Resumed download: the local file holds the first bytes.
    h.ftp.setPassive(true);
    writeFile(local("part.bin"), blob.substr(0, 1000));
    h.ftp.setHostFileName("blob.bin");
    h.ftp.setLocalFileName(local("part.bin"));
    ASSERT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 0) << h.logText();
    EXPECT_TRUE(h.logged("> REST 1000"));
    EXPECT_TRUE(readFile(local("part.bin")) == blob);
    // A listing is a data connection too.
    h.ftp.setDisplayFileFlag(true);
    h.ftp.setHostFileName("");
    ASSERT_EQ(h.run([&] { h.ftp.lsAsync(); }), 0) << h.logText();
    EXPECT_NE(std::find(h.displayedFileLines.begin(), h.displayedFileLines.end(), "blob.bin"),
              h.displayedFileLines.end());
}

TEST_P(FtpsServer, AnUntrustedCertificateStopsBeforeUserUntilAccepted) {
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), kFtpCertificateNotTrusted);
    EXPECT_EQ(h.loggedStarting("> USER"), 0) << h.logText();
    EXPECT_EQ(h.loggedStarting("! The server's certificate is not trusted (self-signed"), 1);
    EXPECT_TRUE(h.ftp.connected());
    EXPECT_EQ(h.ftp.peerCertificate().sha256, certificate.sha256());

    // Another fingerprint trusted for the server: still not this certificate.
    h.ftp.abortAsync();
    h.ftp.setTrustedFingerprint("00:11");
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), kFtpCertificateNotTrusted);
    ASSERT_EQ(h.run([&] { h.ftp.continueLoginAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.loggedCount("> USER quaytest"), 1);
    EXPECT_TRUE(h.logged("> PROT P"));
    h.ftp.setDisplayFileFlag(true);
    h.ftp.setPassive(true);
    ASSERT_EQ(h.run([&] { h.ftp.lsAsync(); }), 0) << h.logText();
}

TEST_P(FtpsServer, TheUserNameAndPasswordNeverCrossInClear) {
    RecordingRelay relay(server->port());
    h.target(relay.port(), server->user(), server->password());
    connect();
    h.ftp.setPassive(true);
    h.ftp.setDisplayFileFlag(true);
    ASSERT_EQ(h.run([&] { h.ftp.lsAsync(); }), 0) << h.logText();
    ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
    const std::string sent = relay.clientBytes();
    EXPECT_FALSE(sent.empty());
    EXPECT_EQ(sent.find("quaytest"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("PASS"), std::string::npos);
    if (!implicit()) {
        EXPECT_EQ(sent.rfind("AUTH TLS\r\n", 0), 0u) << "the only command in clear";
    }
}

TEST_P(FtpsServer, ThroughSocks5EveryConnectionIsTlsToo) {
    MicrosocksServer socks;
    socks.start("sockuser", "sockpass");
    h.ftp.setConnectionType(FtpConnectionType::ftpSocks5);
    h.ftp.setSocksServer("127.0.0.1");
    h.ftp.setSocksPort(std::to_string(socks.port()));
    h.ftp.setSocksUserCode("sockuser");
    h.ftp.setSocksPassword("sockpass");
    connect();
    ASSERT_TRUE(h.ftp.typeBinary());
    h.ftp.setHostFileName("blob.bin");
    h.ftp.setLocalFileName(local("socks.bin"));
    ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText() << server->log();
    EXPECT_TRUE(readFile(local("socks.bin")) == blob);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, FtpsServer,
    ::testing::Values(
        TlsServerCase{FtpServerKind::Vsftpd, FtpSecurity::ftpTlsRequired, "VsftpdExplicit"},
        TlsServerCase{FtpServerKind::Vsftpd, FtpSecurity::ftpTlsImplicit, "VsftpdImplicit"},
        TlsServerCase{FtpServerKind::PureFtpd, FtpSecurity::ftpTlsIfOffered, "PureFtpdExplicit"}),
    [](const ::testing::TestParamInfo<TlsServerCase>& info) {
        return std::string(info.param.name);
    });

// A certificate the trust store vouches for logs in without any question; one for another
// name does not.
TEST(FtpsTrust, AVerifiedCertificateNeedsNoQuestionAnotherNameDoes) {
    TestAuthority authority;
    ::setenv("SSL_CERT_FILE", authority.caFile().c_str(), 1);
    for (const std::string names : {"IP:127.0.0.1", "DNS:ftp.example.org"}) {
        SCOPED_TRACE(names);
        TestCertificate certificate(authority, "server", names);
        TempDir root;
        VsftpdServer server;
        server.useTls(certificate);
        server.start(root.path());
        FtpHarness h;
        h.target(server.port(), server.user(), server.password());
        h.ftp.setSecurity(FtpSecurity::ftpTlsRequired);
        const bool rightName = names == "IP:127.0.0.1";
        EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), rightName ? 0 : kFtpCertificateNotTrusted)
            << h.logText();
        EXPECT_EQ(h.logged("> USER quaytest"), rightName);
        if (!rightName) {
            EXPECT_EQ(h.ftp.peerCertificate().reason, "IP address mismatch");
        }
    }
    ::unsetenv("SSL_CERT_FILE");
}

// The secure modes against a server that does not offer TLS, and through an FTP proxy.
class FtpsRefusals : public ::testing::Test {
protected:
    void SetUp() override {
        server.start(root.path());
        h.target(server.port(), server.user(), server.password());
    }
    TempDir root;
    VsftpdServer server;
    FtpHarness h;
};

TEST_F(FtpsRefusals, RequiredStopsWithoutUserAndIfOfferedFallsBackWithANote) {
    h.ftp.setSecurity(FtpSecurity::ftpTlsRequired);
    EXPECT_NE(h.run([&] { h.ftp.connectAsync(); }), 0);
    EXPECT_TRUE(h.logged("> AUTH TLS"));
    EXPECT_EQ(h.loggedStarting("> USER"), 0) << h.logText();
    EXPECT_EQ(h.loggedStarting("! The server did not accept AUTH TLS; FTPS is required"), 1);
    h.ftp.abortAsync();

    h.log.clear();
    h.ftp.setSecurity(FtpSecurity::ftpTlsIfOffered);
    ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.loggedStarting("! The server refused AUTH TLS; logging in without encryption"), 1);
    EXPECT_TRUE(h.logged("> USER quaytest"));
    EXPECT_FALSE(h.logged("> PROT P"));
    EXPECT_EQ(h.ftp.tlsVersion(), "");
    h.ftp.setPassive(true);
    h.ftp.setDisplayFileFlag(true);
    EXPECT_EQ(h.run([&] { h.ftp.lsAsync(); }), 0) << h.logText();
}

TEST_F(FtpsRefusals, AnFtpProxyIsRefusedBeforeAnythingIsSent) {
    RecordingRelay relay(server.port());
    h.ftp.setConnectionType(FtpConnectionType::ftpProxy);
    h.ftp.setProxyServer("127.0.0.1");
    h.ftp.setProxyPort(std::to_string(relay.port()));
    h.ftp.setSecurity(FtpSecurity::ftpTlsIfOffered);
    EXPECT_EQ(thrownMessage([&] { h.ftp.connectAsync(); }),
              "FTPS cannot pass through an FTP proxy; not connecting");
    EXPECT_TRUE(h.logged("! FTPS cannot pass through an FTP proxy; not connecting"));
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
    h.pumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(relay.clientBytes(), "");
    EXPECT_FALSE(h.ftp.connected());
}

}  // namespace
}  // namespace quay::test

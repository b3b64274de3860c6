// IPv6 and the data-connection commands: vsftpd on [::1] with EPSV and EPRT, and scripted IPv4
// servers that refuse EPSV or answer it with replies no data connection can be made from.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>

#include "ftp_servers.h"
#include "scripted_commands.h"
#include "scripted_fixture.h"
#include "socks_servers.h"

namespace quay::test {
namespace {

namespace fs = std::filesystem;

TEST(Ipv6Server, TransfersByteForByteOverEpsvAndEprt) {
    TempDir root;
    TempDir work;
    const std::string blob = randomBytes(2 * 1024 * 1024 + 33, 11);
    writeFile(root.path() / "blob.bin", blob);
    VsftpdServer server;
    server.listenOnIpv6();
    server.start(root.path());
    FtpHarness h;
    h.target(server.port(), server.user(), server.password());
    h.ftp.setHostName("::1");
    ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
    ASSERT_TRUE(h.ftp.typeBinary());
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        h.ftp.setPassive(passive);
        const fs::path local = work.path() / (passive ? "p.bin" : "a.bin");
        h.ftp.setHostFileName("blob.bin");
        h.ftp.setLocalFileName(local.string());
        ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
        EXPECT_TRUE(readFile(local) == blob);
        const std::string up = passive ? "up-passive.bin" : "up-active.bin";
        h.ftp.setHostFileName(up);
        ASSERT_EQ(h.run([&] { h.ftp.putAsync(); }), 0) << h.logText();
        EXPECT_TRUE(readFile(root.path() / up) == blob);
    }
    EXPECT_EQ(h.loggedStarting("> EPSV"), 2) << h.logText();
    EXPECT_EQ(h.loggedStarting("> EPRT |2|::1|"), 2);
    EXPECT_EQ(h.loggedStarting("> PASV") + h.loggedStarting("> PORT"), 0);
}

// SOCKS 5 (microsocks and dante) carries the control and the EPSV data connection to [::1];
// SOCKS 4 has no room for an IPv6 address and says so before connecting.
TEST(Ipv6Server, ThroughSocks5ButNotSocks4) {
    TempDir root;
    TempDir work;
    const std::string blob = randomBytes(300000, 5);
    writeFile(root.path() / "blob.bin", blob);
    VsftpdServer server;
    server.listenOnIpv6();
    server.start(root.path());
    MicrosocksServer microsocks;
    microsocks.start("sockuser", "sockpass");
    DantedServer dante;
    dante.start();
    FtpHarness h;
    h.target(server.port(), server.user(), server.password());
    h.ftp.setHostName("::1");
    struct Socks5 {
        int port;
        const char* user;
    };
    for (const Socks5 socks : {Socks5{microsocks.port(), "sockuser"}, Socks5{dante.port(), ""}}) {
        SCOPED_TRACE(socks.port);
        h.ftp.setConnectionType(FtpConnectionType::ftpSocks5);
        h.ftp.setSocksServer("127.0.0.1");
        h.ftp.setSocksPort(std::to_string(socks.port));
        // dante checks quaytest through the tests' PAM service.
        h.ftp.setSocksUserCode(*socks.user ? socks.user : "quaytest");
        h.ftp.setSocksPassword(*socks.user ? "sockpass" : "quaytest");
        ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
        ASSERT_TRUE(h.ftp.typeBinary());
        h.ftp.setHostFileName("blob.bin");
        h.ftp.setLocalFileName((work.path() / "blob.bin").string());
        ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
        EXPECT_TRUE(readFile(work.path() / "blob.bin") == blob);
        EXPECT_EQ(h.ftp.dataSocket().remoteAddress().port(), socks.port);
        ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
        fs::remove(work.path() / "blob.bin");
    }
    EXPECT_EQ(h.loggedCount("> EPSV"), 2);

    h.ftp.setConnectionType(FtpConnectionType::ftpSocks4);
    const std::string refusal =
        "SocketException: SOCKS 4 cannot reach the IPv6 address ::1; use "
        "SOCKS 4A or 5";
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), 500);
    EXPECT_EQ(h.ftp.errorMessage(), "500 " + refusal);
    EXPECT_EQ(h.loggedCount("! ::1: " + refusal), 1) << h.logText();
}

// A name with an IPv6 and an IPv4 address (in a hosts file of the test's own): the addresses
// are tried in the resolver's order (::1 first); each refused one is one "! " line, and the
// request ends once, whether an address connected or none did.
TEST(DualStackName, EveryAddressIsTriedInTurn) {
    if (!useHostsFile("::1 dual.quayside.test\n127.0.0.1 dual.quayside.test\n"))
        GTEST_SKIP() << "no hosts file of the test's own (needs root and a mount namespace)";
    TempDir root;
    writeFile(root.path() / "hello.txt", "hello");
    VsftpdServer server;  // on 127.0.0.1 only
    server.start(root.path());
    FtpHarness h;
    h.target(server.port(), server.user(), server.password());
    h.ftp.setHostName("dual.quayside.test");
    ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.loggedStarting("! "), 1) << h.logText();
    EXPECT_TRUE(h.logged("! ::1: Connection refused"));
    EXPECT_EQ(h.ftp.controlSocket().peerAddr(), "127.0.0.1");
    ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);

    h.ftp.setPort(std::to_string(freePort()));
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), sockerr::ConnectionRefused);
    EXPECT_EQ(h.loggedCount("! ::1: Connection refused"), 2);
    EXPECT_EQ(h.loggedCount("! 127.0.0.1: Connection refused"), 1) << h.logText();
    EXPECT_EQ(h.done.size(), 3u);
}

// An address that never answers (a listener on [::1] whose backlog is full drops the connection
// request) is given up after the idle time-out for the next address of the name.
TEST(DualStackName, SilentAddressHandsOnAfterTheTimeOut) {
    if (!useHostsFile("::1 dual.quayside.test\n127.0.0.1 dual.quayside.test\n"))
        GTEST_SKIP() << "no hosts file of the test's own (needs root and a mount namespace)";
    TempDir root;
    VsftpdServer server;  // on 127.0.0.1 only
    server.start(root.path());
    const int full = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    address.sin6_port = htons(static_cast<std::uint16_t>(server.port()));
    ASSERT_EQ(bind(full, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(full, 0), 0);
    const int filler = socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_EQ(connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    FtpHarness h;
    h.target(server.port(), server.user(), server.password());
    h.ftp.setHostName("dual.quayside.test");
    h.ftp.setIdleTimeout(1);
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.loggedCount("! ::1: no connection within 1 seconds"), 1) << h.logText();
    EXPECT_EQ(h.ftp.controlSocket().peerAddr(), "127.0.0.1");
    close(filler);
    close(full);
}

// A refused connection is one "! " line naming the address, and one failed request.
TEST(Ipv6Server, RefusedAddressIsNamedOnce) {
    FtpHarness h;
    h.target(freePort(), "joe", "secret");
    h.ftp.setHostName("[::1]");
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), sockerr::ConnectionRefused);
    EXPECT_EQ(h.loggedStarting("! ::1: Connection refused"), 1) << h.logText();
    EXPECT_EQ(h.done.size(), 1u);
    EXPECT_EQ(h.ftp.errorMessage(), "500 Connection refused");
}

void sendListing(ScriptedFtpSession& s) {
    s.acceptData();
    s.reply("150 Go");
    s.sendData("entry\r\n");
    s.closeData();
    s.reply("226 Done");
}

// Listings through the shared answers of a scripted server, counted per session.
class EpsvChoice : public ScriptedFtp {
protected:
    // Serves `sessions` sessions; the first EPSV of session i is answered with refusals[i]
    // (empty: 229), later commands by the shared answers, LIST with one line.
    void serve(std::vector<std::string> refusals) {
        start([this, refusals](ScriptedFtpSession& s) {
            s.refuseEpsv = false;
            const std::string refusal = refusals[static_cast<std::size_t>(sessions++)];
            login(s);
            std::string cwd = "/";
            while (const auto command = nextCommand(s)) {
                if (command->verb == "EPSV" && !refusal.empty())
                    s.reply(refusal);
                else if (command->verb == "LIST")
                    sendListing(s);
                else if (command->verb == "QUIT")
                    s.reply("221 Bye");
                else if (!answerSessionCommand(s, *command, cwd))
                    s.reply("500 Unknown");
            }
        });
        h.ftp.setPassive(true);
        h.ftp.setDisplayFileFlag(true);
    }
    void list(int expected) {
        EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), expected) << h.logText();
    }
    std::vector<std::string> dataCommands() const {
        std::vector<std::string> sent;
        for (const std::string& line : server->commands())
            if (line == "EPSV" || line == "PASV" || line == "LIST")
                sent.push_back(line);
        return sent;
    }
    std::atomic<int> sessions{0};
};

// One EPSV per session: a 500 or 502 switches that session to PASV; the next session asks
// again, and a server that takes EPSV keeps getting it.
TEST_F(EpsvChoice, RefusedEpsvFallsBackToPasvForTheRestOfTheSession) {
    serve({"500 EPSV: command not understood", "502 Not implemented", ""});
    for (int session = 0; session < 3; ++session) {
        ASSERT_EQ(connect(), 0) << h.logText();
        list(0);
        list(0);
        ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
        ASSERT_TRUE(h.pumpUntil([&] { return !h.ftp.connected(); }));
    }
    using V = std::vector<std::string>;
    EXPECT_EQ(dataCommands(), (V{"EPSV", "PASV", "LIST", "PASV", "LIST",  //
                                 "EPSV", "PASV", "LIST", "PASV", "LIST",  //
                                 "EPSV", "LIST", "EPSV", "LIST"}));
    EXPECT_EQ(h.displayedFileLines.size(), 6u);
    // The refusal was not the listing's error.
    EXPECT_EQ(h.ftp.errorMessage(), "");
}

// Any other refusal is the listing's failure; PASV is not tried and the session goes on.
TEST_F(EpsvChoice, OtherRefusalFailsTheRequest) {
    serve({"425 Cannot open data connection"});
    ASSERT_EQ(connect(), 0);
    list(425);
    EXPECT_EQ(h.ftp.errorMessage(), "425 Cannot open data connection");
    h.ftp.setHostDirName("/next");
    EXPECT_TRUE(h.ftp.cwd());
    EXPECT_EQ(dataCommands(), (std::vector<std::string>{"EPSV"}));
}

// Replies no port can be taken from end the transfer with a clear error before the local file
// is touched; the session stays usable.
TEST_F(ScriptedFtp, HostileEpsvRepliesEndTheRequest) {
    const std::vector<std::string> replies = {
        "229 Entering Extended Passive Mode (|||0|)",
        "229 Entering Extended Passive Mode (|||65536|)",
        "229 Entering Extended Passive Mode (|||123456|)",
        "229 Entering Extended Passive Mode (|||12a|)",
        "229 Entering Extended Passive Mode (|||x|)",
        "229 Entering Extended Passive Mode (||2121|)",
        "229 Entering Extended Passive Mode (|||2121)",
        "229 Entering Extended Passive Mode (|||2121|",
        "229 Entering Extended Passive Mode (1112121|)",
        "229 Entering Extended Passive Mode |||2121|",
        "229 (",
    };
    startLoggedIn([replies](ScriptedFtpSession& s) {
        s.refuseEpsv = false;
        for (const std::string& reply : replies) {
            s.expect("EPSV");
            s.reply(reply);
        }
        s.expect("EPSV");
        s.reply(ScriptedFtpServer::extendedPassiveReply(s.listenData()));
        serveData(s, "RETR x", "fine");
    });
    const std::string local = files("x", "keep.txt");
    writeFile(local, "precious");
    for (const std::string& reply : replies) {
        SCOPED_TRACE(reply);
        EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 550);
        EXPECT_EQ(h.ftp.errorMessage(), "550 Unusable passive reply: " + reply);
        EXPECT_EQ(readFile(local), "precious");
    }
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
    EXPECT_EQ(readFile(local), "fine");
}

}  // namespace
}  // namespace quay::test

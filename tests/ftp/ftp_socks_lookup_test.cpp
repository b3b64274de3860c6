// The names of a SOCKS session are looked up without holding up the loop. The FTP server and the
// SOCKS server are given by names of a hosts file of the test's own; a name server of its own
// answers the rest "no such name", or never, as a dead one would. Real SOCKS servers (dante for
// SOCKS 4 and 5, microsocks for SOCKS 5) carry the sessions to vsftpd.
#include <gtest/gtest.h>

#include "ftp_harness.h"
#include "ftp_servers.h"
#include "socks_servers.h"
#include "test_name_server.h"

namespace quay::test {
namespace {

using namespace std::chrono_literals;
using Answer = TestNameServer::Answer;

const std::string FtpHost = "ftp.quayside.test";
const std::string SocksHost = "socks.quayside.test";
const std::string HostsWithoutSocks = "127.0.0.1 " + FtpHost + "\n";
const std::string Hosts = HostsWithoutSocks + "127.0.0.1 " + SocksHost + "\n";

const char* const NoNames =
    "no hosts file and name server of the test's own (needs root and a mount namespace)";

class SocksLookup : public ::testing::Test {
protected:
    // Before any thread of the test starts.
    bool useNames(Answer answer, const std::string& hosts) {
        names = std::make_unique<TestNameServer>(answer);
        if (!names->use(hosts))
            return false;
        writeFile(root.path() / "hello.txt", "hello");
        server.start(root.path());
        h.target(server.port(), server.user(), server.password());
        h.ftp.setHostName(FtpHost);
        return true;
    }

    void useSocks(FtpConnectionType type, int port, const std::string& user = "quaytest",
                  const std::string& password = "quaytest") {
        h.ftp.setConnectionType(type);
        h.ftp.setSocksServer(SocksHost);
        h.ftp.setSocksPort(std::to_string(port));
        h.ftp.setSocksUserCode(user);
        h.ftp.setSocksPassword(password);
    }

    // Logs in, lists the directory into a file, and quits.
    void loginListAndQuit() {
        ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
        h.ftp.setHostFileName("");
        h.ftp.setLocalFileName((work.path() / "list.txt").string());
        ASSERT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
        EXPECT_NE(readFile(work.path() / "list.txt").find("hello.txt"), std::string::npos);
        ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
    }

    // Whether the name server was asked for a name of this test.
    bool askedForOurNames() const {
        for (const std::string& name : names->questions())
            if (name.ends_with("quayside.test"))
                return true;
        return false;
    }

    std::unique_ptr<TestNameServer> names;
    TempDir root;
    TempDir work;
    VsftpdServer server;
    FtpHarness h;
};

// The working path: a SOCKS server named in the hosts file, through SOCKS 4 (where the FTP
// server's name is looked up here too) and SOCKS 5 (where the SOCKS server looks it up). The
// data connections take the SOCKS server's address that the control connection reached.
TEST_F(SocksLookup, SocksServersGivenByNameCarryTheSession) {
    if (!useNames(Answer::NoSuchName, Hosts))
        GTEST_SKIP() << NoNames;
    DantedServer dante;
    dante.start();
    MicrosocksServer microsocks;
    microsocks.start("sockuser", "sockpass");
    struct Way {
        const char* label;
        FtpConnectionType type;
        int port;
        const char* user;
        const char* password;
    };
    for (const Way way :
         {Way{"dante, SOCKS 4", FtpConnectionType::ftpSocks4, dante.port(), "quaytest", ""},
          Way{"dante, SOCKS 5", FtpConnectionType::ftpSocks5, dante.port(), "quaytest", "quaytest"},
          Way{"microsocks", FtpConnectionType::ftpSocks5, microsocks.port(), "sockuser",
              "sockpass"}}) {
        SCOPED_TRACE(way.label);
        useSocks(way.type, way.port, way.user, way.password);
        loginListAndQuit();
        EXPECT_EQ(h.ftp.dataSocket().remoteAddress().text(), "127.0.0.1");
        EXPECT_EQ(h.ftp.dataSocket().remoteAddress().port(), way.port);
    }
    EXPECT_EQ(h.loggedStarting("! 127.0.0.1") + h.loggedStarting("! " + FtpHost), 0)
        << "no attempt failed\n"
        << h.logText() << dante.log();
    EXPECT_FALSE(askedForOurNames()) << "every name came from the hosts file";
}

// A SOCKS 4 server's name whose lookup never ends: the loop goes on meanwhile, an abort ends the
// request at once, and once the name resolves the next log-in works. The session's time-out
// bounds such a lookup as it bounds a silent server.
TEST_F(SocksLookup, AHangingSocksServerLookupIsStoppedAndTheNextConnectWorks) {
    if (!useNames(Answer::Nothing, HostsWithoutSocks))
        GTEST_SKIP() << NoNames;
    DantedServer dante;
    dante.start();
    useSocks(FtpConnectionType::ftpSocks4, dante.port());
    h.ftp.connectAsync();
    int ticks = 0;
    const EventLoop::TimerId timer = h.loop.startTimer(
        20ms, [&] { ++ticks; }, true);
    h.loop.runUntil([&] { return ticks >= 25 && names->asked(SocksHost); }, 10s);
    EXPECT_GE(ticks, 25);
    EXPECT_TRUE(names->asked(SocksHost));
    EXPECT_TRUE(h.done.empty()) << h.logText();
    h.ftp.abortAsync();
    EXPECT_TRUE(h.pumpUntil([&] { return !h.done.empty(); }, 1s));
    EXPECT_EQ(h.ftp.controlSocket().state(), SocketState::wsClosed);
    const std::size_t doneAfterAbort = h.done.size();
    h.loop.runUntil([&] { return ticks >= 40; }, 5s);
    h.loop.stopTimer(timer);
    EXPECT_EQ(h.done.size(), doneAfterAbort) << "nothing comes of the dropped lookup";

    h.ftp.setIdleTimeout(1);
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }, 10s), 426);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Time-out (1 seconds without an answer)");

    h.ftp.setIdleTimeout(15);
    ASSERT_TRUE(names->use(Hosts));
    loginListAndQuit();
}

// A SOCKS 4 server's name that does not resolve fails the attempt with the resolver's message,
// named by the address of the FTP server it was meant to reach, and nothing goes out.
TEST_F(SocksLookup, AnUnresolvableSocks4ServerSaysSo) {
    if (!useNames(Answer::NoSuchName, HostsWithoutSocks))
        GTEST_SKIP() << NoNames;
    useSocks(FtpConnectionType::ftpSocks4, freePort());
    const std::string reason =
        "SocketException: connect: ResolveHost: Cannot convert host address '" + SocksHost +
        "', Error #11001";
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), sockerr::HostNotFound);
    EXPECT_EQ(h.ftp.errorMessage(), "500 " + reason);
    EXPECT_EQ(h.loggedCount("! 127.0.0.1: " + reason), 1) << h.logText();
    EXPECT_EQ(h.done.size(), 1u);
}

}  // namespace
}  // namespace quay::test

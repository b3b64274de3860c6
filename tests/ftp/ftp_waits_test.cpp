// The synchronous calls and the idle time-out against a scripted server.
#include <gtest/gtest.h>

#include "scripted_fixture.h"

namespace quay::test {
namespace {

// TYPE then LIST, the listing step of the session: the TYPE completion is delivered inside
// the synchronous call and reports TYPE, so the LIST that follows gets a completion of its own.
TEST_F(ScriptedFtp, SynchronousTypeDeliversItsOwnCompletionInsideTheCall) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("TYPE A");
        s.reply("200 Type set to A");
        answerPasv(s);
        serveData(s, "LIST", "-rw-r--r-- 1 joe joe 5 Mar 01 10:00 a.txt\r\n");
        s.expect("TYPE A");
        s.reply("504 Type not available");
    });
    const std::size_t before = h.done.size();
    ASSERT_TRUE(h.ftp.typeAscii());
    ASSERT_EQ(h.done.size(), before + 1);
    EXPECT_EQ(h.done.back().request, FtpRequest::TypeSetAsync);
    EXPECT_EQ(h.done.back().error, 0);

    h.ftp.setPassive(true);
    h.ftp.setLocalFileName((dir.path() / "list.txt").string());
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.done.back().request, FtpRequest::DirAsync);
    EXPECT_NE(readFile(dir.path() / "list.txt").find("a.txt"), std::string::npos);

    // A refused TYPE is reported as TYPE, with the server's reply as the error text.
    EXPECT_FALSE(h.ftp.typeAscii());
    EXPECT_EQ(h.done.back().request, FtpRequest::TypeSetAsync);
    EXPECT_EQ(h.done.back().error, 504);
    EXPECT_EQ(h.ftp.errorMessage(), "504 Type not available");
}

// The completion handler may itself wait for a synchronous call; each wait returns with its
// own request's result.
TEST_F(ScriptedFtp, SynchronousCallInsideACompletionHandler) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("CWD sub");
        s.reply("250 OK");
        s.expect("TYPE A");
        s.reply("500 No");
    });
    bool innerResult = true;
    h.ftp.onRequestDone = [&](FtpRequest request, int error) {
        h.done.push_back({request, error});
        if (request == FtpRequest::CwdAsync)
            innerResult = h.ftp.typeAscii();
    };
    h.ftp.setHostDirName("sub");
    EXPECT_TRUE(h.ftp.cwd());
    EXPECT_FALSE(innerResult);
    ASSERT_GE(h.done.size(), 2u);
    EXPECT_EQ(h.done[h.done.size() - 2].request, FtpRequest::CwdAsync);
    EXPECT_EQ(h.done.back().request, FtpRequest::TypeSetAsync);
}

// Generous: the time-out is 1 s, a loaded machine may be slow to schedule the check.
constexpr auto kTimeOutBound = 8s;

TEST_F(ScriptedFtp, ServerThatNeverGreetsTimesOut) {
    start([](ScriptedFtpSession& s) { s.waitForClose(20s); });
    h.ftp.setIdleTimeout(1);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(connect(), 426);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kTimeOutBound);
    EXPECT_EQ(h.done.back().request, FtpRequest::ConnectAsync);
    EXPECT_EQ(h.loggedStarting("! Time-out"), 1) << h.logText();
    EXPECT_EQ(h.sessionClosed, 1);
    EXPECT_FALSE(h.ftp.connected());
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
    EXPECT_EQ(h.ftp.lastResponse().rfind("426 Time-out", 0), 0u) << h.ftp.lastResponse();
}

// Bytes that never complete a reply do not keep a request alive: a greeting trickled a byte
// at a time, and a multi-line reply whose lines keep coming, time out counted from their start.
TEST_F(ScriptedFtp, TrickledRepliesTimeOutFromTheirStart) {
    int session = 0;
    start([&](ScriptedFtpSession& s) {
        if (session++ == 0) {
            for (int i = 0; i < 100 && !s.waitForClose(200ms); ++i)
                s.send("2");
            return;
        }
        login(s);
        s.expect("CWD slow");
        s.reply("250-Changing directory");
        for (int i = 0; i < 100 && !s.waitForClose(200ms); ++i)
            s.reply(" still changing");
    });
    EXPECT_EQ(h.ftp.idleTimeout(), 15);
    h.ftp.setIdleTimeout(1);
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(connect(), 426) << h.logText();
    EXPECT_LT(std::chrono::steady_clock::now() - started, kTimeOutBound);
    EXPECT_EQ(h.loggedStarting("! Time-out"), 1) << h.logText();

    ASSERT_EQ(connect(), 0) << h.logText();
    h.ftp.setHostDirName("slow");
    started = std::chrono::steady_clock::now();
    EXPECT_EQ(h.run([&] { h.ftp.cwdAsync(); }), 426) << h.logText();
    EXPECT_LT(std::chrono::steady_clock::now() - started, kTimeOutBound);
    EXPECT_EQ(h.loggedStarting("! Time-out"), 2) << h.logText();
}

TEST_F(ScriptedFtp, ListingWhoseDataConnectionNeverComesTimesOut) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("PASV");
        s.reply(ScriptedFtpServer::passiveReply(s.listenData()));
        s.expect("LIST");
        s.reply("150 Here it comes");
    });
    h.ftp.setIdleTimeout(1);
    h.ftp.setPassive(true);
    h.ftp.setLocalFileName((dir.path() / "list.txt").string());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), 426);
    EXPECT_LT(std::chrono::steady_clock::now() - started, kTimeOutBound);
    EXPECT_EQ(h.loggedStarting("! Time-out"), 1) << h.logText();
    EXPECT_FALSE(h.ftp.connected());
    // An idle session with nothing pending is left alone.
    h.ftp.setIdleTimeout(1);
    EXPECT_FALSE(h.pumpUntil([&] { return h.loggedStarting("! Time-out") > 1; }, 1500ms));
}

TEST_F(ScriptedFtp, SlowButSteadyTransferIsNoTimeOut) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("PASV");
        s.reply(ScriptedFtpServer::passiveReply(s.listenData()));
        s.expect("LIST");
        s.acceptData();
        s.reply("150 Here it comes");
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(400ms);
            s.sendData("-rw-r--r-- 1 joe joe 5 Mar 01 10:00 a.txt\r\n");
        }
        s.closeData();
        s.reply("226 Done");
    });
    h.ftp.setIdleTimeout(1);
    h.ftp.setPassive(true);
    h.ftp.setLocalFileName((dir.path() / "list.txt").string());
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
}

}  // namespace
}  // namespace quay::test

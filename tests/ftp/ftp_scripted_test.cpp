// The engine against a scripted server: the replies and failures real servers will not give.
#include <gtest/gtest.h>

#include <thread>

#include "scripted_steps.h"

namespace quay::test {
namespace {

TEST_F(ScriptedFtp, MultiLineGreetingAndBareLineFeeds) {
    start([](ScriptedFtpSession& s) {
        s.send("220-Welcome\r\n   to the scripted server\n220-Second line\n220 Ready\n");
        s.expect("USER joe");
        s.send("331-Password\n331 required\n");
        s.expect("PASS secret");
        s.send("230 Logged in\n");
        s.waitForClose(5s);
    });
    ASSERT_EQ(connect(), 0) << h.logText();
    EXPECT_EQ(h.sessionConnected, 1);
    for (const char* line : {"< 220-Welcome", "<    to the scripted server", "< 220-Second line",
                             "< 220 Ready", "< 331 required", "< 230 Logged in"})
        EXPECT_TRUE(h.logged(line)) << line << "\n" << h.logText();
    // The continuation line of a reply is neither displayed nor interpreted.
    EXPECT_FALSE(h.logged("< 331-Password"));
}

TEST_F(ScriptedFtp, WithoutAcceptLFALineWaitsForCrLf) {
    start([](ScriptedFtpSession& s) {
        s.send("220 Ready\n");
        std::this_thread::sleep_for(300ms);
        s.send("\r\n");
        answer(s, "USER", "230 In");
        s.waitForClose(5s);
    });
    h.ftp.setOptions(0);
    std::vector<std::string> responses;
    h.ftp.onResponse = [&] { responses.push_back(h.ftp.lastResponse()); };
    h.ftp.connectAsync();
    EXPECT_FALSE(h.pumpUntil([&] { return h.sessionConnected > 0; }, 200ms));
    ASSERT_TRUE(h.pumpUntil([&] { return !h.done.empty(); }));
    EXPECT_EQ(h.done.back().error, 0);
    // The bare LF stays inside the line and is removed with the CR LF.
    ASSERT_FALSE(responses.empty());
    EXPECT_EQ(responses.front(), "220 Ready");
    // USER answered 230: no PASS is sent.
    EXPECT_FALSE(h.logged("> PASS secret"));
}

TEST_F(ScriptedFtp, GreetingOtherThan220EndsTheRequestWithItsCode) {
    start([](ScriptedFtpSession& s) {
        s.reply("421 Too many users");
        s.closeControl();
    });
    EXPECT_EQ(connect(), 421);
    EXPECT_EQ(h.ftp.errorMessage(), "421 Too many users");
    EXPECT_EQ(h.sessionConnected, 0);
    EXPECT_FALSE(h.logged("> USER joe"));
}

TEST_F(ScriptedFtp, RefusedPasswordStillQuitsAndReportsTheRefusal) {
    start([](ScriptedFtpSession& s) {
        s.reply("220 Ready");
        answer(s, "USER joe", "331 Password required");
        answer(s, "PASS secret", "530 Login incorrect");
        answer(s, "QUIT", "221 Bye");
        s.closeControl();
    });
    h.ftp.setHostDirName("/x");
    EXPECT_EQ(h.run([&] { h.ftp.systemAsync(); }), 530);
    EXPECT_EQ(h.ftp.lastResponse(), "530 Login incorrect");
    EXPECT_EQ(h.ftp.errorMessage(), "530 Login incorrect");
}

TEST_F(ScriptedFtp, SequenceEndingInQuitReportsTheReplyBeforeQuit) {
    start([](ScriptedFtpSession& s) {
        login(s);
        answer(s, "SYST", "215 UNIX Type: L8");
        answer(s, "QUIT", "221 Goodbye");
        s.closeControl();
    });
    EXPECT_EQ(h.run([&] { h.ftp.systemAsync(); }), 0);
    EXPECT_EQ(h.ftp.statusCode(), 215);
    EXPECT_EQ(h.ftp.lastResponse(), "215 UNIX Type: L8");
    EXPECT_EQ(h.sessionClosed, 1);
}

// Passive RETR whose final reply comes before or after the data connection closes.
void passiveDownload(ScriptedFtpSession& s, const std::string& data, bool finalFirst) {
    startTransfer(s, "RETR file.bin");
    s.sendData(data);
    if (finalFirst) {
        s.reply("226 Transfer complete");
        std::this_thread::sleep_for(200ms);
        s.closeData();
    } else {
        s.closeData();
        std::this_thread::sleep_for(200ms);
        s.reply("226 Transfer complete");
    }
}

TEST_F(ScriptedFtp, FinalReplyBeforeAndAfterTheDataCloseCompleteOnce) {
    const std::string data(300000, 'd');
    startLoggedIn([&](ScriptedFtpSession& s) {
        passiveDownload(s, data, true);
        passiveDownload(s, data, false);
    });
    const std::string local = files("file.bin", "file.bin");
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
        EXPECT_EQ(readFile(local), data);
        // Let any stray second completion arrive before counting.
        h.pumpUntil([] { return false; }, 100ms);
        EXPECT_EQ(h.done.size(), 2u + round);
        EXPECT_EQ(h.loggedStarting("! 300000 bytes received in"), 1 + round);
    }
}

// FEAT keeps every line of its reply (a feature line led by digits does not end it); a reply
// of one line and a refusal leave one line. MLSD is a listing like LIST.
TEST_F(ScriptedFtp, FeatLinesAndMlsd) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("FEAT");
        s.send("211-Features:\r\n MLST type*;size*;\r\n 2389 UTF8\r\n211 End\r\n");
        answer(s, "FEAT", "211 No features");
        answer(s, "FEAT", "502 FEAT not implemented");
        answer(s, "OPTS UTF8 ON", "200 Always in UTF8 mode.");
        answerPasv(s);
        serveData(s, "MLSD", "type=file;size=5; a b.txt\r\n");
    });
    EXPECT_EQ(h.run([&] { h.ftp.featAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.replyLines(), (std::vector<std::string>{"211-Features:", " MLST type*;size*;",
                                                            " 2389 UTF8", "211 End"}));
    EXPECT_EQ(h.run([&] { h.ftp.featAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.replyLines(), (std::vector<std::string>{"211 No features"}));
    EXPECT_EQ(h.run([&] { h.ftp.featAsync(); }), 502) << h.logText();
    EXPECT_EQ(h.ftp.replyLines(), (std::vector<std::string>{"502 FEAT not implemented"}));
    h.ftp.setHostFileName("UTF8 ON");
    EXPECT_EQ(h.run([&] { h.ftp.optsAsync(); }), 0) << h.logText();
    h.ftp.setHostFileName("");
    h.ftp.setPassive(true);
    h.ftp.setDisplayFileFlag(true);
    EXPECT_EQ(h.run([&] { h.ftp.mlsdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.displayedFileLines, (std::vector<std::string>{"type=file;size=5; a b.txt"}));
    EXPECT_EQ(h.done.back().request, FtpRequest::MlsdAsync);
}

// A listing connects to the control peer whatever address the PASV reply names; a refused
// final reply fails the listing.
TEST_F(ScriptedFtp, PassiveListings) {
    startLoggedIn([](ScriptedFtpSession& s) {
        answer(s, "PASV", ScriptedFtpServer::passiveReply(s.listenData(), "10,255,255,1"));
        serveData(s, "LIST", "line one\r\nline two\r\n");
        answerPasv(s);
        serveData(s, "NLST", "a\r\n", "451 Local error in processing");
    });
    h.ftp.setPassive(true);
    h.ftp.setDisplayFileFlag(true);
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.displayedFileLines, (std::vector<std::string>{"line one", "line two"}));
    EXPECT_EQ(h.run([&] { h.ftp.lsAsync(); }), 451);
    EXPECT_EQ(h.ftp.errorMessage(), "451 Local error in processing");
    EXPECT_EQ(h.loggedCount("! RETR/LIST/NLST Failed"), 1) << h.logText();
}

TEST_F(ScriptedFtp, GarbledPassiveReplyFailsWithoutTouchingTheLocalFile) {
    startLoggedIn([](ScriptedFtpSession& s) {
        for (const char* reply : {"227 Entering Passive Mode", "227 (127,0,0,1,0,0)"})
            answer(s, "PASV", reply);
    });
    const std::string local = files("x", "keep.txt");
    writeFile(local, "precious");
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 550);
    EXPECT_EQ(h.run([&] { h.ftp.putAsync(); }), 426);
    EXPECT_EQ(readFile(local), "precious");
    EXPECT_EQ(h.loggedStarting("! 550 Unusable passive reply"), 1);
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
}

TEST_F(ScriptedFtp, FinalReplyWithoutAnyDataConnectionIsAnError) {
    startLoggedIn([](ScriptedFtpSession& s) {
        answer(s, "PORT 127,0,0,1,", "200 PORT ok");
        answer(s, "RETR nothing", "150 Opening data connection");
        s.reply("226 Transfer complete");
    });
    files("nothing", "nothing");
    h.ftp.setPassive(false);
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }, 5s), 426);
}

TEST_F(ScriptedFtp, OverLongReplyLineEndsTheSession) {
    start([](ScriptedFtpSession& s) {
        s.reply("220 Ready");
        s.expect("USER");
        s.send("331 " + std::string(10000, 'x'));
        s.waitForClose(5s);
    });
    EXPECT_NE(connect(), 0);
    EXPECT_EQ(h.loggedStarting("! Reply line longer than 4095 bytes"), 1) << h.logText();
    EXPECT_FALSE(h.ftp.connected());
}

TEST_F(ScriptedFtp, LongMultiLineReplyIsReadLineByLine) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("STAT");
        std::string reply = "211-Status follows\r\n";
        for (int i = 0; i < 20000; ++i)
            reply += " status line " + std::to_string(i) + std::string(80, 's') + "\r\n";
        s.send(reply + "211 End\r\n");
    });
    h.ftp.setLocalFileName("STAT");
    EXPECT_EQ(h.run([&] { h.ftp.quoteAsync(); }), 0);
    EXPECT_EQ(h.ftp.lastResponse(), "211 End");
}

TEST_F(ScriptedFtp, QuotedAborIsAcceptedWhileACommandWaits) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("CWD slow");
        answer(s, "ABOR", "226 Abort successful");
        s.reply("250 CWD done");
    });
    h.ftp.setHostDirName("slow");
    h.ftp.cwdAsync();
    h.ftp.setLocalFileName("NOOP");
    EXPECT_EQ(thrownMessage([&] { h.ftp.quoteAsync(); }), "FTP Server is not ready. Please wait.");
    h.ftp.setLocalFileName("ABOR");
    EXPECT_EQ(h.run([&] { h.ftp.quoteAsync(); }), 0);
    EXPECT_EQ(h.done.back().request, FtpRequest::QuoteAsync);
    EXPECT_TRUE(h.logged("> ABOR"));
}

TEST_F(ScriptedFtp, SynchronousWaitGivesUpAfterTimeout) {
    start([](ScriptedFtpSession& s) {
        login(s);
        s.expect("CWD stalled");
        s.waitForClose(10s);
    });
    ASSERT_EQ(connect(), 0);
    h.ftp.setTimeout(1);
    h.ftp.setHostDirName("stalled");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(h.ftp.cwd());
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Timeout");
    EXPECT_FALSE(h.ftp.connected());
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
}

TEST_F(ScriptedFtp, AbortDuringASequenceEndsItWith426) {
    startLoggedIn([](ScriptedFtpSession& s) { s.expect("PASV"); });
    h.ftp.setPassive(true);
    h.ftp.setDisplayFileFlag(true);
    h.ftp.dirAsync();
    ASSERT_TRUE(h.pumpUntil([&] { return h.logged("> PASV"); }));
    h.ftp.abortAsync();
    ASSERT_TRUE(h.pumpUntil([&] { return h.done.size() == 2; }));
    EXPECT_EQ(h.done.back().error, 426);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Operation aborted.");
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
}

}  // namespace
}  // namespace quay::test

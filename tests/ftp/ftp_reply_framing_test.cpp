// Reply framing against a scripted server: where a reply ends, what its text may hold, and the
// bounds that keep a hostile server from steering or stalling the session.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "ftp/reply_framer.h"
#include "scripted_fixture.h"

namespace quay::test {
namespace {

using namespace std::string_literals;

// A text line led by other digits inside a multi-line reply used to end it early; the real end
// line was then taken as the answer to the next command and turned its refusal into success.
TEST_F(ScriptedFtp, DigitLedTextLineStaysInsideItsReply) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("PWD");
        s.reply("257-Your directory:");
        s.reply("2021 was a year");
        s.reply("257-and this is still text");
        s.reply("257 \"/home/joe\"");
        s.expect("DELE precious");
        s.reply("550 Permission denied");
    });
    ASSERT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/home/joe");
    h.ftp.setHostFileName("precious");
    EXPECT_EQ(h.run([&] { h.ftp.deleAsync(); }), 550) << h.logText();
    EXPECT_EQ(h.ftp.errorMessage(), "550 Permission denied");
}

TEST_F(ScriptedFtp, GreetingOfSeveralCodesLogsIn) {
    start([](ScriptedFtpSession& s) {
        // login() ends the greeting with "220 scripted server ready".
        s.send("220-Welcome\r\n230 is not the end of this greeting\r\n");
        login(s);
        s.waitForClose(5s);
    });
    ASSERT_EQ(connect(), 0) << h.logText();
    EXPECT_EQ(h.sessionConnected, 1);
    EXPECT_TRUE(h.logged("< 230 is not the end of this greeting")) << h.logText();
    EXPECT_TRUE(h.logged("< 230 Logged in"));
}

// Lines and replies cut anywhere by the network are put together again before they are read.
TEST_F(ScriptedFtp, ReplyWhoseTailArrivesInALaterRead) {
    start([](ScriptedFtpSession& s) {
        for (const char* piece : {"2", "20-Hel", "lo\r", "\n220", " rea", "dy\r\n"}) {
            s.send(piece);
            std::this_thread::sleep_for(60ms);
        }
        s.expect("USER joe");
        s.reply("230 Logged in");
        s.expect("PWD");
        for (const char* piece : {"257-Dir\r\n25", "7 \"/a b\"", "\r", "\n"}) {
            s.send(piece);
            std::this_thread::sleep_for(60ms);
        }
        s.waitForClose(5s);
    });
    ASSERT_EQ(connect(), 0) << h.logText();
    EXPECT_TRUE(h.logged("< 220-Hello"));
    ASSERT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/a b");
}

TEST_F(ScriptedFtp, GreetingThatNeverEndsClosesTheSession) {
    start([](ScriptedFtpSession& s) {
        std::string flood;
        for (std::size_t i = 0; i <= ReplyFramer::MaxLines; ++i)
            flood += "220-welcome\r\n";
        s.send(flood);
        s.waitForClose(10s);
    });
    EXPECT_EQ(connect(), 426);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Reply without end");
    EXPECT_EQ(h.loggedStarting("! Reply longer than 100000 lines or 16777216 bytes"), 1)
        << h.logText();
    EXPECT_EQ(h.sessionConnected, 0);
    EXPECT_FALSE(h.logged("> USER joe"));
}

TEST_F(ScriptedFtp, NulEndsTheDirectoryNameAndAnImpossibleSizeIsNoSize) {
    startLoggedIn([](ScriptedFtpSession& s) {
        s.expect("PWD");
        s.send("257 \"/home/joe\0/etc\" is the current directory\r\n"s);
        for (const char* reply : {"213 -1", "213 9223372036854775808", "213 12"}) {
            s.expect("SIZE big");
            s.reply(reply);
        }
    });
    ASSERT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/home/joe");
    h.ftp.setHostFileName("big");
    for (const char* reply : {"213 -1", "213 9223372036854775808"}) {
        EXPECT_EQ(h.run([&] { h.ftp.sizeAsync(); }), 501) << reply;
        EXPECT_EQ(h.ftp.sizeResult(), 0) << reply;
        EXPECT_TRUE(h.logged("! Not a file size: "s + reply)) << h.logText();
    }
    ASSERT_EQ(h.run([&] { h.ftp.sizeAsync(); }), 0);
    EXPECT_EQ(h.ftp.sizeResult(), 12);
}

}  // namespace
}  // namespace quay::test

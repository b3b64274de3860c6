// Transfers ended by this side against a scripted server: Stop while nothing arrives, a
// listing without end, a data connection that fails or cannot be made. The session goes on in
// step afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "ftp/listing_limit.h"
#include "scripted_steps.h"

namespace quay::test {
namespace {

// The answers RFC 959 gives to ABOR during a transfer, then a PWD to check what is matched to
// what.
void answerAborAndPwd(ScriptedFtpSession& s) {
    answer(s, "ABOR", "426 Transfer aborted");
    s.reply("226 ABOR successful");
    answer(s, "PWD", "257 \"/after\"");
}

// The position of the first log line equal to `line` (the log's size when there is none).
std::size_t logIndex(const FtpHarness& h, const std::string& line) {
    return static_cast<std::size_t>(std::find(h.log.begin(), h.log.end(), line) - h.log.begin());
}

// Stop during a transfer that sends nothing ends it at once, not at the idle time-out; the
// server's late answers are not taken for the next command's. Stop while the PASV of a
// listing waits ends the listing before LIST is sent.
TEST_F(ScriptedFtp, AbortTransferEndsASilentTransferAtOnce) {
    std::atomic<bool> stopped{false};
    startLoggedIn([&](ScriptedFtpSession& s) {
        startTransfer(s, "RETR f");
        s.sendData("partial");
        answerAborAndPwd(s);
        s.expect("PASV");
        while (!stopped)
            std::this_thread::sleep_for(10ms);
        s.reply(ScriptedFtpServer::passiveReply(s.listenData()));
        answer(s, "PWD", "257 \"/again\"");
    });
    h.ftp.setIdleTimeout(60);
    const std::string local = files("f", "f");
    h.ftp.getAsync();
    ASSERT_TRUE(h.pumpUntil([&] {
        std::error_code missing;
        return std::filesystem::file_size(local, missing) == 7;
    }));
    EXPECT_TRUE(h.ftp.abortTransfer());
    ASSERT_TRUE(h.pumpUntil([&] { return h.done.size() == 2; }, 5s)) << h.logText();
    EXPECT_EQ(h.done.back().error, 426);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Transfer aborted");
    EXPECT_TRUE(h.logged("! Abort requested"));
    EXPECT_FALSE(h.ftp.abortTransfer());
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/after");
    EXPECT_TRUE(h.logged("< 226 ABOR successful"));

    h.ftp.setLocalFileName((dir.path() / "list.txt").string());
    EXPECT_EQ(h.run([&] {
        h.ftp.dirAsync();
        EXPECT_TRUE(h.ftp.abortTransfer());
        stopped = true;
    }),
              426);
    EXPECT_EQ(h.loggedStarting("> LIST"), 0);
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/again");
}

// How a server answers a RETR stopped before its 150, and what the client must send.
struct AbortOrder {
    const char* name;
    std::vector<std::string> replies;
    // The line of the answer to ABOR behind which the next command goes out.
    std::string aborAnswer;
    // After that answer: the NOOP that tells a lone success apart from the transfer's end.
    bool noop;
    // A second answer to ABOR that comes behind the next command.
    std::string lateReply;
};

void PrintTo(const AbortOrder& order, std::ostream* out) {
    *out << order.name;
}

class AbortOrders : public ScriptedFtp, public ::testing::WithParamInterface<AbortOrder> {};

// Stop given the moment RETR has gone, then PWD at once: PWD goes out only after ABOR's
// answer, and every reply of the abort, however the server orders them, is kept off it.
TEST_P(AbortOrders, NextCommandWaitsForTheAnswerToAbor) {
    const AbortOrder order = GetParam();
    startLoggedIn([&order](ScriptedFtpSession& s) {
        answerPasv(s);
        s.expect("RETR f");
        s.expect("ABOR");
        for (const std::string& reply : order.replies)
            s.reply(reply);
        if (order.noop)
            answer(s, "NOOP", "200 NOOP ok");
        s.expect("PWD");
        if (!order.lateReply.empty())
            s.reply(order.lateReply);
        s.reply("257 \"/after\"");
        answer(s, "PWD", "257 \"/again\"");
    });
    files("f", "f");
    h.stopAfterCommand("RETR");
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 426) << h.logText();
    ASSERT_TRUE(h.stopped());
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }, 5s), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/after") << h.logText();
    EXPECT_LT(logIndex(h, "< " + order.aborAnswer), logIndex(h, "> PWD")) << h.logText();
    EXPECT_EQ(h.loggedCount("> NOOP"), order.noop ? 1 : 0) << h.logText();
    if (!order.lateReply.empty()) {
        EXPECT_TRUE(h.logged("< " + order.lateReply)) << h.logText();
    }
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }, 5s), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/again") << h.logText();
}

const AbortOrder kAbortOrders[] = {
    {"PreliminaryAbortedAndAborted",
     {"150 Opening", "426 Aborted", "226 ABOR done"},
     "226 ABOR done",
     false,
     ""},
    {"AbortedThenNoTransfer", {"426 Aborted", "225 No transfer"}, "225 No transfer", false, ""},
    {"OnlyTheAnswerToAbor", {"226 Aborted"}, "200 NOOP ok", true, ""},
    {"TransferEndThenAnswerToAbor",
     {"150 Opening", "226 Done", "226 ABOR done"},
     "200 NOOP ok",
     true,
     ""},
    {"ExtraNoTransferBehind",
     {"426 Aborted", "226 ABOR done"},
     "226 ABOR done",
     false,
     "225 No transfer"},
};

INSTANTIATE_TEST_SUITE_P(Servers, AbortOrders, ::testing::ValuesIn(kAbortOrders),
                         [](const auto& info) { return std::string(info.param.name); });

// A server that never answers ABOR: the command held back for it never goes out, the request
// fails with a time-out that names ABOR, the connection is closed, and a new one works.
TEST_F(ScriptedFtp, UnansweredAborClosesTheSessionAfterTheTimeOut) {
    std::atomic<int> sessions{0};
    start([&sessions](ScriptedFtpSession& s) {
        login(s);
        if (++sessions == 1) {
            answerPasv(s);
            s.expect("RETR f");
            s.expect("ABOR");
            s.waitForClose(10s);
            return;
        }
        answer(s, "PWD", "257 \"/fresh\"");
        s.waitForClose(5s);
    });
    ASSERT_EQ(connect(), 0) << h.logText();
    h.ftp.setIdleTimeout(1);
    files("f", "f");
    h.stopAfterCommand("RETR");
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 426) << h.logText();
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }, 10s), 426) << h.logText();
    EXPECT_EQ(h.ftp.errorMessage(), "426 Time-out (no answer to ABOR within 1 seconds)");
    EXPECT_TRUE(h.logged("! Time-out: no answer to ABOR for 1 seconds; closing the connection"))
        << h.logText();
    EXPECT_FALSE(h.logged("> PWD"));
    EXPECT_FALSE(h.ftp.connected());
    EXPECT_EQ(h.sessionClosed, 1);

    ASSERT_EQ(connect(), 0) << h.logText();
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/fresh");
}

// A listing that never ends is cut at the size the listing reader takes; the request fails
// with a message saying why, and the session goes on.
TEST_F(ScriptedFtp, EndlessListingStopsAtTheListingLimit) {
    startLoggedIn([](ScriptedFtpSession& s) {
        startTransfer(s, "LIST");
        std::string block;
        while (block.size() < (1u << 20))
            block += "-rw-r--r-- 1 joe joe 5 Mar 01 10:00 again-and-again.txt\r\n";
        try {
            for (int i = 0; i < 400; ++i)
                s.sendData(block);
        } catch (const ScriptError&) {
            // The client closed the data connection: what it should do.
        }
        answerAborAndPwd(s);
    });
    const std::string listing = (dir.path() / "list.txt").string();
    h.ftp.setPassive(true);
    h.ftp.setLocalFileName(listing);
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }, 60s), 426) << h.logText();
    const std::string limit = std::to_string(kMaxListingBytes);
    EXPECT_EQ(std::filesystem::file_size(listing), kMaxListingBytes);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Listing longer than " + limit + " bytes");
    EXPECT_TRUE(h.logged("! Listing longer than " + limit + " bytes; the rest is not received"));
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/after");
}

// A data connection reset by the server fails the download, with the socket error in words,
// even when the server then reports success.
TEST_F(ScriptedFtp, DataConnectionErrorIsNamedInTheFailure) {
    startLoggedIn([](ScriptedFtpSession& s) {
        startTransfer(s, "RETR f");
        s.sendData("part");
        std::this_thread::sleep_for(100ms);
        s.resetData();
        std::this_thread::sleep_for(100ms);
        s.reply("226 Done");
    });
    files("f", "f");
    EXPECT_NE(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
    EXPECT_NE(h.ftp.errorMessage().find("Connection reset by peer"), std::string::npos)
        << h.ftp.errorMessage();
}

// A passive transfer sends RETR or STOR before its data connection is made. When the
// connection is refused, the transfer fails with 550 and the server's late answers to the
// command (here 425) are not read as the answers to the commands that follow.
class DataConnectionRefused : public ScriptedFtp, public ::testing::WithParamInterface<bool> {};

TEST_P(DataConnectionRefused, AfterTheTransferCommandKeepsTheRepliesInStep) {
    const bool upload = GetParam();
    startLoggedIn([upload](ScriptedFtpSession& s) {
        answer(s, "PASV", ScriptedFtpServer::passiveReply(freePort()));
        s.expect(upload ? "STOR f" : "RETR f");
        answer(s, "ABOR", "425 No data connection");
        s.reply("225 No transfer to abort");
        answer(s, "PWD", "257 \"/after\"");
    });
    const std::string local = files("f", "f");
    writeFile(local, "bytes to send");
    EXPECT_EQ(h.run([&] { upload ? h.ftp.putAsync() : h.ftp.getAsync(); }), 550) << h.logText();
    EXPECT_TRUE(h.ftp.lastResponse().starts_with("Unable to establish data connection: "))
        << h.ftp.lastResponse();
    EXPECT_EQ(h.ftp.dataError(), sockerr::ConnectionRefused);
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.dirResult(), "/after");
}

INSTANTIATE_TEST_SUITE_P(BothWays, DataConnectionRefused, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Upload" : "Download"; });

}  // namespace
}  // namespace quay::test

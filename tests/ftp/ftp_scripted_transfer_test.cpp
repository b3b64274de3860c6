// Requests and transfers against a scripted server: local file failures, REST answers, closes,
// and the bookkeeping of results.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "scripted_steps.h"

namespace quay::test {
namespace {

// Serves `data` for the next RETR (after PASV and an optional REST).
void serveRetr(ScriptedFtpSession& s, const std::string& data, const std::string& restReply = "") {
    answerPasv(s, restReply);
    serveData(s, "RETR f", data);
}

// Transfers that fail on this side: a local file that cannot be opened, a name holding a NUL
// byte, an upload the application cancels. Each fails at once and sends no transfer command.
TEST_F(ScriptedFtp, TransfersRefusedOnTheClientSide) {
    startLoggedIn([](ScriptedFtpSession& s) {
        for (int i = 0; i < 4; ++i)
            answerPasv(s);
    });
    const std::string missing = files("f", "no-such-dir/f");
    const std::string why = missing + ": No such file or directory";
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 550);
    EXPECT_EQ(h.ftp.lastResponse(), "Unable to open local file " + why);
    EXPECT_EQ(h.ftp.errorMessage(), "Unable to open local file " + why);
    EXPECT_TRUE(h.logged("! Unable to open local file " + why));
    EXPECT_EQ(h.run([&] { h.ftp.putAsync(); }), 426);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Unable to open local file " + why);
    EXPECT_TRUE(h.logged("! 426 Unable to open local file " + why));
    // A NUL byte in the name would otherwise cut it short and truncate the existing "kept".
    const std::string kept = (dir.path() / "kept").string();
    writeFile(kept, "precious");
    h.ftp.setLocalFileName(kept + std::string(1, '\0') + ".part");
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 550);
    EXPECT_EQ(readFile(kept), "precious");

    h.ftp.setLocalFileName(kept);
    h.ftp.onReadyToTransmit = [](bool& cancel) { cancel = true; };
    EXPECT_EQ(h.run([&] { h.ftp.putAsync(); }), 426);
    EXPECT_EQ(h.ftp.errorMessage(), "426 Transmit cancelled by application");
    EXPECT_TRUE(h.logged("! 426 Transmit cancelled by application"));
    EXPECT_EQ(h.loggedStarting("> RETR") + h.loggedStarting("> STOR"), 0) << h.logText();
}

// A FIFO, a directory or a device named like the file is no file: opening a FIFO would block
// the whole program until a peer opens its other end. Each is refused at once, both ways.
TEST_F(ScriptedFtp, LocalTargetThatIsNoRegularFileIsRefused) {
    startLoggedIn([](ScriptedFtpSession& s) {
        for (int i = 0; i < 5; ++i)
            answerPasv(s);
    });
    const std::string fifo = files("f", "fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = (dir.path() / "folder").string();
    std::filesystem::create_directory(folder);
    for (const std::string& target : {fifo, folder, std::string("/dev/null")}) {
        h.ftp.setLocalFileName(target);
        EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }, 5s), 550) << target;
        EXPECT_TRUE(h.logged("! Unable to open local file " + target + ": not a regular file"))
            << h.logText();
    }
    h.ftp.setLocalFileName(fifo);
    EXPECT_EQ(h.run([&] { h.ftp.putAsync(); }, 5s), 426);
    EXPECT_EQ(h.ftp.errorMessage(),
              "426 Unable to open local file " + fifo + ": not a regular file");
    // A link to a FIFO is no way around it.
    const std::string link = (dir.path() / "link").string();
    std::filesystem::create_symlink(fifo, link);
    h.ftp.setLocalFileName(link);
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }, 5s), 550);
    EXPECT_EQ(h.loggedStarting("> RETR") + h.loggedStarting("> STOR"), 0) << h.logText();
}

// The old content of the local file goes only once the server has taken the RETR: a refused
// download keeps it, an accepted one replaces it, and an empty remote file empties it.
TEST_F(ScriptedFtp, DownloadEmptiesTheLocalFileOnlyWhenTheServerTakesTheRequest) {
    startLoggedIn([](ScriptedFtpSession& s) {
        answerPasv(s);
        answer(s, "RETR f", "550 f: No such file");
        serveRetr(s, "");
    });
    const std::string local = files("f", "f");
    writeFile(local, "precious");
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 550);
    EXPECT_EQ(readFile(local), "precious");
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 0);
    EXPECT_EQ(readFile(local), "");
}

TEST_F(ScriptedFtp, RestAnswerDecidesWhereTheDownloadStarts) {
    startLoggedIn([](ScriptedFtpSession& s) {
        serveRetr(s, "defgh", "350 Restarting at 3");
        serveRetr(s, "ABCDEFGH", "200 REST ignored");
        serveRetr(s, "12345678");
    });
    const std::string local = files("f", "f");
    writeFile(local, "abcXYZ");
    ASSERT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 0) << h.logText();
    EXPECT_TRUE(h.logged("> REST 6"));
    EXPECT_EQ(readFile(local), "abcXYZdefgh");
    // Any other accepted answer: the download starts again at 0 and truncates.
    ASSERT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 0) << h.logText();
    EXPECT_EQ(readFile(local), "ABCDEFGH");
    // With ftpNoAutoResumeAt the local size is not taken: no REST at all.
    h.ftp.setOptions(ftpAcceptLF | ftpNoAutoResumeAt);
    ASSERT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 0) << h.logText();
    EXPECT_EQ(readFile(local), "12345678");
    EXPECT_EQ(h.loggedStarting("> REST"), 2);
}

// Takes the next STOR (after PASV and an optional REST); returns the bytes.
std::string takeStor(ScriptedFtpSession& s, const std::string& restReply) {
    answerPasv(s, restReply);
    s.expect("STOR up");
    s.acceptData();
    s.reply("150 Go");
    const std::string data = s.receiveData();
    s.reply("226 Done");
    return data;
}

TEST_F(ScriptedFtp, UploadResumesOnlyBehindAnAcceptedRest) {
    std::vector<std::string> received;
    start([&](ScriptedFtpSession& s) {
        login(s);
        received.push_back(takeStor(s, "350 Restarting at 4"));
        received.push_back(takeStor(s, "202 REST not implemented"));
        answerPasv(s, "502 No REST");
        received.push_back(takeStor(s, ""));
    });
    ASSERT_EQ(connect(), 0);
    writeFile(files("up", "up"), "0123456789");
    for (int round = 0; round < 2; ++round) {
        h.ftp.setResumeAt(4);
        ASSERT_EQ(h.run([&] { h.ftp.restPutAsync(); }), 0) << h.logText();
    }
    // A refused REST leaves the offset behind; the next plain upload must not use it.
    h.ftp.setResumeAt(4);
    EXPECT_EQ(h.run([&] { h.ftp.restPutAsync(); }), 502);
    ASSERT_EQ(h.run([&] { h.ftp.putAsync(); }), 0) << h.logText();
    ASSERT_TRUE(h.pumpUntil([&] { return server->finishedSessions() == 1; }));
    EXPECT_EQ(received, (std::vector<std::string>{"456789", "0123456789", "0123456789"}));
}

// A refused REST leaves no offset behind: the listing after it starts its file afresh, as
// does every later request. An upload resumed at or behind the end of the local file is not
// started at all.
TEST_F(ScriptedFtp, ResumeOffsetsEndWithTheirRequest) {
    startLoggedIn([](ScriptedFtpSession& s) {
        answerPasv(s, "502 REST not implemented");
        answerPasv(s);
        serveData(s, "LIST", "-rw-r--r-- 1 joe joe 5 Mar 01 10:00 a.txt\r\n");
        answerPasv(s, "502 REST not implemented");
        answerPasv(s);
        serveData(s, "LIST", "listed again\r\n");
    });
    const std::string local = files("f", "f");
    writeFile(local, "abc");
    EXPECT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 502);
    EXPECT_EQ(h.ftp.resumeAt(), 0);
    const std::string listing = (dir.path() / "list.txt").string();
    h.ftp.setLocalFileName(listing);
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
    EXPECT_EQ(readFile(listing), "-rw-r--r-- 1 joe joe 5 Mar 01 10:00 a.txt\r\n");
    EXPECT_EQ(readFile(local), "abc");

    h.ftp.setLocalFileName(local);
    h.ftp.setResumeAt(2);
    EXPECT_EQ(h.run([&] { h.ftp.restPutAsync(); }), 502);
    h.ftp.setLocalFileName(listing);
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
    EXPECT_EQ(readFile(listing), "listed again\r\n");

    h.ftp.setLocalFileName(local);
    for (std::int64_t offset : {3, 40}) {
        h.ftp.setResumeAt(offset);
        EXPECT_EQ(thrownMessage([&] { h.ftp.restPutAsync(); }),
                  "Not sent: the upload would resume at byte " + std::to_string(offset) +
                      ", but the local file holds 3 bytes");
        EXPECT_EQ(h.ftp.resumeAt(), 0);
    }
    EXPECT_EQ(h.loggedStarting("> STOR"), 0);
    EXPECT_EQ(h.loggedStarting("> PASV"), 4);
}

// The server closing both connections in the middle of a transfer fails it, whichever way the
// bytes go, and the session is over.
class ServerClosingMidTransfer : public ScriptedFtp, public ::testing::WithParamInterface<bool> {};

TEST_P(ServerClosingMidTransfer, IsNeverASuccess) {
    const bool upload = GetParam();
    start([upload](ScriptedFtpSession& s) {
        login(s);
        startTransfer(s, upload ? "STOR f" : "RETR f");
        if (!upload)
            s.sendData(std::string(100000, 'b'));
        s.closeData();
        s.closeControl();
    });
    ASSERT_EQ(connect(), 0);
    writeFile(files("f", "f"), std::string(5 << 20, 'u'));
    EXPECT_NE(h.run([&] { upload ? h.ftp.putAsync() : h.ftp.getAsync(); }), 0) << h.logText();
    EXPECT_FALSE(h.ftp.errorMessage().empty());
    EXPECT_FALSE(h.ftp.connected());
    EXPECT_EQ(h.sessionClosed, 1);
}

INSTANTIATE_TEST_SUITE_P(BothWays, ServerClosingMidTransfer, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Upload" : "Download"; });

TEST_F(ScriptedFtp, CompletedRequestIsNotCompletedAgainByALaterClose) {
    start([](ScriptedFtpSession& s) {
        login(s);
        answer(s, "CWD d", "250 OK");
        s.closeControl();
    });
    ASSERT_EQ(connect(), 0);
    h.ftp.setHostDirName("d");
    EXPECT_EQ(h.run([&] { h.ftp.cwdAsync(); }), 0);
    ASSERT_TRUE(h.pumpUntil([&] { return h.sessionClosed == 1; }));
    h.pumpUntil([] { return false; }, 100ms);
    EXPECT_EQ(h.done.size(), 2u);
    // QUIT without a connection still ends, as do the other lines that may be quoted then.
    EXPECT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
    h.ftp.setLocalFileName("QUIT");
    EXPECT_EQ(h.run([&] { h.ftp.quoteAsync(); }), 0);
    for (const char* line : {"STAT", "ABOR"}) {
        h.ftp.setLocalFileName(line);
        EXPECT_EQ(h.run([&] { h.ftp.quoteAsync(); }, 5s), 426) << line;
        EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
    }
    EXPECT_EQ(h.ftp.errorMessage(), "426 Quayside is not connected");
}

// Any code below 500 is a success; the error message names the failure of the request that
// just ended, not an earlier one.
TEST_F(ScriptedFtp, ResultCodesAndTheLatestErrorMessage) {
    startLoggedIn([](ScriptedFtpSession& s) {
        for (const char* reply : {"499 Odd but fine", "500 First", "501 Second"})
            answer(s, "SITE", reply);
    });
    std::vector<int> errors;
    for (const char* line : {"SITE A", "SITE B", "SITE C"}) {
        h.ftp.setLocalFileName(line);
        errors.push_back(h.run([&] { h.ftp.quoteAsync(); }));
    }
    EXPECT_EQ(errors, (std::vector<int>{0, 500, 501}));
    EXPECT_EQ(h.ftp.errorMessage(), "501 Second");
}

// A step that cannot start when a reply calls for it (the server asks for a password and it
// is empty) fails the sequence instead of leaving the request pending for ever.
TEST_F(ScriptedFtp, StepThatCannotStartFailsTheSequence) {
    start([](ScriptedFtpSession& s) {
        s.reply("220 Ready");
        answer(s, "USER joe", "331 Password required");
        answer(s, "QUIT", "221 Bye");
        s.closeControl();
    });
    h.ftp.setPassWord("");
    h.ftp.setDisplayFileFlag(true);
    EXPECT_EQ(h.run([&] { h.ftp.directoryAsync(); }, 10s), 500);
    EXPECT_EQ(h.done.back().request, FtpRequest::DirectoryAsync);
    EXPECT_EQ(h.ftp.errorMessage(), "500 FtpException: Password emtpy");
    EXPECT_EQ(h.ftp.lastResponse(), "500 FtpException: Password emtpy");
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
}

TEST_F(ScriptedFtp, LineBreaksAndNulBytesInArgumentsAreRefused) {
    startLoggedIn([](ScriptedFtpSession& s) { answer(s, "NOOP", "200 Still here"); });
    for (const std::string& name :
         {std::string("a\r\nDELE b"), std::string("a\nb"), std::string("a\0b", 3)}) {
        h.ftp.setHostFileName(name);
        EXPECT_THROW(h.ftp.deleAsync(), FtpException);
    }
    EXPECT_EQ(h.ftp.state(), FtpState::fsReady);
    h.ftp.setLocalFileName("NOOP");
    EXPECT_EQ(h.run([&] { h.ftp.quoteAsync(); }), 0);
    EXPECT_EQ(server->commands().back(), "NOOP");
    EXPECT_EQ(server->commands().size(), 3u);
}

TEST_F(ScriptedFtp, ExceptionInRequestDoneGoesToBgException) {
    start([](ScriptedFtpSession& s) {
        login(s);
        s.waitForClose(5s);
    });
    std::string seen;
    h.ftp.onRequestDone = [](FtpRequest, int) { throw std::runtime_error("handler broke"); };
    h.ftp.onBgException = [&](const std::exception& e, bool& canClose) {
        seen = e.what();
        EXPECT_TRUE(canClose);
    };
    h.ftp.connectAsync();
    ASSERT_TRUE(h.pumpUntil([&] { return !seen.empty(); }));
    EXPECT_EQ(seen, "handler broke");
    EXPECT_TRUE(h.ftp.connected());
}

TEST_F(ScriptedFtp, SessionsLeaveNoDescriptorsBehind) {
    start([](ScriptedFtpSession& s) {
        login(s);
        serveRetr(s, "listing\r\n");
        answer(s, "QUIT", "221 Bye");
        s.closeControl();
    });
    h.ftp.setPassive(true);
    h.ftp.setDisplayFileFlag(true);
    h.ftp.setHostFileName("f");
    auto session = [&](int n) {
        ASSERT_EQ(connect(), 0);
        ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0);
        ASSERT_EQ(h.run([&] { h.ftp.quitAsync(); }), 0);
        ASSERT_TRUE(h.pumpUntil([&] { return server->finishedSessions() == n; }));
    };
    session(1);
    const int descriptors = openDescriptorCount();
    for (int i = 2; i <= 4; ++i)
        session(i);
    EXPECT_EQ(openDescriptorCount(), descriptors);
    EXPECT_EQ(h.displayedFileLines.size(), 4u);
}

TEST_F(ScriptedFtp, EndlessListingLineIsReportedInBoundedPieces) {
    const std::size_t total = 32u << 20;
    startLoggedIn([&](ScriptedFtpSession& s) {
        startTransfer(s, "LIST");
        const std::string block(1 << 20, 'x');
        for (std::size_t sent = 0; sent < total; sent += block.size())
            s.sendData(block);
        s.closeData();
        s.reply("226 Done");
    });
    h.ftp.setPassive(true);
    h.ftp.setDisplayFileFlag(true);
    std::size_t received = 0;
    std::size_t longest = 0;
    h.ftp.onDisplayFile = [&](std::string& line) {
        received += line.size();
        longest = std::max(longest, line.size());
    };
    EXPECT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0);
    EXPECT_EQ(received, total);
    EXPECT_LE(longest, 1u << 20);
}

TEST_F(ScriptedFtp, StateChangesAndRewrittenCommands) {
    startLoggedIn([](ScriptedFtpSession& s) {
        answer(s, "CWD d", "250 OK");
        answer(s, "XPWD", "257 \"/d\"");
    });
    EXPECT_EQ(thrownMessage([&] { h.ftp.setConnectionType(FtpConnectionType::ftpProxy); }),
              "Quayside is connected");
    std::vector<FtpState> states;
    h.ftp.onStateChange = [&] { states.push_back(h.ftp.state()); };
    h.ftp.setHostDirName("d");
    EXPECT_EQ(h.run([&] { h.ftp.cwdAsync(); }), 0);
    EXPECT_EQ(states, (std::vector<FtpState>{FtpState::fsWaitingResponse, FtpState::fsReady}));
    h.ftp.onCommand = [](std::string& cmd) { cmd = "X" + cmd; };
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0);
    EXPECT_TRUE(h.logged("> XPWD"));
    EXPECT_EQ(h.ftp.dirResult(), "/d");
}

}  // namespace
}  // namespace quay::test

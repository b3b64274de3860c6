// The engine against real FTP servers (vsftpd, pure-ftpd, pyftpdlib) on 127.0.0.1.
#include <gtest/gtest.h>

#include <filesystem>

#include "ftp_harness.h"
#include "ftp_servers.h"
#include "test_support.h"

namespace quay::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Transfers between the remote file `remoteName` and `localName` in the folder `work`.
void files(FtpHarness& h, const TempDir& work, const std::string& remoteName,
           const std::string& localName) {
    h.ftp.setHostFileName(remoteName);
    h.ftp.setLocalFileName((work.path() / localName).string());
}

class RealServer : public ::testing::TestWithParam<FtpServerKind> {
protected:
    void SetUp() override {
        fs::create_directories(root.path() / "sub");
        writeFile(root.path() / "hello.txt", "hello world\r\n");
        writeFile(root.path() / "blob.bin", blob);
        server = makeFtpServer(GetParam());
        server->start(root.path());
        h.target(server->port(), server->user(), server->password());
    }

    void connect() {
        ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
    }
    // Binary transfers of blob.bin to or from the local blob.bin.
    void blobTransfer(bool passive) {
        h.ftp.setPassive(passive);
        ASSERT_TRUE(h.ftp.typeBinary());
        files(h, work, "blob.bin", "blob.bin");
    }
    // A sparse remote big.bin of 1 GiB, more than any test lets through.
    void bigRemoteFile() {
        writeFile(remote("big.bin"), "");
        fs::resize_file(remote("big.bin"), kBig);
        server->handOver(remote("big.bin"));
    }
    std::string local(const std::string& name) const { return (work.path() / name).string(); }
    fs::path remote(const std::string& name) const { return root.path() / name; }

    static constexpr std::uintmax_t kBig = std::uintmax_t{1} << 30;
    const std::string blob = randomBytes(3 * 1024 * 1024 + 17, 7);
    TempDir root;
    TempDir work;
    std::unique_ptr<FtpServer> server;
    FtpHarness h;
};

TEST_P(RealServer, LogInRefusedWithAWrongPassword) {
    h.ftp.setPassWord("wrong");
    EXPECT_EQ(h.run([&] { h.ftp.connectAsync(); }), 530);
    EXPECT_EQ(h.ftp.errorMessage().substr(0, 3), "530");
}

TEST_P(RealServer, DownloadsAndUploadsInBothModes) {
    connect();
    for (bool passive : {false, true}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        blobTransfer(passive);
        writeFile(local("blob.bin"), std::string(5000000, 'z'));  // truncated by the download
        std::vector<std::int64_t> counts;
        h.ftp.onProgress = [&](std::int64_t count, bool&) { counts.push_back(count); };
        ASSERT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
        EXPECT_TRUE(readFile(local("blob.bin")) == blob);
        ASSERT_FALSE(counts.empty());
        EXPECT_TRUE(std::is_sorted(counts.begin(), counts.end()));
        EXPECT_EQ(h.loggedStarting("! " + std::to_string(blob.size()) + " bytes received in"),
                  passive ? 2 : 1);

        const std::string up = passive ? "up-passive.bin" : "up-active.bin";
        h.ftp.setHostFileName(up);
        counts.clear();
        ASSERT_EQ(h.run([&] { h.ftp.putAsync(); }), 0) << h.logText();
        EXPECT_TRUE(readFile(remote(up)) == blob);
        ASSERT_FALSE(counts.empty());
        EXPECT_LE(counts.back(), static_cast<std::int64_t>(blob.size()));
    }
    EXPECT_TRUE(h.logged("> EPSV"));
    EXPECT_FALSE(h.logged("> PASV"));
    EXPECT_EQ(h.loggedStarting("> PORT 127,0,0,1,"), 2);
}

TEST_P(RealServer, EmptyUploadAndListings) {
    connect();
    h.ftp.setPassive(true);
    writeFile(local("empty"), "");
    files(h, work, "empty.txt", "empty");
    ASSERT_EQ(h.run([&] { h.ftp.putAsync(); }), 0) << h.logText();
    EXPECT_EQ(fs::file_size(remote("empty.txt")), 0u);
    EXPECT_EQ(h.loggedStarting("! 0 bytes sent in"), 1);

    files(h, work, "", "list.txt");
    ASSERT_TRUE(h.ftp.typeAscii());
    ASSERT_EQ(h.run([&] { h.ftp.dirAsync(); }), 0) << h.logText();
    const std::string listing = readFile(local("list.txt"));
    EXPECT_NE(listing.find("hello.txt"), std::string::npos) << listing;
    EXPECT_NE(listing.find("sub"), std::string::npos);

    h.ftp.setLocalFileName("");
    h.ftp.setDisplayFileFlag(true);
    ASSERT_EQ(h.run([&] { h.ftp.lsAsync(); }), 0) << h.logText();
    EXPECT_NE(std::find(h.displayedFileLines.begin(), h.displayedFileLines.end(), "hello.txt"),
              h.displayedFileLines.end());
}

TEST_P(RealServer, ResumeInBothDirectionsAndAppend) {
    connect();
    blobTransfer(true);
    // Download resume: the local file holds the first 1000 bytes; REST takes its size.
    writeFile(local("blob.bin"), blob.substr(0, 1000));
    std::int64_t firstCount = -1;
    h.ftp.onProgress = [&](std::int64_t count, bool&) {
        if (firstCount < 0)
            firstCount = count;
    };
    ASSERT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 0) << h.logText();
    EXPECT_TRUE(h.logged("> REST 1000"));
    EXPECT_GE(firstCount, 1000);
    EXPECT_TRUE(readFile(local("blob.bin")) == blob);
    EXPECT_EQ(h.ftp.resumeAt(), 0);

    // No local file: no REST, the download starts at 0.
    h.ftp.setLocalFileName(local("fresh.bin"));
    const int restsBefore = h.loggedStarting("> REST");
    ASSERT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 0);
    EXPECT_EQ(h.loggedStarting("> REST"), restsBefore);
    EXPECT_TRUE(readFile(local("fresh.bin")) == blob);

    // Upload resume: REST takes the caller's offset, not the local size.
    writeFile(remote("part.bin"), blob.substr(0, 4096));
    server->handOver(remote("part.bin"));
    files(h, work, "part.bin", "fresh.bin");
    h.ftp.setResumeAt(4096);
    ASSERT_EQ(h.run([&] { h.ftp.restPutAsync(); }), 0) << h.logText();
    EXPECT_TRUE(h.logged("> REST 4096"));
    EXPECT_EQ(h.done.back().request, FtpRequest::PutAsync);
    EXPECT_TRUE(readFile(remote("part.bin")) == blob);

    writeFile(local("tail.txt"), "tail");
    files(h, work, "hello.txt", "tail.txt");
    ASSERT_EQ(h.run([&] { h.ftp.appendAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.done.back().request, FtpRequest::AppendAsync);
    EXPECT_EQ(readFile(remote("hello.txt")), "hello world\r\ntail");
}

TEST_P(RealServer, FileAndDirectoryCommands) {
    connect();
    ASSERT_TRUE(h.ftp.typeBinary());
    h.ftp.setHostFileName("blob.bin");
    ASSERT_EQ(h.run([&] { h.ftp.sizeAsync(); }), 0);
    EXPECT_EQ(h.ftp.sizeResult(), static_cast<std::int64_t>(blob.size()));

    h.ftp.setHostFileName("new dir");
    ASSERT_EQ(h.run([&] { h.ftp.mkdAsync(); }), 0) << h.logText();
    EXPECT_TRUE(fs::is_directory(remote("new dir")));
    EXPECT_NE(h.ftp.dirResult().find("new dir"), std::string::npos) << h.ftp.dirResult();

    h.ftp.setHostDirName("new dir");
    ASSERT_TRUE(h.ftp.cwd());
    ASSERT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0);
    const std::string inside = h.ftp.dirResult();
    EXPECT_EQ(inside.substr(inside.size() - 7), "new dir") << inside;
    ASSERT_EQ(h.run([&] { h.ftp.cDupAsync(); }), 0) << h.logText();
    ASSERT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0);
    const std::string parent = inside.substr(0, inside.size() - std::string("/new dir").size());
    EXPECT_EQ(h.ftp.dirResult(), parent.empty() ? "/" : parent);

    h.ftp.setHostFileName("new dir");
    ASSERT_EQ(h.run([&] { h.ftp.rmdAsync(); }), 0) << h.logText();
    EXPECT_FALSE(fs::exists(remote("new dir")));

    h.ftp.setHostFileName("hello.txt");
    h.ftp.setLocalFileName("renamed.txt");
    ASSERT_EQ(h.run([&] { h.ftp.renAsync(); }), 0) << h.logText();
    EXPECT_TRUE(fs::exists(remote("renamed.txt")));

    h.ftp.setHostFileName("renamed.txt");
    ASSERT_EQ(h.run([&] { h.ftp.deleAsync(); }), 0);
    EXPECT_FALSE(fs::exists(remote("renamed.txt")));

    h.ftp.setHostFileName("no-such-file");
    EXPECT_EQ(h.run([&] { h.ftp.deleAsync(); }), 550);
}

// An abort from onProgress fails the download and the session goes on; abortAsync ends it.
TEST_P(RealServer, AbortMidDownload) {
    connect();
    blobTransfer(true);
    h.ftp.onProgress = [&](std::int64_t count, bool& abort) { abort = count > 0; };
    EXPECT_NE(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
    EXPECT_TRUE(h.logged("! Abort requested"));
    EXPECT_LT(fs::file_size(local("blob.bin")), blob.size());
    h.ftp.onProgress = nullptr;
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
    EXPECT_TRUE(readFile(local("blob.bin")) == blob) << h.logText();

    blobTransfer(false);
    h.ftp.onProgress = [&](std::int64_t count, bool&) {
        if (count > 0)
            h.ftp.abortAsync();
    };
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 426) << h.logText();
    EXPECT_EQ(h.ftp.errorMessage(), "426 Operation aborted.");
    EXPECT_FALSE(h.ftp.connected());
    EXPECT_EQ(h.sessionClosed, 1);
    h.ftp.onProgress = nullptr;
    connect();
    blobTransfer(false);
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
    EXPECT_TRUE(readFile(local("blob.bin")) == blob);
}

// abortTransfer in the middle of a download and of an upload, both modes: each fails at once,
// and the replies the server still sends for the transfer and for ABOR are not taken as the
// answer to the next command.
TEST_P(RealServer, AbortTransferKeepsTheRepliesInStep) {
    bigRemoteFile();
    writeFile(local("big.bin"), std::string(64 << 20, 'b'));
    connect();
    int stopped = 0;
    h.ftp.onProgress = [&](std::int64_t count, bool&) {
        if (count > 0 && h.ftp.abortTransfer())
            ++stopped;
    };
    for (bool passive : {true, false}) {
        SCOPED_TRACE(passive ? "passive" : "active");
        h.ftp.setPassive(passive);
        files(h, work, "big.bin", "down.bin");
        EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 426) << h.logText();
        EXPECT_LT(fs::file_size(local("down.bin")), kBig);
        EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
        EXPECT_EQ(h.ftp.statusCode(), 257) << h.logText();

        files(h, work, "up.bin", "big.bin");
        EXPECT_EQ(h.run([&] { h.ftp.putAsync(); }), 426) << h.logText();
        EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
        EXPECT_EQ(h.ftp.statusCode(), 257) << h.logText();
    }
    h.ftp.onProgress = nullptr;
    blobTransfer(true);
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 0) << h.logText();
    EXPECT_TRUE(readFile(local("blob.bin")) == blob);
    EXPECT_EQ(stopped, 4);
    EXPECT_EQ(h.loggedStarting("> ABOR"), 4) << h.logText();
}

// Stop given the moment RETR of a large file has left, before the server's 150: the next
// commands wait for the answer to ABOR instead of being sent behind it (pure-ftpd dropped them
// and the listing that followed waited for the time-out), so a listing right after the stop
// arrives at once, and the replies that follow stay matched to their commands.
TEST_P(RealServer, StopBeforeThePreliminaryReplyKeepsTheSessionWorking) {
    bigRemoteFile();
    connect();
    h.ftp.setPassive(true);
    h.stopAfterCommand("RETR ");
    files(h, work, "big.bin", "down.bin");
    EXPECT_EQ(h.run([&] { h.ftp.getAsync(); }), 426) << h.logText();
    ASSERT_TRUE(h.stopped());
    const auto start = std::chrono::steady_clock::now();
    files(h, work, "", "list.txt");
    ASSERT_EQ(h.run([&] { h.ftp.dirAsync(); }, 30s), 0) << h.logText();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 8s) << h.logText();
    EXPECT_NE(readFile(local("list.txt")).find("hello.txt"), std::string::npos) << h.logText();
    EXPECT_EQ(h.loggedStarting("! Time-out"), 0) << h.logText();
    EXPECT_EQ(h.run([&] { h.ftp.pwdAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.ftp.statusCode(), 257) << h.logText();

    const auto retr = std::find(h.log.begin(), h.log.end(), "> RETR big.bin");
    ASSERT_GT(std::distance(retr, h.log.end()), 3) << h.logText();
    EXPECT_EQ(*std::next(retr), "! Abort requested") << h.logText();
    EXPECT_EQ(*std::next(retr, 2), "> ABOR") << h.logText();
    // Nothing went out between ABOR and its answer.
    const auto nextCommand =
        std::find_if(std::next(retr, 3), h.log.end(),
                     [](const std::string& line) { return line.rfind('>', 0) == 0; });
    const auto aborAnswer = std::find_if(std::next(retr, 3), nextCommand, [](const auto& line) {
        return line.rfind("< 225", 0) == 0 || line.rfind("< 226", 0) == 0;
    });
    EXPECT_NE(aborAnswer, nextCommand) << h.logText();
}

INSTANTIATE_TEST_SUITE_P(Servers, RealServer,
                         ::testing::Values(FtpServerKind::Vsftpd, FtpServerKind::PureFtpd,
                                           FtpServerKind::Pyftpdlib),
                         [](const auto& info) { return ftpServerKindName(info.param); });

// Each sequence operation once, against pyftpdlib.
class Sequences : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(root.path() / "dir");
        writeFile(root.path() / "dir" / "a.txt", "alpha");
        server.start(root.path());
        h.target(server.port(), server.user(), server.password());
        h.ftp.setHostDirName("dir");
        h.ftp.setPassive(true);
    }
    int run(void (FtpClientBase::*operation)()) {
        return h.run([&] { (h.ftp.*operation)(); });
    }

    TempDir root;
    TempDir work;
    PyFtpdServer server;
    FtpHarness h;
};

TEST_F(Sequences, WholeSessionOperations) {
    const auto dir = root.path() / "dir";
    files(h, work, "a.txt", "a.txt");
    EXPECT_EQ(run(&FtpClientBase::receiveAsync), 0) << h.logText();
    EXPECT_EQ(readFile(work.path() / "a.txt"), "alpha");
    EXPECT_FALSE(h.ftp.connected());

    // pyftpdlib refuses SIZE in ASCII mode, the type of a fresh session.
    EXPECT_EQ(run(&FtpClientBase::fileSizeAsync), 550);
    EXPECT_EQ(h.done.back().request, FtpRequest::SizeAsync);

    h.ftp.setHostFileName("b.txt");
    EXPECT_EQ(run(&FtpClientBase::transmitAsync), 0) << h.logText();
    EXPECT_EQ(h.done.back().request, FtpRequest::PutAsync);
    EXPECT_EQ(readFile(dir / "b.txt"), "alpha");

    EXPECT_EQ(run(&FtpClientBase::appendFileAsync), 0);
    EXPECT_EQ(h.done.back().request, FtpRequest::AppendAsync);
    EXPECT_EQ(readFile(dir / "b.txt"), "alphaalpha");

    // Only the local bytes behind the offset move; they land at the same offset.
    writeFile(work.path() / "a.txt", "alpHA");
    h.ftp.setResumeAt(3);
    EXPECT_EQ(run(&FtpClientBase::restartPutAsync), 0);
    EXPECT_TRUE(h.logged("> REST 3"));
    EXPECT_EQ(readFile(dir / "b.txt"), "alpHAalpha");

    writeFile(work.path() / "c.txt", "al");
    files(h, work, "a.txt", "c.txt");
    EXPECT_EQ(run(&FtpClientBase::restartGetAsync), 0);
    EXPECT_TRUE(h.logged("> REST 2"));
    EXPECT_EQ(readFile(work.path() / "c.txt"), "alpha");

    files(h, work, "", "list.txt");
    EXPECT_EQ(run(&FtpClientBase::directoryAsync), 0);
    EXPECT_NE(readFile(work.path() / "list.txt").find("b.txt"), std::string::npos) << h.logText();
    EXPECT_EQ(run(&FtpClientBase::listAsync), 0);
    EXPECT_NE(readFile(work.path() / "list.txt").find("a.txt"), std::string::npos);

    EXPECT_EQ(run(&FtpClientBase::systemAsync), 0);
    EXPECT_EQ(h.ftp.statusCode(), 215);

    h.ftp.setHostFileName("b.txt");
    h.ftp.setLocalFileName("c.txt");
    EXPECT_EQ(run(&FtpClientBase::renameAsync), 0);
    EXPECT_TRUE(fs::exists(dir / "c.txt"));
    h.ftp.setHostFileName("c.txt");
    EXPECT_EQ(run(&FtpClientBase::deleteAsync), 0);
    EXPECT_FALSE(fs::exists(dir / "c.txt"));

    h.ftp.setHostFileName("sub");
    EXPECT_EQ(run(&FtpClientBase::mkdirAsync), 0);
    EXPECT_TRUE(fs::is_directory(dir / "sub"));
    EXPECT_EQ(run(&FtpClientBase::rmdirAsync), 0);
    EXPECT_FALSE(fs::exists(dir / "sub"));

    h.ftp.setLocalFileName("NOOP");
    EXPECT_EQ(run(&FtpClientBase::doQuoteAsync), 0);
    EXPECT_EQ(h.done.back().request, FtpRequest::DoQuoteAsync);
    EXPECT_EQ(h.loggedCount("> QUIT"), 14);
}

TEST_F(Sequences, FailedLoginReportsTheStartingType) {
    h.ftp.setPassWord("wrong");
    h.ftp.setLocalFileName((work.path() / "a.txt").string());
    writeFile(work.path() / "a.txt", "x");
    EXPECT_EQ(run(&FtpClientBase::appendFileAsync), 530);
    EXPECT_EQ(h.done.back().request, FtpRequest::TransmitAsync);
    EXPECT_TRUE(h.logged("> QUIT"));
}

TEST_F(Sequences, UserWithoutPasswordAndEmptyDirectory) {
    h.ftp.setUserName(PyFtpdServer::noPasswordUser());
    h.ftp.setHostDirName("");
    h.ftp.setDisplayFileFlag(true);
    EXPECT_EQ(run(&FtpClientBase::directoryAsync), 0) << h.logText();
    EXPECT_FALSE(h.logged("> PASS quaytest"));
    EXPECT_EQ(h.loggedStarting("> CWD"), 0);
    ASSERT_EQ(h.displayedFileLines.size(), 1u);
    EXPECT_NE(h.displayedFileLines[0].find("dir"), std::string::npos);
    EXPECT_TRUE(h.logged("> LIST"));
}

}  // namespace
}  // namespace quay::test

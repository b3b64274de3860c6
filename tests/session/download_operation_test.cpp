// The download operation headless against a real server: the commands it sends in order, the
// bytes it writes, and the session ending while the overwrite question is open. Resume and
// interruptions: transfer_batch_test.cpp.
#include "transfer_session.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::Commands;
using namespace std::chrono_literals;

class DownloadOperationTest : public ::testing::Test, public test::TransferSession {};

TEST_F(DownloadOperationTest, FilesThenTreesWithTypeBeforeEachStepAndTheStartListedAgain) {
    const std::string a = test::patternBytes(70000, 'a');
    const std::string x = test::patternBytes(3000, 'x');
    open([&](const fs::path& r) {
        test::writeFile(r / "a.bin", a);
        fs::create_directories(r / "dir" / "deeper");
        test::writeFile(r / "dir" / "inner.txt", "inner\r\n");
        test::writeFile(r / "dir" / "deeper" / "x.bin", x);
    });
    select(remotePane(), "a.bin");
    select(remotePane(), "dir");
    const std::size_t before = logSize();
    controller->execute(Command::Download);
    ASSERT_TRUE(settled()) << logText();

    const std::string dir = remotePath("dir");
    EXPECT_EQ(sentSince(before), (Commands{"TYPE I",
                                           "EPSV",
                                           "RETR " + remotePath("a.bin"),
                                           "TYPE A",
                                           "CWD " + dir,
                                           "TYPE A",
                                           "EPSV",
                                           "MLSD",
                                           "TYPE I",
                                           "EPSV",
                                           "RETR inner.txt",
                                           "TYPE A",
                                           "CWD " + dir + "/deeper",
                                           "TYPE A",
                                           "EPSV",
                                           "MLSD",
                                           "TYPE I",
                                           "EPSV",
                                           "RETR x.bin",
                                           "TYPE A",
                                           "CWD " + start,
                                           "TYPE A",
                                           "EPSV",
                                           "MLSD"}))
        << logText();
    EXPECT_TRUE(holds(local.path() / "a.bin", a));
    EXPECT_TRUE(holds(local.path() / "dir" / "inner.txt", "inner\r\n"));
    EXPECT_TRUE(holds(local.path() / "dir" / "deeper" / "x.bin", x));
    EXPECT_TRUE(test::showsCaption(localPane(), "a.bin"));
    expectConsistent(false, "a.bin");
}

TEST_F(DownloadOperationTest, TheSessionEndingDuringTheQuestionEndsTheBatchAfterTheAnswer) {
    open([&](const fs::path& r) {
        test::writeFile(r / "asked.bin", "new");
        test::writeFile(r / "next.bin", "next");
    });
    test::writeFile(local.path() / "asked.bin", "old");
    dialogs.overwriteAnswers = {{Dialogs::Overwrite::Overwrite, {}}};
    dialogs.whileAsking = [this] {
        server->stop();
        EXPECT_TRUE(loop.runUntil([&] { return !controller->ftp().connected(); }, 30s));
        EXPECT_TRUE(controller->runner().busy());
    };
    select(remotePane(), "asked.bin");
    select(remotePane(), "next.bin");
    controller->execute(Command::Download);
    expectConsistent(true, "");
    EXPECT_EQ(logCount("> RETR"), 0) << logText();
    EXPECT_TRUE(holds(local.path() / "asked.bin", "old"));
    EXPECT_FALSE(fs::exists(local.path() / "next.bin"));
}

}  // namespace
}  // namespace quay

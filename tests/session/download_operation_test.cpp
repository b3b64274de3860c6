// The download operation headless against a real server: the commands it sends in order, the
// bytes it writes, resume onto a complete file, and the batch interrupted in the middle.
#include "transfer_session.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::Commands;
using test::Interruption;
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

// A local file as long as the listed one has nothing to resume: said in a "! " line, and the
// question comes again; a shorter one is resumed from its end.
TEST_F(DownloadOperationTest, ResumeOntoACompleteFileIsAskedAgain) {
    const std::string full = test::patternBytes(5000, 'f');
    open([&](const fs::path& r) {
        test::writeFile(r / "full.bin", full);
        test::writeFile(r / "part.bin", full);
    });
    test::writeFile(local.path() / "full.bin", full);
    test::writeFile(local.path() / "part.bin", full.substr(0, 1000));
    using O = Dialogs::Overwrite;
    dialogs.overwriteAnswers = {{O::Resume, {}}, {O::Skip, {}}, {O::Resume, {}}};
    select(remotePane(), "full.bin");
    select(remotePane(), "part.bin");
    const std::size_t before = logSize();
    controller->execute(Command::Download);
    ASSERT_TRUE(settled()) << logText();

    EXPECT_EQ(dialogs.overwriteAsked.size(), 3u) << logText();
    EXPECT_EQ(logCount("! Not resumed: "), 1) << logText();
    const Commands sent = sentSince(before);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "RETR " + remotePath("full.bin")), 0)
        << logText();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "REST 1000"), 1) << logText();
    EXPECT_TRUE(holds(local.path() / "part.bin", full));
    EXPECT_TRUE(holds(local.path() / "full.bin", full));
}

// The overwrite question is modal: a session that ends while it is open (the loop runs inside
// the dialog) ends the batch once it is answered, and the server list comes back.
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

class DownloadInterruptionTest : public ::testing::TestWithParam<Interruption>,
                                 public test::TransferSession {};

TEST_P(DownloadInterruptionTest, LeavesTheSessionConsistent) {
    const Interruption interruption = GetParam();
    open([&](const fs::path& r) {
        for (int i = 0; i < test::kBatchFiles; ++i)
            test::writeFile(r / test::batchFileName(i),
                            test::patternBytes(test::kBatchFileSize, i));
        if (interruption == Interruption::Refused)
            fs::permissions(r / test::batchFileName(2), fs::perms::none);
    });
    if (interruption == Interruption::KeepAliveDuringQuestion) {
        // Every file exists locally: each is asked about, and the keep-alive ticks meanwhile.
        for (int i = 0; i < test::kBatchFiles; ++i)
            test::writeFile(local.path() / test::batchFileName(i), "old");
        dialogs.overwriteAnswers.assign(test::kBatchFiles, {Dialogs::Overwrite::Overwrite, {}});
        dialogs.whileAsking = [this] {
            for (int tick = 0; tick < 5; ++tick)
                controller->keepAliveTick();
        };
    }
    for (int i = 0; i < test::kBatchFiles; ++i)
        select(remotePane(), test::batchFileName(i));
    const std::size_t before = logSize();
    controller->execute(Command::Download);
    ASSERT_TRUE(logged("Starting transfer of " + test::batchFileName(1))) << logText();
    interrupt(interruption);
    const bool lost = interruption == Interruption::Dropped;
    expectConsistent(lost, test::batchFileName(0));

    const Commands sent = sentSince(before);
    int fetched = 0;
    for (int i = 0; i < test::kBatchFiles; ++i) {
        const auto count =
            std::count(sent.begin(), sent.end(), "RETR " + remotePath(test::batchFileName(i)));
        EXPECT_LE(count, 1) << test::batchFileName(i);
        fetched += static_cast<int>(count);
    }
    // The keep-alive never sends into the batch (an abort's own NOOP follows ABOR).
    if (interruption == Interruption::KeepAliveDuringQuestion) {
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "NOOP"), 0) << logText();
    }
    switch (interruption) {
        case Interruption::Stop:
        case Interruption::Dropped:
            EXPECT_LE(fetched, 2) << logText();
            EXPECT_FALSE(fs::exists(local.path() / test::batchFileName(test::kBatchFiles - 1)));
            break;
        case Interruption::Refused:
            EXPECT_EQ(fetched, test::kBatchFiles) << logText();
            EXPECT_EQ(logCount("Error 550"), 1) << logText();
            EXPECT_TRUE(holds(local.path() / test::batchFileName(3),
                              test::patternBytes(test::kBatchFileSize, 3)));
            break;
        case Interruption::SecondCommand:
            EXPECT_EQ(logCount("! Refresh not started: Download is running"), 1) << logText();
            EXPECT_EQ(logCount("! Download not started: Download is running"), 1) << logText();
            EXPECT_EQ(logCount("! Upload not started: Download is running"), 1) << logText();
            [[fallthrough]];
        default:
            EXPECT_EQ(fetched, test::kBatchFiles) << logText();
            for (int i = 0; i < test::kBatchFiles; ++i)
                EXPECT_TRUE(holds(local.path() / test::batchFileName(i),
                                  test::patternBytes(test::kBatchFileSize, i)));
            break;
    }
    if (interruption == Interruption::KeepAliveDuringQuestion) {
        EXPECT_EQ(dialogs.overwriteAsked.size(), static_cast<std::size_t>(test::kBatchFiles));
        // Once the batch is over the keep-alive runs again.
        controller->keepAliveTick();
        ASSERT_TRUE(settled());
        EXPECT_EQ(logCount("> NOOP"), 1) << logText();
    }
}

INSTANTIATE_TEST_SUITE_P(Interruptions, DownloadInterruptionTest, test::everyInterruption(),
                         test::interruptionTestName);

}  // namespace
}  // namespace quay

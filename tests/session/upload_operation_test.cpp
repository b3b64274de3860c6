// The upload operation headless against a real server: the commands it sends in order, the
// bytes that arrive, resume onto a complete remote file, and the batch interrupted in the
// middle.
#include "transfer_session.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::Commands;
using test::Interruption;

class UploadOperationTest : public ::testing::Test, public test::TransferSession {};

TEST_F(UploadOperationTest, AMissingDirectoryIsMadeEnteredListedAndFilled) {
    open([](const fs::path& r) { test::writeFile(r / "top.txt", "top"); });
    const std::string a = test::patternBytes(90000, 'a');
    test::writeFile(local.path() / "a.bin", a);
    fs::create_directories(local.path() / "up");
    test::writeFile(local.path() / "up" / "in.bin", test::patternBytes(2000, 'i'));
    showLocal();
    select(localPane(), "a.bin");
    select(localPane(), "up");
    const std::size_t before = logSize();
    controller->execute(Command::Upload);
    ASSERT_TRUE(settled()) << logText();

    const std::string up = remotePath("up");
    EXPECT_EQ(sentSince(before), (Commands{"TYPE I", "EPSV", "STOR a.bin", "CWD " + up, "TYPE A",
                                           "MKD " + up, "CWD " + up, "TYPE A", "EPSV", "MLSD",
                                           "TYPE I", "EPSV", "STOR " + up + "/in.bin", "TYPE A",
                                           "CWD " + start, "TYPE A", "EPSV", "MLSD"}))
        << logText();
    EXPECT_TRUE(holds(root.path() / "a.bin", a));
    EXPECT_TRUE(holds(root.path() / "up" / "in.bin", test::patternBytes(2000, 'i')));
    expectConsistent(false, "a.bin");
}

// A remote file as long as the local one has nothing to resume: said in a "! " line, and the
// question comes again; a shorter one is resumed at its size.
TEST_F(UploadOperationTest, ResumeOntoACompleteRemoteFileIsAskedAgain) {
    const std::string full = test::patternBytes(5000, 'f');
    open([&](const fs::path& r) {
        test::writeFile(r / "full.bin", full);
        test::writeFile(r / "part.bin", full.substr(0, 1000));
    });
    test::writeFile(local.path() / "full.bin", full);
    test::writeFile(local.path() / "part.bin", full);
    showLocal();
    using O = Dialogs::Overwrite;
    dialogs.overwriteAnswers = {{O::Resume, {}}, {O::Skip, {}}, {O::Resume, {}}};
    select(localPane(), "full.bin");
    select(localPane(), "part.bin");
    const std::size_t before = logSize();
    controller->execute(Command::Upload);
    ASSERT_TRUE(settled()) << logText();

    EXPECT_EQ(dialogs.overwriteAsked.size(), 3u) << logText();
    EXPECT_EQ(logCount("! Not resumed: "), 1) << logText();
    const Commands sent = sentSince(before);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "STOR full.bin"), 0) << logText();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "REST 1000"), 1) << logText();
    EXPECT_TRUE(holds(root.path() / "part.bin", full));
    EXPECT_TRUE(holds(root.path() / "full.bin", full));
}

class UploadInterruptionTest : public ::testing::TestWithParam<Interruption>,
                               public test::TransferSession {};

// The files go into the directory "up": refused is a directory of the name of the third file
// there, asked about are files of the names of all.
TEST_P(UploadInterruptionTest, LeavesTheSessionConsistent) {
    const Interruption interruption = GetParam();
    open([&](const fs::path& r) {
        test::writeFile(r / "top.txt", "top");
        fs::create_directories(r / "up");
        if (interruption == Interruption::Refused)
            fs::create_directories(r / "up" / test::batchFileName(2));
        if (interruption == Interruption::KeepAliveDuringQuestion)
            for (int i = 0; i < test::kBatchFiles; ++i)
                test::writeFile(r / "up" / test::batchFileName(i), "old");
    });
    fs::create_directories(local.path() / "up");
    for (int i = 0; i < test::kBatchFiles; ++i)
        test::writeFile(local.path() / "up" / test::batchFileName(i),
                        test::patternBytes(test::kBatchFileSize, i));
    showLocal();
    if (interruption == Interruption::KeepAliveDuringQuestion) {
        dialogs.overwriteAnswers.assign(test::kBatchFiles, {Dialogs::Overwrite::Overwrite, {}});
        dialogs.whileAsking = [this] {
            for (int tick = 0; tick < 5; ++tick)
                controller->keepAliveTick();
        };
    }
    select(localPane(), "up");
    const std::size_t before = logSize();
    controller->execute(Command::Upload);
    ASSERT_TRUE(logged("> STOR " + remotePath("up/" + test::batchFileName(1)))) << logText();
    interrupt(interruption);
    expectConsistent(interruption == Interruption::Dropped, "top.txt");

    const Commands sent = sentSince(before);
    int sentFiles = 0;
    for (int i = 0; i < test::kBatchFiles; ++i) {
        const auto count = std::count(sent.begin(), sent.end(),
                                      "STOR " + remotePath("up/" + test::batchFileName(i)));
        EXPECT_LE(count, 1) << test::batchFileName(i);
        sentFiles += static_cast<int>(count);
    }
    // The keep-alive never sends into the batch (an abort's own NOOP follows ABOR).
    if (interruption == Interruption::KeepAliveDuringQuestion) {
        EXPECT_EQ(std::count(sent.begin(), sent.end(), "NOOP"), 0) << logText();
    }
    const auto arrived = [&](int i) {
        return fs::is_regular_file(root.path() / "up" / test::batchFileName(i)) &&
               test::readFile(root.path() / "up" / test::batchFileName(i)) ==
                   test::patternBytes(test::kBatchFileSize, i);
    };
    switch (interruption) {
        case Interruption::Stop:
        case Interruption::Dropped:
            EXPECT_LE(sentFiles, 2) << logText();
            EXPECT_FALSE(
                fs::exists(root.path() / "up" / test::batchFileName(test::kBatchFiles - 1)));
            break;
        case Interruption::Refused:
            EXPECT_EQ(sentFiles, test::kBatchFiles) << logText();
            EXPECT_EQ(logCount("Error 5"), 1) << logText();
            EXPECT_TRUE(arrived(3));
            EXPECT_TRUE(arrived(test::kBatchFiles - 1));
            break;
        case Interruption::SecondCommand:
            EXPECT_EQ(logCount("! Refresh not started: Upload is running"), 1) << logText();
            EXPECT_EQ(logCount("! Download not started: Upload is running"), 1) << logText();
            EXPECT_EQ(logCount("! Upload not started: Upload is running"), 1) << logText();
            [[fallthrough]];
        default:
            EXPECT_EQ(sentFiles, test::kBatchFiles) << logText();
            for (int i = 0; i < test::kBatchFiles; ++i)
                EXPECT_TRUE(arrived(i)) << test::batchFileName(i);
            break;
    }
    if (interruption == Interruption::KeepAliveDuringQuestion) {
        EXPECT_EQ(dialogs.overwriteAsked.size(), static_cast<std::size_t>(test::kBatchFiles));
    }
}

INSTANTIATE_TEST_SUITE_P(Interruptions, UploadInterruptionTest, test::everyInterruption(),
                         test::interruptionTestName);

}  // namespace
}  // namespace quay

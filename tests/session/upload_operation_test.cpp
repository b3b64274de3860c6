// The upload operation headless against a real server: the commands it sends in order and the
// bytes that arrive. Resume and interruptions: transfer_batch_test.cpp.
#include "transfer_session.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::Commands;

class UploadOperationTest : public ::testing::Test, public test::TransferSession {};

// A directory the batch has just made is entered but not listed: it holds nothing yet.
TEST_F(UploadOperationTest, AMissingDirectoryIsMadeEnteredAndFilledUnlisted) {
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
    EXPECT_EQ(sentSince(before),
              (Commands{"TYPE I", "EPSV", "STOR a.bin", "CWD " + up, "TYPE A", "MKD " + up,
                        "CWD " + up, "TYPE I", "EPSV", "STOR " + up + "/in.bin", "TYPE A",
                        "CWD " + start, "TYPE A", "EPSV", "MLSD"}))
        << logText();
    EXPECT_TRUE(holds(root.path() / "a.bin", a));
    EXPECT_TRUE(holds(root.path() / "up" / "in.bin", test::patternBytes(2000, 'i')));
    expectConsistent(false, "a.bin");
}

// A directory that was there is still listed, so its files meet the overwrite question; one
// made inside it is not, and its file goes without one.
TEST_F(UploadOperationTest, AnExistingDirectoryIsListedAndItsFilesAskedAbout) {
    open([](const fs::path& r) {
        fs::create_directories(r / "up");
        test::writeFile(r / "up" / "in.bin", "old");
    });
    const std::string in = test::patternBytes(3000, 'i');
    const std::string made = test::patternBytes(2000, 'm');
    fs::create_directories(local.path() / "up" / "new");
    test::writeFile(local.path() / "up" / "in.bin", in);
    test::writeFile(local.path() / "up" / "new" / "made.bin", made);
    showLocal();
    select(localPane(), "up");
    dialogs.overwriteAnswers = {{Dialogs::Overwrite::Overwrite, {}}};
    const std::size_t before = logSize();
    controller->execute(Command::Upload);
    ASSERT_TRUE(settled()) << logText();

    ASSERT_EQ(dialogs.overwriteAsked.size(), 1u) << logText();
    EXPECT_TRUE(dialogs.overwriteAsked[0].ends_with("in.bin")) << dialogs.overwriteAsked[0];
    const std::string up = remotePath("up");
    const std::string inside = up + "/new";
    EXPECT_EQ(sentSince(before),
              (Commands{"CWD " + up, "TYPE A", "EPSV", "MLSD", "TYPE I", "EPSV",
                        "STOR " + up + "/in.bin", "CWD " + inside, "TYPE A", "MKD " + inside,
                        "CWD " + inside, "TYPE I", "EPSV", "STOR " + inside + "/made.bin", "TYPE A",
                        "CWD " + start, "TYPE A", "EPSV", "MLSD"}))
        << logText();
    EXPECT_TRUE(holds(root.path() / "up" / "in.bin", in));
    EXPECT_TRUE(holds(root.path() / "up" / "new" / "made.bin", made));
}

}  // namespace
}  // namespace quay

// The upload operation headless against a real server: the commands it sends in order and the
// bytes that arrive. Resume and interruptions: transfer_batch_test.cpp.
#include "transfer_session.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::Commands;

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

}  // namespace
}  // namespace quay

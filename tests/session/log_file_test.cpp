#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "session/log_file.h"
#include "session/log_mask.h"
#include "test_support.h"

namespace quay {
namespace {

TEST(LogMask, OnlyAPassCommandIsMaskedWhole) {
    EXPECT_TRUE(isPassCommandLine("> PASS secret"));
    EXPECT_TRUE(isPassCommandLine("> pass secret"));
    EXPECT_TRUE(isPassCommandLine("> Pass\tsecret"));
    EXPECT_TRUE(isPassCommandLine(">  PASS secret"));
    EXPECT_TRUE(isPassCommandLine("> PASS"));
    EXPECT_FALSE(isPassCommandLine("> RETR my pass list.txt"));
    EXPECT_FALSE(isPassCommandLine("> PASSWORD x"));
    EXPECT_FALSE(isPassCommandLine("< 230 PASS accepted"));
    EXPECT_FALSE(isPassCommandLine("PASS secret"));
}

TEST(LogMask, ThePasswordIsMaskedWhereverItStandsAlone) {
    EXPECT_EQ(maskPassword("530 pw s3 and s3s3 (s3)", "s3"), "530 pw **** and s3s3 (****)");
    EXPECT_EQ(maskPassword("Error 530 bad: hunter2.", "hunter2"), "Error 530 bad: ****.");
    EXPECT_EQ(maskPassword("hunter2", "hunter2"), "****");
    EXPECT_EQ(maskPassword("> TYPE A upload p", "p"), "> TYPE A upload ****");
    EXPECT_EQ(maskPassword("530 'p@ss!' refused", "p@ss!"), "530 '****' refused");
    EXPECT_EQ(maskPassword("x\xc3\xa9secret secret_", "secret"), "x\xc3\xa9secret secret_");
    EXPECT_EQ(maskPassword("nothing here", "hunter2"), "nothing here");
    EXPECT_EQ(maskPassword("no password known", ""), "no password known");
}

class LogFileTest : public testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path path = dir.path() / "session.log";
};

// Control bytes but the tab are escaped, so a server's terminal escapes stay inert text; every
// other byte is kept, and the file is readable by the user only.
TEST_F(LogFileTest, EscapesControlBytesButTabs) {
    LogFile file;
    ASSERT_TRUE(file.open(path.string()));
    EXPECT_EQ(file.write("< 220 \x1b[2J\x1b]0;owned\x07 tab\there\r\x7f caf\xc3\xa9"),
              LogFile::Write::Written);
    EXPECT_EQ(file.write("! second"), LogFile::Write::Written);
    file.close();
    EXPECT_EQ(test::readFile(path),
              "< 220 \\x1b[2J\\x1b]0;owned\\x07 tab\there\\x0d\\x7f caf\xc3\xa9\n! second\n");
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

// The file stops at its limit with one note and stays open; the next open starts it anew.
TEST_F(LogFileTest, StopsAtItsLimitWithOneNote) {
    LogFile file;
    ASSERT_TRUE(file.open(path.string()));
    const std::string line(4095, 'x');
    const std::int64_t fitting = LogFile::kMaxBytes / 4096 - 1;
    for (std::int64_t i = 0; i < fitting; ++i)
        ASSERT_EQ(file.write(line), LogFile::Write::Written);
    EXPECT_EQ(file.write(line), LogFile::Write::LimitReached);
    EXPECT_EQ(file.write(line), LogFile::Write::Written);
    EXPECT_TRUE(file.isOpen());
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
    EXPECT_LE(size, LogFile::kMaxBytes);
    EXPECT_EQ(size, fitting * 4096 + static_cast<std::int64_t>(LogFile::kLimitNote.size()) + 1);
    ASSERT_TRUE(file.open(path.string()));
    EXPECT_EQ(file.write("new"), LogFile::Write::Written);
    EXPECT_EQ(test::readFile(path), "new\n");
}

}  // namespace
}  // namespace quay

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "config/atomic_file.h"
#include "config/text_file.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;

mode_t modeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mode & 07777;
}

std::size_t entryCount(const fs::path& dir) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {}));
}

TEST(AtomicFile, ReplacesContentWithTheWantedModeAndLeavesNothingBehind) {
    test::TempDir dir;
    const fs::path file = dir.path() / "ftplist.TXT";
    ASSERT_TRUE(writeFileAtomically(file, "first", 0644));
    ASSERT_TRUE(writeFileAtomically(file, "second\n", 0600));
    EXPECT_EQ(test::readFile(file), "second\n");
    EXPECT_EQ(modeOf(file), 0600u);
    EXPECT_EQ(entryCount(dir.path()), 1u);
}

TEST(AtomicFile, WritesThroughALinkAndKeepsTheLink) {
    test::TempDir dir;
    fs::create_directory(dir.path() / "kept");
    const fs::path target = dir.path() / "kept" / "options.ftp";
    const fs::path link = dir.path() / "options.ftp";
    test::writeFile(target, "old");
    fs::create_symlink("kept/options.ftp", link);
    ASSERT_TRUE(writeFileAtomically(link, "new", 0600));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readFile(target), "new");
}

TEST(AtomicFile, AFailedWriteReportsAndLeavesEverythingAsItWas) {
    test::TempDir dir;
    // A directory in the way makes the final rename fail, even for root.
    const fs::path blocked = dir.path() / "options.ftp";
    fs::create_directory(blocked);
    test::writeFile(blocked / "inside", "kept");
    std::error_code error;
    EXPECT_FALSE(writeFileAtomically(blocked, "new", 0600, &error));
    EXPECT_TRUE(error);
    EXPECT_EQ(test::readFile(blocked / "inside"), "kept");
    EXPECT_FALSE(writeFileAtomically(dir.path() / "missing" / "x", "new", 0600, &error));
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
    EXPECT_EQ(entryCount(dir.path()), 1u);
}

TEST(TextFile, ReadsRegularFilesWithinTheLimitOnly) {
    test::TempDir dir;
    const fs::path file = dir.path() / "a.txt";
    test::writeFile(file, std::string("x\0y", 3));
    EXPECT_EQ(readTextFile(file), std::string("x\0y", 3));
    EXPECT_EQ(readTextFile(file, 2), std::nullopt);
    EXPECT_EQ(readTextFile(dir.path() / "none"), std::nullopt);
    EXPECT_EQ(readTextFile(dir.path()), std::nullopt);
    const fs::path fifo = dir.path() / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(readTextFile(fifo), std::nullopt);  // must not block waiting for a writer
}

TEST(TextFile, SplitsLinesAtLfAndDropsTheCrBeforeIt) {
    using Lines = std::vector<std::string_view>;
    EXPECT_EQ(splitLines(""), Lines{});
    EXPECT_EQ(splitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(splitLines("a\n\nb\n"), (Lines{"a", "", "b"}));
    EXPECT_EQ(splitLines("a\rb\r\r\n"), (Lines{"a\rb\r"}));
}

}  // namespace
}  // namespace quay

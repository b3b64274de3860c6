#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "listing/listing_walkers.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono;
using Strings = std::vector<std::string>;

const ListingFormat kUnix{"0", {year{2026}, June, day{15}}};

std::vector<std::string> linesOf(std::string_view text, std::size_t minLength, bool vms) {
    std::vector<std::string> lines;
    ListingLines reader;
    reader.minLength = minLength;
    reader.vms = vms;
    reader.onLine = [&](std::string_view line) { lines.emplace_back(line); };
    forEachListingLine(text, reader);
    return lines;
}

TEST(ListingLines, SplitAtEveryKindOfLineEnd) {
    EXPECT_EQ(linesOf("a\r\nb\nc\rd", 0, false), (Strings{"a", "b", "c", "d"}));
    EXPECT_EQ(linesOf("a\n\nb\n", 0, false), (Strings{"a", "", "b"}));
    EXPECT_EQ(linesOf("a\r\rb\r\n", 0, false), (Strings{"a", "", "b"}));
    EXPECT_EQ(linesOf(std::string("x\0y\nzz", 6), 2, false),
              (Strings{std::string("x\0y", 3), "zz"}));
}

TEST(ListingLines, VmsJoinsShortLinesOnceAndNeverTheLastOrAHeader) {
    std::string longLine(45, 'L');
    EXPECT_EQ(linesOf("s1\ns2\ns3\n" + longLine + "\ns4", 0, true),
              (Strings{"s1 s2", "s3 " + longLine, "s4"}));
    EXPECT_EQ(linesOf("DISK$ARCHIVE:[A]\nFILE.TXT;1 1 2", 0, true),
              (Strings{"DISK$ARCHIVE:[A]", "FILE.TXT;1 1 2"}));
}

TEST(ListingLines, StopAfterTheMostLinesWithOneNote) {
    Strings lines, notes;
    ListingLines reader;
    reader.maxLines = 2;
    reader.log = [&](const std::string& note) { notes.push_back(note); };
    reader.onLine = [&](std::string_view line) { lines.emplace_back(line); };
    forEachListingLine("a\nb\nc\nd\n", reader);
    EXPECT_EQ(lines, (Strings{"a", "b"}));
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_TRUE(notes[0].starts_with("! ")) << notes[0];
    forEachListingLine("a\nb\n", reader);
    EXPECT_EQ(notes.size(), 1u) << "no note when nothing is left out";
}

TEST(ListingFile, ReadsUpToTheLimitAtALineEnd) {
    test::TempDir dir;
    std::filesystem::path file = dir.path() / "list.txt";
    test::writeFile(file, "first line\r\nsecond line\r\nthird");
    Strings notes;
    ListingLog log = [&](const std::string& line) { notes.push_back(line); };
    EXPECT_EQ(readListingFile(file, log, 1000), "first line\r\nsecond line\r\nthird");
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(readListingFile(file, log, 20), "first line\r\n");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_TRUE(notes[0].starts_with("! ")) << notes[0];
    EXPECT_EQ(readListingFile(dir.path() / "missing", log), "");
    EXPECT_EQ(readListingFile(dir.path(), log), "") << "a directory is no listing";
}

// A listing file in a directory of its own.
class WalkerTest : public testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path file = dir.path() / "FTPDIR1.TXT";
};

TEST_F(WalkerTest, CollectRemoteNamesTakesFilesOfLongLinesAndLeavesTheFile) {
    EXPECT_TRUE(collectRemoteNames(file, kUnix).empty());
    test::writeFile(file,
                    "total 123456789012345678\r\n"
                    "-rw-r--r-- 1 u g 5 Jun 1 1999x what\r\n"  // a failed line: a "file" of it all
                    "-rw-r--r-- 1 u g 5 Jun 1 12:00 a b.txt\r\n"
                    "drwxr-xr-x 1 u g 5 Jun 1 12:00 dir\r\n"
                    "- 1 u 5 Jun 1 1:0 c\r\n"  // 19 characters
                    "lrwxrwxrwx 1 u g 5 Jun 1 12:00 lib.so -> lib.so.1\r\n");
    EXPECT_EQ(collectRemoteNames(file, kUnix),
              (Strings{"-rw-r--r-- 1 u g 5 Jun 1 1999x what", "a b.txt", "lib.so"}));
    EXPECT_TRUE(std::filesystem::exists(file));
}

TEST_F(WalkerTest, DeleteWalkerQueuesSubdirectoriesAndFilesButNeverDotsOrUnsafeNames) {
    test::writeFile(file,
                    "drwxr-xr-x 2 u g 4096 Jun 1 12:00 .\r\n"
                    "drwxr-xr-x 2 u g 4096 Jun 1 12:00 ..\r\n"
                    "drwxr-xr-x 2 u g 4096 Jun 1 12:00 sub dir\r\n"
                    "-rw-r--r-- 1 u g 5 Jun 1 12:00 notes.txt\r\n"
                    "-rw-r--r-- 1 u g 5 Jun 1 12:00 back\\slash\r\n"
                    "-rw-r--r-- 1 u g 5 Jun 1 12:00 ../../home/user/.profile\r\n"
                    "drwxr-xr-x 2 u g 4096 Jun 1 12:00 /etc\r\n" +
                        std::string("-rw-r--r-- 1 u g 5 Jun 1 12:00 a\0b\r\n", 36) +
                        "-rw-r--r-- 1 user group 1234 Mar 5 12:00\r\n"
                        "-rw-r--r-- 1 u g 5 Jun 1 12:00 ...\r\n");
    Strings notes;
    DeleteWalk walk = walkDeleteListing(file, kUnix, "/home/me/old",
                                        [&](const std::string& line) { notes.push_back(line); });
    EXPECT_EQ(walk.dirs, (Strings{"/home/me/old/sub dir"}));
    EXPECT_EQ(walk.files, (Strings{"notes.txt", "back\\slash", "..."}));
    ASSERT_EQ(notes.size(), 4u);
    for (const std::string& note : notes)
        EXPECT_TRUE(note.starts_with("! ")) << note;
    EXPECT_NE(notes[0].find("../../home/user/.profile"), std::string::npos);
    EXPECT_NE(notes[2].find("a\\x00b"), std::string::npos) << notes[2];
    EXPECT_FALSE(std::filesystem::exists(file));
}

// MLSD lines are read by their facts, however short: the walkers take every entry, links
// as files, and never the directory itself or its parent.
TEST_F(WalkerTest, WalkersReadMlsdListings) {
    const ListingFormat mlsd{"0", {year{2026}, June, day{15}}, true};
    const std::string listing =
        "type=cdir;modify=20260101000000; .\r\n"
        "type=pdir; ..\r\n"
        "type=dir; d\r\n"
        "type=file; f\r\n"
        "type=OS.unix=slink:/etc; up\r\n"
        "type=file; a/b\r\n";
    test::writeFile(file, listing);
    EXPECT_EQ(collectRemoteNames(file, mlsd), (Strings{"f", "a/b"}));
    Strings notes;
    DeleteWalk walk = walkDeleteListing(file, mlsd, "/top",
                                        [&](const std::string& line) { notes.push_back(line); });
    EXPECT_EQ(walk.dirs, (Strings{"/top/d"}));
    EXPECT_EQ(walk.files, (Strings{"f", "up"}));
    EXPECT_EQ(notes.size(), 1u);
    // Read as LIST lines, the short ones are no entries and the long ones are unreadable.
    test::writeFile(file, listing);
    EXPECT_EQ(collectRemoteNames(file, kUnix),
              (Strings{"type=cdir;modify=20260101000000; .", "type=OS.unix=slink:/etc; up"}));
}

TEST_F(WalkerTest, DeleteWalkerVmsEntriesWrappedAfterAShortNameAreDeletedToo) {
    test::writeFile(file,
                    "DISK$ARCHIVE:[USERS.JOE.OLD]\r\n"
                    "\r\n"
                    "A.TXT;1\r\n"
                    "              12  5-MAR-2003 12:00:00.00 [JOE] (RWED,RWED,RE,)\r\n"
                    "SUB.DIR;1      1  5-MAR-2003 12:00:00.00 [JOE] (RWE,RWE,RE,E)\r\n"
                    "Total of 2 files.\r\n");
    ListingFormat vms{"5", kUnix.today};
    EXPECT_EQ(collectRemoteNames(file, vms), (Strings{"A.TXT"}));
    DeleteWalk walk = walkDeleteListing(file, vms, "USERS/JOE/OLD", {});
    EXPECT_EQ(walk.files, (Strings{"A.TXT"}));
    EXPECT_EQ(walk.dirs, (Strings{"USERS/JOE/OLD/SUB"}));
}

// A listing of many unsafe names names the first hundred and counts the rest in one line.
TEST_F(WalkerTest, DeleteWalkerNamesAHundredRefusedNamesAndCountsTheRest) {
    std::string listing;
    for (int i = 0; i < 250; ++i)
        listing += "-rw-r--r-- 1 u g 5 Jun 1 12:00 a/" + std::to_string(i) + "\r\n";
    test::writeFile(file, listing + "-rw-r--r-- 1 u g 5 Jun 1 12:00 kept\r\n");
    Strings notes;
    DeleteWalk walk = walkDeleteListing(file, kUnix, "/top",
                                        [&](const std::string& line) { notes.push_back(line); });
    EXPECT_EQ(walk.files, (Strings{"kept"}));
    ASSERT_EQ(notes.size(), RefusedNameNotes::kMaxNamed + 1);
    EXPECT_NE(notes[99].find("a/99"), std::string::npos) << notes[99];
    EXPECT_EQ(notes.back(), "! 150 more names refused in this listing");
}

// No file system holds a name of more than 255 bytes: such entries never reach a queue, and
// one note per listing says how many were left out.
TEST_F(WalkerTest, NamesLongerThan255BytesAreLeftOutWithOneNote) {
    const std::string longest(kMaxEntryNameBytes, 'k');
    const auto line = [](const std::string& kind, const std::string& name) {
        return kind + "rwxr-xr-x 2 u g 4096 Jun 1 12:00 " + name + "\r\n";
    };
    const std::string listing = line("d", std::string(256, 'd')) + line("-", longest) +
                                line("-", std::string(1 << 20, 'f')) + line("d", "kept");
    test::writeFile(file, listing);
    Strings notes;
    const ListingLog log = [&](const std::string& note) { notes.push_back(note); };
    DeleteWalk walk = walkDeleteListing(file, kUnix, "/top", log);
    EXPECT_EQ(walk.dirs, (Strings{"/top/kept"}));
    EXPECT_EQ(walk.files, (Strings{longest}));
    EXPECT_EQ(notes, (Strings{"! Left out of the listing: 2 names longer than 255 bytes"}));

    test::writeFile(file, listing);
    notes.clear();
    EXPECT_EQ(collectRemoteNames(file, kUnix, log), (Strings{longest}));
    EXPECT_EQ(notes.size(), 1u);
}

}  // namespace
}  // namespace quay

#include <gtest/gtest.h>

#include <string>

#include "listing/list_line_parser.h"

namespace quay {
namespace {

using namespace std::chrono;

constexpr year_month_day kToday{year{2026}, June, day{15}};

RemoteEntry parse(std::string_view line, std::string_view layout = "0",
                  year_month_day today = kToday) {
    return parseListLine(line, layout, today);
}

RemoteEntry entry(bool isDir, std::string name, std::string size, std::string date,
                  std::string time, std::string attr) {
    return RemoteEntry{isDir,           std::move(name), std::move(size),
                       std::move(date), std::move(time), std::move(attr)};
}

TEST(UnixLayout, ReadsLinesWithAndWithoutGroupColumn) {
    EXPECT_EQ(parse("-rw-r--r-- 1 user group 1234 Mar 5 12:00 my file.txt"),
              entry(false, "my file.txt", "1234", "05.03.26", "12:00", "-rw-r--r--"));
    EXPECT_EQ(parse("-rw-r--r-- 1 user 1234 Mar 5 1999 a.txt"),
              entry(false, "a.txt", "1234", "05.03.99", "", "-rw-r--r--"));
    EXPECT_EQ(parse("drwxr-xr-x   2 1000  1000  4096 Dec 31  2005 sub dir"),
              entry(true, "sub dir", "4096", "31.12.05", "", "drwxr-xr-x"));
    // A size beyond 32 bits still marks the group column.
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 99999999999999999999 Jan 2 2020 huge").size,
              "99999999999999999999");
}

TEST(UnixLayout, YearOfATimeOfDayFollowsToday) {
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 Jun 15 08:00 today").date, "15.06.26");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 Jun 16 08:00 tomorrow").date, "16.06.25");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 Jan 16 08:00 january").date, "16.01.26");
    // 29 February seen in January of a common year lies in the leap year before.
    year_month_day january{year{2025}, January, day{10}};
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 Feb 29 08:00 leap", "0", january).date, "29.02.24");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 Feb 29 2023 no leap").date, "error");
}

TEST(UnixLayout, DatesAreWholeMonthNamesWithADayAndAYearOrTime) {
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 DEC 5 2001 x").date, "05.12.01");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 september 5 2001 x").date, "05.09.01");
    // A piece of a month name, a day or a year that is no number, a time out of range: no date.
    for (const char* line :
         {"-rw-r--r-- 1 u g 1 eb 5 2001 x", "-rw-r--r-- 1 u g 1 Apr x 2001 y",
          "-rw-r--r-- 1 u g 1 Apr 32 2001 y", "-rw-r--r-- 1 u g 1 Apr 3 24:01 y",
          "-rw-r--r-- 1 u g 1 Apr 3 12:5 y", "-rw-r--r-- 1 u g 1 2001-13-01 12:00 y"})
        EXPECT_EQ(parse(line), entry(false, line, "", "error", "", "-rw-r--r--")) << line;
    // The end of a day is a time of its own.
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 Apr 3 24:00 y"),
              entry(false, "y", "1", "03.04.26", "24:00", "-rw-r--r--"));
    // Seconds stay in the time, fractions go; a lone ISO date takes one blank or two.
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 5 Mar 5 12:00:01.25 x"),
              entry(false, "x", "5", "05.03.26", "12:00:01", "-rw-r--r--"));
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 5 2001-02-03 x").name, "x");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 5 2001-02-03   x").name, " x");
    // The date must follow a number: a group named like a month is passed over.
    EXPECT_EQ(parse("-rw-r--r-- 1 u May 12 Mar 5 2001 x").name, "x");
}

// The forms of other languages and time styles never take numbers of other columns for a
// date, nor a date that a month-first form reads.
TEST(UnixLayout, OtherDateFormsLeaveOwnersGroupsAndSizesAlone) {
    // Numeric owner, group and size before the date: bare numbers need a time to be a date.
    EXPECT_EQ(parse("-rw-r--r-- 1 3 29 2004 Mar 5 12:00 x"),
              entry(false, "x", "2004", "05.03.26", "12:00", "-rw-r--r--"));
    // A size that could be a day before the month: the day-first form needs a year or time.
    EXPECT_EQ(parse("-rw-r--r-- 1 0 0 3 Dec 12 2012 x").date, "12.12.12");
    EXPECT_EQ(parse("-rw-r--r-- 1 0 0 3 Dec 12 2012 x").size, "3");
    // A year first needs its dot, so a number in front of a month-first date stays the size.
    EXPECT_EQ(parse("-rw-r--r-- 1 u 1234 2004 Mar 5 12:00 x"),
              entry(false, "x", "2004", "05.03.26", "12:00", "-rw-r--r--"));
    // Groups of three digits are a size on a file's line, a major and a minor on a device's.
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1,234 Mar 5 2004 x").size, "1,234");
    EXPECT_EQ(parse("crw-r--r-- 1 u g 1,234 Mar 5 2004 x").size, "234");
    // A group ending in digits is taken for group and size only when no size stands apart.
    EXPECT_EQ(parse("-rw-r--r-- 1 user users1 29 Mar 5 12:00 x").size, "29");
    EXPECT_EQ(parse("-rw-r--r-- 1 user users129 Mar 5 12:00 x").size, "129");
    // Numbers that are no date, months of other languages without a day, a VMS date (whose
    // line is no Unix line): unreadable.
    for (const char* line :
         {"-rw-r--r-- 1 u g 1 13 29 03:26 y", "-rw-r--r-- 1 u g 1 31/31/99 y",
          "-rw-r--r-- 1 u g 1 2004.13.01 y", "-rw-r--r-- 1 u g 1 mei x 2001 y",
          "-rw-r--r-- 1 u g 1 4月 32日 2003年 y", "-rw-r--r-- 1 u g 1 13月18日 12:00 y",
          "-rw-r--r-- 1 u g 1 4月18日 y", "-rw-r--r-- 1 u g 1 2004. szept. 21 y",
          "-rw-r--r-- 1 u g 1 1.5.k Mar 5 2001 y",
          "-rw-r--r-- 1 u g 12  5-MAR-2003 12:00:00.00 [USER] (RWED,RWED,RE,)"})
        EXPECT_EQ(parse(line), entry(false, line, "", "error", "", "-rw-r--r--")) << line;
    // A date that the calendar does not have.
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1 30-02-2003 y").date, "error");
}

TEST(UnixLayout, UnreadableLinesBecomeFilesDatedError) {
    EXPECT_EQ(parse("total 12").name, ".");
    // The line ends before the time word.
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 12 Mar 5"),
              entry(false, "-rw-r--r-- 1 u g 12 Mar 5", "", "error", "", "-rw-r--r--"));
    // The line ends with the date: the entry has no name (and the walkers refuse it).
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 12 Mar 5 12:00 "),
              entry(false, "", "12", "05.03.26", "12:00", "-rw-r--r--"));
    EXPECT_EQ(parse("drwxr-xr-x 2 u"),
              entry(true, "drwxr-xr-x 2 u", "", "error", "", "drwxr-xr-x"));
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 12 Feb 30 12:00 x").date, "error");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 12 Feb 3 20x6 x").date, "error");
    EXPECT_EQ(parse("").date, "error");
}

TEST(LinkRule, LinksLoseTheirTargetAndWithoutExtensionAreDirectories) {
    EXPECT_EQ(parse("lrwxrwxrwx 1 root root 7 Jan 1 12:00 bin -> usr/bin"),
              entry(true, "bin", "", "01.01.26", "12:00", "lrwxrwxrwx"));
    EXPECT_EQ(parse("lrwxrwxrwx 1 root root 7 Jan 1 12:00 lib.so -> x"),
              entry(false, "lib.so", "7", "01.01.26", "12:00", "lrwxrwxrwx"));
    // The target's dots do not count.
    EXPECT_TRUE(parse("lrwxrwxrwx 1 root root 7 Jan 1 12:00 up -> ../up").isDir);
    // Every layout that fills the attributes applies it.
    EXPECT_EQ(parse("lrwx x y 1 2 z etc -> /etc", "4750001"),
              entry(true, "etc", "", "", "", "lrwx"));
}

TEST(WuftpLayout, SkipsTotalAndLinkLines) {
    EXPECT_EQ(parse("total 12", "7").name, ".");
    EXPECT_EQ(parse("TOTAL 12", "7").name, ".");
    EXPECT_EQ(parse("lrwxrwxrwx 1 root root 7 Jan 1 12:00 bin -> usr/bin", "7").name, ".");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 5 Mar 5 12:00   a  b  ", "7").name, "  a  b  ");
    EXPECT_EQ(parse("-rw-r--r-- 1 u g", "7"),
              entry(false, "-rw-r--r-- 1 u g", "", "error", "", "-rw-r--r--"));
}

TEST(WuftpLayout, DateIsMonthAndDayWithTheYearAfterABlank) {
    EXPECT_EQ(parse("drwxr-xr-x   2 u  g   4096 Mar  5 12:00 pub", "7"),
              entry(true, "pub", "4096", "Mar 5", "12:00", "drwxr-xr-x"));
    // A year in the time column goes behind the day, so the date cannot read as day 51999.
    EXPECT_EQ(parse("-rw-r--r-- 1 u g 1234 Mar 5 1999 old file.txt", "7"),
              entry(false, "old file.txt", "1234", "Mar 5 1999", "", "-rw-r--r--"));
}

TEST(WordLayouts, MicrosoftFourTakesTheRestOfTheLineAsName) {
    EXPECT_EQ(parse("03-05-07  12:00PM       <DIR>          aspnet_client", "2"),
              entry(true, "aspnet_client", "", "03-05-07", "12:00PM", ""));
    EXPECT_EQ(parse("01-17-07  03:27PM                 1234 my file.txt", "2"),
              entry(false, "my file.txt", "1234", "01-17-07", "03:27PM", ""));
    EXPECT_EQ(parse("01-17-07  03:27PM", "2"), entry(false, "", "", "01-17-07", "03:27PM", ""));
}

TEST(WordLayouts, MacDirectoriesHaveOneColumnLess) {
    EXPECT_EQ(parse("-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit", "3"),
              entry(false, "MegaPhone.sit", "326", "Nov 22", "1995", ""));
    EXPECT_EQ(parse("drwxrwxr-x               folder        2 May 10  1996 network", "3"),
              entry(true, "network", "", "May 10", "1996", ""));
    EXPECT_EQ(parse("-rw 12", "3"), entry(false, "", "12", "", "", ""));
}

TEST(WordLayouts, CustomColumnsTakeTheConfiguredWords) {
    const char* line = "-rw-r--r-- 1 user group 1234 Mar 5 12:00 file.txt";
    EXPECT_EQ(parse(line, "4956781"),
              entry(false, "file.txt", "1234", "Mar 5", "12:00", "-rw-r--r--"));
    // Columns 0 and "a" to "f" (10 to 15) mean none; name column 9 of an 8-word line is empty.
    EXPECT_EQ(parse("d a b c d e f g", "49a0f01"), entry(true, "", "", "", "", "d"));
    EXPECT_EQ(parse(line, "4"), entry(false, "", "", "", "", ""));
}

TEST(WordLayouts, VmsDropsVersionsAndDirectoryTypes) {
    EXPECT_EQ(parse("FOO.TXT;3   12  5-MAR-2003 12:00:00.00 [USER] (RWED,RWED,RE,)", "5"),
              entry(false, "FOO.TXT", "", "5-MAR-2003", "12:00:00.00", "(RWED,RWED,RE,)"));
    EXPECT_EQ(parse("SUB.DIR;1 1 5-MAR-2003", "5"), entry(true, "SUB", "", "5-MAR-2003", "", ""));
    EXPECT_EQ(parse("DISK$ARCHIVE:[USERS.JOE]", "5").name, ".");
    EXPECT_EQ(parse("Total of 3 files, 42 blocks.", "5").name, ".");
    EXPECT_EQ(parse("NOVERSION", "5").name, "NOVERSION");
}

TEST(TextLayout, TheWholeLineIsTheName) {
    EXPECT_EQ(parse("dir name  ", "1"), entry(true, "dir name  ", "", "", "", ""));
}

TEST(FixedColumns, ReadsCharacterPositions) {
    for (const char* layout : {"6", "8"}) {
        EXPECT_EQ(parse("03-05-07  12:00PM       <DIR>          aspnet client", layout),
                  entry(true, "aspnet client", "", "05.03.07", "12:00PM", ""));
        EXPECT_EQ(parse("01-17-07  03:27PM                 1234 file.txt", layout),
                  entry(false, "file.txt", "1234", "17.01.07", "03:27PM", ""));
        EXPECT_EQ(parse("03-05-07  12:00PM       <DIR>", layout).name, "..");
        EXPECT_EQ(parse("03-05-0", layout), entry(false, "", "", "05.03.0", "", ""));
        EXPECT_EQ(parse("", layout), entry(false, "", "", "..", "", ""));
    }
}

}  // namespace
}  // namespace quay

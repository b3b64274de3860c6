#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "central_european_time.h"
#include "listing/mlsd_line.h"
#include "listing/remote_date.h"

namespace quay {
namespace {

// The lines are read in Central European time.
class MlsdLine : public ::testing::Test {
private:
    test::CentralEuropeanTime m_zone;
};

struct Row {
    const char* line;
    RemoteEntry entry;
};

void checkRows(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        RemoteEntry e = parseMlsdLine(row.line);
        EXPECT_EQ(e.name, row.entry.name) << row.line;
        EXPECT_EQ(e.isDir, row.entry.isDir) << row.line;
        EXPECT_EQ(e.size, row.entry.size) << row.line;
        EXPECT_EQ(e.date, row.entry.date) << row.line;
        EXPECT_EQ(e.time, row.entry.time) << row.line;
        EXPECT_EQ(e.attr, row.entry.attr) << row.line;
    }
}

// RemoteEntry fields in order: isDir, name, size, date, time, attr.
TEST_F(MlsdLine, FilesAndDirectoriesWithExactSizesAndLocalTimes) {
    checkRows({
        // Pure-FTPd and pyftpdlib style lines; winter and summer time.
        {"type=file;size=5000000000;modify=20250630140000;unix.mode=0644; big.iso",
         {false, "big.iso", "5000000000", "30.06.2025", "16:00", "-rw-r--r--"}},
        {"type=dir;sizd=4096;modify=20100101000000;UNIX.mode=755; My Documents",
         {true, "My Documents", "4096", "01.01.2010", "01:00", "drwxr-xr-x"}},
        {"modify=19990305080000.123;perm=r;size=4;type=file;unique=801g1; old.dat",
         {false, "old.dat", "4", "05.03.1999", "09:00", ""}},
        // The local day, month and year may differ from the UTC ones.
        {"type=file;size=1;modify=20251231233000; new year.txt",
         {false, "new year.txt", "1", "01.01.2026", "00:30", ""}},
        // Fact names and types in any case; a size of a directory given as size.
        {"Type=DIR;Size=512;Modify=20260101120000; upper",
         {true, "upper", "512", "01.01.2026", "13:00", ""}},
        // The largest 63-bit size; leading zeros go.
        {"type=file;size=9223372036854775807; huge",
         {false, "huge", "9223372036854775807", "", "", ""}},
        {"type=file;size=0007; padded", {false, "padded", "7", "", "", ""}},
        // Unknown types are files; no type at all too.
        {"type=OS.unix=chr-13/29;modify=20260101120000; tty0",
         {false, "tty0", "", "01.01.2026", "13:00", ""}},
        {"size=3; untyped", {false, "untyped", "3", "", "", ""}},
        // Set-id and sticky bits as ls shows them.
        {"type=dir;unix.mode=1777; tmp", {true, "tmp", "", "", "", "drwxrwxrwt"}},
        {"type=file;unix.mode=6744; suid", {false, "suid", "", "", "", "-rwsr-Sr--"}},
    });
}

TEST_F(MlsdLine, NamesAreTheRestOfTheLineAfterTheFirstFactsEnd) {
    checkRows({
        {"type=file;size=1; name; with=facts; inside",
         {false, "name; with=facts; inside", "1", "", "", ""}},
        {"type=file;size=1;  leading blank", {false, " leading blank", "1", "", "", ""}},
        // No facts: the line starts with the blank.
        {" bare name", {false, "bare name", "", "", "", ""}},
        // Names that are no safe file names are given as they are, for the consumers to refuse.
        {"type=file;size=1; ", {false, "", "1", "", "", ""}},
        {"type=file;size=1; ../etc/passwd", {false, "../etc/passwd", "1", "", "", ""}},
    });
}

TEST_F(MlsdLine, LinksAreReadLikeListLinks) {
    checkRows({
        {"type=OS.unix=symlink;size=4;modify=20261010101000; link_to_docs",
         {true, "link_to_docs", "", "10.10.2026", "12:10", "l"}},
        {"type=OS.unix=slink:/srv/readme.txt;size=10;unix.mode=0777; readme.lnk.txt",
         {false, "readme.lnk.txt", "10", "", "", "lrwxrwxrwx"}},
        {"TYPE=os.UNIX=SLINK:docs; Docs Link", {true, "Docs Link", "", "", "", "l"}},
    });
}

TEST_F(MlsdLine, DirectoryItselfAndParentAreNoEntry) {
    for (const char* line : {"type=cdir;sizd=4096;modify=20260101120000; /pub",
                             "type=pdir;modify=20260101120000; ..", "Type=CDir; ."})
        EXPECT_EQ(parseMlsdLine(line).name, ".") << line;
}

// Values that are no size or no time leave the field empty; the entry stays.
TEST_F(MlsdLine, HostileValuesLeaveFieldsEmpty) {
    checkRows({
        {"type=file;size=9223372036854775808; past 63 bits",
         {false, "past 63 bits", "", "", "", ""}},
        {"type=file;size=99999999999999999999999; far past", {false, "far past", "", "", "", ""}},
        {"type=file;size=-1; negative", {false, "negative", "", "", "", ""}},
        {"type=file;size=; empty", {false, "empty", "", "", "", ""}},
        {"type=file;modify=20230229120000; no leap day", {false, "no leap day", "", "", "", ""}},
        {"type=file;modify=20261301120000; month 13", {false, "month 13", "", "", "", ""}},
        {"type=file;modify=20260101246000; hour 24", {false, "hour 24", "", "", "", ""}},
        {"type=file;modify=2026010112000; short", {false, "short", "", "", "", ""}},
        {"type=file;modify=20260101120000.; no fraction", {false, "no fraction", "", "", "", ""}},
        {"type=file;modify=20260101120000Z; zone letter", {false, "zone letter", "", "", "", ""}},
        {"type=file;unix.mode=0999; not octal", {false, "not octal", "", "", "", ""}},
        {"type=file;unix.mode=77777; too many bits", {false, "too many bits", "", "", "", ""}},
        {"type;=;;==;size=2; odd facts", {false, "odd facts", "2", "", "", ""}},
    });
}

// A line without the blank before the name cannot be told apart from its facts.
TEST_F(MlsdLine, LinesWithoutTheBlankAreUnreadable) {
    for (const char* line : {"type=file;size=1;name", "", "type=file;size=1;"}) {
        RemoteEntry e = parseMlsdLine(line);
        EXPECT_EQ(e, (RemoteEntry{false, line, "", "error", "", ""})) << line;
    }
}

// The date reaches the pane in its full form, in either date order.
TEST_F(MlsdLine, DateShowsInThePaneForm) {
    std::string date = parseMlsdLine("type=file;modify=20260305110000; x").date;
    EXPECT_EQ(remoteDateDisplay(date, DateOrder::DayFirst, 2000), "05.03.2026");
    EXPECT_EQ(remoteDateDisplay(date, DateOrder::MonthFirst, 2000), "03.05.2026");
}

}  // namespace
}  // namespace quay

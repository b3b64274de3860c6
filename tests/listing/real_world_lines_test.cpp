#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/listing_walkers.h"

// Listing lines as servers of many kinds write them, one table per layout (the Unix one read
// under both Unix layouts), each line with the
// entry a user must see: its name, size, directory flag and date. The lines follow the output
// of the servers named beside them (vsftpd, ProFTPD, Pure-FTPd, pyftpdlib, busybox, IIS,
// NetWare, VMS, classic Mac servers, NAS boxes and the ls time styles servers pass on).
namespace quay {
namespace {

using namespace std::chrono;

constexpr year_month_day kToday{year{2026}, June, day{15}};

struct Row {
    const char* text;  // one listing line, or a VMS entry wrapped over two
    const char* name;  // nullptr: the line gives no entry
    const char* size;
    bool isDir;
    const char* date;
    const char* wuftpDate = nullptr;  // Unix lines: the date in the WU-FTP layout
};

// One entry as one text, so that every wrong row is one failure that shows all of its fields.
std::string shown(std::string_view name, std::string_view size, bool isDir, std::string_view date) {
    std::string text;
    text.append("[").append(name).append("] size ").append(size);
    text.append(isDir ? " dir " : " file ").append(date);
    return text;
}

// What a consumer of the listing sees of one row.
std::string seen(const char* text, const char* layout) {
    std::string entries;
    forEachListingEntry(text, ListingFormat{layout, kToday}, 3,
                        [&](RemoteEntry& e) { entries += shown(e.name, e.size, e.isDir, e.date); });
    return entries.empty() ? "(no entry)" : entries;
}

std::string expected(const Row& row) {
    return row.name ? shown(row.name, row.size, row.isDir, row.date) : "(no entry)";
}

void checkRows(const std::vector<Row>& rows, const char* layout) {
    for (const Row& row : rows)
        EXPECT_EQ(seen(row.text, layout), expected(row)) << row.text;
}

// Unix long listings with the date of each layout: the default layout's and, last, the WU-FTP
// layout's (nullptr: no entry there, as for links).
const std::vector<Row> kUnixLines = {
    // vsftpd (numeric ids by default); the year sits in a 5-wide column, so blanks
    // after the one that follows it are the name's.
    {"-rw-r--r--    1 0        0               2 Feb 28  2026   two  blanks.txt",
     "  two  blanks.txt", "2", false, "28.02.26", "Feb 28 2026"},
    {"drwxr-xr-x    2 0        0            4096 Jan 01  2010 My Documents", "My Documents", "4096",
     true, "01.01.10", "Jan 01 2010"},
    {"-rw-r--r--    1 ftp      ftp      5000000000 Jun 30  2025 big.iso", "big.iso", "5000000000",
     false, "30.06.25", "Jun 30 2025"},
    {"drwxr-xr-x    2 0        0            4096 Dec 05 18:00 docs", "docs", "4096", true,
     "05.12.25", "Dec 05"},
    {"-rw-------    1 1000     1000          220 Jan 15 10:00 .bash_logout", ".bash_logout", "220",
     false, "15.01.26", "Jan 15"},
    // ProFTPD
    {"-rw-r--r--   1 root     root         1234 Nov 20 10:30 my file.txt", "my file.txt", "1234",
     false, "20.11.25", "Nov 20"},
    {"-rw-r--r--   1 root     root            4 Mar  5  1999 old.dat", "old.dat", "4", false,
     "05.03.99", "Mar 5 1999"},
    {"drwxr-xr-x   2 verylongusername verylonggroupname     4096 Apr  1 09:00 projects", "projects",
     "4096", true, "01.04.26", "Apr 1"},
    // Pure-FTPd
    {"-rw-r--r--    1 1000       1000             6 Jun 15 23:59 readme.txt", "readme.txt", "6",
     false, "15.06.26", "Jun 15"},
    {"drwx------    2 ftpuser    ftpgroup      4096 Jun 16 00:00 tomorrow", "tomorrow", "4096",
     true, "16.06.25", "Jun 16"},
    // pyftpdlib
    {"-rwxr-xr-x   1 user     group     1048576 Jan 02 03:04 run.sh", "run.sh", "1048576", false,
     "02.01.26", "Jan 02"},
    // busybox ftpd
    {"-rw-r--r--    1 0        0             1234 Mar  5 12:00 busybox.bin", "busybox.bin", "1234",
     false, "05.03.26", "Mar 5"},
    {"drwxr-xr-x    3 0        0                0 Jan  1  1970 proc", "proc", "0", true, "01.01.70",
     "Jan 1 1970"},
    // Embedded devices and NAS boxes without a group column
    {"drwxr-xr-x 1 ftp 512 Jan 29 23:32 prog", "prog", "512", true, "29.01.26", "Jan 29"},
    {"-rw-r--r-- 1 root 32768 Sep 9 2021 firmware v2.bin", "firmware v2.bin", "32768", false,
     "09.09.21", "Sep 9 2021"},
    // Owners and groups with blanks (Windows servers writing Unix listings)
    {"-rw-r--r-- 1 ann smith staff 4096 Mar 2 15:13 notes", "notes", "4096", false, "02.03.26",
     "Mar 2"},
    {"-rw-r--r--   1 DOMAIN\\John Smith  Domain Users     1234 Mar  5 12:00 Quarterly "
     "Report.xlsx",
     "Quarterly Report.xlsx", "1234", false, "05.03.26", "Mar 5"},
    // IIS in its Unix style, FileZilla Server, Serv-U
    {"-r-xr-xr-x   1 owner    group            1234 Jun  6 10:20 Annual Report.pdf",
     "Annual Report.pdf", "1234", false, "06.06.26", "Jun 6"},
    {"d---------   1 owner    group               0 May  9  2019 Softlib", "Softlib", "0", true,
     "09.05.19", "May 9 2019"},
    {"-rw-r--r-- 1 ftp ftp         1234567 Aug 10  2010 Setup (x64).exe", "Setup (x64).exe",
     "1234567", false, "10.08.10", "Aug 10 2010"},
    {"drwxr-xr-x 1 ftp ftp               0 Jan 01 00:00 New folder", "New folder", "0", true,
     "01.01.26", "Jan 01"},
    {"-rw-rw-rw-   1 user     group       65536 Sep 30 23:59 data.bin", "data.bin", "65536", false,
     "30.09.25", "Sep 30"},
    // NetWare: a kind letter, then the rights in brackets
    {"d [RWCEAFMS] Supervisor                 512 Jan 16 18:53 login", "login", "512", true,
     "16.01.26", "Jan 16"},
    {"- [RWCEAFMS] rhesus                   214059 Oct 20 15:27 cx.exe", "cx.exe", "214059", false,
     "20.10.25", "Oct 20"},
    // macOS (extended attributes "@", ACLs "+"), SELinux contexts "."
    {"drwxr-xr-x@  5 anna  staff   170 Mar  5 12:00 Pictures", "Pictures", "170", true, "05.03.26",
     "Mar 5"},
    {"-rw-r--r--+  1 anna  staff  2048 Jun  1 08:00 shared.doc", "shared.doc", "2048", false,
     "01.06.26", "Jun 1"},
    {"drwxr-xr-x. 2 root root 4096 Mar  5  2021 selinux dir", "selinux dir", "4096", true,
     "05.03.21", "Mar 5 2021"},
    // ls time styles: long-iso, full-iso, iso (old and recent), month-day and year
    {"-rw-r--r-- 1 user group 1234 2005-06-07 21:22 iso.txt", "iso.txt", "1234", false, "07.06.05",
     "Jun 7 2005"},
    {"drwxr-xr-x+ 3 user group 4096 2024-01-31 08:15 acl dir", "acl dir", "4096", true, "31.01.24",
     "Jan 31 2024"},
    {"-rw-r--r-- 1 user group 10 2023-03-04 05:06:07.123456789 +0100 full time.log",
     "full time.log", "10", false, "04.03.23", "Mar 4 2023"},
    {"-rw-r--r-- 1 user group 99 2001-02-03  old iso", "old iso", "99", false, "03.02.01",
     "Feb 3 2001"},
    {"-rw-r--r-- 1 user group 1234 06-07 21:22 recent iso", "recent iso", "1234", false, "07.06.26",
     "Jun 7"},
    {"-rw-r--r-- 1 user group 1234 09-26 2000 sept", "sept", "1234", false, "26.09.00",
     "Sep 26 2000"},
    // Month names in capitals and in German
    {"-rw-r--r--   1 USER     GROUP        512 MAR 15  2002 UPPER.TXT", "UPPER.TXT", "512", false,
     "15.03.02", "MAR 15 2002"},
    {"-rw-r--r--   1 anna users 1234 Mär  5 12:00 german.txt", "german.txt", "1234", false,
     "05.03.26", "Mär 5"},
    {"-rw-r--r--   1 anna users 1234 Dez 24  2020 weihnachten.txt", "weihnachten.txt", "1234",
     false, "24.12.20", "Dez 24 2020"},
    // Names that look like columns, names with leading blanks
    {"-rw-r--r-- 1 u g 5 Mar  2 15:13 Mar 2 15:13 notes", "Mar 2 15:13 notes", "5", false,
     "02.03.26", "Mar 2"},
    {"-rw-r--r-- 1 u g 7 Jan  1  2020  leading blank", " leading blank", "7", false, "01.01.20",
     "Jan 1 2020"},
    // Links; device files show major and minor numbers where the size stands
    {"lrwxrwxrwx   1 root     root            7 Jan  1 12:00 bin -> usr/bin", "bin", "", true,
     "01.01.26", nullptr},
    {"lrwxrwxrwx    1 0        0              10 Oct 10 10:10 readme.lnk.txt -> readme.txt",
     "readme.lnk.txt", "10", false, "10.10.25", nullptr},
    {"crw-rw-rw-   1 root     root       1,   3 Jan  1 12:00 null", "null", "3", false, "01.01.26",
     "Jan 1"},
    // No link count, no owner (classic Mac servers in the default layout)
    {"drwxr-xr-x folder 0 Mar 5 12:00 Applications", "Applications", "0", true, "05.03.26",
     "Mar 5"},
    // Total lines; lines without a date stay visible as unreadable
    {"total 12", nullptr, "", false, "", nullptr},
    {"total 0", nullptr, "", false, "", nullptr},
    {"-rw-r--r-- 1 u g 12 Mar 5", "-rw-r--r-- 1 u g 12 Mar 5", "", false, "error", "error"},
    {"drwxr-xr-x 2 u", "drwxr-xr-x 2 u", "", true, "error", "error"},
};

TEST(RealWorldLines, UnixDefaultLayout) {
    checkRows(kUnixLines, "0");
}

TEST(RealWorldLines, WuftpLayout) {
    std::vector<Row> rows = kUnixLines;
    for (Row& row : rows) {
        row.date = row.wuftpDate;
        if (!row.wuftpDate)
            row.name = nullptr;
    }
    checkRows(rows, "7");
}

// IIS in its MS-DOS style: date, time, "<DIR>" or the size, then the name, blanks and all.
TEST(RealWorldLines, MicrosoftFourLayout) {
    checkRows(
        {
            {"06-12-25  09:41AM                 1234 Annual Report.pdf", "Annual Report.pdf",
             "1234", false, "06-12-25"},
            {"01-17-07  03:27PM                  123 123 abc", "123 abc", "123", false, "01-17-07"},
            {"01-17-07  03:27PM                  123 123 xyz", "123 xyz", "123", false, "01-17-07"},
            {"03-05-07  12:00PM       <DIR>          aspnet_client", "aspnet_client", "", true,
             "03-05-07"},
            {"03-05-07  12:00PM       <DIR>          New Folder (2)", "New Folder (2)", "", true,
             "03-05-07"},
            {"06-12-2025  09:41AM       <DIR>          Long Date Dir", "Long Date Dir", "", true,
             "06-12-2025"},
            {"11-30-19  11:59PM             52428800 backup  2019.zip", "backup  2019.zip",
             "52428800", false, "11-30-19"},
            {"02-21-19  09:03AM                    0 empty.txt", "empty.txt", "0", false,
             "02-21-19"},
        },
        "2");
}

// NetPresenz and WebSTAR: files show their fork sizes, folders the word "folder".
TEST(RealWorldLines, MacLayout) {
    checkRows(
        {
            {"-------r--         326  1391972  1392298 Nov 22  1995 MegaPhone.sit", "MegaPhone.sit",
             "326", false, "Nov 22"},
            {"drwxrwxr-x               folder        2 May 10  1996 network", "network", "", true,
             "May 10"},
            {"-rw-r--r--       0       13       13 Jan 10  1996 Read Me First", "Read Me First",
             "0", false, "Jan 10"},
            {"drwxrwxr-x               folder       12 Mar 10 12:00 Sound Files", "Sound Files", "",
             true, "Mar 10"},
            {"-rwxr-xr-x       0    14336    14336 Feb  2  1997 Stuffit Expander 4.0",
             "Stuffit Expander 4.0", "0", false, "Feb 2"},
        },
        "3");
}

// VMS wraps an entry whose name fills the first line; the rest follows on the next line.
TEST(RealWorldLines, VmsLayout) {
    checkRows(
        {
            {"FOO.TXT;3   12  5-MAR-2003 12:00:00.00 [USER] (RWED,RWED,RE,)", "FOO.TXT", "", false,
             "5-MAR-2003"},
            {"SUB.DIR;1            1  20-JAN-2004 08:15:30.00 [SYSTEM] (RWE,RWE,RE,E)", "SUB", "",
             true, "20-JAN-2004"},
            {"A_VERY_LONG_FILE_NAME_INDEED.DAT;12\r\n"
             "                    48   3-FEB-2005 10:11:12.00 [JOE] (RWED,RWED,,)",
             "A_VERY_LONG_FILE_NAME_INDEED.DAT", "", false, "3-FEB-2005"},
            {"ANOTHER_QUITE_LONG_NAME.TXT;1\r\n5/10  14-APR-2006 09:00:00.00 [JOE] (RWED,RWED,RE,)",
             "ANOTHER_QUITE_LONG_NAME.TXT", "", false, "14-APR-2006"},
            {"DISK$ARCHIVE:[USERS.JOE]", nullptr, "", false, ""},
            {"Total of 3 files, 42 blocks.", nullptr, "", false, ""},
        },
        "5");
}

// IIS read by character positions: names keep their blanks, the date turns to day.month.year.
TEST(RealWorldLines, FixedColumnsLayout) {
    checkRows(
        {
            {"06-12-25  09:41AM                 1234 Annual Report.pdf", "Annual Report.pdf",
             "1234", false, "12.06.25"},
            {"01-17-07  03:27PM                  123 123 abc", "123 abc", "123", false, "17.01.07"},
            {"03-05-07  12:00PM       <DIR>          New Folder (2)", "New Folder (2)", "", true,
             "05.03.07"},
            {"02-21-19  09:03AM                    0 empty.txt", "empty.txt", "0", false,
             "21.02.19"},
        },
        "6");
}

}  // namespace
}  // namespace quay

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listing/listing_walkers.h"

// Listing lines as servers of many kinds write them, one table per layout (the Unix and IIS ones
// read under two layouts each), each line with the entry a user must see: its name, size,
// directory flag and date. The lines follow the output of the servers named beside them
// (vsftpd, ProFTPD, Pure-FTPd, pyftpdlib, busybox, IIS, NetWare, VMS, classic Mac servers, NAS
// boxes and the ls time styles servers pass on).
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
    // The date in the table's second layout (WU-FTP for Unix lines, fixed columns for IIS
    // lines); nullptr: no entry there.
    const char* secondDate = nullptr;
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

// Unix lines in the forms servers write when their ls runs in another language or time
// style, or when their columns run together: days before months, numeric dates of every
// order, month names of many languages, Chinese, Japanese and Korean dates, sizes with units,
// devices, a group joined to its size and the end of a day. Read under both Unix layouts like
// the lines above.
const std::vector<Row> kLocalisedAndJoinedUnixLines = {
    // The day before the month, with a time, a year, or in one word with a two-digit year
    {"-rw-r--r--   1 user     group        4511 29 Jul 02:27 report.pdf", "report.pdf", "4511",
     false, "29.07.25", "Jul 29"},
    {"drwxr-xr-x   2 user     group        4096 01 oct 2004 archive 2004", "archive 2004", "4096",
     true, "01.10.04", "oct 01 2004"},
    {"-rw-r--r--   1 user     group      123456 01-jun-99 old backup.tar", "old backup.tar",
     "123456", false, "01.06.99", "Jun 1 1999"},
    {"-rw-r--r-- 1 anna users 2048 5. Okt. 2004 brief.odt", "brief.odt", "2048", false, "05.10.04",
     "Okt 5 2004"},
    {"-rw-r--r-- 1 jean staff 77 15 mars 10:20 facture mars.pdf", "facture mars.pdf", "77", false,
     "15.03.26", "mars 15"},
    {"-rw-r--r-- 1 user 4511 29 Jul 02:27 no group.txt", "no group.txt", "4511", false, "29.07.25",
     "Jul 29"},
    // Numeric dates, year first or last, with "/", "-" or "."
    {"-rw-r--r--   1 root     root        17122 1999/10/12 17:12 install.log", "install.log",
     "17122", false, "12.10.99", "Oct 12 1999"},
    {"-rw-r--r--   1 root     root         5120 24-04-2003 17:12 data.csv", "data.csv", "5120",
     false, "24.04.03", "Apr 24 2003"},
    {"-rw-r--r--   1 root     root          300 2004.07.15 notes.txt", "notes.txt", "300", false,
     "15.07.04", "Jul 15 2004"},
    {"-rw-r--r--   1 root     root           12 3 29 03:26 march.txt", "march.txt", "12", false,
     "29.03.26", "Mar 29"},
    {"-rw-r--r-- 1 user group 512 12/31/99 23:59 y2k.txt", "y2k.txt", "512", false, "31.12.99",
     "Dec 31 1999"},
    {"-rw-r--r-- 1 user group 512 31.12.2005 party.jpg", "party.jpg", "512", false, "31.12.05",
     "Dec 31 2005"},
    {"-rw-r--r-- 1 user group 64 03/04/05 10:00 us order.txt", "us order.txt", "64", false,
     "04.03.05", "Mar 4 2005"},
    {"-rw-r--r-- 1 user group 64 03.04.05 10:00 eu order.txt", "eu order.txt", "64", false,
     "03.04.05", "Apr 3 2005"},
    {"-rw-r--r-- 1 user group 10 99/10/12 17:12 old.log", "old.log", "10", false, "12.10.99",
     "Oct 12 1999"},
    // The weekday, month, day, time and year of ls --full-time before ISO dates
    {"-rw-r--r-- 1 user group 1234 Sat Sep 19 12:03:00 2009 full time.txt", "full time.txt", "1234",
     false, "19.09.09", "Sep 19 2009"},
    {"drwxr-xr-x 2 user group 4096 thu jan  1 00:00:00 1970 epoch", "epoch", "4096", true,
     "01.01.70", "jan 1 1970"},
    // A comma after the day, then the year and a time
    {"-rw-r--r--   1 ftp      ftp         33792 Oct 08, 2002 09:47 setup.exe", "setup.exe", "33792",
     false, "08.10.02", "Oct 08 2002"},
    {"-rw-r--r-- 1 ftp ftp 100 Jan 5, 2004 new year.txt", "new year.txt", "100", false, "05.01.04",
     "Jan 5 2004"},
    // Month names of other languages, with or without a dot, in any case
    {"-rw-r--r--   1 hans     users        1024 Okt.  12  2004 bericht.txt", "bericht.txt", "1024",
     false, "12.10.04", "Okt 12 2004"},
    {"drwxr-xr-x   2 hans     users        4096 Juli  3 14:00 Urlaub", "Urlaub", "4096", true,
     "03.07.25", "Juli 3"},
    {"-rw-r--r--   1 janos    users        2048 szept 21 12:34 adatok.txt", "adatok.txt", "2048",
     false, "21.09.25", "szept 21"},
    {"-rw-r--r-- 1 janos users 10 márc. 5 2010 tavasz.txt", "tavasz.txt", "10", false, "05.03.10",
     "márc 5 2010"},
    {"-rw-r--r--   1 pierre   users        4096 févr. 14 2011 lettre.doc", "lettre.doc", "4096",
     false, "14.02.11", "févr 14 2011"},
    {"-rw-r--r-- 1 pierre users 99 août 15 11:00 vacances.jpg", "vacances.jpg", "99", false,
     "15.08.25", "août 15"},
    {"-rw-r--r-- 1 x y 1 FÉVR. 2 2002 capitals", "capitals", "1", false, "02.02.02", "FÉVR 2 2002"},
    {"-rw-r--r--   1 jose     users         512 ene 10  2005 enero.txt", "enero.txt", "512", false,
     "10.01.05", "ene 10 2005"},
    {"-rw-r--r-- 1 jose users 512 dic. 24 2019 navidad.png", "navidad.png", "512", false,
     "24.12.19", "dic 24 2019"},
    {"-rw-r--r--   1 mario    users        1500 giu 10 09:00 giugno.txt", "giugno.txt", "1500",
     false, "10.06.26", "giu 10"},
    {"-rw-r--r-- 1 mario users 15 ott  3  2007 ottobre.txt", "ottobre.txt", "15", false, "03.10.07",
     "ott 3 2007"},
    {"-rw-r--r--   1 piet     users         300 mrt 17  2009 maart.txt", "maart.txt", "300", false,
     "17.03.09", "mrt 17 2009"},
    {"-rw-r--r-- 1 piet users 1 mei  1 12:00 mei.txt", "mei.txt", "1", false, "01.05.26", "mei 1"},
    {"-rw-r--r--   1 sven     users         200 maj 30  2008 sommar.txt", "sommar.txt", "200",
     false, "30.05.08", "maj 30 2008"},
    {"-rw-r--r-- 1 sven users 1 3 okt. 2008 höst.txt", "höst.txt", "1", false, "03.10.08",
     "okt 3 2008"},
    {"-rw-r--r-- 1 ole users 9 des 24 2017 jul.txt", "jul.txt", "9", false, "24.12.17",
     "des 24 2017"},
    {"-rw-r--r-- 1 joao users 700 out 12 2012 outubro.txt", "outubro.txt", "700", false, "12.10.12",
     "out 12 2012"},
    {"-rw-r--r-- 1 jan users 123 paź 11 2013 jesień.txt", "jesień.txt", "123", false, "11.10.13",
     "paź 11 2013"},
    {"-rw-r--r-- 1 petr users 5 úno  2  2015 únor.txt", "únor.txt", "5", false, "02.02.15",
     "úno 2 2015"},
    {"-rw-r--r-- 1 matti users 9 touko 20 2018 kevät.txt", "kevät.txt", "9", false, "20.05.18",
     "touko 20 2018"},
    {"-rw-r--r-- 1 ali users 9 Şub 14 2019 şubat.txt", "şubat.txt", "9", false, "14.02.19",
     "Şub 14 2019"},
    {"-rw-r--r-- 1 ivan users 42 янв 15 2016 январь.txt", "январь.txt", "42", false, "15.01.16",
     "янв 15 2016"},
    {"-rw-r--r-- 1 ivan users 42 Дек 31 23:59 новый год.txt", "новый год.txt", "42", false,
     "31.12.25", "Дек 31"},
    {"-rw-r--r-- 1 HANS USERS 1 MAI 1 2001 MAI.TXT", "MAI.TXT", "1", false, "01.05.01",
     "MAI 1 2001"},
    {"-rw-r--r-- 1 ivan users 42 февр. 5 2004 февраль.txt", "февраль.txt", "42", false, "05.02.04",
     "февр 5 2004"},
    {"-rw-r--r-- 1 ivan users 42 нояб.  7 12:00 ноябрь.txt", "ноябрь.txt", "42", false, "07.11.25",
     "нояб 7"},
    {"-rw-r--r-- 1 taras users 64 лис 11 2013 осінь.txt", "осінь.txt", "64", false, "11.11.13",
     "лис 11 2013"},
    {"-rw-r--r-- 1 nikos users 512 Μάρ  5  2004 αρχείο.txt", "αρχείο.txt", "512", false, "05.03.04",
     "Μάρ 5 2004"},
    {"-rw-r--r-- 1 nikos users 512 5 ΟΚΤ 10:00 φθινόπωρο.txt", "φθινόπωρο.txt", "512", false,
     "05.10.25", "ΟΚΤ 5"},
    // Hungarian with the year first and a dot behind each number
    {"-rw-r--r-- 1 janos users 2048 2004. szept. 21. 12:34 régi adatok.txt", "régi adatok.txt",
     "2048", false, "21.09.04", "szept 21 2004"},
    {"-rw-r--r-- 1 janos users 10 2004.07.15. nyár.txt", "nyár.txt", "10", false, "15.07.04",
     "Jul 15 2004"},
    // Chinese, Japanese and Korean dates
    {"-rw-r--r--   1 user     group       12345  4月 18日 2003年 日本語.txt", "日本語.txt", "12345",
     false, "18.04.03", "Apr 18 2003"},
    {"-rw-r--r--   1 user     group       12345  4月 18 12:00 中文.txt", "中文.txt", "12345", false,
     "18.04.26", "Apr 18"},
    {"drwxr-xr-x   2 user     group        4096 2005년  1월  6일 문서", "문서", "4096", true,
     "06.01.05", "Jan 6 2005"},
    {"-rw-r--r-- 1 user group 100 12월 25일 10:30 성탄절.txt", "성탄절.txt", "100", false,
     "25.12.25", "Dec 25"},
    {"-rw-r--r-- 1 user group 100 2003年 4月 18日 12:00 报告.txt", "报告.txt", "100", false,
     "18.04.03", "Apr 18 2003"},
    {"-rw-r--r--   1 user group 12345 2003年4月18日 12:00 議事録.txt", "議事録.txt", "12345", false,
     "18.04.03", "Apr 18 2003"},
    {"-rw-r--r-- 1 user group 100 4月18日 12:00 メモ.txt", "メモ.txt", "100", false, "18.04.26",
     "Apr 18"},
    {"drwxr-xr-x 2 user group 4096 2005년1월6일 자료", "자료", "4096", true, "06.01.05",
     "Jan 6 2005"},
    // Sizes with a unit stay as written: they are no byte counts
    {"-rw-r--r--   1 user     group        33.5k Jan  5 10:00 small.bin", "small.bin", "33.5k",
     false, "05.01.26", "Jan 5"},
    {"-rw-r--r--   1 user     group         4.0M Mar  1  2020 medium.iso", "medium.iso", "4.0M",
     false, "01.03.20", "Mar 1 2020"},
    {"-rw-r--r-- 1 user group 2G Apr 1 2021 big.img", "big.img", "2G", false, "01.04.21",
     "Apr 1 2021"},
    {"-rw-r--r-- 1 hans users 4,0K 12. Okt. 2004 klein.txt", "klein.txt", "4,0K", false, "12.10.04",
     "Okt 12 2004"},
    // Sizes in groups of three stay as written too
    {"-rw-r--r-- 1 user group 1,234,567 Mar  5  2004 grouped.bin", "grouped.bin", "1,234,567",
     false, "05.03.04", "Mar 5 2004"},
    // Devices: the minor number stands where the size does
    {"crw-rw---- 1 root video 226,128 Jun  1 10:00 renderD128", "renderD128", "128", false,
     "01.06.26", "Jun 1"},
    {"brw-rw----   1 root     disk       8,   0 Jun  1 10:00 sda", "sda", "0", false, "01.06.26",
     "Jun 1"},
    {"crw-rw-rw-  1 root  wheel   16, 0x00000001 Jan  5 10:00 ttyp1", "ttyp1", "0x00000001", false,
     "05.01.26", "Jan 5"},
    // A long group and the size written together
    {"-rw-r--r--   1 owner longgroup123456 Feb  2  2002 joined.dat", "joined.dat", "123456", false,
     "02.02.02", "Feb 2 2002"},
    {"drwxr-xr-x 2 verylongowner4096 Mar 5 12:00 no group dir", "no group dir", "4096", true,
     "05.03.26", "Mar 5"},
    // The end of a day keeps its day: the last day of a year stays in that year
    {"-rw-r--r-- 1 user group 10 Mar 1 24:00 midnight.txt", "midnight.txt", "10", false, "01.03.26",
     "Mar 1"},
    {"-rw-r--r-- 1 user group 10 Dec 31 24:00 new year.txt", "new year.txt", "10", false,
     "31.12.25", "Dec 31"},
    // Names that look like dates, names with blanks, links
    {"-rw-r--r-- 1 user group 5 24-04-2003 17:12 24-04-2003 17:12 copy", "24-04-2003 17:12 copy",
     "5", false, "24.04.03", "Apr 24 2003"},
    {"-rw-r--r-- 1 user group 5 01 oct 2004 01 oct 2004", "01 oct 2004", "5", false, "01.10.04",
     "oct 01 2004"},
    {"-rw-r--r-- 1 user group 5 4月 18日 2003年  two blanks", " two blanks", "5", false, "18.04.03",
     "Apr 18 2003"},
    {"lrwxrwxrwx 1 root root 11 29 Jul 02:27 current -> release 2.0", "current", "", true,
     "29.07.25", nullptr},
    {"lrwxrwxrwx 1 root root 11 2004.07.15 latest.tar -> v1.tar", "latest.tar", "11", false,
     "15.07.04", nullptr},
    {"lrwxrwxrwx 1 root root 7 Okt. 5 2004 Neue Dateien -> neu", "Neue Dateien", "", true,
     "05.10.04", nullptr},
};

// The rows of a table as read under its second layout.
std::vector<Row> secondLayoutRows(std::vector<Row> rows) {
    for (Row& row : rows) {
        row.date = row.secondDate;
        if (!row.secondDate)
            row.name = nullptr;
    }
    return rows;
}

TEST(RealWorldLines, UnixDefaultLayout) {
    checkRows(kUnixLines, "0");
    checkRows(kLocalisedAndJoinedUnixLines, "0");
}

TEST(RealWorldLines, WuftpLayout) {
    checkRows(secondLayoutRows(kUnixLines), "7");
    checkRows(secondLayoutRows(kLocalisedAndJoinedUnixLines), "7");
}

// IIS in its MS-DOS style: date, time, "<DIR>" or the size, then the name, blanks and all. Read
// by character positions the names keep their blanks and the date turns to day.month.year.
const std::vector<Row> kIisLines = {
    {"06-12-25  09:41AM                 1234 Annual Report.pdf", "Annual Report.pdf", "1234", false,
     "06-12-25", "12.06.25"},
    {"01-17-07  03:27PM                  123 123 abc", "123 abc", "123", false, "01-17-07",
     "17.01.07"},
    {"01-17-07  03:27PM                  123 123 xyz", "123 xyz", "123", false, "01-17-07",
     "17.01.07"},
    {"03-05-07  12:00PM       <DIR>          aspnet_client", "aspnet_client", "", true, "03-05-07",
     "05.03.07"},
    {"03-05-07  12:00PM       <DIR>          New Folder (2)", "New Folder (2)", "", true,
     "03-05-07", "05.03.07"},
    {"11-30-19  11:59PM             52428800 backup  2019.zip", "backup  2019.zip", "52428800",
     false, "11-30-19", "30.11.19"},
    {"02-21-19  09:03AM                    0 empty.txt", "empty.txt", "0", false, "02-21-19",
     "21.02.19"},
};

// A four-digit year moves the columns, so that line is read in the MS-DOS style only.
TEST(RealWorldLines, MicrosoftFourLayout) {
    checkRows(kIisLines, "2");
    checkRows({{"06-12-2025  09:41AM       <DIR>          Long Date Dir", "Long Date Dir", "", true,
                "06-12-2025"}},
              "2");
}

TEST(RealWorldLines, FixedColumnsLayout) {
    checkRows(secondLayoutRows(kIisLines), "6");
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

}  // namespace
}  // namespace quay

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>

#include "panes/directory_tree.h"
#include "panes/local_delete.h"
#include "panes/local_drives.h"
#include "panes/local_listing.h"
#include "panes/local_names.h"
#include "panes/selection_summary.h"
#include "test_support.h"

namespace quay {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// Sets the modification time of path to the given local time.
void touchAt(const fs::path& path, int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_isdst = -1;
    const timespec when[2] = {{std::mktime(&local), 0}, {std::mktime(&local), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), when, AT_SYMLINK_NOFOLLOW), 0);
}

std::map<std::string, PaneItem> byName(const std::vector<PaneItem>& rows) {
    std::map<std::string, PaneItem> result;
    for (const PaneItem& row : rows)
        result[row.caption] = row;
    return result;
}

TEST(LocalListing, RowsCarryNameBytesKindSizeDateAndTime) {
    test::TempDir dir;
    const std::string odd = std::string("caf\xe9 'a; b\".txt");  // not UTF-8, quotes, blanks
    writeFile(dir.path() / odd, "12345");
    writeFile(dir.path() / ".hidden", "");
    fs::create_directory(dir.path() / "sub.d");
    touchAt(dir.path() / odd, 2024, 3, 7, 9, 5);
    // A sparse file above 4 GiB keeps its whole size.
    {
        const int fd = ::open((dir.path() / "big.iso").c_str(), O_CREAT | O_WRONLY, 0600);
        ASSERT_EQ(::ftruncate(fd, 5'000'000'000LL), 0);
        ::close(fd);
    }
    fs::create_directory_symlink("sub.d", dir.path() / "linkdir");
    fs::create_symlink("nowhere", dir.path() / "dangling");

    std::error_code error;
    auto rows = byName(readLocalDirectory(dir.path().string() + "/", "*.*", 0, error));
    EXPECT_FALSE(error);
    ASSERT_EQ(rows.size(), 6u);
    EXPECT_EQ(rows[odd].imageIndex, 2);
    EXPECT_EQ(rows[odd].subItems, (std::vector<std::string>{"5", "07.03.2024", "09:05"}));
    EXPECT_EQ(rows["big.iso"].subItems[0], "5000000000");
    EXPECT_EQ(rows["sub.d"].imageIndex, 1);
    EXPECT_EQ(rows["sub.d"].subItems[0], "");
    EXPECT_EQ(rows["linkdir"].imageIndex, 1);
    EXPECT_EQ(rows["dangling"].imageIndex, 2);
    EXPECT_EQ(rows.count(".hidden"), 1u);

    // Month first under date type 1; the mask filters files only.
    rows = byName(readLocalDirectory(dir.path().string() + "/", "*.iso", 1, error));
    EXPECT_EQ(rows.size(), 3u);  // big.iso, sub.d, linkdir
    EXPECT_EQ(rows.count("sub.d"), 1u);
    touchAt(dir.path() / "big.iso", 2024, 3, 7, 23, 59);
    rows = byName(readLocalDirectory(dir.path().string() + "/", "*.iso", 1, error));
    EXPECT_EQ(rows["big.iso"].subItems[1], "03.07.2024");
    EXPECT_EQ(rows["big.iso"].subItems[2], "23:59");

    EXPECT_TRUE(readLocalDirectory((dir.path() / "missing/").string(), "*.*", 0, error).empty());
    EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

TEST(LocalListing, TreeShowsThePathThenTheSubdirectoriesInNameOrder) {
    test::TempDir dir;
    for (const char* name : {"beta", "Alpha", "gamma"})
        fs::create_directories(dir.path() / "top" / name);
    writeFile(dir.path() / "top" / "file", "");
    fs::create_directory_symlink(dir.path() / "top" / "beta", dir.path() / "top" / "zlink");

    DirectoryTree tree;
    int changes = 0;
    tree.onChanged = [&] { ++changes; };
    const std::string shown = (dir.path() / "top").string() + "/";
    tree.show(shown);
    EXPECT_EQ(changes, 1);
    const auto& entries = tree.entries();
    ASSERT_EQ(tree.entries()[static_cast<std::size_t>(tree.itemIndex())].path, shown);
    EXPECT_EQ(entries[0].path, "/");
    const std::size_t current = static_cast<std::size_t>(tree.itemIndex());
    EXPECT_EQ(entries[current].name, "top");
    EXPECT_EQ(static_cast<std::size_t>(entries[current].depth), current);
    std::vector<std::string> subdirs;
    for (std::size_t i = current + 1; i < entries.size(); ++i) {
        subdirs.push_back(entries[i].name);
        EXPECT_EQ(entries[i].path, shown + entries[i].name + "/");
        EXPECT_EQ(entries[i].depth, entries[current].depth + 1);
    }
    EXPECT_EQ(subdirs, (std::vector<std::string>{"Alpha", "beta", "gamma", "zlink"}));

    tree.show("/");
    EXPECT_EQ(tree.itemIndex(), 0);
}

// A tree holding a link to a directory outside it: the link goes, what it points to stays.
TEST(LocalDelete, WalksBreadthFirstNeverFollowsLinksAndRemovesDeepestFirst) {
    test::TempDir dir;
    const fs::path outside = dir.path() / "outside";
    fs::create_directories(outside / "keep");
    writeFile(outside / "keep" / "precious", "data");
    const fs::path tree = dir.path() / "tree";
    fs::create_directories(tree / "a" / "b");
    writeFile(tree / "top.txt", "1");
    writeFile(tree / "a" / "b" / "deep.txt", "2");
    fs::create_directory_symlink(outside, tree / "a" / "out");
    writeFile(dir.path() / "single", "3");

    const LocalDeletePlan plan = planLocalDelete(
        {tree.string(), (dir.path() / "single").string(), (dir.path() / "gone").string()});
    EXPECT_EQ(plan.directories, (std::vector<std::string>{tree.string(), (tree / "a").string(),
                                                          (tree / "a" / "b").string()}));
    EXPECT_EQ(plan.files.size(), 4u);  // single, top.txt, the link, deep.txt
    EXPECT_EQ(plan.files[0], (dir.path() / "single").string());
    EXPECT_EQ(plan.files.back(), (tree / "a" / "b" / "deep.txt").string());

    const std::string base = dir.path().string() + "/";
    EXPECT_EQ(executeLocalDelete(plan, base), "");
    EXPECT_FALSE(fs::exists(tree));
    EXPECT_FALSE(fs::exists(dir.path() / "single"));
    EXPECT_EQ(readFile(outside / "keep" / "precious"), "data");

    // A link named directly is removed as a link.
    fs::create_directory_symlink(outside, dir.path() / "direct");
    const LocalDeletePlan link = planLocalDelete({(dir.path() / "direct").string()});
    EXPECT_TRUE(link.directories.empty());
    EXPECT_EQ(executeLocalDelete(link, base), "");
    EXPECT_TRUE(fs::exists(outside / "keep" / "precious"));
}

TEST(LocalDelete, StopsAtTheFirstFailureWithPathAndSystemText) {
    test::TempDir dir;
    writeFile(dir.path() / "first", "");
    writeFile(dir.path() / "third", "");
    LocalDeletePlan plan;
    plan.files = {(dir.path() / "first").string(), (dir.path() / "second").string(),
                  (dir.path() / "third").string()};
    const std::string base = dir.path().string() + "/";
    EXPECT_EQ(executeLocalDelete(plan, base),
              (dir.path() / "second").string() + ": No such file or directory");
    EXPECT_FALSE(fs::exists(dir.path() / "first"));
    EXPECT_TRUE(fs::exists(dir.path() / "third"));

    // A directory of the plan swapped for a link to elsewhere after planning: the delete stops
    // at the link and what it points to survives.
    fs::create_directories(dir.path() / "tree" / "sub");
    writeFile(dir.path() / "tree" / "sub" / "f", "");
    fs::create_directories(dir.path() / "elsewhere");
    writeFile(dir.path() / "elsewhere" / "f", "keep");
    const LocalDeletePlan swapped = planLocalDelete({(dir.path() / "tree").string()});
    fs::remove_all(dir.path() / "tree" / "sub");
    fs::create_directory_symlink(dir.path() / "elsewhere", dir.path() / "tree" / "sub");
    EXPECT_NE(executeLocalDelete(swapped, base), "");
    EXPECT_EQ(readFile(dir.path() / "elsewhere" / "f"), "keep");
    // Nothing outside base is touched.
    EXPECT_NE(executeLocalDelete({{(dir.path() / "elsewhere" / "f").string()}, {}}, base + "tree/"),
              "");
    EXPECT_TRUE(fs::exists(dir.path() / "elsewhere" / "f"));
}

TEST(LocalNames, CaseChangesTouchOnlyAsciiLettersAndTypedNamesStayInTheirDirectory) {
    EXPECT_EQ(changedCase("r\xc3\xa9sum\xc3\xa9 Mix.TXT", 0), "R\xc3\xa9SUM\xc3\xa9 MIX.TXT");
    EXPECT_EQ(changedCase("ReadMe.TXT", 1), "readme.txt");
    EXPECT_EQ(changedCase("readME.txt", 2), "Readme.txt");
    EXPECT_EQ(nameAfterLastSlash("../../etc/passwd"), "passwd");
    EXPECT_EQ(nameAfterLastSlash("a\\b:c"), "a\\b:c");
    for (const char* bad : {"", ".", "..", "a/b"})
        EXPECT_FALSE(isPlainEntryName(bad)) << bad;
    EXPECT_FALSE(isPlainEntryName(std::string("a\0b", 3)));
    EXPECT_TRUE(isPlainEntryName("..a"));
}

TEST(LocalDrives, MountInfoKeepsVolumesAndSkipsSystemMounts) {
    const char* mountinfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "23 22 0:5 / /proc rw - proc proc rw\n"
        "24 22 0:6 / /sys rw - sysfs sysfs rw\n"
        "25 24 0:7 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "26 22 0:8 / /dev/pts rw - devpts devpts rw\n"
        "27 22 0:9 / /run rw - tmpfs tmpfs rw\n"
        "28 27 0:10 / /run/user/1000 rw - tmpfs tmpfs rw\n"
        "29 22 8:2 / /home rw shared:2 - ext4 /dev/sda2 rw\n"
        "30 27 8:17 / /run/media/ann/USB\\040STICK rw - vfat /dev/sdb1 rw\n"
        "31 22 8:3 / /mnt/data rw - xfs /dev/sda3 rw\n"
        "32 22 8:1 /etc/hosts /etc/hosts rw - ext4 /dev/sda1 rw\n"
        "33 22 0:11 / /tmp rw - tmpfs tmpfs rw\n"
        "34 22 8:3 / /mnt/data rw - xfs /dev/sda3 rw\n"
        "garbage line\n"
        "35 22 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro";
    EXPECT_EQ(
        userMountPoints(mountinfo),
        (std::vector<std::string>{"/home/", "/run/media/ann/USB STICK/", "/mnt/data/", "/tmp/"}));

    const std::vector<std::string> drives = localDrives("/home/ann");
    ASSERT_GE(drives.size(), 2u);
    EXPECT_EQ(drives[0], "/");
    EXPECT_EQ(drives[1], "/home/ann/");
    EXPECT_EQ(driveIndexOf(drives, "/home/ann/src/"), 1);
    EXPECT_EQ(driveIndexOf({"/", "/home/", "/home/ann/"}, "/home/annex/"), 1);
    EXPECT_EQ(driveIndexOf({"/home/"}, "/usr/"), -1);
}

TEST(SelectionSummary, SumsSelectedFilesIn64BitsAndFormatsBothPanes) {
    PaneModel pane;
    auto add = [&](int image, const char* size, bool selected) {
        PaneItem row;
        row.imageIndex = image;
        row.subItems = {size};
        row.selected = selected;
        pane.add(row);
    };
    add(2, "3000000000", true);  // above 2 GiB: counts with its size
    add(2, "1024", true);
    add(2, "12abc", true);  // not a number: counts 0, the file still counts
    add(2, "-5", true);
    add(2, "99999999999999999999", true);  // past 64 bits
    add(1, "", true);                      // directories are not summed
    add(2, "7", false);
    const SelectionSummary summary = summarizeSelection(pane);
    EXPECT_EQ(summary.bytes, 3000001024);
    EXPECT_EQ(summary.files, 5u);
    EXPECT_EQ(kilobytesText(summary.bytes), "2929688.50");
    EXPECT_EQ(kilobytesText(1536), "1.50");
}

}  // namespace
}  // namespace quay

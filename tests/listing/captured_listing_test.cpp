#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "listing/list_line_parser.h"
#include "listing/listing_walkers.h"
#include "listing/remote_pane.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono;

// The day the listings were captured (see data/README).
constexpr year_month_day kCaptureDay{year{2026}, December, day{6}};

struct Expected {
    const char* name;
    bool isDir;
    const char* size;
    const char* date;  // default layout
    const char* time;
};

// The same tree on every server, in listing order. The name starts after the one blank that
// ends the date, so its own leading blanks survive.
const std::vector<Expected> kTree = {
    {"  two  blanks.txt", false, "2", "28.02.26", ""},
    {"My Documents", true, "4096", "01.01.10", ""},
    {"big.iso", false, "5000000000", "30.06.25", ""},
    {"docs", true, "4096", "05.12.26", "18:00"},
    {"link_to_docs", true, "", "10.10.26", "10:10"},
    {"my file.txt", false, "1234", "20.11.26", "10:30"},
    {"old.dat", false, "4", "05.03.99", ""},
    {"readme.lnk.txt", false, "10", "10.10.26", "10:10"},
    {"readme.txt", false, "6", "01.12.26", "23:59"},
};

std::string capturedText(const std::string& server) {
    return test::readFile(std::string(QUAY_LISTING_DATA_DIR) + "/" + server + ".list");
}

// The captured listing as the listing file the client writes, in a directory of its own.
struct ListingFile {
    explicit ListingFile(const std::string& server) { test::writeFile(path, capturedText(server)); }
    test::TempDir dir;
    std::filesystem::path path = dir.path() / "FTPDIR7.TXT";
};

std::vector<RemoteEntry> entriesOf(const std::string& server, const std::string& layout) {
    std::vector<RemoteEntry> entries;
    forEachListingEntry(capturedText(server), ListingFormat{layout, kCaptureDay}, 3,
                        [&](RemoteEntry& e) { entries.push_back(e); });
    return entries;
}

class CapturedListing : public testing::TestWithParam<const char*> {};

TEST_P(CapturedListing, DefaultLayoutReadsEveryEntry) {
    for (const char* layout : {"", "0", "0000000", "9"}) {
        std::vector<RemoteEntry> entries = entriesOf(GetParam(), layout);
        ASSERT_EQ(entries.size(), kTree.size()) << layout;
        for (std::size_t i = 0; i < kTree.size(); ++i) {
            SCOPED_TRACE(kTree[i].name);
            EXPECT_EQ(entries[i].name, kTree[i].name);
            EXPECT_EQ(entries[i].isDir, kTree[i].isDir);
            EXPECT_EQ(entries[i].size, kTree[i].size);
            EXPECT_EQ(entries[i].date, kTree[i].date);
            EXPECT_EQ(entries[i].time, kTree[i].time);
        }
    }
}

TEST_P(CapturedListing, WuftpLayoutDropsLinksAndKeepsTheDateText) {
    std::vector<RemoteEntry> entries = entriesOf(GetParam(), "7");
    std::vector<std::string> names;
    for (const RemoteEntry& e : entries)
        names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"  two  blanks.txt", "My Documents", "big.iso",
                                               "docs", "my file.txt", "old.dat", "readme.txt"}));
    ASSERT_EQ(entries.size(), 7u);
    EXPECT_TRUE(entries[1].isDir);
    EXPECT_EQ(entries[2].size, "5000000000");
    // The year follows the day after one blank; a time of day stays in the time column.
    EXPECT_EQ(entries[2].date, "Jun 30 2025");
    EXPECT_EQ(entries[2].time, "");
    EXPECT_EQ(entries[4].time, "10:30");
    EXPECT_TRUE(entries[5].date.starts_with("Mar ") && entries[5].date.ends_with(" 1999"))
        << entries[5].date;
}

TEST_P(CapturedListing, DeleteWalkerQueuesLinksAsFilesAndNeverEntersThem) {
    ListingFile file(GetParam());
    DeleteWalk walk = walkDeleteListing(file.path, ListingFormat{"0", kCaptureDay}, "/tree", {});
    EXPECT_EQ(walk.dirs, (std::vector<std::string>{"/tree/My Documents", "/tree/docs"}));
    EXPECT_EQ(walk.files,
              (std::vector<std::string>{"  two  blanks.txt", "big.iso", "link_to_docs",
                                        "my file.txt", "old.dat", "readme.lnk.txt", "readme.txt"}));
}

TEST_P(CapturedListing, PaneShowsEveryEntryWithFullDates) {
    ListingFile file(GetParam());
    PaneModel view;
    ComboModel pathBox;
    RemotePaneLoad load;
    load.listFile = file.path;
    load.format = ListingFormat{"0", kCaptureDay};
    load.view.dateOrder = DateOrder::MonthFirst;
    load.view.currentYear = 2026;
    RemotePaneState state = loadListingIntoPane(load, view, pathBox);
    ASSERT_EQ(view.count(), kTree.size());
    EXPECT_EQ(state.names, (std::vector<std::string>{"  two  blanks.txt", "big.iso", "my file.txt",
                                                     "old.dat", "readme.lnk.txt", "readme.txt"}));
    for (std::size_t i = 0; i < kTree.size(); ++i) {
        EXPECT_EQ(view.item(i).caption, kTree[i].name);
        EXPECT_EQ(view.item(i).imageIndex, kTree[i].isDir ? kDirectoryImage : kFileImage);
    }
    EXPECT_EQ(view.item(6).subItems[1], "03.05.1999");  // old.dat
    EXPECT_EQ(view.item(3).subItems[1], "12.05.2026");  // docs
}

INSTANTIATE_TEST_SUITE_P(Servers, CapturedListing,
                         testing::Values("vsftpd", "pure-ftpd", "pyftpdlib", "proftpd"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, '-');
                             return name;
                         });

}  // namespace
}  // namespace quay

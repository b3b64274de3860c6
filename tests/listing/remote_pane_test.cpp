#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "listing/remote_pane.h"
#include "panes/list_order.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono;

class RemotePaneTest : public testing::Test {
protected:
    RemotePaneTest() {
        usePaneOrder(view, sortKey);
        view.onReset = [this] { ++resets; };
        view.onInserted = [this](std::size_t, std::size_t) { ++rowSignals; };
        view.onRemoved = [this](std::size_t, std::size_t) { ++rowSignals; };
    }

    RemotePaneState load(const std::string& listing, const std::string& layout = "0",
                         const std::string& hostDirName = "/pub/sub dir/") {
        test::writeFile(listFile(), listing);
        RemotePaneLoad request;
        request.listFile = listFile();
        request.format = ListingFormat{layout, {year{2026}, June, day{15}}};
        request.view.mask = "*.txt";
        request.view.currentYear = 2026;
        request.hostName = "ftp.example.org";
        request.hostDirName = hostDirName;
        return loadListingIntoPane(request, view, pathBox);
    }

    std::filesystem::path listFile() const { return dir.path() / "FTPDIR42.TXT"; }

    std::vector<std::string> captions() const {
        std::vector<std::string> result;
        for (const PaneItem& item : view.items())
            result.push_back(item.caption);
        return result;
    }

    test::TempDir dir;
    PaneModel view;
    ComboModel pathBox;
    int sortKey = 0;
    int resets = 0;
    int rowSignals = 0;
};

const char* const kUnixListing =
    "total 20\r\n"
    "x\r\n"
    "-rw-r--r-- 1 u g 1234 Mar  5  1999 b file.txt\r\n"
    "drwxr-xr-x 2 u g 4096 Jun  1 12:00 zeta\r\n"
    "-rw-r--r-- 1 u g 77 Jun  2 13:00 a.dat\r\n"
    "lrwxrwxrwx 1 u g 7 Jun  3 14:00 bin -> usr/bin\r\n"
    "-rw-r--r-- 1 u g 5 Jun  4 15:00 a.txt\r\n";

TEST_F(RemotePaneTest, LoadsEntriesRowsNamesAndPathBox) {
    RemotePaneState state = load(kUnixListing);
    EXPECT_FALSE(std::filesystem::exists(listFile()));
    // "total 20" is no entry; "x" is too short.
    ASSERT_EQ(state.entries.size(), 5u);
    EXPECT_EQ(state.names, (std::vector<std::string>{"b file.txt", "a.dat", "a.txt"}));

    // Directories first, then files by name; files outside the mask are hidden.
    EXPECT_EQ(captions(), (std::vector<std::string>{"bin", "zeta", "a.txt", "b file.txt"}));
    EXPECT_EQ(view.item(3).subItems,
              (std::vector<std::string>{"1234", "05.03.1999", "", "-rw-r--r--"}));
    EXPECT_EQ(view.item(1).imageIndex, kDirectoryImage);
    EXPECT_EQ(view.item(1).subItems[0], "") << "directories show no size";
    EXPECT_EQ(view.columnWidths()[0].mode, ColumnWidth::Mode::WidestCaptionPlus);
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(rowSignals, 0);

    EXPECT_EQ(pathBox.items(),
              (std::vector<std::string>{"Server Liste ...", "ftp.example.org", "pub", "sub dir"}));
    EXPECT_EQ(pathBox.itemIndex(), 3);
}

TEST_F(RemotePaneTest, NewMaskRefillsFromEntriesWithoutTheFile) {
    RemotePaneState state = load(kUnixListing);
    RemoteViewOptions all;
    all.currentYear = 2026;
    all.dateOrder = DateOrder::MonthFirst;
    fillViewFromEntries(view, state.entries, ListingFormat{"0"}, all);
    EXPECT_EQ(captions(),
              (std::vector<std::string>{"bin", "zeta", "a.dat", "a.txt", "b file.txt"}));
    EXPECT_EQ(view.item(4).subItems[1], "03.05.1999");
}

TEST_F(RemotePaneTest, NamesOnlyServersShowEveryEntryAcrossTheView) {
    RemotePaneState state = load("readme\nsrc.tar.gz\nab\ndocs and more\n", "1");
    EXPECT_EQ(captions(), (std::vector<std::string>{"docs and more", "readme", "src.tar.gz"}));
    EXPECT_EQ(view.item(0).imageIndex, kDirectoryImage) << "text layout: a leading d";
    EXPECT_EQ(view.columnWidths()[0].mode, ColumnWidth::Mode::ClientWidthMinus);
    EXPECT_TRUE(state.names.empty()) << "names need lines of 20 characters";
}

// An MLSD listing is read as MLSD whatever the record's layout: whole entries also under the
// names-only and VMS layouts, short lines included, the directory and its parent left out.
TEST_F(RemotePaneTest, MlsdListingsIgnoreTheLayoutOfListLines) {
    const std::string mlsd =
        "type=cdir; /pub\r\n"
        "type=pdir; ..\r\n"
        "type=dir; d\r\n"
        "type=file;size=7; a.txt\r\n"
        "type=file;size=12; names and blanks.txt\r\n"
        "short\r\n";
    for (const char* layout : {"0", "1", "5"}) {
        test::writeFile(listFile(), mlsd);
        RemotePaneLoad request;
        request.listFile = listFile();
        request.format = ListingFormat{layout, {year{2026}, June, day{15}}, true};
        request.view.mask = "*.txt";
        request.hostDirName = "/pub";
        RemotePaneState state = loadListingIntoPane(request, view, pathBox);
        EXPECT_EQ(state.listingType, layout == std::string("1") ? 0 : layout[0] - '0');
        EXPECT_EQ(captions(), (std::vector<std::string>{"d", "a.txt", "names and blanks.txt"}))
            << layout;
        EXPECT_EQ(state.names, (std::vector<std::string>{"a.txt", "names and blanks.txt", "short"}))
            << layout;
        EXPECT_EQ(view.item(1).subItems[0], "7") << layout;
        EXPECT_EQ(state.hostDirName, "/pub") << layout;
    }
}

TEST_F(RemotePaneTest, VmsHeaderNamesTheDirectoryAndWrappedEntriesJoin) {
    RemotePaneState state = load(
        "DISK$ARCHIVE:[USERS.JOE]\r\n"
        "\r\n"
        "A_VERY_LONG_FILE_NAME_INDEED.TXT;2\r\n"
        "                   12  5-MAR-2003 12:00:00.00 [JOE] (RWED,RWED,RE,)\r\n"
        "SUB.DIR;1              1  5-MAR-2003 12:00:00.00 [JOE] (RWE,RWE,RE,E)\r\n"
        "Total of 2 files.\r\n",
        "5", "/");
    EXPECT_EQ(state.hostDirName, "USERS/JOE");
    ASSERT_EQ(state.entries.size(), 2u);
    EXPECT_EQ(state.entries[0].attr, "(RWED,RWED,RE,)");
    EXPECT_TRUE(state.entries[1].isDir);
    EXPECT_EQ(state.names, (std::vector<std::string>{"A_VERY_LONG_FILE_NAME_INDEED.TXT"}));
    // The mask "*.txt" compares case-sensitively.
    EXPECT_EQ(captions(), (std::vector<std::string>{"SUB"}));
    EXPECT_EQ(pathBox.items(),
              (std::vector<std::string>{"Server Liste ...", "ftp.example.org", "USERS", "JOE"}));
}

TEST_F(RemotePaneTest, OverlongVmsHeaderKeepsTheDirectory) {
    std::string dots(10000, '.');
    RemotePaneState state = load("DISK$ARCHIVE:[" + dots + "]\r\n", "5", "/start/");
    EXPECT_EQ(state.hostDirName, "/start/");
    EXPECT_EQ(pathBox.count(), 3u);
}

TEST_F(RemotePaneTest, FixedColumnParentEntryIsShownAndMissingFileGivesEmptyPane) {
    load("03-05-07  12:00PM       <DIR>\r\n01-17-07  03:27PM                 1234 f.txt\r\n", "6",
         "");
    EXPECT_EQ(captions(), (std::vector<std::string>{"..", "f.txt"}));
    EXPECT_EQ(view.item(1).subItems[1], "17.01.2007");
    EXPECT_EQ(pathBox.items(), (std::vector<std::string>{"Server Liste ...", "ftp.example.org"}));
    EXPECT_EQ(pathBox.itemIndex(), 1);

    std::filesystem::remove(listFile());
    RemotePaneLoad request;
    request.listFile = listFile();
    RemotePaneState state = loadListingIntoPane(request, view, pathBox);
    EXPECT_TRUE(state.entries.empty());
    EXPECT_TRUE(view.empty());
}

TEST(RemotePathBox, ComponentsKeepTheirBytes) {
    ComboModel box;
    fillRemotePathBox(box, "host", "//a b /c//d/");
    EXPECT_EQ(box.items(),
              (std::vector<std::string>{"Server Liste ...", "host", "a b ", "c", "d"}));
    EXPECT_EQ(box.text(), "d");
}

}  // namespace
}  // namespace quay

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "panes/list_order.h"

namespace quay {
namespace {

enum Image { kUp = 0, kDir = 1, kFile = 2, kServer = 3 };

PaneItem row(std::string name, int image, std::string size = {}, std::string date = {},
             std::string time = {}, std::string attributes = {}) {
    PaneItem item;
    item.caption = std::move(name);
    item.imageIndex = image;
    item.subItems = {std::move(size), std::move(date), std::move(time), std::move(attributes)};
    return item;
}

std::vector<std::string> sortedNames(std::vector<PaneItem> items, int key) {
    PaneModel model;
    model.assign(std::move(items));
    usePaneOrder(model, key);
    model.setSortEnabled(true);
    std::vector<std::string> names;
    for (const auto& item : model.items())
        names.push_back(item.caption);
    return names;
}

using Names = std::vector<std::string>;

TEST(FtpViewCompare, KindsStayInImageOrderInEveryColumnAndDirection) {
    std::vector<PaneItem> items{row("zeta", kFile, "1"), row("srv", kServer), row("alpha", kDir),
                                row("..", kUp), row("beta", kFile, "9")};
    for (int key : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5}) {
        Names names = sortedNames(items, key);
        EXPECT_EQ(names.front(), "..") << key;
        EXPECT_EQ(names[1], "alpha") << key;
        EXPECT_EQ(names.back(), "srv") << key;
    }
}

TEST(FtpViewCompare, NameColumnIgnoresAsciiCaseAndComparesBytes) {
    std::vector<PaneItem> items{row("beta", kFile), row("Alpha", kFile), row("alp", kFile),
                                row("\xC3\xA4rger", kFile), row("Zulu", kFile)};
    EXPECT_EQ(sortedNames(items, 0), (Names{"alp", "Alpha", "beta", "Zulu", "\xC3\xA4rger"}));
    EXPECT_EQ(sortedNames(items, -1), (Names{"\xC3\xA4rger", "Zulu", "beta", "Alpha", "alp"}));
    EXPECT_EQ(ftpViewCompare(row("ABC", kFile), row("abc", kFile), 0), 0);
}

TEST(FtpViewCompare, SizeColumnPutsLargestFirstAndReadsSixtyFourBits) {
    std::vector<PaneItem> items{row("small", kFile, "10"), row("4g", kFile, "4294967296"),
                                row("3g", kFile, "3000000000"), row("empty", kFile, ""),
                                row("2g", kFile, "2147483647")};
    EXPECT_EQ(sortedNames(items, 2), (Names{"4g", "3g", "2g", "small", "empty"}));
    EXPECT_EQ(sortedNames(items, -2), (Names{"empty", "small", "2g", "3g", "4g"}));
}

TEST(FtpViewCompare, SizeTextIsReadLeniently) {
    EXPECT_EQ(leadingSize("   42"), 42);
    EXPECT_EQ(leadingSize("12kB"), 12);
    EXPECT_EQ(leadingSize("-5"), 0);
    EXPECT_EQ(leadingSize("9223372036854775807"), 9223372036854775807);
    // Read up to the digit at which the value would overflow; that prefix counts.
    EXPECT_EQ(leadingSize("9223372036854775808"), 922337203685477580);
    EXPECT_EQ(leadingSize("99999999999999999999999"), 999999999999999999);
}

TEST(FtpViewCompare, DateColumnUsesFixedCharacterPositions) {
    std::vector<PaneItem> items{row("a", kFile, "", "31.12.2023"),
                                row("b", kFile, "", "01.01.2024"),
                                row("c", kFile, "", "15.06.2023"), row("d", kFile, "", "")};
    EXPECT_EQ(sortedNames(items, 3), (Names{"d", "c", "a", "b"}));
    // Under "mm.dd.yyyy" the same positions order by year, then day, then month.
    std::vector<PaneItem> us{row("jan31", kFile, "", "01.31.2024"),
                             row("feb02", kFile, "", "02.02.2024"),
                             row("dec01", kFile, "", "12.01.2024")};
    EXPECT_EQ(sortedNames(us, 3), (Names{"dec01", "feb02", "jan31"}));
    // Short and damaged dates do not crash.
    EXPECT_NE(ftpViewCompare(row("x", kFile, "", "1"), row("y", kFile, "", "1.1.1990"), 3), 0);
}

TEST(FtpViewCompare, TimeAndAttributeColumnsCompareText) {
    std::vector<PaneItem> items{row("a", kFile, "", "", "12:30", "-rw-r--r--"),
                                row("b", kFile, "", "", "09:05", "-rwxr-xr-x"),
                                row("c", kFile, "", "", "23:59", "-r--------")};
    EXPECT_EQ(sortedNames(items, 4), (Names{"b", "a", "c"}));
    EXPECT_EQ(sortedNames(items, 5), (Names{"c", "a", "b"}));
}

TEST(FtpViewCompare, RowsWithoutSubItemsAndOddKeysAreSafe) {
    PaneItem bare;
    bare.caption = "bare";
    bare.imageIndex = kFile;
    for (int key : {2, 3, 4, 5, 99, -99, -2147483647 - 1})
        EXPECT_NO_THROW(ftpViewCompare(bare, row("x", kFile, "1", "01.01.2000"), key)) << key;
    EXPECT_EQ(ftpViewCompare(bare, row("x", kFile), 99), -1);
}

TEST(SortKey, ClicksSetTheKeyThePaneThenSortsBy) {
    int key = 0;
    PaneModel model;
    model.assign({row("b", kFile, "1"), row("a", kFile, "2")});
    usePaneOrder(model, key);
    model.setSortEnabled(true);
    EXPECT_EQ(model.item(0).caption, "a");
    // The first click on a column sorts descending, each further click reverses.
    key = sortKeyAfterColumnClick(key, 2);
    EXPECT_EQ(key, -2);  // smallest first
    model.sort();
    EXPECT_EQ(model.item(0).caption, "b");
    EXPECT_EQ(sortKeyAfterColumnClick(key, 2), 2);
    EXPECT_EQ(sortKeyAfterColumnClick(1, 1), -1);
    EXPECT_EQ(sortKeyAfterColumnClick(-3, 3), 3);
}

// What the sort arrow shows must be how the rows read: in every column and direction, the
// column's texts (sizes as numbers) run from high to low exactly when readsDescending says so.
TEST(SortKey, ReadsDescendingMatchesTheOrderOfTheRows) {
    const std::vector<PaneItem> items{row("b", kFile, "20", "02.01.2000", "10:00", "-rw-"),
                                      row("c", kFile, "3", "03.01.2000", "11:00", "drwx"),
                                      row("a", kFile, "100", "01.01.2000", "09:00", "-r--")};
    for (int key : {1, -1, 2, -2, 3, -3, 4, -4, 5, -5}) {
        const Names names = sortedNames(items, key);
        // Each item's name is its place in ascending order of every column but the size,
        // whose numbers run a (100), b (20), c (3).
        const bool highToLow = std::abs(key) == 2 ? names.front() == "a" : names.front() == "c";
        EXPECT_EQ(readsDescending(key), highToLow) << key;
    }
    EXPECT_FALSE(readsDescending(0));
}

// The keyed sorter must give exactly the stable order of the pairwise rule, for every
// column and direction, including equal keys, mixed case and sizes above 32 bits.
TEST(SortPaneRows, GivesTheStableOrderOfThePairwiseRule) {
    std::vector<PaneItem> rows;
    unsigned seed = 7;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    const char* names[] = {"a", "B", "b", "A", "readme", "README", "z.txt", ""};
    const char* sizes[] = {"", "0", "12", "4294967296", "9999999999999", "12 k", " 7"};
    const char* dates[] = {"01.02.2003", "02.01.2003", "error", "", "Mar 5"};
    for (int i = 0; i < 400; ++i) {
        PaneItem item;
        item.caption = names[next() % 8];
        item.imageIndex = static_cast<int>(next() % 4);
        item.subItems = {sizes[next() % 7], dates[next() % 5], next() % 2 ? "12:00" : "09:30",
                         next() % 2 ? "-rw-r--r--" : "drwx------"};
        item.subItems.resize(next() % 5);
        item.caption += std::to_string(i % 3);
        rows.push_back(item);
    }
    for (int key : {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 42}) {
        auto expected = rows;
        std::stable_sort(expected.begin(), expected.end(), [key](const auto& a, const auto& b) {
            return ftpViewCompare(a, b, key) < 0;
        });
        auto keyed = rows;
        sortPaneRows(keyed, key);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            ASSERT_EQ(keyed[i].caption, expected[i].caption) << "key " << key << " row " << i;
            ASSERT_EQ(keyed[i].subItems, expected[i].subItems) << "key " << key << " row " << i;
        }
    }
}

}  // namespace
}  // namespace quay

#include <gtest/gtest.h>

#include <string>

#include "panes/chmod_model.h"

namespace quay {
namespace {

using Close = ChmodModel::Close;

// The nine boxes as "rwxrwxrwx" with "-" for unticked ones.
std::string boxes(const ChmodModel& m) {
    std::string shown;
    for (int n = 1; n <= 9; ++n)
        shown += m.box(n) ? "rwx"[(n - 1) % 3] : '-';
    return shown;
}

TEST(ChmodModel, OpensOnTheAttributeText) {
    ChmodModel dir("drwxr-xr-x");
    EXPECT_EQ(boxes(dir), "rwxr-xr-x");
    EXPECT_EQ(siteChmodCommand(*dir.result(Close::Ok), "my file.txt"),
              "SITE CHMOD 755 my file.txt");

    ChmodModel upper("-RW-R-----");
    EXPECT_EQ(upper.editText(), "640");
    // Only r, w and x count: setuid, setgid and sticky letters set nothing.
    ChmodModel special("-rwsr-sr-t");
    EXPECT_EQ(special.editText(), "644");
}

TEST(ChmodModel, NoBitsGiveAnEmptyEditAndOkSendsNothing) {
    for (const char* text : {"----------", "-", "", "\xff\xfe\x01 binary junk"}) {
        ChmodModel m(text);
        EXPECT_EQ(m.editText(), "") << text;
        EXPECT_EQ(boxes(m), "---------") << text;
        EXPECT_EQ(m.result(Close::Ok), std::nullopt) << text;
    }
}

TEST(ChmodModel, BoxesWriteTheEditAndTheEditSetsTheBoxes) {
    ChmodModel m("-rw-------");
    m.setBox(1, false);
    EXPECT_EQ(m.editText(), "200");
    m.setBox(2, false);
    EXPECT_EQ(m.editText(), "000");  // three digits even when nothing is ticked
    EXPECT_EQ(m.result(Close::Ok), 0);

    m.setEditText("044");
    EXPECT_EQ(boxes(m), "---r--r--");
    EXPECT_EQ(m.editText(), "044");  // the boxes do not rewrite the edit
    EXPECT_EQ(siteChmodCommand(*m.result(Close::Ok), "a"), "SITE CHMOD 44 a");

    m.setEditText("7");
    EXPECT_EQ(boxes(m), "------rwx");
    m.setEditText("");
    EXPECT_EQ(boxes(m), "---------");
    EXPECT_EQ(m.result(Close::Ok), std::nullopt);
}

TEST(ChmodModel, TextThatIsNotANumberLeavesTheBoxesAndSendsNothing) {
    ChmodModel m("-rwxr-x---");
    m.setEditText("7a");
    EXPECT_EQ(boxes(m), "rwxr-x---");
    EXPECT_EQ(m.result(Close::Ok), std::nullopt);
    m.setEditText("-1");
    EXPECT_EQ(boxes(m), "rwxr-x---");
    m.setEditText("75555");  // cut to three characters
    EXPECT_EQ(m.editText(), "755");
    EXPECT_EQ(m.result(Close::Cancel), std::nullopt);
}

TEST(ChmodModel, RowAndColumnButtonsTickThenUntick) {
    ChmodModel m("");
    m.clickColumnButton(1);
    EXPECT_EQ(m.editText(), "444");
    m.clickColumnButton(1);
    EXPECT_EQ(m.editText(), "000");

    m.clickRowButton(3);
    EXPECT_EQ(boxes(m), "------rwx");
    m.clickColumnButton(3);
    EXPECT_EQ(boxes(m), "--x--xrwx");
    EXPECT_EQ(m.editText(), "117");
    m.clickRowButton(3);
    EXPECT_EQ(m.editText(), "110");

    // A new dialog starts with fresh button directions.
    ChmodModel next("");
    EXPECT_EQ(next.columnButtonTag(1), 1);
    EXPECT_THROW(next.clickRowButton(4), std::out_of_range);
    EXPECT_THROW(next.box(0), std::out_of_range);
}

TEST(ChmodModel, OnlyOctalDigitsAndControlKeysPassTheEdit) {
    for (char32_t key : {U'0', U'5', U'7', U'\b', U'\r', char32_t(0x16)})
        EXPECT_FALSE(ChmodModel::keyActsAsBackspace(key)) << int(key);
    for (char32_t key : {U'8', U'9', U'a', U' ', U'-', U'\u00e4'})
        EXPECT_TRUE(ChmodModel::keyActsAsBackspace(key)) << int(key);
}

TEST(ChmodModel, AnnouncesEachChangeOnce) {
    ChmodModel m("-rw-r--r--");
    int changes = 0;
    m.onChanged = [&] { ++changes; };
    m.setBox(1, true);     // already ticked
    m.setEditText("644");  // same text
    EXPECT_EQ(changes, 0);
    m.clickRowButton(1);
    m.setEditText("1");
    EXPECT_EQ(changes, 2);
}

}  // namespace
}  // namespace quay

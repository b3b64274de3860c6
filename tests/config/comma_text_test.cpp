#include "config/comma_text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quay {
namespace {

using Items = std::vector<std::string>;

TEST(CommaText, WritesQuotesOnlyWhereAnItemNeedsThem) {
    EXPECT_EQ(joinCommaText({}), "");
    EXPECT_EQ(joinCommaText({"my layout", "a,b", "say \"hi\"", "tab\there"}),
              "\"my layout\",\"a,b\",\"say \"\"hi\"\"\",\"tab\there\"");
    EXPECT_EQ(joinCommaText({"a", "", "b"}), "a,,b");
    EXPECT_EQ(joinCommaText({""}), "\"\"");
    // Bytes above 127 (UTF-8 names) are no control characters.
    EXPECT_EQ(joinCommaText({"Gr\xc3\xbc\xc3\x9f"
                             "e"}),
              "Gr\xc3\xbc\xc3\x9f"
              "e");
}

TEST(CommaText, ReadsQuotedUnquotedAndEmptyItems) {
    EXPECT_EQ(splitCommaText(""), Items{});
    EXPECT_EQ(splitCommaText("  \t\r\n "), Items{});
    EXPECT_EQ(splitCommaText("\"Default\",0957681"), (Items{"Default", "0957681"}));
    EXPECT_EQ(splitCommaText("a,,b"), (Items{"a", "", "b"}));
    EXPECT_EQ(splitCommaText("a,"), Items{"a"});
    EXPECT_EQ(splitCommaText("a , b"), (Items{"a", "b"}));
    EXPECT_EQ(splitCommaText("NOOP PWD"), (Items{"NOOP", "PWD"}));
    EXPECT_EQ(splitCommaText("\"say \"\"hi\"\"\",x"), (Items{"say \"hi\"", "x"}));
}

TEST(CommaText, ToleratesMalformedText) {
    // An unclosed quote runs to the end; text glued to a closing quote starts a new item.
    EXPECT_EQ(splitCommaText("\"open, never closed"), Items{"open, never closed"});
    EXPECT_EQ(splitCommaText("\"ab\"cd,e"), (Items{"ab", "cd", "e"}));
    EXPECT_EQ(splitCommaText("ab\"cd"), Items{"ab\"cd"});
    EXPECT_EQ(splitCommaText(std::string("a\0b", 3)), (Items{"a", "b"}));
    EXPECT_EQ(splitCommaText("\""), Items{""});
}

TEST(CommaText, EveryListSurvivesWritingAndReading) {
    std::mt19937 random(7);
    const std::string alphabet = "ab ,\"\t\x01\xff";
    for (int round = 0; round < 2000; ++round) {
        Items items(random() % 5);
        for (std::string& item : items) {
            item.resize(random() % 4);
            for (char& c : item) {
                c = alphabet[random() % alphabet.size()];
            }
        }
        ASSERT_EQ(splitCommaText(joinCommaText(items)), items) << joinCommaText(items);
    }
}

}  // namespace
}  // namespace quay

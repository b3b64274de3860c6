#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panes/name_mask.h"
#include "panes/text_split.h"

namespace quay {
namespace {

using Parts = std::vector<std::string>;

TEST(SplitString, CutsAtEveryDelimiterAndTrimsEachPart) {
    EXPECT_EQ(splitString(' ', "a  b    d"), (Parts{"a", "b", "d"}));
    EXPECT_EQ(splitString(',', " x , y\t,\r\nz "), (Parts{"x", "y", "z"}));
    // UTF-8 bytes are never taken for blanks.
    EXPECT_EQ(splitString(' ', "\xC3\xA4 \xE2\x82\xAC"), (Parts{"\xC3\xA4", "\xE2\x82\xAC"}));
}

TEST(SplitString, LeadingDelimiterGivesAnEmptyPartTrailingOneGivesNone) {
    EXPECT_EQ(splitString(' ', " a"), (Parts{"", "a"}));
    EXPECT_EQ(splitString(',', "a,"), (Parts{"a"}));
    EXPECT_EQ(splitString(',', "a,,b"), (Parts{"a", "", "b"}));
    EXPECT_EQ(splitString(',', "   "), (Parts{""}));
    EXPECT_TRUE(splitString(',', "").empty());
}

TEST(SplitString, HandlesBinaryAndLongTexts) {
    std::string junk("\0\x01,\xff\xfe,\0", 8);
    EXPECT_EQ(splitString(',', junk), (Parts{"", "\xff\xfe"}));
    std::string many;
    for (int n = 0; n < 100000; ++n)
        many += "ab ";
    EXPECT_EQ(splitString(' ', many).size(), 100000u);
}

TEST(MatchMask, StarAndStarDotStarPassEveryName) {
    for (const char* name : {"", "README", "a.b.c", ".hidden", " "}) {
        EXPECT_TRUE(matchMask(name, "*")) << name;
        EXPECT_TRUE(matchMask(name, "*.*")) << name;
    }
}

TEST(MatchMask, NeedsTheSameNumberOfPartsBetweenDots) {
    EXPECT_TRUE(matchMask("a.txt", "*.txt"));
    EXPECT_FALSE(matchMask("a.b.txt", "*.txt"));
    EXPECT_TRUE(matchMask("a.b.txt", "*.*.*"));
    EXPECT_FALSE(matchMask("a.txt", "*.TXT"));
    EXPECT_TRUE(matchMask("report.txt", "rep*.t?t"));
    EXPECT_FALSE(matchMask("report.txt", "rap*.t?t"));
}

TEST(MatchWild, FollowsThePanesOwnRule) {
    EXPECT_TRUE(matchWild("*", "anything"));
    EXPECT_TRUE(matchWild("", ""));
    EXPECT_FALSE(matchWild("", "a"));
    EXPECT_FALSE(matchWild("a", ""));
    EXPECT_FALSE(matchWild("abc", "abd"));
    EXPECT_FALSE(matchWild("abc", "ab"));
    // A "?" on the last character of the name ends the match.
    EXPECT_TRUE(matchWild("a?d", "ab"));
    EXPECT_FALSE(matchWild("a?c", "abd"));
    // A star followed by a literal takes at least one character and the first occurrence.
    EXPECT_FALSE(matchWild("*abc", "abc"));
    EXPECT_TRUE(matchWild("*bc", "abc"));
    EXPECT_FALSE(matchWild("*x", "axbx"));
    EXPECT_TRUE(matchWild("*x", "ax"));
    EXPECT_TRUE(matchWild("a**", "abc"));
    // A star with a "?" run that covers the rest of the name.
    EXPECT_TRUE(matchWild("*??", "ab"));
    EXPECT_TRUE(matchWild("a*??", "abcd"));
    EXPECT_TRUE(matchWild("*?c", "abc"));
    EXPECT_FALSE(matchWild("*?c", "abd"));
    EXPECT_FALSE(matchWild("*??bc", "abc"));  // the literal leaves no room for the "?" run
}

TEST(MatchWild, StaysLinearOnLongPathologicalInput) {
    std::string name(200000, 'a');
    std::string mask;
    for (int n = 0; n < 1000; ++n)
        mask += "*a";
    mask += "b";
    EXPECT_FALSE(matchWild(mask, name));
    EXPECT_TRUE(matchMask(name + ".txt", "*.txt"));
}

}  // namespace
}  // namespace quay

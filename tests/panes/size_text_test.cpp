#include "panes/size_text.h"

#include <gtest/gtest.h>

#include <limits>

namespace quay {
namespace {

TEST(SizeText, UnitsOfTwoToTheTenthWithOneDecimal) {
    const struct {
        std::int64_t bytes;
        const char* shown;
    } cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KB"},
        {1536, "1.5 KB"},
        {10188, "9.9 KB"},    // 9.949 rounds down
        {10189, "10.0 KB"},   // 9.950 rounds up
        {1048575, "1.0 MB"},  // not "1024.0 KB": the unit follows the rounding
        {1048576, "1.0 MB"},
        {1572864, "1.5 MB"},
        {4294967296, "4.0 GB"},  // past 32 bits
        {5000000000, "4.7 GB"},
        {1099511627776, "1.0 TB"},
        {std::numeric_limits<std::int64_t>::max(), "8.0 EB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(humanSizeText(c.bytes), c.shown) << c.bytes;
}

TEST(SizeText, OnlyPlainDigitsAreAByteCount) {
    EXPECT_EQ(exactByteCount("0"), 0);
    EXPECT_EQ(exactByteCount("007"), 7);
    EXPECT_EQ(exactByteCount("5000000000"), 5000000000);
    EXPECT_EQ(exactByteCount("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
    for (const char* text : {"", "33.5k", "-1", "+1", " 12", "12 ", "1,024", "9223372036854775808",
                             "99999999999999999999"})
        EXPECT_FALSE(exactByteCount(text).has_value()) << text;
}

}  // namespace
}  // namespace quay

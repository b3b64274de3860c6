#include <gtest/gtest.h>

#include "listing/remote_date.h"

namespace quay {
namespace {

std::string dayFirst(std::string_view date) {
    return remoteDateDisplay(date, DateOrder::DayFirst, 2026);
}
std::string monthFirst(std::string_view date) {
    return remoteDateDisplay(date, DateOrder::MonthFirst, 2026);
}

TEST(RemoteDateDisplay, DayMonthYearTextsGetAFourDigitYearInTheChosenOrder) {
    EXPECT_EQ(dayFirst("05.03.07"), "05.03.2007");
    EXPECT_EQ(monthFirst("05.03.07"), "03.05.2007");
    EXPECT_EQ(monthFirst("31.12.79"), "12.31.2079");
    EXPECT_EQ(dayFirst("1.2.2003"), "01.02.2003");
    EXPECT_EQ(dayFirst("05 03 2007"), "05.03.2007");
    EXPECT_EQ(monthFirst("05\\03\\2007"), "03.05.2007");
    EXPECT_EQ(dayFirst("05.03"), "05.03.2026");
    EXPECT_EQ(monthFirst("29.02"), "29.02") << "2026 has no 29 February";
    EXPECT_EQ(dateOrderFromType(1), DateOrder::MonthFirst);
    EXPECT_EQ(dateOrderFromType(7), DateOrder::DayFirst);
}

TEST(RemoteDateDisplay, OtherTextsAreShownAsTheServerSentThem) {
    for (const char* text :
         {"Mar 5", "Jun 30 2025", "error", "03-05-07", "5-MAR-2003", "", "31.02.07", "0.3.07",
          "05.13.07", "..", "05.03.99999", "a.b.c", "05.x.2007"})
        EXPECT_EQ(dayFirst(text), text) << text;
}

}  // namespace
}  // namespace quay

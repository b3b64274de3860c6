#pragma once

#include <string>
#include <string_view>

namespace quay {

// How dates are shown: the options' DateType (0 "dd.mm.yyyy", 1 "mm.dd.yyyy").
enum class DateOrder { DayFirst = 0, MonthFirst = 1 };
DateOrder dateOrderFromType(int dateType);

// The date column of a remote entry as the pane shows it. A text of day, month and optional
// year separated by ".", a blank, "/" or "\" (the first of these that occurs) becomes a full
// date in the chosen order with a four-digit year; a missing year is currentYear, and a
// two-digit year means 2000 to 2079 below 80 and 1980 to 1999 from 80 on. Any text that does
// not form a valid date so (a month name with a day, "error", dates with "-") is returned as
// it is.
std::string remoteDateDisplay(std::string_view date, DateOrder order, int currentYear);

}  // namespace quay

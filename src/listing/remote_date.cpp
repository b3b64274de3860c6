#include "listing/remote_date.h"

#include <optional>
#include <vector>

#include "listing/date_numbers.h"
#include "panes/text_split.h"

namespace quay {

namespace {

char dateSeparator(std::string_view date) {
    for (char c : {'.', ' ', '/', '\\'})
        if (date.find(c) != std::string_view::npos)
            return c;
    return '\0';
}

// The number in part index; 0 when the part is missing or no number.
int partNumber(const std::vector<std::string>& parts, std::size_t index) {
    return index < parts.size() ? listdate::wholeNumber(parts[index]).value_or(0) : 0;
}

// Two-digit years as listings write them: 00 to 79 this century, 80 to 99 the last.
int fullYear(int year) {
    if (year >= 0 && year < 80)
        return year + 2000;
    if (year >= 80 && year < 100)
        return year + 1900;
    return year;
}

}  // namespace

DateOrder dateOrderFromType(int dateType) {
    return dateType == 1 ? DateOrder::MonthFirst : DateOrder::DayFirst;
}

std::string remoteDateDisplay(std::string_view date, DateOrder order, int currentYear) {
    char separator = dateSeparator(date);
    if (separator == '\0')
        return std::string(date);
    std::vector<std::string> parts = splitString(separator, date);
    int day = partNumber(parts, 0);
    int month = partNumber(parts, 1);
    std::optional<int> written =
        parts.size() > 2 ? listdate::wholeNumber(parts[2]) : std::optional<int>{};
    int year = written ? fullYear(*written) : currentYear;
    if (!listdate::isValidDate(year, month, day))
        return std::string(date);
    std::string shown;
    listdate::appendDigits(shown, order == DateOrder::MonthFirst ? month : day, 2);
    shown.push_back('.');
    listdate::appendDigits(shown, order == DateOrder::MonthFirst ? day : month, 2);
    shown.push_back('.');
    listdate::appendDigits(shown, year, 4);
    return shown;
}

}  // namespace quay

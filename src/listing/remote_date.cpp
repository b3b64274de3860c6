#include "listing/remote_date.h"

#include <array>
#include <optional>

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

// The first three parts that splitString(separator, date) gives, as views into date: the
// display form reads no more, and a pane of many rows should not build strings for them.
struct DateParts {
    std::array<std::string_view, 3> part;
    std::size_t count = 0;
};

DateParts dateParts(char separator, std::string_view date) {
    DateParts parts;
    while (!date.empty() && parts.count < parts.part.size()) {
        std::size_t cut = date.find(separator);
        parts.part[parts.count++] = trimmed(date.substr(0, cut));
        date = cut == std::string_view::npos ? std::string_view{} : trimmed(date.substr(cut + 1));
    }
    return parts;
}

// The number in part index; 0 when the part is missing or no number.
int partNumber(const DateParts& parts, std::size_t index) {
    return index < parts.count ? listdate::wholeNumber(parts.part[index]).value_or(0) : 0;
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
    DateParts parts = dateParts(separator, date);
    int day = partNumber(parts, 0);
    int month = partNumber(parts, 1);
    std::optional<int> written =
        parts.count > 2 ? listdate::wholeNumber(parts.part[2]) : std::optional<int>{};
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

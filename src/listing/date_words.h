#pragma once

#include <optional>
#include <string_view>

// The single words a date in a Unix listing line is made of: days, years, times of day, and
// dates written as one word. Each recognizer takes one blank-free word.
namespace quay::listformat {

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number written by count digits from at, or nothing when one of them is no digit.
constexpr std::optional<unsigned> digitsValue(std::string_view text, std::size_t at,
                                              std::size_t count) {
    unsigned value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
}

// One or more digits and nothing else.
constexpr bool isDigits(std::string_view text) {
    return !text.empty() && digitsValue(text, 0, text.size()).has_value();
}

// A day of the month, one or two digits, with or without one trailing "." or ",": 1 to 31,
// else 0.
unsigned dayOf(std::string_view word);

// Four digits.
bool isYear(std::string_view word);

// A two-digit year as listings write it: 00 to 79 this century, 80 to 99 the last.
constexpr int fullYearOf(unsigned twoDigits) {
    return static_cast<int>(twoDigits) + (twoDigits < 80 ? 2000 : 1900);
}

// "9:05", "21:22", "21:22:33" or "21:22:33.123456789", and "24:00" for the end of a day;
// shown is the text without the fraction.
bool isTimeOfDay(std::string_view word, std::string_view& shown);

// "+0100" or "-0500", as ls writes a time zone behind a full time.
bool isZone(std::string_view word);

struct WordDate {
    int year = -1;  // -1: the word holds none
    unsigned month = 0;
    unsigned day = 0;
};

// A date of three parts joined by the same "-", "/" or ".": year first ("2005-06-07",
// "1999/10/12", "2004.07.15" or "2004.07.15." as Hungarian writes it, and "99/10/12" when the
// two digits cannot be a day) or last with
// two or four digits ("24-04-2003", "12/31/99"), the month as a number, or as a name with a
// two-digit year ("01-jun-99"; "5-MAR-2003" is a VMS date, which is no Unix line). With the
// year last, a part above 12 is the day; else "/" puts the month first and "-" and "." the
// day.
std::optional<WordDate> numericDate(std::string_view word);

// "06-07": month and day.
std::optional<WordDate> monthDayDate(std::string_view word);

// The Chinese, Japanese and Korean marks behind the numbers of a date ("2003年 4月 18日",
// "2005년 1월 6일").
enum class DateMark { Year, Month, Day };

// The number in front of the mark of the given part, with nothing else in the word.
std::optional<unsigned> markedNumber(std::string_view word, DateMark mark);

// A date in one word of marked numbers: "2003年4月18日", "2005년1월6일", or month and day alone
// ("4月18日", year -1).
std::optional<WordDate> markedWordDate(std::string_view word);

}  // namespace quay::listformat

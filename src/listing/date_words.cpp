#include "listing/date_words.h"

#include <array>

#include "listing/month_names.h"

namespace quay::listformat {

namespace {

// One or two digits.
std::optional<unsigned> shortNumber(std::string_view text) {
    return text.size() == 1 || text.size() == 2 ? digitsValue(text, 0, text.size()) : std::nullopt;
}

bool inRange(const WordDate& date) {
    return date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31;
}

// The three parts of a word joined by separator, or nothing when it has another number of
// parts.
std::optional<std::array<std::string_view, 3>> threeParts(std::string_view word, char separator) {
    std::size_t first = word.find(separator);
    std::size_t second = word.find(separator, first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos ||
        word.find(separator, second + 1) != std::string_view::npos)
        return std::nullopt;
    return std::array<std::string_view, 3>{
        word.substr(0, first), word.substr(first + 1, second - first - 1), word.substr(second + 1)};
}

// Day and month of a date written with the year last, from its first two parts.
bool readDayAndMonth(std::string_view a, std::string_view b, char separator, WordDate& date) {
    if (unsigned month = monthOfName(b)) {
        date.month = month;
        date.day = shortNumber(a).value_or(0);
        return true;
    }
    std::optional<unsigned> first = shortNumber(a);
    std::optional<unsigned> second = shortNumber(b);
    if (!first || !second)
        return false;
    bool monthFirst = *first <= 12 && (*second > 12 || separator == '/');
    date.month = monthFirst ? *first : *second;
    date.day = monthFirst ? *second : *first;
    return true;
}

// The marked number of the given part at the start of text ("2003年" of "2003年4月18日"); text
// moves past it. Nothing, and text unchanged, when it does not start so.
std::optional<unsigned> takeMarkedNumber(std::string_view& text, DateMark mark) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < 4 && isDigit(text[digits]))
        ++digits;
    std::optional<unsigned> number = markedNumber(text.substr(0, digits + 3), mark);
    if (number)
        text.remove_prefix(digits + 3);
    return number;
}

}  // namespace

unsigned dayOf(std::string_view word) {
    if (word.ends_with('.') || word.ends_with(','))
        word.remove_suffix(1);
    std::optional<unsigned> day = shortNumber(word);
    return day && *day >= 1 && *day <= 31 ? *day : 0;
}

bool isYear(std::string_view word) {
    return word.size() == 4 && isDigits(word);
}

bool isTimeOfDay(std::string_view word, std::string_view& shown) {
    std::size_t colon = word.find(':');
    if (colon != 1 && colon != 2)
        return false;
    std::string_view clock = word.substr(0, word.find('.'));
    bool withSeconds = clock.size() == colon + 6 && clock[colon + 3] == ':';
    if (clock.size() != colon + 3 && !withSeconds)
        return false;
    std::optional<unsigned> hours = digitsValue(clock, 0, colon);
    std::optional<unsigned> minutes = digitsValue(clock, colon + 1, 2);
    std::optional<unsigned> seconds =
        withSeconds ? digitsValue(clock, colon + 4, 2) : std::optional<unsigned>(0);
    std::string_view fraction = word.substr(clock.size());
    if (!hours || !minutes || !seconds || *minutes > 59 || *seconds > 60 ||
        (!fraction.empty() && !isDigits(fraction.substr(1))))
        return false;
    bool endOfDay = *hours == 24 && *minutes == 0 && *seconds == 0 && fraction.empty();
    if (*hours > 23 && !endOfDay)
        return false;
    shown = clock;
    return true;
}

bool isZone(std::string_view word) {
    return word.size() == 5 && (word[0] == '+' || word[0] == '-') && isDigits(word.substr(1));
}

std::optional<WordDate> numericDate(std::string_view word) {
    if (word.size() < 6 || word.size() > 12 || !isDigit(word[0]))
        return std::nullopt;
    std::size_t at = word.find_first_of("-/.");
    if (at == std::string_view::npos)
        return std::nullopt;
    char separator = word[at];
    if (separator == '.' && word.ends_with('.'))  // Hungarian ends a date with a dot too
        word.remove_suffix(1);
    std::optional<std::array<std::string_view, 3>> parts = threeParts(word, separator);
    if (!parts)
        return std::nullopt;
    auto [a, b, c] = *parts;
    WordDate date;
    bool twoDigitYearFirst = a.size() == 2 && shortNumber(a).value_or(0) > 31;
    if (isYear(a) || twoDigitYearFirst) {
        unsigned year = *digitsValue(a, 0, a.size());
        date.year = twoDigitYearFirst ? fullYearOf(year) : static_cast<int>(year);
        date.month = shortNumber(b).value_or(0);
        date.day = shortNumber(c).value_or(0);
    } else if ((isYear(c) && isDigits(b)) || (c.size() == 2 && isDigits(c))) {
        unsigned year = *digitsValue(c, 0, c.size());
        date.year = c.size() == 2 ? fullYearOf(year) : static_cast<int>(year);
        if (!readDayAndMonth(a, b, separator, date))
            return std::nullopt;
    }
    return inRange(date) ? std::optional<WordDate>(date) : std::nullopt;
}

std::optional<WordDate> monthDayDate(std::string_view word) {
    if (word.size() != 5 || word[2] != '-')
        return std::nullopt;
    WordDate date{-1, digitsValue(word, 0, 2).value_or(0), digitsValue(word, 3, 2).value_or(0)};
    return inRange(date) ? std::optional<WordDate>(date) : std::nullopt;
}

std::optional<WordDate> markedWordDate(std::string_view word) {
    std::optional<unsigned> year = takeMarkedNumber(word, DateMark::Year);
    std::optional<unsigned> month = takeMarkedNumber(word, DateMark::Month);
    std::optional<unsigned> day = takeMarkedNumber(word, DateMark::Day);
    if (!month || !day || !word.empty())
        return std::nullopt;
    WordDate date{year ? static_cast<int>(*year) : -1, *month, *day};
    return inRange(date) ? std::optional<WordDate>(date) : std::nullopt;
}

std::optional<unsigned> markedNumber(std::string_view word, DateMark mark) {
    // UTF-8 of 年 and 년, 月 and 월, 日 and 일; each three bytes.
    static constexpr std::array<std::array<std::string_view, 2>, 3> kMarks = {{
        {"\xe5\xb9\xb4", "\xeb\x85\x84"},
        {"\xe6\x9c\x88", "\xec\x9b\x94"},
        {"\xe6\x97\xa5", "\xec\x9d\xbc"},
    }};
    if (word.size() < 4 || word.size() > 7)
        return std::nullopt;
    std::string_view number = word.substr(0, word.size() - 3);
    std::string_view written = word.substr(number.size());
    const auto& marks = kMarks[static_cast<std::size_t>(mark)];
    if ((written != marks[0] && written != marks[1]) || !isDigits(number))
        return std::nullopt;
    return digitsValue(number, 0, number.size());
}

}  // namespace quay::listformat

#include "listing/unix_fields.h"

#include <array>

#include "listing/date_words.h"
#include "listing/month_names.h"

namespace quay::listformat {

namespace {

// Blank-separated words; runs of blanks separate like one.
class WordCursor {
public:
    WordCursor(std::string_view line, std::size_t at) : m_line(line), m_at(at) {}

    bool next(std::string_view& word) {
        while (m_at < m_line.size() && m_line[m_at] == ' ')
            ++m_at;
        if (m_at >= m_line.size())
            return false;
        std::size_t start = m_at;
        while (m_at < m_line.size() && m_line[m_at] != ' ')
            ++m_at;
        word = m_line.substr(start, m_at - start);
        return true;
    }
    // Just past the last word taken.
    std::size_t at() const { return m_at; }

private:
    std::string_view m_line;
    std::size_t m_at;
};

// "33.5k", "4.0K", "12M", "1.5GiB", and "4,0K" as ls writes it where the comma marks
// fractions: a number, maybe with a fraction, and a unit.
bool isSizeWithUnit(std::string_view word) {
    std::size_t at = 0;
    while (at < word.size() && isDigit(word[at]))
        ++at;
    if (at == 0 || at == word.size())
        return false;
    if (word[at] == '.' || word[at] == ',') {
        std::size_t fraction = ++at;
        while (at < word.size() && isDigit(word[at]))
            ++at;
        if (at == fraction || at == word.size())
            return false;
    }
    static constexpr std::string_view kUnits = "KkMmGgTtPpEe";
    std::string_view unit = word.substr(at);
    return kUnits.find(unit[0]) != std::string_view::npos &&
           (unit.size() == 1 || unit.substr(1) == "B" || unit.substr(1) == "iB");
}

// "0x00000040": BSD's ls writes large minor numbers of devices so.
bool isHexNumber(std::string_view word) {
    if (word.size() < 3 || !word.starts_with("0x"))
        return false;
    for (char c : word.substr(2))
        if (!isDigit(c) && !((c | 0x20) >= 'a' && (c | 0x20) <= 'f'))
            return false;
    return true;
}

// "1,234" or "12,345,678": a number in groups of three digits.
bool isGroupedNumber(std::string_view word) {
    std::size_t comma = word.find(',');
    if (comma == 0 || comma > 3 || (word.size() - comma) % 4 != 0)
        return false;
    for (std::size_t at = 0; at < word.size(); ++at)
        if ((at >= comma && (at - comma) % 4 == 0) ? word[at] != ',' : !isDigit(word[at]))
            return false;
    return true;
}

// The size that word stands for, after the word before it: a number, a number with a unit,
// on other lines than those of devices a number in groups of three ("1,234,567"), or a
// device's minor number after its major one ("1, 3", "1,3", and on device lines
// "4, 0x00000040").
std::optional<std::string_view> sizeOf(std::string_view word, std::string_view before,
                                       bool device) {
    if (word.empty() || !isDigit(word[0]))
        return std::nullopt;
    if (isDigits(word) || isSizeWithUnit(word) || (!device && isGroupedNumber(word)))
        return word;
    if (std::size_t comma = word.find(','); comma != std::string_view::npos && comma > 0) {
        std::string_view minor = word.substr(comma + 1);
        if (isDigits(word.substr(0, comma)) && isDigits(minor))
            return minor;
    }
    if (device && isHexNumber(word) && before.size() > 1 && before.ends_with(',') &&
        isDigits(before.substr(0, before.size() - 1)))
        return word;
    return std::nullopt;
}

// The number a group (or owner) and a size written together end with ("longgroup123456").
std::optional<std::string_view> trailingNumber(std::string_view word) {
    std::size_t start = word.size();
    while (start > 0 && isDigit(word[start - 1]))
        --start;
    if (start == 0 || start == word.size())
        return std::nullopt;
    return word.substr(start);
}

std::string_view withoutMark(std::string_view word) {
    if (word.ends_with('.') || word.ends_with(','))
        word.remove_suffix(1);
    return word;
}

// A date found, and where the name after it starts.
struct DateMatch {
    UnixFields fields;
    std::size_t end = 0;  // just past the date's last word
    bool padded = false;  // a lone ISO date, padded by ls with one blank
};

// The year that the first four characters of text, digits, write.
int yearValue(std::string_view text) {
    return static_cast<int>(*digitsValue(text, 0, 4));
}

// The last word of most dates: a year or a time of day.
bool readYearOrTime(std::string_view word, UnixFields& f) {
    if (isYear(word)) {
        f.year = yearValue(word);
        return true;
    }
    return isTimeOfDay(word, f.time);
}

// A time of day (and a zone behind it) that may follow a date; words moves past what it takes.
void takeOptionalTime(WordCursor& words, UnixFields& f) {
    WordCursor peek = words;
    std::string_view word;
    if (!peek.next(word) || !isTimeOfDay(word, f.time))
        return;
    words = peek;
    if (peek.next(word) && isZone(word))
        words = peek;
}

DateMatch matched(const UnixFields& f, const WordCursor& words, bool padded = false) {
    return DateMatch{f, words.at(), padded};
}

UnixFields monthNameFields(std::string_view monthWord, unsigned month, std::string_view dayWord) {
    UnixFields f;
    f.form = DateForm::MonthName;
    f.monthWord = withoutMark(monthWord);
    f.dayWord = withoutMark(dayWord);
    f.month = month;
    f.day = dayOf(dayWord);
    return f;
}

UnixFields numericFields(const WordDate& date) {
    UnixFields f;
    f.form = DateForm::Numeric;
    f.year = date.year;
    f.month = date.month;
    f.day = date.day;
    return f;
}

// "Mar  5 12:00", "Okt. 5 2004", "Oct 08, 2002 09:47" (a time may follow a year after a comma).
std::optional<DateMatch> monthFirst(std::string_view first, WordCursor words) {
    unsigned month = monthOfName(first);
    std::string_view dayWord;
    std::string_view last;
    if (!month || !words.next(dayWord) || !words.next(last))
        return std::nullopt;
    UnixFields f = monthNameFields(first, month, dayWord);
    if (!f.day || !readYearOrTime(last, f))
        return std::nullopt;
    if (dayWord.ends_with(',') && f.year >= 0)
        takeOptionalTime(words, f);
    return matched(f, words);
}

// "Mon" to "Sun", in any case.
bool isWeekday(std::string_view word) {
    static constexpr std::string_view kWeekdays = "montuewedthufrisatsun";
    if (word.size() != 3)
        return false;
    char lower[3];
    for (std::size_t i = 0; i < 3; ++i)
        lower[i] = static_cast<char>(word[i] | 0x20);
    std::string_view name(lower, 3);
    for (std::size_t at = 0; at < kWeekdays.size(); at += 3)
        if (kWeekdays.substr(at, 3) == name)
            return true;
    return false;
}

// "Sat Sep 19 12:03:00 2009", as ls --full-time wrote it before ISO dates: weekday, month,
// day, time and year, all of them.
std::optional<DateMatch> weekdayFirst(std::string_view first, WordCursor words) {
    std::string_view monthWord;
    std::string_view dayWord;
    std::string_view time;
    std::string_view year;
    if (!isWeekday(first) || !words.next(monthWord) || !words.next(dayWord) || !words.next(time) ||
        !words.next(year))
        return std::nullopt;
    unsigned month = monthOfName(monthWord);
    UnixFields f = monthNameFields(monthWord, month, dayWord);
    if (!month || !f.day || !isTimeOfDay(time, f.time) || !isYear(year))
        return std::nullopt;
    f.year = yearValue(year);
    return matched(f, words);
}

// "29 Jul 02:27", "01 oct 2004", "5. Okt. 2004"
std::optional<DateMatch> dayFirst(std::string_view first, WordCursor words) {
    std::string_view monthWord;
    std::string_view last;
    if (!dayOf(first) || !words.next(monthWord) || !words.next(last))
        return std::nullopt;
    unsigned month = monthOfName(monthWord);
    UnixFields f = monthNameFields(monthWord, month, first);
    if (!month || !readYearOrTime(last, f))
        return std::nullopt;
    return matched(f, words);
}

// "2005-06-07 21:22", "2001-02-03", "24-04-2003 17:12", "2004.07.15", "01-jun-99"
std::optional<DateMatch> oneWord(std::string_view first, WordCursor words) {
    std::optional<WordDate> date = numericDate(first);
    if (!date)
        return std::nullopt;
    UnixFields f = numericFields(*date);
    takeOptionalTime(words, f);
    bool isoAlone = f.time.empty() && first.size() == 10 && first[4] == '-' && first[7] == '-';
    return matched(f, words, isoAlone);
}

// "06-07 21:22", "09-26 2000"
std::optional<DateMatch> monthDayWord(std::string_view first, WordCursor words) {
    std::optional<WordDate> date = monthDayDate(first);
    std::string_view last;
    if (!date || !words.next(last))
        return std::nullopt;
    UnixFields f = numericFields(*date);
    if (!readYearOrTime(last, f))
        return std::nullopt;
    return matched(f, words);
}

// The last word of a date whose year may carry its mark ("2003年", "2003") or a time; a time may
// follow a year.
bool readMarkedYearOrTime(std::string_view last, WordCursor& words, UnixFields& f) {
    if (std::optional<unsigned> year = markedNumber(last, DateMark::Year)) {
        f.year = static_cast<int>(*year);
        takeOptionalTime(words, f);
        return true;
    }
    return readYearOrTime(last, f);
}

// "4月 18日 2003年", "4月 18 12:00", "12월 5일 2004"
std::optional<DateMatch> markedMonthFirst(std::string_view first, WordCursor words) {
    std::optional<unsigned> month = markedNumber(first, DateMark::Month);
    std::string_view dayWord;
    std::string_view last;
    if (!month || !words.next(dayWord) || !words.next(last))
        return std::nullopt;
    UnixFields f = numericFields(
        WordDate{-1, *month, markedNumber(dayWord, DateMark::Day).value_or(dayOf(dayWord))});
    if (!readMarkedYearOrTime(last, words, f))
        return std::nullopt;
    return matched(f, words);
}

// "2003年4月18日 12:00", "2005년1월6일", "4月18日 2003年", "4月18日 12:00": the marked numbers
// written together; without a year, a year or a time follows.
std::optional<DateMatch> markedOneWord(std::string_view first, WordCursor words) {
    std::optional<WordDate> date = markedWordDate(first);
    if (!date)
        return std::nullopt;
    UnixFields f = numericFields(*date);
    std::string_view last;
    if (f.year >= 0)
        takeOptionalTime(words, f);
    else if (!words.next(last) || !readMarkedYearOrTime(last, words, f))
        return std::nullopt;
    return matched(f, words);
}

// "2005년  1월  6일", "2003年 4月 18日 12:00"
std::optional<DateMatch> markedYearFirst(std::string_view first, WordCursor words) {
    std::optional<unsigned> year = markedNumber(first, DateMark::Year);
    std::string_view monthWord;
    std::string_view dayWord;
    if (!year || !words.next(monthWord) || !words.next(dayWord))
        return std::nullopt;
    UnixFields f = numericFields(WordDate{static_cast<int>(*year),
                                          markedNumber(monthWord, DateMark::Month).value_or(0),
                                          markedNumber(dayWord, DateMark::Day).value_or(0)});
    takeOptionalTime(words, f);
    return matched(f, words);
}

// "2004. szept. 21." and "2004. szept. 21. 12:34" as Hungarian writes them: the year first, and
// the year and the day with their dots (so that a number before a month-first date is never
// taken for a year).
std::optional<DateMatch> yearFirst(std::string_view first, WordCursor words) {
    std::string_view monthWord;
    std::string_view dayWord;
    if (first.size() != 5 || !first.ends_with('.') || !isYear(first.substr(0, 4)) ||
        !words.next(monthWord) || !words.next(dayWord) || !dayWord.ends_with('.'))
        return std::nullopt;
    unsigned month = monthOfName(monthWord);
    UnixFields f = monthNameFields(monthWord, month, dayWord);
    if (!month || !f.day)
        return std::nullopt;
    f.year = yearValue(first);
    takeOptionalTime(words, f);
    return matched(f, words);
}

// "3 29 03:26": month and day as bare numbers (the larger one, above 12, is the day), and
// always a time, so that an owner, a group and a size that are numbers never read as a date.
std::optional<DateMatch> bareNumbers(std::string_view first, WordCursor words) {
    std::string_view second;
    std::string_view last;
    if (first.size() > 2 || !words.next(second) || second.size() > 2 || !words.next(last))
        return std::nullopt;
    std::optional<unsigned> a = digitsValue(first, 0, first.size());
    std::optional<unsigned> b = digitsValue(second, 0, second.size());
    if (!a || !b)
        return std::nullopt;
    bool dayFirst = *a > 12;
    UnixFields f = numericFields(WordDate{-1, dayFirst ? *b : *a, dayFirst ? *a : *b});
    if (!isTimeOfDay(last, f.time))
        return std::nullopt;
    return matched(f, words);
}

bool inRange(const UnixFields& f) {
    return f.month >= 1 && f.month <= 12 && f.day >= 1 && f.day <= 31;
}

// A date starting with the word first; words stands after first.
std::optional<DateMatch> dateAt(std::string_view first, const WordCursor& words) {
    if (!isDigit(first[0])) {
        std::optional<DateMatch> match = monthFirst(first, words);
        return match ? match : weekdayFirst(first, words);
    }
    using Form = std::optional<DateMatch> (*)(std::string_view, WordCursor);
    static constexpr std::array<Form, 8> kForms = {dayFirst,         oneWord,         monthDayWord,
                                                   markedMonthFirst, markedYearFirst, markedOneWord,
                                                   yearFirst,        bareNumbers};
    for (Form form : kForms)
        if (std::optional<DateMatch> match = form(first, words); match && inRange(match->fields))
            return match;
    return std::nullopt;
}

// The leftmost date behind a size; with joinedSizes, behind a word that ends with a number.
std::optional<UnixFields> scan(std::string_view line, std::size_t from, bool joinedSizes) {
    bool device = line.starts_with('b') || line.starts_with('c');
    WordCursor words(line, from);
    std::string_view before;
    std::string_view previous;
    std::string_view word;
    while (words.next(word)) {
        std::optional<std::string_view> size =
            joinedSizes ? trailingNumber(previous) : sizeOf(previous, before, device);
        if (size) {
            if (std::optional<DateMatch> match = dateAt(word, words)) {
                std::size_t nameAt = match->end;
                for (int blanks = match->padded ? 2 : 1;
                     blanks > 0 && nameAt < line.size() && line[nameAt] == ' '; --blanks)
                    ++nameAt;
                match->fields.size = *size;
                match->fields.name = line.substr(nameAt);
                return match->fields;
            }
        }
        before = previous;
        previous = word;
    }
    return std::nullopt;
}

}  // namespace

std::optional<UnixFields> findUnixFields(std::string_view line) {
    std::size_t afterAttributes = line.find(' ');
    if (afterAttributes == std::string_view::npos)
        return std::nullopt;
    if (std::optional<UnixFields> fields = scan(line, afterAttributes, false))
        return fields;
    return scan(line, afterAttributes, true);
}

std::string_view monthAbbreviation(unsigned month) {
    static constexpr std::array<std::string_view, 12> kNames = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : std::string_view{};
}

}  // namespace quay::listformat

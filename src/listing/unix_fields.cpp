#include "listing/unix_fields.h"

#include <array>

namespace quay::listformat {

namespace {

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The number written by count digits from at, or nothing when one of them is no digit.
std::optional<unsigned> digitsValue(std::string_view text, std::size_t at, std::size_t count) {
    unsigned value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (!isDigit(text[i]))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
    }
    return value;
}

bool isDigits(std::string_view text) {
    return !text.empty() && digitsValue(text, 0, text.size()).has_value();
}

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

// English names, full or of three letters, and the German abbreviations that differ from
// them ("Mär" also as Latin-1-free "Mrz"), in any ASCII case.
unsigned monthOfName(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kEnglish = {
        "january", "february", "march",     "april",   "may",      "june",
        "july",    "august",   "september", "october", "november", "december"};
    struct Other {
        std::string_view name;
        unsigned month;
    };
    static constexpr std::array<Other, 6> kGerman = {
        {{"m\xc3\xa4r", 3}, {"m\xc3\x84r", 3}, {"mrz", 3}, {"mai", 5}, {"okt", 10}, {"dez", 12}}};
    if (word.size() < 3 || word.size() > 9 || isDigit(word[0]))
        return 0;
    std::array<char, 9> buffer{};
    for (std::size_t i = 0; i < word.size(); ++i)
        buffer[i] = lowerAscii(word[i]);
    std::string_view lower(buffer.data(), word.size());
    for (unsigned m = 0; m < kEnglish.size(); ++m)
        if (lower == kEnglish[m] || (lower.size() == 3 && kEnglish[m].starts_with(lower)))
            return m + 1;
    for (const Other& other : kGerman)
        if (lower == other.name)
            return other.month;
    return 0;
}

// A day of the month, one or two digits.
unsigned dayOf(std::string_view word) {
    if (word.empty() || word.size() > 2)
        return 0;
    std::optional<unsigned> day = digitsValue(word, 0, word.size());
    return day && *day >= 1 && *day <= 31 ? *day : 0;
}

bool isYear(std::string_view word) {
    return word.size() == 4 && isDigits(word);
}

// "9:05", "21:22", "21:22:33" or "21:22:33.123456789"; shown is the text without the fraction.
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
    if (!hours || !minutes || !seconds || *hours > 23 || *minutes > 59 || *seconds > 60 ||
        (!fraction.empty() && !isDigits(fraction.substr(1))))
        return false;
    shown = clock;
    return true;
}

// "+0100" or "-0500", as ls writes a time zone behind a full time.
bool isZone(std::string_view word) {
    return word.size() == 5 && (word[0] == '+' || word[0] == '-') && isDigits(word.substr(1));
}

// Month and day from two digits each, at the given places; false unless both are in range.
bool readMonthDay(std::string_view word, std::size_t monthAt, std::size_t dayAt, UnixFields& f) {
    std::optional<unsigned> month = digitsValue(word, monthAt, 2);
    std::optional<unsigned> day = digitsValue(word, dayAt, 2);
    if (!month || !day || *month < 1 || *month > 12 || *day < 1 || *day > 31)
        return false;
    f.month = *month;
    f.day = *day;
    return true;
}

// "2005-06-07"
bool isIsoDate(std::string_view word, UnixFields& f) {
    if (word.size() != 10 || word[4] != '-' || word[7] != '-' || !isYear(word.substr(0, 4)))
        return false;
    f.yearWord = word.substr(0, 4);
    return readMonthDay(word, 5, 8, f);
}

// "06-07"
bool isMonthDay(std::string_view word, UnixFields& f) {
    return word.size() == 5 && word[2] == '-' && readMonthDay(word, 0, 3, f);
}

struct DateMatch {
    UnixFields fields;
    bool padded = false;  // a lone ISO date, padded by ls with one blank
};

// A date starting with the word first; words stands after first and is moved past the date.
std::optional<DateMatch> dateAt(std::string_view first, WordCursor& words) {
    DateMatch match;
    UnixFields& f = match.fields;
    std::string_view second;
    std::string_view third;
    if (unsigned month = monthOfName(first)) {
        if (!words.next(second) || !words.next(third))
            return std::nullopt;
        f.day = dayOf(second);
        if (!f.day)
            return std::nullopt;
        f.form = DateForm::MonthName;
        f.monthWord = first;
        f.dayWord = second;
        f.month = month;
        if (isYear(third))
            f.yearWord = third;
        else if (!isTimeOfDay(third, f.time))
            return std::nullopt;
        return match;
    }
    f.form = DateForm::Numeric;
    if (isIsoDate(first, f)) {
        WordCursor peek = words;
        if (peek.next(second) && isTimeOfDay(second, f.time)) {
            words = peek;
            if (peek.next(third) && isZone(third))
                words = peek;
        } else {
            match.padded = true;
        }
        return match;
    }
    if (isMonthDay(first, f) && words.next(second)) {
        if (isYear(second))
            f.yearWord = second;
        else if (!isTimeOfDay(second, f.time))
            return std::nullopt;
        return match;
    }
    return std::nullopt;
}

}  // namespace

std::optional<UnixFields> findUnixFields(std::string_view line) {
    std::size_t afterAttributes = line.find(' ');
    if (afterAttributes == std::string_view::npos)
        return std::nullopt;
    WordCursor words(line, afterAttributes);
    std::string_view previous;
    std::string_view word;
    while (words.next(word)) {
        if (isDigits(previous)) {
            WordCursor after = words;
            if (std::optional<DateMatch> match = dateAt(word, after)) {
                std::size_t nameAt = after.at();
                for (int blanks = match->padded ? 2 : 1;
                     blanks > 0 && nameAt < line.size() && line[nameAt] == ' '; --blanks)
                    ++nameAt;
                match->fields.size = previous;
                match->fields.name = line.substr(nameAt);
                return match->fields;
            }
        }
        previous = word;
    }
    return std::nullopt;
}

std::string_view monthAbbreviation(unsigned month) {
    static constexpr std::array<std::string_view, 12> kNames = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : std::string_view{};
}

}  // namespace quay::listformat

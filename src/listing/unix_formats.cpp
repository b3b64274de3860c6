#include <optional>
#include <string>

#include "config/ascii.h"
#include "listing/date_numbers.h"
#include "listing/list_formats.h"
#include "panes/text_split.h"

// The Unix long listings: "-rw-r--r-- 1 owner group 1234 Mar  5 12:00 name with blanks".
namespace quay::listformat {

namespace {

using listdate::isDigits;
using listdate::wholeNumber;

// The next word up to a blank; the rest after it, trimmed.
std::string_view takeWord(std::string_view& rest) {
    std::size_t blank = rest.find(' ');
    std::string_view word = rest.substr(0, blank);
    rest = blank == std::string_view::npos ? std::string_view{} : trimmed(rest.substr(blank + 1));
    return word;
}

// A scan over the characters of a line: words end at a blank, blanks are skipped explicitly.
class LineScan {
public:
    explicit LineScan(std::string_view line) : m_line(line) {}
    bool atEnd() const { return m_pos >= m_line.size(); }
    void skipBlanks() {
        while (m_pos < m_line.size() && m_line[m_pos] == ' ')
            ++m_pos;
    }
    std::string_view word() {
        std::size_t start = m_pos;
        while (m_pos < m_line.size() && m_line[m_pos] != ' ')
            ++m_pos;
        return m_line.substr(start, m_pos - start);
    }
    std::string_view rest() const { return m_line.substr(m_pos); }

private:
    std::string_view m_line;
    std::size_t m_pos = 0;
};

// The month of a month word: its position among the English three-letter abbreviations,
// found as a substring of their concatenation ("eb" is February too); January when none.
unsigned monthNumber(std::string_view word) {
    static constexpr std::string_view kMonths = "janfebmaraprmayjunjulaugsepoctnovdec";
    if (word.empty() || word.size() > kMonths.size())
        return 1;
    std::size_t at = kMonths.find(asciiLower(word));
    return at == std::string_view::npos ? 1 : static_cast<unsigned>(at / 3 + 1);
}

// The year of an entry: the one in the time column, or, for a time of day, the year of the
// most recent such date not after today. The comparison goes by month and day, so 29 Feb
// seen in January of a common year lands in the leap year before.
std::optional<int> entryYear(std::string& time, unsigned month, int day,
                             std::chrono::year_month_day today) {
    if (time.find(':') != std::string::npos) {
        int year = static_cast<int>(today.year());
        unsigned todayMonth = static_cast<unsigned>(today.month());
        int todayDay = static_cast<int>(static_cast<unsigned>(today.day()));
        bool later = month > todayMonth || (month == todayMonth && day > todayDay);
        return later ? year - 1 : year;
    }
    std::optional<int> year = wholeNumber(time);
    time.clear();
    return year;
}

// A line that cannot be read becomes a file named after the whole line, dated "error".
void markFailed(std::string_view line, RemoteEntry& e) {
    e.name = line;
    e.date = "error";
    e.isDir = startsWithD(e.attr);
}

}  // namespace

// Words from the front; the link count, owner and group are dropped. Links are not listed.
void wuftp(std::string_view line, RemoteEntry& e) {
    if (asciiLower(line.substr(0, 6)) == "total " || line.starts_with('l'))
        return markNoEntry(e);
    std::string_view rest = line;
    e.attr = takeWord(rest);
    for (int dropped = 0; dropped < 3; ++dropped)
        takeWord(rest);
    e.size = takeWord(rest);
    e.date = takeWord(rest);
    e.date.append(" ").append(takeWord(rest));
    e.time = takeWord(rest);
    if (e.time.find(':') == std::string::npos) {
        // "Mar  5  1999": the year goes behind the day, after one blank.
        if (!e.time.empty())
            e.date.append(" ").append(e.time);
        e.time.clear();
    }
    e.name = rest;
    e.isDir = startsWithD(e.attr);
}

// A scan over the characters. With a group column the word after the owner is the group
// and the size follows; without it the month follows the size. The date comes out as
// day.month.year with two digits each ("05.03.99").
void unixScan(std::string_view line, std::chrono::year_month_day today, RemoteEntry& e) {
    LineScan scan(line);
    e.attr = scan.word();
    for (int skipped = 0; skipped < 2; ++skipped) {
        scan.skipBlanks();
        scan.word();
    }
    scan.skipBlanks();
    e.size = scan.word();
    scan.skipBlanks();
    std::string_view monthWord = trimmed(scan.word());
    if (isDigits(monthWord)) {
        e.size = monthWord;
        scan.skipBlanks();
        monthWord = trimmed(scan.word());
    }
    unsigned month = monthNumber(monthWord);
    scan.skipBlanks();
    int day = wholeNumber(scan.word()).value_or(1);
    scan.skipBlanks();
    if (scan.atEnd())
        return markFailed(line, e);
    e.time = scan.word();
    scan.skipBlanks();
    e.name = scan.rest();
    std::optional<int> year = entryYear(e.time, month, day, today);
    if (!year || !listdate::isValidDate(*year, static_cast<int>(month), day))
        return markFailed(line, e);
    e.date.clear();
    listdate::appendDigits(e.date, day, 2);
    e.date.push_back('.');
    listdate::appendDigits(e.date, static_cast<int>(month), 2);
    e.date.push_back('.');
    listdate::appendDigits(e.date, *year % 100, 2);
    e.isDir = startsWithD(e.attr);
}

}  // namespace quay::listformat

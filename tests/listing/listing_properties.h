#pragma once

#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>

#include "listing/remote_entry.h"

// What an entry read from a listing line must be, whatever the line holds: shared by the
// property test over the fuzz corpus and by the parser's fuzz target.
namespace quay::listingproperty {

inline bool allDigits(std::string_view text) {
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.empty();
}

// A number with a Chinese, Japanese or Korean mark of a year or a day ("2003年", "6일"), or
// a whole date of such numbers ending with its day ("2003年4月18日", "2005년1월6일").
inline bool isMarkedNumber(std::string_view word) {
    for (std::string_view mark : {"\xe5\xb9\xb4", "\xeb\x85\x84", "\xe6\x97\xa5", "\xec\x9d\xbc"}) {
        if (word.size() <= mark.size() || !word.ends_with(mark))
            continue;
        std::string_view before = word.substr(0, word.size() - mark.size());
        std::size_t digits = before.find_last_not_of("0123456789") + 1;
        for (std::string_view month : {"\xe6\x9c\x88", "\xec\x9b\x94"})
            if (before.substr(0, digits).ends_with(month))
                before.remove_prefix(digits);
        if (allDigits(before))
            return true;
    }
    return false;
}

// Three parts joined by the same "-", "/" or "." ("2004.07.15", "2004.07.15.", "01-jun-99"),
// the first and the last of digits.
inline bool isDateWord(std::string_view word) {
    if (word.ends_with('.'))
        word.remove_suffix(1);
    std::size_t first = word.find_first_of("-/.");
    if (first == std::string_view::npos)
        return false;
    std::size_t second = word.find(word[first], first + 1);
    return second != std::string_view::npos &&
           word.find(word[first], second + 1) == std::string_view::npos &&
           allDigits(word.substr(0, first)) && second > first + 1 &&
           allDigits(word.substr(second + 1));
}

// A size as listings write it: a number, maybe in groups ("1,234,567"), or a number with a
// unit ("33.5k", "4,0K").
inline bool isSizeText(std::string_view size) {
    std::size_t unit = size.find_first_not_of("0123456789.,");
    if (size.empty() || !allDigits(size.substr(0, 1)))
        return false;
    return unit == std::string_view::npos ||
           std::string_view("KkMmGgTtPpEe").find(size[unit]) != std::string_view::npos;
}

// The last word of a date: a year ("1999", "2003年"), a day with its mark ("6일") or its dot
// ("21."), a time ("12:00", "12:00:01.5"), a time zone ("+0100") or a date in one word
// ("2001-02-03", "2003年4月18日").
inline bool endsADate(std::string_view word) {
    if ((word.size() == 4 && allDigits(word)) || isMarkedNumber(word) || isDateWord(word))
        return true;
    if ((word.size() == 2 || word.size() == 3) && word.ends_with('.') &&
        allDigits(word.substr(0, word.size() - 1)))
        return true;
    if (word.size() == 5 && (word[0] == '+' || word[0] == '-') && allDigits(word.substr(1)))
        return true;
    std::size_t colon = word.find(':');
    return (colon == 1 || colon == 2) && allDigits(word.substr(0, colon)) &&
           word.size() >= colon + 3 && allDigits(word.substr(colon + 1, 2));
}

// The text before at ends with the last word of a date and the blank behind it (two blanks
// behind a lone ISO date, which ls pads); at the end of the line the blank may be missing.
inline bool followsADate(std::string_view line, std::size_t at) {
    std::string_view before = line.substr(0, at);
    if (before.ends_with(' '))
        before.remove_suffix(1);
    else if (at < line.size())
        return false;
    bool padded = before.ends_with(' ');
    if (padded)
        before.remove_suffix(1);
    std::string_view word = before.substr(before.rfind(' ') + 1);
    return !word.empty() && endsADate(word) && (!padded || word.size() == 10);
}

// Empty when the entry keeps the rules; else what it broke. Every name is "." or ".." (the
// parser's own marks) or a run of bytes of the line. In the Unix layouts ("0", "7" and every
// code that is not another layout) a dated entry's name is the tail of the line after the
// date, or, for a link, that tail up to " ->"; its size is a number (maybe with a unit), a
// device's minor number in hexadecimal, or, for a link taken for a directory, empty.
inline std::string violation(std::string_view line, std::string_view layout, const RemoteEntry& e) {
    if (e.name == "." || e.name == "..")
        return {};
    if (line.find(e.name) == std::string_view::npos)
        return "the name is no run of the line's bytes";
    char code = layout.empty() ? '0' : layout[0];
    bool unix = code == '0' || code == '7' || code == '9' || code < '0' || code > '9';
    if (!unix || e.date == "error")
        return {};
    bool link = e.attr.starts_with('l');
    bool device = e.attr.starts_with('b') || e.attr.starts_with('c');
    if (!isSizeText(e.size) && !(link && e.size.empty()) && !(device && e.size.starts_with("0x")))
        return "the size is no number";
    if (!link)
        return line.ends_with(e.name) && followsADate(line, line.size() - e.name.size())
                   ? std::string()
                   : "the name is not the tail of the line after the date";
    for (std::size_t at = line.find(e.name); at != std::string_view::npos;
         at = line.find(e.name, at + 1)) {
        std::string_view after = line.substr(at + e.name.size());
        if ((after.empty() || after.starts_with(" ->")) && followsADate(line, at))
            return {};
    }
    return "the link's name is not the tail of the line after the date";
}

// One input of the parser's fuzz target (and file of its corpus): the first 7 bytes are the
// layout code, the next 3 pick today's date, the rest is the line.
struct ParserInput {
    std::string_view layout;
    std::chrono::year_month_day today;
    std::string_view line;
    unsigned pick;  // the 3 date bytes as a number
};

inline ParserInput splitParserInput(std::string_view input) {
    std::string_view dayBytes = input.substr(std::min<std::size_t>(7, input.size()), 3);
    unsigned pick = 0;
    for (char c : dayBytes)
        pick = pick * 256 + static_cast<unsigned char>(c);
    using namespace std::chrono;
    return {input.substr(0, 7),
            year_month_day{year{static_cast<int>(1970 + pick % 100)}, month{pick / 100 % 12 + 1},
                           day{pick / 1200 % 28 + 1}},
            input.substr(std::min<std::size_t>(10, input.size())), pick};
}

}  // namespace quay::listingproperty

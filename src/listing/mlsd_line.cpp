#include "listing/mlsd_line.h"

#include <time.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <optional>

#include "config/ascii.h"
#include "listing/date_numbers.h"
#include "listing/list_formats.h"

namespace quay {

namespace {

enum class Kind { File, Directory, Link, NoEntry };

// The facts of a line that make an entry, as written.
struct Facts {
    std::string_view type;
    std::string_view size;
    std::string_view sizd;
    std::string_view modify;
    std::string_view mode;
};

Facts factsOf(std::string_view text) {
    Facts facts;
    while (!text.empty()) {
        std::size_t end = text.find(';');
        std::string_view fact = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        std::size_t equals = fact.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string name = asciiLower(fact.substr(0, equals));
        std::string_view value = fact.substr(equals + 1);
        if (name == "type")
            facts.type = value;
        else if (name == "size")
            facts.size = value;
        else if (name == "sizd")
            facts.sizd = value;
        else if (name == "modify")
            facts.modify = value;
        else if (name == "unix.mode")
            facts.mode = value;
    }
    return facts;
}

Kind kindOf(std::string_view type) {
    std::string lower = asciiLower(type);
    if (lower == "dir")
        return Kind::Directory;
    if (lower == "cdir" || lower == "pdir")
        return Kind::NoEntry;
    if (lower == "os.unix=symlink" || lower.starts_with("os.unix=slink:"))
        return Kind::Link;
    return Kind::File;
}

// The byte count as plain decimal digits; empty when it is no number or beyond 63 bits.
std::string exactSize(std::string_view text) {
    if (!listdate::isDigits(text))
        return {};
    std::uint64_t value = 0;
    for (char c : text) {
        auto digit = static_cast<std::uint64_t>(c - '0');
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10)
            return {};
        value = value * 10 + digit;
    }
    return std::to_string(value);
}

int digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    return listdate::wholeNumber(text.substr(at, count)).value_or(-1);
}

// The UTC time YYYYMMDDHHMMSS[.sss] as seconds since 1970; nothing when it is no valid time.
std::optional<std::int64_t> utcSeconds(std::string_view text) {
    if (text.size() < 14 || !listdate::isDigits(text.substr(0, 14)) ||
        (text.size() > 14 && (text[14] != '.' || !listdate::isDigits(text.substr(15)))))
        return std::nullopt;
    int year = digitsAt(text, 0, 4);
    int month = digitsAt(text, 4, 2);
    int day = digitsAt(text, 6, 2);
    int hours = digitsAt(text, 8, 2);
    int minutes = digitsAt(text, 10, 2);
    int seconds = digitsAt(text, 12, 2);
    if (!listdate::isValidDate(year, month, day) || hours > 23 || minutes > 59 || seconds > 60)
        return std::nullopt;
    using namespace std::chrono;
    sys_days days{year_month_day{std::chrono::year{year},
                                 std::chrono::month{static_cast<unsigned>(month)},
                                 std::chrono::day{static_cast<unsigned>(day)}}};
    return std::int64_t{days.time_since_epoch().count()} * 86400 + hours * 3600 + minutes * 60 +
           seconds;
}

// Date "dd.mm.yyyy" and time "HH:MM" of the modify fact in local time; both stay empty when
// it is no valid time.
void setLocalTime(std::string_view modify, RemoteEntry& e) {
    std::optional<std::int64_t> utc = utcSeconds(modify);
    if (!utc)
        return;
    auto when = static_cast<time_t>(*utc);
    tm local{};
    if (!localtime_r(&when, &local) || local.tm_year + 1900 > 9999)
        return;
    listdate::appendDigits(e.date, local.tm_mday, 2);
    e.date.push_back('.');
    listdate::appendDigits(e.date, local.tm_mon + 1, 2);
    e.date.push_back('.');
    listdate::appendDigits(e.date, local.tm_year + 1900, 4);
    listdate::appendDigits(e.time, local.tm_hour, 2);
    e.time.push_back(':');
    listdate::appendDigits(e.time, local.tm_min, 2);
}

// "drwxr-xr-x" from the type letter and an octal mode (set-id and sticky bits included);
// empty when the mode is no octal number of at most 12 bits.
std::string modeText(char typeLetter, std::string_view mode) {
    unsigned bits = 0;
    if (mode.empty() || mode.size() > 6)
        return {};
    for (char c : mode) {
        if (c < '0' || c > '7')
            return {};
        bits = bits * 8 + static_cast<unsigned>(c - '0');
    }
    if (bits > 07777)
        return {};
    std::string text(1, typeLetter);
    static constexpr char kLetters[] = "rwx";
    for (int shift = 6; shift >= 0; shift -= 3)
        for (int i = 0; i < 3; ++i)
            text.push_back(bits >> (shift + 2 - i) & 1 ? kLetters[i] : '-');
    // Set-user-id, set-group-id and sticky: "s"/"S" and "t"/"T" on the execute places.
    static constexpr struct {
        unsigned bit;
        std::size_t place;
        char withExecute;
        char without;
    } kSpecial[] = {{04000, 3, 's', 'S'}, {02000, 6, 's', 'S'}, {01000, 9, 't', 'T'}};
    for (const auto& special : kSpecial)
        if (bits & special.bit)
            text[special.place] =
                text[special.place] == 'x' ? special.withExecute : special.without;
    return text;
}

char typeLetter(Kind kind) {
    return kind == Kind::Directory ? 'd' : kind == Kind::Link ? 'l' : '-';
}

}  // namespace

RemoteEntry parseMlsdLine(std::string_view line) {
    RemoteEntry e;
    std::size_t nameAt = line.starts_with(' ') ? 0 : line.find("; ");
    if (nameAt == std::string_view::npos) {
        e.name = line;
        e.date = "error";
        return e;
    }
    Facts facts = factsOf(line.substr(0, nameAt));
    Kind kind = kindOf(facts.type);
    if (kind == Kind::NoEntry) {
        listformat::markNoEntry(e);
        return e;
    }
    e.name = line.substr(nameAt + (line.starts_with(' ') ? 1 : 2));
    e.isDir = kind == Kind::Directory;
    e.size = exactSize(e.isDir && !facts.sizd.empty() ? facts.sizd : facts.size);
    setLocalTime(facts.modify, e);
    e.attr = modeText(typeLetter(kind), facts.mode);
    if (kind == Kind::Link) {
        if (e.attr.empty())
            e.attr.assign(1, 'l');  // one character: see markNoEntry
        e.isDir = listformat::linkLooksLikeDirectory(e.name);
        if (e.isDir)
            e.size.clear();
    }
    return e;
}

}  // namespace quay

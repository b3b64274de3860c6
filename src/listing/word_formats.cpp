#include <string>
#include <vector>

#include "config/ascii.h"
#include "listing/list_formats.h"
#include "listing/list_line_parser.h"
#include "panes/text_split.h"

// The layouts that read a line as blank-separated words (splitString at a blank: runs of
// blanks separate like one, a leading blank gives an empty first word). Word n counts from 1.
namespace quay::listformat {

namespace {

using Words = std::vector<std::string>;

// Word n (from 1), or an empty text when the line has fewer words.
const std::string& word(const Words& words, std::size_t n) {
    static const std::string none;
    return n >= 1 && n <= words.size() ? words[n - 1] : none;
}

// The word column at position 2 to 7 of a custom layout code: 1 to 9, or 0 for none.
std::size_t customColumn(std::string_view layout, std::size_t position) {
    char c = position <= layout.size() ? layout[position - 1] : '0';
    return c >= '1' && c <= '9' ? static_cast<std::size_t>(c - '0') : 0;
}

// The rest of the line after its first count words, blanks inside kept: names with blanks
// stand last in these layouts.
std::string_view restAfterWords(std::string_view line, std::size_t count) {
    for (std::size_t n = 0; n < count && !line.empty(); ++n)
        takePart(' ', line);
    return line;
}

// The text before marker, or all of it when the marker does not occur.
std::string cutBefore(const std::string& text, std::string_view marker) {
    return text.substr(0, text.find(marker));
}

}  // namespace

void text(std::string_view line, RemoteEntry& e) {
    e.name = line;
    e.isDir = startsWithD(line);
}

// "03-05-07  12:00PM  <DIR>  name": date, time, "<DIR>" or the size, then the name.
void microsoftWords(std::string_view line, RemoteEntry& e) {
    Words words = splitString(' ', line);
    e.date = word(words, 1);
    e.time = word(words, 2);
    if (words.size() < 3)
        return;
    e.isDir = asciiLower(words[2]) == "<dir>";
    if (!e.isDir)
        e.size = words[2];
    e.name = restAfterWords(line, 3);
}

// Mac listings have one column less for directories than for files.
void mac(std::string_view line, RemoteEntry& e) {
    Words words = splitString(' ', line);
    e.isDir = startsWithD(line);
    std::size_t k = e.isDir ? 0 : 1;
    if (words.size() > k + 4)
        e.date = words[k + 3] + " " + words[k + 4];
    if (words.size() > k + 5)
        e.time = words[k + 5];
    if (!e.isDir && words.size() >= 2)
        e.size = words[1];
    if (words.size() > k + 6)
        e.name = restAfterWords(line, k + 6);
}

void customColumns(std::string_view line, std::string_view layout, RemoteEntry& e) {
    Words words = splitString(' ', line);
    enum Position { Name = 2, Size, Month, Day, Time, Attr };
    auto take = [&](Position p) { return word(words, customColumn(layout, p)); };
    e.attr = take(Attr);
    e.isDir = startsWithD(e.attr);
    e.size = take(Size);
    e.name = take(Name);
    e.time = take(Time);
    e.date = take(Month);
    if (std::size_t day = customColumn(layout, Day); day >= 1 && day <= words.size())
        e.date += " " + words[day - 1];
}

// "FOO.TXT;3  12  5-MAR-2003 12:00:00.00 [USER] (RWED,RWED,RE,)": the version number goes,
// and a directory loses its ".DIR" type too.
void vms(std::string_view line, RemoteEntry& e) {
    if (line.starts_with(kVmsHeader) || line.starts_with("Total of "))
        return markNoEntry(e);
    Words words = splitString(' ', line);
    e.isDir = line.find(".DIR;") != std::string_view::npos;
    e.name = cutBefore(word(words, 1), e.isDir ? ".DIR;" : ";");
    e.date = word(words, 3);
    e.time = word(words, 4);
    e.attr = word(words, 6);
}

}  // namespace quay::listformat

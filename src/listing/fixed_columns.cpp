#include <string>

#include "listing/list_formats.h"
#include "panes/text_split.h"

// "03-05-07  12:00PM       <DIR>          name" (Microsoft FTP 5, Windows 2000): fields at fixed
// character positions; a short line leaves the fields past its end empty or shortened.
namespace quay::listformat {

namespace {

// Characters first to last, counted from 1, as far as the line reaches.
std::string_view columns(std::string_view line, std::size_t first, std::size_t last) {
    if (first > line.size())
        return {};
    return line.substr(first - 1, last - first + 1);
}

}  // namespace

void fixedColumns(std::string_view line, RemoteEntry& e) {
    // The server writes month-day-year; the entry keeps day.month.year.
    e.date.append(columns(line, 4, 5)).append(".");
    e.date.append(columns(line, 1, 2)).append(".");
    e.date.append(columns(line, 7, 8));
    e.time = trimmed(columns(line, 10, 19));
    e.isDir = trimmed(columns(line, 20, 29)) == "<DIR>";
    e.name = trimmed(columns(line, 40, line.size()));
    if (!e.isDir)
        e.size = trimmed(columns(line, 30, 39));
    else if (e.name.empty())
        e.name = "..";
}

}  // namespace quay::listformat

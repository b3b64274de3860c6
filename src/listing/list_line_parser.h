#pragma once

#include <chrono>
#include <string_view>

#include "listing/remote_entry.h"

namespace quay {

// Reads one line of a server's LIST output into an entry, under the server's listing layout.
//
// layout is the 7-character layout code of the server record: its first character selects
// the format ("1" text, "2" Microsoft FTP 4, "3" Mac, "4" custom columns, "5" VMS, "6" and
// "8" fixed columns, "7" WU-FTP style Unix; anything else, and an empty code, the default
// Unix long listing); characters 2 to 7 are the custom format's word columns of name, size,
// month, day, time and attributes ("1" to "9"; anything else: no such column).
//
// today is the date of program start: Unix lines that show a time of day instead of a year
// lie in today's year, or in the year before when that date is later than today.
//
// Unix lines (the default and WU-FTP layouts) are read by the shape of their columns: the
// date is the first date in any of the forms servers write (month names of many languages,
// the day first or last, numeric, ISO and Chinese, Japanese and Korean dates; see
// findUnixFields) that follows a size; the name is everything after the date and the one
// blank behind it, blanks included. Link count, owner and group may be missing or hold
// blanks. The default layout writes the date as "dd.mm.yy", the WU-FTP layout as the month
// and day as written, then the year after a blank ("Mar 5 1999"). The Microsoft FTP 4 and Mac
// layouts take the rest of the line after their last column as the name.
//
// Never throws and accepts any bytes. A name of "." means the line is no entry (a total
// line, a VMS header, a link in the WU-FTP layout) and is to be skipped. A Unix line without
// a date gives the whole line as a file name with the date "error"; a name is never taken
// from another column. Every name is "." or ".." or a run of bytes of the line.
// Symbolic links (attributes starting with "l") lose their " -> target" part and count as
// directories when their name has no "." in it.
// The start of the header line of a VMS listing, which names the directory listed
// ("DISK$ARCHIVE:[USERS.JOE]"); the parser skips it, the pane loader reads it.
inline constexpr std::string_view kVmsHeader = "DISK$ARCHIVE:[";

RemoteEntry parseListLine(std::string_view line, std::string_view layout,
                          std::chrono::year_month_day today);

}  // namespace quay

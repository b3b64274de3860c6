#pragma once

#include <string_view>

#include "listing/remote_entry.h"

namespace quay {

// Reads one line of an MLSD listing (RFC 3659, section 7: "fact=value;fact=value; name")
// into the entry the LIST parser gives, so the remote pane and the walkers take it alike.
// The session uses it in place of parseListLine for a listing it fetched with MLSD; the
// layout code of the server record does not apply, and no "today" is needed, since MLSD
// times carry their year.
//
// - The name is everything after the first "; " (after a leading blank when there are no
//   facts): blanks, ";" and "=" included, unchanged. An empty name or one holding "/" is
//   returned as it is; consumers check names with isSafeEntryName before using them.
// - type: "dir" is a directory, "file" and unknown types are files; "cdir" and "pdir"
//   (the directory itself and its parent) are no entry. "OS.unix=symlink" and
//   "OS.unix=slink:<target>" are links: their attributes start with "l" and, as for a LIST
//   link, a link whose name has no "." is taken for a directory.
// - size (for a directory sizd, or size): the exact byte count as decimal digits; none when
//   the value is no number or lies beyond 63 bits.
// - modify (YYYYMMDDHHMMSS[.sss], in UTC): date "dd.mm.yyyy" and time "HH:MM" in the local
//   time zone, the form the remote pane shows; none when the value is no valid time.
// - unix.mode (octal): the attributes in ls form ("drwxr-xr-x"); without it a link's
//   attributes are "l" and others have none.
// Fact names and the type values are read in any case; other facts are ignored.
//
// A line of facts without the blank before the name cannot be read without guessing: like
// an unreadable LIST line it becomes a file named after the whole line, dated "error". A
// name of "." means no entry, as from parseListLine. Never throws and accepts any bytes.
RemoteEntry parseMlsdLine(std::string_view line);

}  // namespace quay

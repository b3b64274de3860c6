#pragma once

#include <cstddef>
#include <string_view>

#include "listing/listing_file.h"
#include "listing/remote_entry.h"

namespace quay {

// One line of a listing as an entry: parseMlsdLine for an MLSD listing, else parseListLine
// under the layout and date of format.
RemoteEntry parseEntryLine(std::string_view line, const ListingFormat& format);

// The shortest line a consumer reads as an entry: its own minimum for a LIST listing, where
// shorter lines are totals and noise; any line for an MLSD listing, whose lines say
// themselves what they are ("type=file; a" is an entry of 12 characters).
std::size_t shortestEntryLine(const ListingFormat& format, std::size_t listMinimum);

}  // namespace quay

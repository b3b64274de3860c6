#include "listing/entry_line.h"

#include "listing/list_line_parser.h"
#include "listing/mlsd_line.h"

namespace quay {

RemoteEntry parseEntryLine(std::string_view line, const ListingFormat& format) {
    return format.mlsd ? parseMlsdLine(line) : parseListLine(line, format.layout, format.today);
}

std::size_t shortestEntryLine(const ListingFormat& format, std::size_t listMinimum) {
    return format.mlsd ? kShortestListingLine : listMinimum;
}

}  // namespace quay

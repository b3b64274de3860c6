#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../../tests/listing/listing_properties.h"
#include "listing/list_line_parser.h"
#include "listing/remote_date.h"

// The input is split by listingproperty::splitParserInput: layout code, today, line. Every
// entry's date also goes through the display form. No field outgrows the line (the custom
// layout may join one word to itself as month and day), and every entry keeps the rules of
// listingproperty::violation, under the layout given and under the WU-FTP layout.
// corpus/parse_list_line beside this file seeds a run (give it as a second corpus directory);
// the listing tests check every input of it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quay;
    listingproperty::ParserInput in = listingproperty::splitParserInput(
        std::string_view(reinterpret_cast<const char*>(data), size));
    RemoteEntry entry = parseListLine(in.line, in.layout, in.today);
    if (entry.name.size() > in.line.size() + 2 || entry.date.size() > 2 * in.line.size() + 8 ||
        !listingproperty::violation(in.line, in.layout, entry).empty())
        __builtin_trap();
    if (!listingproperty::violation(in.line, "7", parseListLine(in.line, "7", in.today)).empty())
        __builtin_trap();
    for (DateOrder order : {DateOrder::DayFirst, DateOrder::MonthFirst})
        remoteDateDisplay(entry.date, order, static_cast<int>(in.pick % 12000));
    return 0;
}

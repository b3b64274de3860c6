#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "listing/list_line_parser.h"
#include "listing/remote_date.h"

// The first 7 bytes are the layout code, the next 3 pick today's date, the rest is the line.
// Every entry's date also goes through the display form. No field outgrows the line (the
// custom layout may join one word to itself as month and day).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view layout = input.substr(0, 7);
    std::string_view dayBytes = input.substr(std::min<std::size_t>(7, input.size()), 3);
    std::string_view line = input.substr(std::min<std::size_t>(10, input.size()));
    unsigned pick = 0;
    for (char c : dayBytes)
        pick = pick * 256 + static_cast<unsigned char>(c);
    using namespace std::chrono;
    year_month_day today{year{static_cast<int>(1970 + pick % 100)}, month{pick / 100 % 12 + 1},
                         day{pick / 1200 % 28 + 1}};

    quay::RemoteEntry entry = quay::parseListLine(line, layout, today);
    if (entry.name.size() > line.size() + 2 || entry.date.size() > 2 * line.size() + 8)
        __builtin_trap();
    if (layout.empty() || (layout[0] != '7' && layout[0] != '1'))
        quay::parseListLine(line, "7", today);
    for (quay::DateOrder order : {quay::DateOrder::DayFirst, quay::DateOrder::MonthFirst})
        quay::remoteDateDisplay(entry.date, order, static_cast<int>(pick % 12000));
    return 0;
}

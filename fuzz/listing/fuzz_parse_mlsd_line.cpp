#include <cstddef>
#include <cstdint>
#include <string_view>

#include "../../tests/listing/listing_properties.h"
#include "listing/mlsd_line.h"

// The input is one MLSD line. The name is "." (no entry) or a run of the line's bytes; the
// size is empty or plain digits of a 63-bit count; the date is empty, "error" or
// "dd.mm.yyyy" and the time empty or "HH:MM"; a link's attributes start with "l".
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quay;
    std::string_view line(reinterpret_cast<const char*>(data), size);
    RemoteEntry e = parseMlsdLine(line);
    bool nameFromLine = e.name == "." || line.find(e.name) != std::string_view::npos;
    bool sizeRight = e.size.empty() || (listingproperty::allDigits(e.size) && e.size.size() <= 19);
    bool dateRight = e.date.empty() || e.date == "error" || e.date.size() == 10;
    bool timeRight = e.time.empty() || e.time.size() == 5;
    if (!nameFromLine || !sizeRight || !dateRight || !timeRight || e.attr.size() > 10)
        __builtin_trap();
    return 0;
}

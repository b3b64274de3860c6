#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quay {

// The byte count a size column holds: a text of decimal digits only that fits 64 bits. A size
// written with a unit ("33.5k"), an empty text or anything else gives none.
std::optional<std::int64_t> exactByteCount(std::string_view sizeText);

// A byte count as a file manager shows it, in units of 1024: below 1024 the bytes ("1023 B"),
// above them KB, MB, GB, TB, PB or EB with one decimal ("1.5 KB", "4.7 GB"), the unit chosen
// after rounding, so that 1048575 bytes read "1.0 MB", not "1024.0 KB". A decimal point
// whatever the process locale says, as the selection summaries have.
std::string humanSizeText(std::int64_t bytes);

}  // namespace quay

#include "panes/size_text.h"

#include <array>
#include <cmath>
#include <limits>

namespace quay {

std::optional<std::int64_t> exactByteCount(std::string_view sizeText) {
    if (sizeText.empty())
        return std::nullopt;
    std::int64_t value = 0;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    for (char c : sizeText) {
        if (c < '0' || c > '9')
            return std::nullopt;
        const int digit = c - '0';
        if (value > (kMax - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::string humanSizeText(std::int64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    static constexpr std::array<const char*, 6> kUnits = {"KB", "MB", "GB", "TB", "PB", "EB"};
    // A long double holds every 64-bit count exactly, so the tenths are rounded once.
    long double unit = 1024.0L;
    std::size_t index = 0;
    long long tenths = std::llround(static_cast<long double>(bytes) * 10 / unit);
    while (tenths >= 10240 && index + 1 < kUnits.size()) {
        unit *= 1024;
        ++index;
        tenths = std::llround(static_cast<long double>(bytes) * 10 / unit);
    }
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + kUnits[index];
}

}  // namespace quay

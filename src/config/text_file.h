#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quay {

// The largest file the program reads as a whole (options, server lists, layouts, commands,
// language files). Anything bigger is not one of ours and counts as unreadable, so a stray
// huge file cannot exhaust memory.
inline constexpr std::size_t kMaxTextFileBytes = 16 * 1024 * 1024;

// The whole file, or nothing when it is missing, is no regular file, cannot be read or is
// larger than maxBytes.
std::optional<std::string> readTextFile(const std::filesystem::path& path,
                                        std::size_t maxBytes = kMaxTextFileBytes);

// The lines of a text, without their line ends: lines end at LF, and a CR before the LF is
// dropped. A final line without LF counts; a text ending in LF has no empty line after it.
std::vector<std::string_view> splitLines(std::string_view text);

}  // namespace quay

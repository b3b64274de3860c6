#pragma once

#include <sys/types.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quay {

// The most lines a list file (servers, layouts) may have; a longer one is no list of ours.
inline constexpr std::size_t MaxFileLines = 200000;

// The lines of a file (a leading UTF-8 byte-order mark dropped); nothing when the file is
// missing, cannot be read, or has more than MaxFileLines line ends.
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file);

// The lines, each followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

// Writes lines (each ended by CR LF) to file, replacing it atomically with the given mode.
bool writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines,
                mode_t mode);

}  // namespace quay

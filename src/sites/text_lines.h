#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quay {

// The lines of a file (a leading UTF-8 byte-order mark dropped); nothing when the file is
// missing or cannot be read.
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& file);

// The lines, each followed by CR LF.
std::string joinLines(const std::vector<std::string>& lines);

// Writes lines (each ended by CR LF) to file, replacing it atomically with the given mode.
bool writeLines(const std::filesystem::path& file, const std::vector<std::string>& lines,
                mode_t mode);

}  // namespace quay

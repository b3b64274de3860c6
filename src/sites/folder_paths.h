#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quay {

// Server-list folders are subdirectories of the data directory. A folder path is the chain
// of folder names from the root, each followed by '\'; the root's folder path is empty.

inline constexpr char FolderPathSeparator = '\\';
inline constexpr std::string_view ListFileName = "ftplist.TXT";

// True when a name typed for a folder stays inside its level and fits on its list-file
// line: not empty, no '/', NUL, CR or LF, and no '\'-separated part that is empty, "." or
// "..".
bool safeFolderName(std::string_view name);

// The directory of a folder path. Each name is matched without regard to ASCII case against
// the directories that exist (an exact match wins, else the first in byte order), a name
// without a match is used as written. Nothing when a part would leave the level it names
// ("." or "..", '/', NUL); empty parts are skipped.
std::optional<std::filesystem::path> folderDirectory(const std::filesystem::path& dataDir,
                                                     std::string_view folderPath);

// The list file of a folder directory: an existing file named "ftplist.txt" in any case
// (the exact name preferred), else "ftplist.TXT".
std::filesystem::path listFileOf(const std::filesystem::path& directory);

}  // namespace quay

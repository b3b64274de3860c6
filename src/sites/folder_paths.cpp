#include "sites/folder_paths.h"

#include <algorithm>
#include <vector>

#include "config/ascii.h"
#include "panes/text_split.h"

namespace quay {

namespace {

bool safePart(std::string_view part) {
    return part != "." && part != ".." && part.find('/') == std::string_view::npos &&
           part.find('\0') == std::string_view::npos;
}

// The entry of directory whose name equals name without regard to case, of the wanted kind.
std::optional<std::filesystem::path> caseInsensitiveEntry(const std::filesystem::path& directory,
                                                          std::string_view name,
                                                          bool wantDirectory) {
    std::error_code error;
    if (std::filesystem::exists(directory / std::string(name), error) &&
        std::filesystem::is_directory(directory / std::string(name), error) == wantDirectory)
        return directory / std::string(name);
    std::vector<std::string> matches;
    for (std::filesystem::directory_iterator it(directory, error), end; !error && it != end;
         it.increment(error)) {
        std::string entry = it->path().filename().string();
        if (equalsIgnoringCase(entry, name) && it->is_directory(error) == wantDirectory)
            matches.push_back(entry);
    }
    if (matches.empty())
        return std::nullopt;
    return directory / *std::min_element(matches.begin(), matches.end());
}

}  // namespace

bool safeFolderName(std::string_view name) {
    // A line break would also split the folder's line in the list file.
    if (name.find_first_of(std::string_view("/\r\n\0", 4)) != std::string_view::npos)
        return false;
    std::vector<std::string> parts = splitString(FolderPathSeparator, name);
    return !parts.empty() && std::all_of(parts.begin(), parts.end(), [](const std::string& p) {
        return !p.empty() && safePart(p);
    });
}

std::optional<std::filesystem::path> folderDirectory(const std::filesystem::path& dataDir,
                                                     std::string_view folderPath) {
    std::filesystem::path directory = dataDir;
    for (const std::string& name : splitString(FolderPathSeparator, folderPath)) {
        if (name.empty())
            continue;
        if (!safePart(name))
            return std::nullopt;
        directory = caseInsensitiveEntry(directory, name, true).value_or(directory / name);
    }
    return directory;
}

std::filesystem::path listFileOf(const std::filesystem::path& directory) {
    return caseInsensitiveEntry(directory, ListFileName, false)
        .value_or(directory / std::string(ListFileName));
}

}  // namespace quay

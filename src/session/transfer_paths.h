#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quay {

// The path rules of transfers. Remote paths use "/"; local paths are absolute and use "/" as
// well (the local directory always ends in "/"). A relative path is entry names joined by "/".

// A pane's size column as a byte count; -1 when it is not a plain decimal number.
std::int64_t parseByteCount(std::string_view text);

// The text after the last "/" (all of path when there is none).
std::string fileNamePart(std::string_view path);
// path with "/" appended unless it already ends in one; "/" for an empty path.
std::string withTrailingSlash(std::string path);

// The relative path of the entry name inside the directory relative ("" for the start
// directory itself).
std::string childPath(std::string_view relative, std::string_view name);
// The number of directory levels of a relative path ("a/b/" is 2).
int pathDepth(std::string_view relative);

// Whether path, lexically normalised, lies strictly below root (normalised too): it starts
// with every part of root, has at least one part more and no ".." among them.
bool isPathBelow(std::string_view root, std::string_view path);
// root (with a "/" added unless it ends in one or is empty) followed by relative; nothing
// unless every part of relative is a name (not empty, ".", "..") and the result lies strictly
// below root.
std::optional<std::string> pathBelow(std::string_view root, std::string_view relative);

// True when path lies below root and no part of it below root is a symbolic link, so writing
// to path stays inside root. Parts that do not exist yet are fine; root itself may be a link
// (the user chose it). A path outside root is refused.
bool staysInsideTree(const std::filesystem::path& root, const std::filesystem::path& path);

// The extension of the file-name part of path without its dot; empty when there is none.
std::string fileExtension(std::string_view path);

}  // namespace quay

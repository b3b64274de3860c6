#pragma once

#include <string>
#include <string_view>

namespace quay {

// The name a typed rename answer stands for: the part after its last "/", so a renamed entry
// stays in its directory.
std::string_view nameAfterLastSlash(std::string_view typed);

// The case changes of the local and remote lists: 0 upper case, 1 lower case, 2 lower case
// with the first character in upper case. Only the letters A to Z change; other bytes
// (UTF-8 sequences included) stay as they are.
std::string changedCase(std::string_view name, int mode);

// Whether name can stand for an entry of a directory: not empty, not "." or "..", no "/" and
// no NUL byte.
bool isPlainEntryName(std::string_view name);

// Moves the entry from to the path to within one file system. An existing entry at to is never
// replaced (it would be lost); that fails with EEXIST. Returns 0 or the errno of the failure.
int moveEntryNoReplace(const std::string& from, const std::string& to);

}  // namespace quay

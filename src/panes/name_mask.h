#pragma once

#include <string_view>

namespace quay {

// Whether a file name passes a name mask such as "*.*" or "*.txt". "*" and "*.*" pass every
// name. Otherwise mask and name are split at "." (splitString) and must have the same number
// of parts, each name part matching the mask part at its position (matchWild). Letters
// compare case-sensitively; there is no list of several masks.
bool matchMask(std::string_view name, std::string_view mask);

// One part of a mask against one part of a name: "*" takes any run of characters, "?" one
// character. The rule is the panes' own, kept exactly as the masks users type have always
// been read: a star followed by a literal takes at least one character and binds to the
// first occurrence of that literal (no backtracking, so "*x" does not match "axbx"), and a
// "?" on the last character of the name ends the match successfully ("a?d" matches "ab").
// Runs in time linear in both lengths.
bool matchWild(std::string_view maskPart, std::string_view namePart);

}  // namespace quay

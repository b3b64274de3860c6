#pragma once

#include <string>
#include <string_view>

namespace quay {

// What stands in the log for a password.
inline constexpr std::string_view kPasswordMask = "****";

// True for the display line of a PASS command ("> PASS secret"): the command word is PASS in
// any letter case, followed by a blank, a tab or nothing. Other lines that merely hold the
// word ("> RETR my pass list.txt") are not PASS commands.
bool isPassCommandLine(std::string_view line);

// The line with every occurrence of password that stands alone replaced by kPasswordMask (a
// server may echo the password in a reply, "530 Login incorrect: secret"). Standing alone means
// no letter, digit, "_" or byte of a multi-byte character right before or after it, so a short
// password ("p") does not mask the letters of every word ("> TYPE A"). An empty password masks
// nothing.
std::string maskPassword(std::string_view line, std::string_view password);

}  // namespace quay

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sites/server_info.h"

namespace quay {

// The line format of a server list file ("ftplist.TXT"). A line is either a folder line
// ("DIR=" and the folder name) or a server line: pairs of key, '=', value and ';', written
// in a fixed key order without quoting. The password is stored scrambled (cryptPassword).

// The folder name of a folder line (first four bytes "dir=" in any case), else nothing.
std::optional<std::string> folderLineName(std::string_view line);
std::string folderLine(std::string_view folderName);

// The record as one server line; the password is scrambled.
std::string serverInfoToLine(const FtpServerInfo& info);

// Reads a server line. Every line gives a record: missing keys keep the defaults of
// initServerInfo (with defaultEMail), values are cut to their limits, flags are decimal
// numbers (non-zero is true, anything else false). The password stays scrambled; the caller
// unscrambles it.
FtpServerInfo lineToServerInfo(std::string_view line, std::string_view defaultEMail);

}  // namespace quay

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sites/server_info.h"

namespace quay {

// Splits an address typed as [ftp://|http://][user[:password]@]host[:port][/path] into the
// record's Server, User, Password, Port and InitialDir (in place). Blanks are dropped from
// the address; a user part without ":" leaves Password as it was; the path is cut to the
// InitialDir limit. An IPv6 literal stands bare ("::1", "fe80::1%eth0"; no port can follow)
// or in brackets ("[::1]", "joe:pw@[::1]:2121/pub"); Server gets it without brackets.
void parseServerAddress(FtpServerInfo& info);

// A remote directory as the session keeps it: ends in "/" (an empty path is "/"); for a
// virtual-host server (checkVHost) one leading "/" is removed.
std::string remoteDirPath(std::string_view path, bool checkVHost);

// The directory a 257 reply names: the text between its first double quote and the next one;
// nothing when the reply has no two double quotes.
std::optional<std::string> quotedDirectory(std::string_view reply);

// p without a trailing "/", cut before its last "/"; "/" when nothing is left.
std::string parentRemoteDir(std::string_view path);

}  // namespace quay

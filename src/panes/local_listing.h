#pragma once

#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "panes/pane_model.h"

namespace quay {

// The rows of the local list for one directory: every entry but "." and "..", hidden ones
// included; files that do not pass mask are left out, directories never are. A row is the name
// (the entry's bytes), image 1 for a directory and 2 for anything else, and the sub-items size
// (decimal bytes, empty for a directory), date ("dd.mm.yyyy", or "mm.dd.yyyy" for dateType 1)
// and time ("hh:mm") of the last modification in local time.
//
// A symbolic link shows what it points to (a link to a directory is a directory row); a link
// whose target is missing shows as a file with the link's own size and date. The rows come in
// directory order; the caller sorts them. A directory that cannot be read gives no rows and
// sets error.
std::vector<PaneItem> readLocalDirectory(const std::string& dir, std::string_view mask,
                                         int dateType, std::error_code& error);

// The names of the subdirectories of dir (links to directories included), in directory order.
// Unreadable: none.
std::vector<std::string> localSubdirectories(const std::string& dir);

}  // namespace quay

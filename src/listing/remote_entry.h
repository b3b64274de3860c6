#pragma once

#include <string>
#include <vector>

namespace quay {

// One entry of a remote directory listing, as the listing parser read it from one line. The
// texts are the parser's, unchanged: name and attributes are bytes from the server (UTF-8
// expected, anything accepted), the date and time are in the form of the listing layout.
//
// The fields are kept apart, so every byte is allowed in a name; no separator character can
// cut a name in two.
struct RemoteEntry {
    bool isDir = false;
    std::string name;  // "." marks a line that is no entry
    std::string size;  // empty for directories in most layouts
    std::string date;  // "error" when a Unix line could not be read
    std::string time;
    std::string attr;

    bool operator==(const RemoteEntry&) const = default;
};

// The entries of the remote directory shown, in listing order. They outlive the rows of the
// remote pane, so the pane can be refilled (for a new name mask) without listing again.
using RemoteEntries = std::vector<RemoteEntry>;

}  // namespace quay

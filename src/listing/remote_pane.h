#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_file.h"
#include "listing/remote_date.h"
#include "listing/remote_entry.h"
#include "panes/combo_model.h"
#include "panes/pane_model.h"

namespace quay {

// The first item of the path box: the way back to the server list.
inline constexpr std::string_view kServerListItem = "Server Liste ...";

// Images of the remote pane's rows.
inline constexpr int kDirectoryImage = 1;
inline constexpr int kFileImage = 2;

// The server type of a layout code: its first character as a number, 0 for an empty code
// (and for a first character that is no digit). Type 1 lists names only.
int listingTypeOf(std::string_view layout);

// How the remote pane shows entries.
struct RemoteViewOptions {
    std::string mask = "*.*";  // files whose name does not match it are hidden
    DateOrder dateOrder = DateOrder::DayFirst;
    int currentYear = 0;  // the year of dates written without one
};

// Replaces the rows of view with entries: directories always, files when their name matches
// options.mask (every file for server type 1, which an MLSD listing never is). Rows carry the name
// as caption, the sub-items size (empty for directories), date in display form, time and
// attributes, and the image kDirectoryImage or kFileImage. The name column is sized to the widest
// name + 30 pixels, or for server type 1 to the view's client width − 14 (the view measures;
// columnWidths()[0] holds the rule). The rows are sorted when the view's sorting is on and are
// announced as one reset. Returns the server type (ListingType).
int fillViewFromEntries(PaneModel& view, const RemoteEntries& entries, const ListingFormat& format,
                        const RemoteViewOptions& options);

// Fills the path box for a remote directory: rootItem (the way back to the server list, in
// the language shown), the host, then each component of hostDirName; the last item is
// selected. Components keep their bytes (blanks too), so the
// path box's entries join back into the same path; empty components ("//") are left out.
void fillRemotePathBox(ComboModel& pathBox, std::string_view hostName, std::string_view hostDirName,
                       std::string_view rootItem = kServerListItem);

// What loading a listing into the remote pane needs from the session.
struct RemotePaneLoad {
    std::filesystem::path listFile;  // read, then deleted
    ListingFormat format;
    RemoteViewOptions view;
    std::string hostName;
    std::string hostDirName;                // the client's current remote directory
    ListingLog log;                         // "! " notes; may be empty
    std::string rootItem{kServerListItem};  // the path box's first item
};

// What the session keeps from it.
struct RemotePaneState {
    RemoteEntries entries;           // every entry, for refilling under another mask
    std::vector<std::string> names;  // RemoteNames: the file names, for the upload check
    int listingType = 0;
    std::string hostDirName;  // the given one, or the directory a VMS header named
};

// Loads a completed LIST or MLSD into the remote pane: reads and deletes the listing file,
// parses each line of at least 3 characters with parseEntryLine (a VMS header sets the
// directory instead; an entry whose name is longer than kMaxEntryNameBytes is left out with
// one note), fills view through fillViewFromEntries and the path box through
// fillRemotePathBox. The view's sorting is off while its rows are replaced and on afterwards.
RemotePaneState loadListingIntoPane(const RemotePaneLoad& load, PaneModel& view,
                                    ComboModel& pathBox);

}  // namespace quay

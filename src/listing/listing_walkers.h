#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "listing/listing_file.h"
#include "listing/remote_entry.h"

namespace quay {

// The shortest line the name collector and the walkers read; a total line never reaches the
// parser.
inline constexpr std::size_t kWalkedLineLength = 20;

// The entries of a listing text: each line (VMS lines joined, see forEachListingLine) of at
// least minLength characters, parsed under format; lines that are no entry (name ".") are
// left out, ".." is passed on, and so are names longer than kMaxEntryNameBytes (one note in
// log counts them). The entry may be moved from. log gets the note of a listing cut at
// kMaxListingEntries lines. The name collector and the delete walker read with a
// minimum of 20 characters, so total lines never reach them; the length of a joined VMS
// line counts, so a short name wrapped onto a second line is still read.
using OnListingEntry = std::function<void(RemoteEntry& entry)>;
void forEachListingEntry(std::string_view text, const ListingFormat& format, std::size_t minLength,
                         const OnListingEntry& onEntry, const ListingLog& log = {});

// The file names (no directories) of a listing file, for the upload overwrite check. The
// file is left in place; a missing file gives no names.
std::vector<std::string> collectRemoteNames(const std::filesystem::path& listFile,
                                            const ListingFormat& format,
                                            const ListingLog& log = {});

// Whether a name from a listing can stand for an entry of the directory listed: not empty,
// no "/" (which would leave the directory), no NUL byte. "." and ".." pass; tree walkers
// skip them by name.
bool isSafeEntryName(std::string_view name);

// A name as a log line shows it: control bytes written as \xNN, so the note stays one line.
std::string printableName(std::string_view name);

// The "! " notes of the names one listing refuses: the first kMaxNamed are logged as they
// come, the rest only counted, and finish() logs the count in one line. A listing of half a
// million refused names thus logs a hundred lines, not half a million.
class RefusedNameNotes {
public:
    static constexpr std::size_t kMaxNamed = 100;

    explicit RefusedNameNotes(const ListingLog& log) : m_log(log) {}
    void note(const std::string& line);
    void finish();

private:
    const ListingLog& m_log;
    std::size_t m_count = 0;
};

// What the listing of a directory being deleted adds to the delete queues.
struct DeleteWalk {
    std::vector<std::string> dirs;   // to SourceDirs: hostDirName + "/" + name
    std::vector<std::string> files;  // to SourceFiles: the plain names
};

// Reads and deletes the listing file of the directory hostDirName during a recursive delete.
// "." and ".." are never queued. Symbolic links go to the files (a delete removes the link),
// even those taken for directories: the walk never follows a link out of the tree. Names that are
// empty or hold a "/" or a NUL byte are not queued either, since a delete of them would reach
// outside the tree the user chose; such names are noted in log through RefusedNameNotes.
DeleteWalk walkDeleteListing(const std::filesystem::path& listFile, const ListingFormat& format,
                             std::string_view hostDirName, const ListingLog& log);

}  // namespace quay

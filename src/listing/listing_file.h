#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "ftp/listing_limit.h"

namespace quay {

// A local note for the session log; the text starts with "! ".
using ListingLog = std::function<void(const std::string& line)>;

// What a listing is read with: the server's layout code (see parseListLine) and the date of
// program start for a LIST listing; an MLSD listing is read by parseMlsdLine whatever the
// layout (see parseEntryLine).
struct ListingFormat {
    std::string layout;
    std::chrono::year_month_day today{};
    bool mlsd = false;

    bool isVms() const { return !mlsd && !layout.empty() && layout[0] == '5'; }
};

// The most entries a listing gives (a pane row costs a few hundred bytes).
inline constexpr std::size_t kMaxListingEntries = 1'000'000;
// The longest name an entry may have: no file system holds a longer one (255 bytes on ext4,
// XFS, Btrfs). The consumers leave an entry with a longer name out, so no pane row, log line
// or command carries a name of megabytes, and say so with one "! " note per listing
// (noteLongNames).
inline constexpr std::size_t kMaxEntryNameBytes = 255;
void noteLongNames(std::size_t count, const ListingLog& log);
// Lines shorter than this are never entries (a stray line end, a blank line).
inline constexpr std::size_t kShortestListingLine = 3;

// The text of a listing file as the server sent it; empty when the file is missing or
// unreadable. A file longer than maxBytes is cut at the last line end before it, noted in log
// (which may be empty) with one "! " line.
std::string readListingFile(const std::filesystem::path& file, const ListingLog& log,
                            std::size_t maxBytes = kMaxListingBytes);

// readListingFile, then the file is deleted: the pane loader and the walkers use a listing
// once.
std::string takeListingFile(const std::filesystem::path& file, const ListingLog& log);

// A VMS header line ("DISK$ARCHIVE:[USERS.JOE]") that names the directory listed.
bool isVmsHeader(std::string_view line);

// The lines of a listing, ready for the parser. Lines end at LF, CR LF or a lone CR. Lines
// shorter than minLength are noise and passed over before any joining. With the VMS
// layout, a line shorter than 40 characters that is not the last gets a blank and the next
// line appended (VMS servers wrap long entries), and that next line is used up; header lines are
// never joined and are given to onHeader, or like any other line to onLine when onHeader is
// empty. The view given to onLine is valid during the call only.
//
// At most maxLines lines reach onLine; the rest is left out with one "! " note in log, so a
// listing of millions of tiny lines cannot make its consumers hold millions of entries.
struct ListingLines {
    std::size_t minLength = 0;
    bool vms = false;
    std::size_t maxLines = kMaxListingEntries;
    ListingLog log;
    std::function<void(std::string_view header)> onHeader;
    std::function<void(std::string_view line)> onLine;
};
void forEachListingLine(std::string_view text, const ListingLines& lines);

}  // namespace quay

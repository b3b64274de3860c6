#include "listing/listing_walkers.h"

#include "config/ascii.h"
#include "listing/entry_line.h"

namespace quay {

std::string printableName(std::string_view name) {
    return escapeControlBytes(name, false);
}

void forEachListingEntry(std::string_view text, const ListingFormat& format, std::size_t minLength,
                         const OnListingEntry& onEntry, const ListingLog& log) {
    ListingLines lines;
    lines.minLength = kShortestListingLine;
    lines.log = log;
    lines.vms = format.isVms();
    std::size_t longNames = 0;
    const std::size_t shortest = shortestEntryLine(format, minLength);
    lines.onLine = [&](std::string_view line) {
        if (line.size() < shortest)
            return;
        RemoteEntry entry = parseEntryLine(line, format);
        if (entry.name.size() > kMaxEntryNameBytes)
            ++longNames;
        else if (entry.name != ".")
            onEntry(entry);
    };
    forEachListingLine(text, lines);
    noteLongNames(longNames, log);
}

std::vector<std::string> collectRemoteNames(const std::filesystem::path& listFile,
                                            const ListingFormat& format, const ListingLog& log) {
    std::vector<std::string> names;
    forEachListingEntry(
        readListingFile(listFile, log), format, kWalkedLineLength,
        [&](RemoteEntry& entry) {
            if (!entry.isDir)
                names.push_back(std::move(entry.name));
        },
        log);
    return names;
}

bool isSafeEntryName(std::string_view name) {
    return !name.empty() && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

DeleteWalk walkDeleteListing(const std::filesystem::path& listFile, const ListingFormat& format,
                             std::string_view hostDirName, const ListingLog& log) {
    std::string text = takeListingFile(listFile, log);
    DeleteWalk walk;
    RefusedNameNotes refused(log);
    forEachListingEntry(
        text, format, kWalkedLineLength,
        [&](RemoteEntry& entry) {
            if (entry.name == "..")
                return;
            if (!isSafeEntryName(entry.name)) {
                refused.note("! Not deleted, unsafe name in listing: \"" +
                             printableName(entry.name) + "\"");
                return;
            }
            // A link is deleted itself, never entered: entering it would delete what it
            // points to, which may lie anywhere on the server.
            bool isLink = entry.attr.starts_with('l');
            if (entry.isDir && !isLink)
                walk.dirs.push_back(std::string(hostDirName) + "/" + entry.name);
            else
                walk.files.push_back(std::move(entry.name));
        },
        log);
    refused.finish();
    return walk;
}

void RefusedNameNotes::note(const std::string& line) {
    if (m_count++ < kMaxNamed && m_log)
        m_log(line);
}

void RefusedNameNotes::finish() {
    if (m_count > kMaxNamed && m_log)
        m_log("! " + std::to_string(m_count - kMaxNamed) + " more names refused in this listing");
}

}  // namespace quay

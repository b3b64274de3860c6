#include "listing/listing_walkers.h"

#include "listing/list_line_parser.h"

namespace quay {

std::string printableName(std::string_view name) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string shown;
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            shown += "\\x";
            shown += kHex[byte >> 4];
            shown += kHex[byte & 15];
        } else {
            shown += c;
        }
    }
    return shown;
}

void forEachListingEntry(std::string_view text, const ListingFormat& format, std::size_t minLength,
                         const OnListingEntry& onEntry, const ListingLog& log) {
    ListingLines lines;
    lines.minLength = kShortestListingLine;
    lines.log = log;
    lines.vms = format.isVms();
    lines.onLine = [&](std::string_view line) {
        if (line.size() < minLength)
            return;
        RemoteEntry entry = parseListLine(line, format.layout, format.today);
        if (entry.name != ".")
            onEntry(entry);
    };
    forEachListingLine(text, lines);
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
    forEachListingEntry(
        text, format, kWalkedLineLength,
        [&](RemoteEntry& entry) {
            if (entry.name == "..")
                return;
            if (!isSafeEntryName(entry.name)) {
                if (log)
                    log("! Not deleted, unsafe name in listing: \"" + printableName(entry.name) +
                        "\"");
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
    return walk;
}

}  // namespace quay

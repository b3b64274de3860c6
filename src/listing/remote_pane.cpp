#include "listing/remote_pane.h"

#include <algorithm>
#include <optional>

#include "listing/entry_line.h"
#include "listing/list_line_parser.h"
#include "panes/name_mask.h"

namespace quay {

namespace {

// The shortest line whose file name the name collector takes (see collectRemoteNames).
constexpr std::size_t kNamedLineLength = 20;

PaneItem rowOf(const RemoteEntry& entry, const RemoteViewOptions& options) {
    PaneItem row;
    row.caption = entry.name;
    row.imageIndex = entry.isDir ? kDirectoryImage : kFileImage;
    row.subItems.reserve(4);
    row.subItems.push_back(entry.isDir ? std::string() : entry.size);
    row.subItems.push_back(remoteDateDisplay(entry.date, options.dateOrder, options.currentYear));
    row.subItems.push_back(entry.time);
    row.subItems.push_back(entry.attr);
    return row;
}

// The longest directory a VMS header may name; a longer one is no real directory and would
// only fill the path box.
constexpr std::size_t kMaxHeaderDirectory = 4096;

// "DISK$ARCHIVE:[USERS.JOE]" names the directory USERS/JOE; nothing when it is too long.
std::optional<std::string> vmsHeaderDirectory(std::string_view header) {
    std::string_view inside = header.substr(kVmsHeader.size());
    inside = inside.substr(0, inside.find(']'));
    if (inside.size() > kMaxHeaderDirectory)
        return std::nullopt;
    std::string directory(inside);
    std::replace(directory.begin(), directory.end(), '.', '/');
    return directory;
}

}  // namespace

int listingTypeOf(std::string_view layout) {
    return !layout.empty() && layout[0] >= '0' && layout[0] <= '9' ? layout[0] - '0' : 0;
}

int fillViewFromEntries(PaneModel& view, const RemoteEntries& entries, const ListingFormat& format,
                        const RemoteViewOptions& options) {
    int listingType = listingTypeOf(format.layout);
    // MLSD entries are whole entries whatever the layout says of LIST lines.
    if (format.mlsd && listingType == 1)
        listingType = 0;
    bool namesOnly = listingType == 1;
    std::vector<PaneItem> rows;
    rows.reserve(entries.size());
    for (const RemoteEntry& entry : entries)
        if (entry.isDir || namesOnly || matchMask(entry.name, options.mask))
            rows.push_back(rowOf(entry, options));
    view.beginUpdate();
    view.assign(std::move(rows));
    if (view.columnWidths().empty())
        view.columnWidths().resize(1);
    view.columnWidths()[0] = namesOnly ? ColumnWidth{ColumnWidth::Mode::ClientWidthMinus, 14}
                                       : ColumnWidth{ColumnWidth::Mode::WidestCaptionPlus, 30};
    view.sort();
    view.endUpdate();
    return listingType;
}

void fillRemotePathBox(ComboModel& pathBox, std::string_view hostName, std::string_view hostDirName,
                       std::string_view rootItem) {
    pathBox.clear();
    pathBox.add(std::string(rootItem));
    pathBox.add(std::string(hostName));
    while (!hostDirName.empty()) {
        std::size_t slash = hostDirName.find('/');
        if (slash != 0)
            pathBox.add(std::string(hostDirName.substr(0, slash)));
        hostDirName =
            slash == std::string_view::npos ? std::string_view{} : hostDirName.substr(slash + 1);
    }
    pathBox.setItemIndex(static_cast<int>(pathBox.count()) - 1);
}

RemotePaneState loadListingIntoPane(const RemotePaneLoad& load, PaneModel& view,
                                    ComboModel& pathBox) {
    RemotePaneState state;
    state.hostDirName = load.hostDirName;
    std::string text = takeListingFile(load.listFile, load.log);

    // One entry per line of the shortest listed length at most (line end included);
    // reserving spares the moves of a growing list, and counting bytes rather than line ends
    // keeps a file of empty lines from reserving hundreds of megabytes.
    std::size_t expected =
        std::min(text.size() / (kShortestListingLine + 1) + 1, kMaxListingEntries);
    state.entries.reserve(expected);
    state.names.reserve(expected);
    ListingLines lines;
    lines.minLength = kShortestListingLine;
    lines.vms = load.format.isVms();
    lines.log = load.log;
    lines.onHeader = [&](std::string_view header) {
        if (std::optional<std::string> directory = vmsHeaderDirectory(header))
            state.hostDirName = std::move(*directory);
    };
    std::size_t longNames = 0;
    const std::size_t namedLine = shortestEntryLine(load.format, kNamedLineLength);
    lines.onLine = [&](std::string_view line) {
        RemoteEntry entry = parseEntryLine(line, load.format);
        if (entry.name == ".")
            return;
        if (entry.name.size() > kMaxEntryNameBytes) {
            ++longNames;
            return;
        }
        if (!entry.isDir && line.size() >= namedLine)
            state.names.push_back(entry.name);
        state.entries.push_back(std::move(entry));
    };
    forEachListingLine(text, lines);
    noteLongNames(longNames, load.log);

    view.beginUpdate();
    view.setSortEnabled(false);
    state.listingType = fillViewFromEntries(view, state.entries, load.format, load.view);
    fillRemotePathBox(pathBox, load.hostName, state.hostDirName, load.rootItem);
    view.setSortEnabled(true);
    view.endUpdate();
    return state;
}

}  // namespace quay

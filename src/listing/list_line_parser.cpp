#include "listing/list_line_parser.h"

#include "listing/list_formats.h"

namespace quay {

namespace {

// A link line names the link and its target ("bin -> usr/bin"); only the link's name is
// kept. The directory test (linkLooksLikeDirectory) looks at the name without the target, so
// a target such as "../lib" does not turn a directory link into a file.
void applyLinkRule(RemoteEntry& e) {
    if (e.attr.empty() || e.attr[0] != 'l')
        return;
    if (std::size_t arrow = e.name.find(" ->"); arrow != std::string::npos)
        e.name.resize(arrow);
    e.isDir = e.name == "." || listformat::linkLooksLikeDirectory(e.name);
    if (e.isDir)
        e.size.clear();
}

void parseByLayout(std::string_view line, std::string_view layout,
                   std::chrono::year_month_day today, RemoteEntry& e) {
    switch (layout.empty() ? '0' : layout[0]) {
        case '1':
            return listformat::text(line, e);
        case '2':
            return listformat::microsoftWords(line, e);
        case '3':
            return listformat::mac(line, e);
        case '4':
            return listformat::customColumns(line, layout, e);
        case '5':
            return listformat::vms(line, e);
        case '6':
        case '8':
            return listformat::fixedColumns(line, e);
        case '7':
            return listformat::wuftp(line, e);
        default:
            return listformat::unixScan(line, today, e);
    }
}

}  // namespace

RemoteEntry parseListLine(std::string_view line, std::string_view layout,
                          std::chrono::year_month_day today) {
    RemoteEntry e;
    parseByLayout(line, layout, today, e);
    applyLinkRule(e);
    return e;
}

}  // namespace quay

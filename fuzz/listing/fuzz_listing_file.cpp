#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "listing/listing_walkers.h"
#include "listing/remote_pane.h"
#include "panes/list_order.h"

namespace {

std::filesystem::path listFile() {
    static const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                              ("fuzz-listing-" + std::to_string(getpid()) + ".TXT");
    return file;
}

void write(std::string_view text) {
    std::ofstream out(listFile(), std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

// The first byte picks the layout (and MLSD from 128 on), the rest is a whole listing file. The
// file goes through the pane loader (with sorting), the name collector and the delete walker; no
// queued name may leave the directory.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    static const char* const kLayouts[] = {"0", "1", "2", "3", "4953671", "5", "6", "7", "8", ""};
    std::string layout = kLayouts[data[0] % 10];
    std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    using namespace std::chrono;
    quay::ListingFormat format{layout, year_month_day{year{2026}, June, day{15}}, data[0] >= 128};

    quay::PaneModel view;
    quay::ComboModel pathBox;
    int sortKey = data[0] % 13 - 6;
    view.setCompare(quay::paneCompare(sortKey));
    quay::RemotePaneLoad load;
    load.listFile = listFile();
    load.format = format;
    load.view.mask = "*.t?t";
    load.view.currentYear = 2026;
    load.hostName = "host";
    load.hostDirName = "/a/b/";
    write(text);
    quay::RemotePaneState state = quay::loadListingIntoPane(load, view, pathBox);
    if (view.count() > state.entries.size() || pathBox.count() < 2)
        __builtin_trap();

    write(text);
    quay::collectRemoteNames(listFile(), format);
    quay::DeleteWalk walk = quay::walkDeleteListing(listFile(), format, "/a", {});
    for (const std::string& name : walk.files)
        if (!quay::isSafeEntryName(name) || name == "." || name == "..")
            __builtin_trap();
    for (const std::string& dir : walk.dirs)
        if (!quay::isSafeEntryName(std::string_view(dir).substr(3)))
            __builtin_trap();
    return 0;
}

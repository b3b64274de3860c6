// Any list-file content loads without crashing, and saving the level and loading it again
// gives the same rows: no entry is lost or split.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "config/atomic_file.h"
#include "sites/server_list.h"

namespace {

std::vector<std::string> captions(const quay::PaneModel& view) {
    std::vector<std::string> result;
    for (const quay::PaneItem& item : view.items())
        result.push_back(std::to_string(item.imageIndex) + ":" + item.caption);
    return result;
}

// A data directory of this process, removed when the fuzzer exits.
struct DataDir {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() / ("quay_fuzz_sites_" + std::to_string(::getpid()));
    DataDir() { std::filesystem::create_directories(path); }
    ~DataDir() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

const std::filesystem::path& dataDir() {
    static const DataDir dir;
    return dir.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string content(reinterpret_cast<const char*>(data), size);
    if (!quay::writeFileAtomically(dataDir() / "ftplist.TXT", content, 0600))
        std::abort();
    quay::PaneModel view;
    quay::ComboModel path;
    quay::ServerList list(dataDir(), view, path);
    list.showServerList("");
    std::vector<std::string> first = captions(view);
    if (!list.saveServerList())
        std::abort();
    list.showServerList("");
    if (captions(view) != first)
        std::abort();
    return 0;
}

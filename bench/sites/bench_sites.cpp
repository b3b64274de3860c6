// Loading and saving a large server-list level, each against a plain peer doing the bare
// file work: splitting every line into a key map, and writing the same bytes atomically.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "config/atomic_file.h"
#include "config/text_file.h"
#include "panes/list_order.h"
#include "sites/server_line.h"
#include "sites/server_list.h"

#include "../bench_timing.h"

namespace {

using quay::bench::bestMillis;
using quay::bench::report;
constexpr std::size_t Servers = 20000;

std::string listText() {
    std::string text;
    for (std::size_t n = 0; n < Servers; ++n) {
        quay::FtpServerInfo info = quay::defaultServerInfo("me@example.org");
        info.Name = "server " + std::to_string((n * 7919) % Servers);
        info.Server = "ftp" + std::to_string(n) + ".example.org";
        info.Password = "secret" + std::to_string(n);
        info.InitialDir = "/pub/dir" + std::to_string(n);
        text += quay::serverInfoToLine(info) + "\r\n";
    }
    return text;
}

// The peer of loading: every line split at ';' and '=' into a map.
std::size_t plainParse(const std::filesystem::path& file) {
    std::size_t keys = 0;
    std::string text = quay::readTextFile(file).value_or("");
    for (std::string_view line : quay::splitLines(text)) {
        std::map<std::string, std::string> pairs;
        while (!line.empty()) {
            std::string_view pair = line.substr(0, line.find(';'));
            std::size_t eq = pair.find('=');
            if (eq != std::string_view::npos)
                pairs[std::string(pair.substr(0, eq))] = std::string(pair.substr(eq + 1));
            line.remove_prefix(std::min(line.size(), pair.size() + 1));
        }
        keys += pairs.size();
    }
    return keys;
}

}  // namespace

int main() {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "quay_bench_sites";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string text = listText();
    quay::writeFileAtomically(dir / "ftplist.TXT", text, 0600);

    int sortKey = 1;
    quay::PaneModel view;
    quay::ComboModel path;
    quay::usePaneOrder(view, sortKey);
    quay::ServerList list(dir, view, path);
    std::size_t keys = 0;
    double load = bestMillis([&] { list.showServerList(""); });
    double parse = bestMillis([&] { keys += plainParse(dir / "ftplist.TXT"); });
    report("load and sort a level of 20000 servers", load, parse);

    bool saved = true;
    double save = bestMillis([&] { saved = saved && list.saveServerList(); });
    double write = bestMillis(
        [&] { saved = saved && quay::writeFileAtomically(dir / "peer.TXT", text, 0600); });
    report("save a level of 20000 servers", save, write);

    std::filesystem::remove_all(dir);
    return view.count() == Servers && keys > 0 && saved ? 0 : 1;
}

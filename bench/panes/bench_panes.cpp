#include <fnmatch.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "panes/list_order.h"
#include "panes/name_mask.h"

#include "../bench_timing.h"

namespace {

using quay::bench::bestMillis;
using quay::bench::report;

std::vector<std::string> names(std::size_t count) {
    const char* extensions[] = {".txt", ".tar.gz", ".c", "", ".TXT"};
    std::vector<std::string> out;
    std::uint32_t seed = 12345;
    for (std::size_t n = 0; n < count; ++n) {
        seed = seed * 1103515245u + 12345u;
        out.push_back("file" + std::to_string(seed % 1000000) + extensions[n % 5]);
    }
    return out;
}

std::vector<quay::PaneItem> rows(const std::vector<std::string>& captions) {
    std::vector<quay::PaneItem> out;
    std::uint32_t seed = 777;
    for (const auto& caption : captions) {
        seed = seed * 1103515245u + 12345u;
        quay::PaneItem item;
        item.caption = caption;
        item.imageIndex = 2;
        item.subItems = {std::to_string(seed), "01.02.2024", "12:00", "-rw-r--r--"};
        out.push_back(std::move(item));
    }
    return out;
}

void benchMasks(const std::vector<std::string>& all) {
    std::size_t ours = 0, peer = 0;
    double oursMs = bestMillis([&] {
        ours = 0;
        for (const auto& name : all)
            ours += quay::matchMask(name, "*.txt") ? 1 : 0;
    });
    double peerMs = bestMillis([&] {
        peer = 0;
        for (const auto& name : all)
            peer += fnmatch("*.txt", name.c_str(), 0) == 0 ? 1 : 0;
    });
    report("matchMask \"*.txt\" vs fnmatch", oursMs, peerMs);
    if (ours != peer)
        std::printf("  (matches differ by rule: %zu vs %zu)\n", ours, peer);
}

void benchSort(const std::vector<std::string>& all, int key, const char* what,
               const std::function<bool(const quay::PaneItem&, const quay::PaneItem&)>& peerLess) {
    const auto input = rows(all);
    double oursMs = bestMillis([&] {
        auto items = input;
        std::stable_sort(items.begin(), items.end(), [key](const auto& a, const auto& b) {
            return quay::ftpViewCompare(a, b, key) < 0;
        });
    });
    double peerMs = bestMillis([&] {
        auto items = input;
        std::stable_sort(items.begin(), items.end(), peerLess);
    });
    report(what, oursMs, peerMs);
}

}  // namespace

int main() {
    const auto all = names(200000);
    benchMasks(all);
    benchSort(all, 0, "sort 200k rows by name vs strcasecmp", [](const auto& a, const auto& b) {
        return strcasecmp(a.caption.c_str(), b.caption.c_str()) < 0;
    });
    benchSort(all, 2, "sort 200k rows by size vs strtoll", [](const auto& a, const auto& b) {
        return std::strtoll(a.subItems[0].c_str(), nullptr, 10) >
               std::strtoll(b.subItems[0].c_str(), nullptr, 10);
    });
    return 0;
}

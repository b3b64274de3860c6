#include "panes/local_drives.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include "panes/text_split.h"

namespace quay {

namespace {

constexpr std::array<std::string_view, 24> kPseudoTypes = {
    "proc",     "sysfs",    "cgroup",    "cgroup2",     "devpts",      "devtmpfs",
    "mqueue",   "debugfs",  "tracefs",   "securityfs",  "pstore",      "bpf",
    "configfs", "fusectl",  "hugetlbfs", "autofs",      "binfmt_misc", "rpc_pipefs",
    "nsfs",     "efivarfs", "selinuxfs", "fuse.portal", "ramfs",       "fuse.gvfsd-fuse"};

constexpr std::array<std::string_view, 5> kSystemTrees = {"/proc/", "/sys/", "/dev/", "/etc/",
                                                          "/snap/"};

bool under(std::string_view path, std::string_view tree) {
    return path.substr(0, tree.size()) == tree;
}

bool isUserMount(std::string_view type, std::string_view mountPoint) {
    if (mountPoint == "/" ||
        std::find(kPseudoTypes.begin(), kPseudoTypes.end(), type) != kPseudoTypes.end())
        return false;
    for (std::string_view tree : kSystemTrees)
        if (under(mountPoint, tree))
            return false;
    return !under(mountPoint, "/run/") || under(mountPoint, "/run/media/");
}

// "\040" and the like back to their bytes.
std::string unescaped(std::string_view field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return out;
}

std::string withSlash(std::string path) {
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

void addOnce(std::vector<std::string>& list, std::string path) {
    if (std::find(list.begin(), list.end(), path) == list.end())
        list.push_back(std::move(path));
}

}  // namespace

std::vector<std::string> userMountPoints(std::string_view mountinfo) {
    std::vector<std::string> result;
    std::string_view rest = mountinfo;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::vector<std::string> fields = splitString(' ', rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        // id parent major:minor root mount-point options [optional...] - type source ...
        const auto dash = std::find(fields.begin(), fields.end(), "-");
        if (fields.size() < 5 || dash == fields.end() || dash + 1 == fields.end() ||
            dash - fields.begin() < 6)
            continue;
        std::string mountPoint = withSlash(unescaped(fields[4]));
        if (mountPoint[0] == '/' && isUserMount(*(dash + 1), mountPoint))
            addOnce(result, std::move(mountPoint));
    }
    return result;
}

std::vector<std::string> localDrives(const std::string& home) {
    std::vector<std::string> drives = {"/"};
    if (!home.empty() && home[0] == '/')
        addOnce(drives, withSlash(home));
    std::ifstream file("/proc/self/mountinfo");
    std::stringstream text;
    text << file.rdbuf();
    for (std::string& mount : userMountPoints(text.str()))
        addOnce(drives, std::move(mount));
    return drives;
}

int driveIndexOf(const std::vector<std::string>& drives, const std::string& dir) {
    int best = -1;
    for (std::size_t i = 0; i < drives.size(); ++i)
        if (under(dir, drives[i]) &&
            (best < 0 || drives[i].size() > drives[static_cast<std::size_t>(best)].size()))
            best = static_cast<int>(i);
    return best;
}

}  // namespace quay

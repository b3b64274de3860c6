#include "panes/local_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <memory>

#include "panes/name_mask.h"

namespace quay {

namespace {

constexpr int kDirectoryImage = 1;
constexpr int kFileImage = 2;

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

DirHandle openDirectory(const std::string& dir, std::error_code& error) {
    DirHandle handle(::opendir(dir.c_str()));
    if (!handle)
        error.assign(errno, std::generic_category());
    return handle;
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entry's status, following a link; a dangling link gives the link's own status.
bool statEntry(int dirFd, const char* name, struct stat& st) {
    return ::fstatat(dirFd, name, &st, 0) == 0 ||
           ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0;
}

std::vector<std::string> dateAndTime(std::time_t when, int dateType) {
    std::tm local{};
    ::localtime_r(&when, &local);
    char date[32];
    char time[16];
    const int first = dateType == 1 ? local.tm_mon + 1 : local.tm_mday;
    const int second = dateType == 1 ? local.tm_mday : local.tm_mon + 1;
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", first, second, local.tm_year + 1900);
    std::snprintf(time, sizeof time, "%02d:%02d", local.tm_hour, local.tm_min);
    return {date, time};
}

}  // namespace

std::vector<PaneItem> readLocalDirectory(const std::string& dir, std::string_view mask,
                                         int dateType, std::error_code& error) {
    error.clear();
    std::vector<PaneItem> rows;
    DirHandle handle = openDirectory(dir, error);
    if (!handle)
        return rows;
    const int fd = ::dirfd(handle.get());
    while (const dirent* entry = ::readdir(handle.get())) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        struct stat st {};
        if (!statEntry(fd, entry->d_name, st))
            continue;  // gone since it was listed
        const bool isDir = S_ISDIR(st.st_mode);
        if (!isDir && !matchMask(entry->d_name, mask))
            continue;
        PaneItem row;
        row.caption = entry->d_name;
        row.imageIndex = isDir ? kDirectoryImage : kFileImage;
        row.subItems.push_back(isDir ? std::string() : std::to_string(st.st_size));
        for (std::string& text : dateAndTime(st.st_mtim.tv_sec, dateType))
            row.subItems.push_back(std::move(text));
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> localSubdirectories(const std::string& dir) {
    std::error_code error;
    std::vector<std::string> names;
    DirHandle handle = openDirectory(dir, error);
    if (!handle)
        return names;
    const int fd = ::dirfd(handle.get());
    while (const dirent* entry = ::readdir(handle.get())) {
        struct stat st {};
        if (!isDotOrDotDot(entry->d_name) && ::fstatat(fd, entry->d_name, &st, 0) == 0 &&
            S_ISDIR(st.st_mode))
            names.emplace_back(entry->d_name);
    }
    return names;
}

}  // namespace quay

#include "panes/local_delete.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace quay {

namespace {

std::string failure(const std::string& path) {
    return path + ": " + std::strerror(errno);
}

void collectEntries(const std::string& dir, LocalDeletePlan& plan) {
    DIR* handle = ::opendir(dir.c_str());
    if (handle == nullptr)
        return;
    const int fd = ::dirfd(handle);
    const std::string prefix = dir.back() == '/' ? dir : dir + '/';
    while (const dirent* entry = ::readdir(handle)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        struct stat st {};
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        (S_ISDIR(st.st_mode) ? plan.directories : plan.files).push_back(prefix + name);
    }
    ::closedir(handle);
}

}  // namespace

LocalDeletePlan planLocalDelete(const std::vector<std::string>& paths) {
    LocalDeletePlan plan;
    for (const std::string& path : paths) {
        struct stat st {};
        if (!path.empty() && ::lstat(path.c_str(), &st) == 0)
            (S_ISDIR(st.st_mode) ? plan.directories : plan.files).push_back(path);
    }
    // The list grows while it is walked: each directory's subdirectories are walked in turn.
    for (std::size_t i = 0; i < plan.directories.size(); ++i)
        collectEntries(std::string(plan.directories[i]), plan);
    return plan;
}

std::string executeLocalDelete(const LocalDeletePlan& plan) {
    for (const std::string& file : plan.files)
        if (::unlink(file.c_str()) != 0)
            return failure(file);
    for (auto it = plan.directories.rbegin(); it != plan.directories.rend(); ++it)
        if (::rmdir(it->c_str()) != 0)
            return failure(*it);
    return {};
}

}  // namespace quay

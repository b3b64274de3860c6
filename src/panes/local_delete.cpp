#include "panes/local_delete.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

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

// Removes entries below base through directory descriptors opened one level at a time without
// following links, so a directory swapped for a link after the question cannot lead the
// delete out of the tree. Consecutive entries of one directory share its descriptor.
class ParentDirectory {
public:
    explicit ParentDirectory(std::string base) : m_base(std::move(base)) {}
    ParentDirectory(const ParentDirectory&) = delete;
    ParentDirectory& operator=(const ParentDirectory&) = delete;
    ~ParentDirectory() { closeCurrent(); }

    // unlinkat() of path with flags; false with errno set on failure.
    bool remove(const std::string& path, int flags) {
        const std::size_t slash = path.rfind('/');
        if (path.compare(0, m_base.size(), m_base) != 0 || slash == std::string::npos ||
            slash + 1 < m_base.size() || slash + 1 == path.size()) {
            errno = EINVAL;
            return false;
        }
        const std::string dir = path.substr(0, slash + 1);
        if (dir != m_path && !open(dir))
            return false;
        return ::unlinkat(m_fd, path.c_str() + slash + 1, flags) == 0;
    }

private:
    bool open(const std::string& dir) {
        closeCurrent();
        int fd = ::open(m_base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (std::size_t start = m_base.size(); fd >= 0 && start < dir.size();) {
            const std::size_t end = dir.find('/', start);
            const std::string part = dir.substr(start, end - start);
            start = end + 1;
            if (part.empty())
                continue;
            const int next =
                ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            const int error = errno;
            ::close(fd);
            errno = error;
            fd = next;
        }
        if (fd < 0)
            return false;
        m_fd = fd;
        m_path = dir;
        return true;
    }
    void closeCurrent() {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_path.clear();
    }

    std::string m_base;
    std::string m_path;
    int m_fd = -1;
};

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

std::string executeLocalDelete(const LocalDeletePlan& plan, const std::string& base) {
    ParentDirectory parent(base);
    for (const std::string& file : plan.files)
        if (!parent.remove(file, 0))
            return failure(file);
    for (auto it = plan.directories.rbegin(); it != plan.directories.rend(); ++it)
        if (!parent.remove(*it, AT_REMOVEDIR))
            return failure(*it);
    return {};
}

}  // namespace quay

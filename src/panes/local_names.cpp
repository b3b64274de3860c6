#include "panes/local_names.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

namespace quay {

std::string_view nameAfterLastSlash(std::string_view typed) {
    const std::size_t slash = typed.rfind('/');
    return slash == std::string_view::npos ? typed : typed.substr(slash + 1);
}

std::string changedCase(std::string_view name, int mode) {
    std::string result(name);
    for (std::size_t i = 0; i < result.size(); ++i) {
        char& c = result[i];
        const bool upper = mode == 0 || (mode == 2 && i == 0);
        if (upper && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (!upper && c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return result;
}

bool isPlainEntryName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string_view("/\0", 2)) == std::string_view::npos;
}

namespace {

// On a file system that ignores case (vfat, exfat) "A.TXT" and "a.txt" are one entry; moving
// it to its own other spelling replaces nothing.
bool sameEntry(const std::string& a, const std::string& b) {
    struct stat sa {};
    struct stat sb {};
    return ::lstat(a.c_str(), &sa) == 0 && ::lstat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

}  // namespace

int moveEntryNoReplace(const std::string& from, const std::string& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    const int error = errno;
    if (error == EEXIST && sameEntry(from, to))
        return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (error != EINVAL && error != ENOSYS)
        return error;
    // A file system without the no-replace flag: check first, accepting the small window.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0 && !sameEntry(from, to))
        return EEXIST;
    return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

}  // namespace quay

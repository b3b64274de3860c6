#include "config/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace quay {
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

bool writeAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Writes, sets the mode (mkstemp creates 0600 whatever the umask) and flushes the new file.
bool fillTemporary(int fd, std::string_view content, mode_t mode) {
    return writeAll(fd, content) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
}

// A rename is durable only once the directory entry has reached the disk. Some file systems
// refuse fsync on a directory; the rename has happened all the same, so that is no failure.
void syncDirectory(const std::filesystem::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool fail(std::error_code code, std::error_code* error) {
    if (error) {
        *error = code;
    }
    return false;
}

// A link (say, into a folder of kept dotfiles) stays a link: the file it points to is the one
// replaced. A dangling link is replaced itself.
std::filesystem::path resolvedTarget(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    const std::filesystem::path target = std::filesystem::canonical(path, error);
    return error ? path : target;
}

}  // namespace

bool writeFileAtomically(const std::filesystem::path& requested, std::string_view content,
                         mode_t mode, std::error_code* error) {
    const std::filesystem::path path = resolvedTarget(requested);
    const std::filesystem::path dir =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string name(1, '.');
    name += path.filename().string();
    name += ".XXXXXX";
    std::string temp = (dir / name).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        return fail(lastError(), error);
    }
    const bool filled = fillTemporary(fd, content, mode);
    std::error_code code = filled ? std::error_code() : lastError();
    if (::close(fd) != 0 && filled) {
        code = lastError();
    }
    if (!code && ::rename(temp.c_str(), path.c_str()) != 0) {
        code = lastError();
    }
    if (code) {
        ::unlink(temp.c_str());
        return fail(code, error);
    }
    syncDirectory(dir);
    return true;
}

}  // namespace quay

#include "session/data_directory.h"

#include <sys/stat.h>

#include <system_error>

namespace quay {

namespace {

std::filesystem::path configHome(const std::string& xdgConfigHome, const std::string& home) {
    // Relative values of XDG_CONFIG_HOME are invalid and must be ignored.
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/')
        return xdgConfigHome;
    return std::filesystem::path(home.empty() ? "/" : home) / ".config";
}

}  // namespace

std::filesystem::path chooseDataDirectory(const std::filesystem::path& exeDir,
                                          const std::string& xdgConfigHome,
                                          const std::string& home) {
    std::error_code ec;
    if (!exeDir.empty() && std::filesystem::is_regular_file(exeDir / "options.ftp", ec))
        return exeDir;
    const std::filesystem::path base = configHome(xdgConfigHome, home);
    const std::filesystem::path dir = base / "quayside";
    std::filesystem::create_directories(base, ec);
    ::mkdir(dir.c_str(), 0700);
    return dir;
}

}  // namespace quay

#pragma once

#include <filesystem>
#include <string>

namespace quay {

// The directory that holds everything the program keeps. It is exeDir when that directory
// holds a file "options.ftp" (a portable install); otherwise "quayside" under xdgConfigHome
// (taken only when it is an absolute path) or under home + "/.config". The latter is created
// with mode 0700 when missing, parents as needed. A directory that cannot be created is still
// returned: the program then runs with its defaults and its writes fail quietly.
std::filesystem::path chooseDataDirectory(const std::filesystem::path& exeDir,
                                          const std::string& xdgConfigHome,
                                          const std::string& home);

}  // namespace quay

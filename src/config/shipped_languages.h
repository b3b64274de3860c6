#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace quay {

// The language files that ship with the program ("english.lng", "deutsch.lng", ...) are
// installed in a directory of their own and copied into the data directory, where the
// language menu and the options dialog look for language files.

// Copies every language file of shippedDir whose base name the data directory has in no
// spelling into dataDir (mode 0644). A file the user has, edited or not, is never replaced;
// the template "language.lng" is never copied. A missing shippedDir copies nothing.
void addShippedLanguageFiles(const std::filesystem::path& shippedDir,
                             const std::filesystem::path& dataDir);

// The base name of the shipped language file a first start chooses: "deutsch" when the
// desktop's language is German, otherwise "english". The desktop's language is the first
// set one of LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG, read through
// environment (which gives "" for an unset variable).
std::string desktopLanguageFile(const std::function<std::string(const char*)>& environment);

}  // namespace quay

#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "config/named_objects.h"

namespace quay {

// Language files "<base name>.lng" in the data directory translate the texts of windows.
// Line 1 is a header ("[Translations]") and is skipped whatever it holds; every other line
// is an entry "Form.Component.Property=value", where "~~" in the value stands for a line
// break. "language.lng" is the template: the built-in texts, written by exportForm.

// The base name of the template, which stands for the built-in texts.
inline constexpr const char* kTemplateLanguage = "language";

// Sets the string properties that the entries of file name. An entry applies when its form
// part equals the window's name exactly and the window owns an object of that name and the
// object publishes a string property of that name (both without regard to case); later
// entries win. Everything else, and a missing or unreadable file, is skipped silently.
void translateForm(NamedForm& form, const std::filesystem::path& file);

// Writes the window's non-empty "Caption" (not "-", a menu separator), "Hint", "Text",
// "Items" (a list's fixed items) and "Name" (a fixed accessible name) values into the section
// "Translations" of file, line breaks written as "~~"; other entries of the file stay. A file that
// exists but cannot be read is left alone.
void exportForm(NamedForm& form, const std::filesystem::path& file);

// The base names of the language files in dataDir: every "*.lng" but the template (the
// extension compared without regard to case), lower-cased, sorted, without duplicates.
std::vector<std::string> listLanguageFiles(const std::filesystem::path& dataDir);

// The file of a base name: "<base name>.lng" in dataDir, or else the one file whose name
// matches it without regard to case (so "Deutsch.LNG" serves "deutsch"). None when there is
// no such file or the base name is no plain file name.
std::optional<std::filesystem::path> languageFilePath(const std::filesystem::path& dataDir,
                                                      const std::string& baseName);

}  // namespace quay

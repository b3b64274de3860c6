#include "config/shipped_languages.h"

#include "config/ascii.h"
#include "config/atomic_file.h"
#include "config/language_files.h"
#include "config/text_file.h"

namespace quay {
namespace {

namespace fs = std::filesystem;

constexpr mode_t kLanguageFileMode = 0644;

}  // namespace

void addShippedLanguageFiles(const fs::path& shippedDir, const fs::path& dataDir) {
    for (const std::string& baseName : listLanguageFiles(shippedDir)) {
        if (languageFilePath(dataDir, baseName)) {
            continue;
        }
        const std::optional<fs::path> shipped = languageFilePath(shippedDir, baseName);
        const std::optional<std::string> text = shipped ? readTextFile(*shipped) : std::nullopt;
        if (text) {
            // A failed copy leaves the language out of the menu; nothing else depends on it.
            writeFileAtomically(dataDir / (baseName + ".lng"), *text, kLanguageFileMode);
        }
    }
}

std::string desktopLanguageFile(const std::function<std::string(const char*)>& environment) {
    std::string language;
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        language = environment(variable);
        if (!language.empty()) {
            break;
        }
    }
    return asciiLower(language.substr(0, 2)) == "de" ? "deutsch" : "english";
}

}  // namespace quay

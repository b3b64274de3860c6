#include "config/language_files.h"

#include <set>
#include <string_view>
#include <unordered_map>

#include "config/ascii.h"
#include "config/profile_file.h"
#include "config/text_file.h"

namespace quay {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSection = "Translations";
constexpr std::string_view kExtension = ".lng";
constexpr std::string_view kLineBreakMark = "~~";
constexpr mode_t kLanguageFileMode = 0644;

// Message windows of one kind share one set of entries, whatever number their names end in.
std::string translationFormName(const std::string& name) {
    constexpr std::string_view kShared = "readmessageform";
    if (asciiLower(name.substr(0, kShared.size())) == kShared) {
        return name.substr(0, kShared.size());
    }
    return name;
}

struct Entry {
    std::string_view form;
    std::string_view component;
    std::string_view property;
    std::string_view value;
};

// "Form.Component.Property=value": the key ends at the first "=", the form part at the
// key's first ".", the component part at the next one; the property part is the rest.
std::optional<Entry> splitEntry(std::string_view line) {
    const std::size_t equals = line.find('=');
    const std::string_view key = line.substr(0, equals);
    const std::size_t dot1 = key.find('.');
    const std::size_t dot2 = dot1 == std::string_view::npos ? dot1 : key.find('.', dot1 + 1);
    if (equals == std::string_view::npos || dot2 == std::string_view::npos) {
        return std::nullopt;
    }
    return Entry{key.substr(0, dot1), key.substr(dot1 + 1, dot2 - dot1 - 1), key.substr(dot2 + 1),
                 line.substr(equals + 1)};
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    for (std::size_t pos = 0;;) {
        const std::size_t found = text.find(from, pos);
        out += text.substr(pos, found - pos);
        if (found == std::string_view::npos) {
            return out;
        }
        out += to;
        pos = found + from.size();
    }
}

// A caption made elsewhere may break lines with LF or CR alone; every kind becomes "~~".
std::string markLineBreaks(const std::string& text) {
    return replaceAll(replaceAll(replaceAll(text, "\r\n", kLineBreakMark), "\n", kLineBreakMark),
                      "\r", kLineBreakMark);
}

std::optional<std::string> findProperty(const NamedObject& object, std::string_view name) {
    for (const std::string& published : object.stringPropertyNames()) {
        if (equalsIgnoringCase(published, name)) {
            return published;
        }
    }
    return std::nullopt;
}

// Objects by lower-cased name; with two of one name, the first one owned counts.
std::unordered_map<std::string, NamedObject*> objectsByName(NamedForm& form) {
    std::unordered_map<std::string, NamedObject*> objects;
    for (NamedObject* object : form.ownedObjects()) {
        objects.emplace(asciiLower(object->objectName()), object);
    }
    return objects;
}

void applyEntry(const std::unordered_map<std::string, NamedObject*>& objects, const Entry& entry) {
    const auto found = objects.find(asciiLower(entry.component));
    if (found == objects.end()) {
        return;
    }
    NamedObject& object = *found->second;
    if (const std::optional<std::string> property = findProperty(object, entry.property)) {
        object.setStringProperty(*property, replaceAll(entry.value, kLineBreakMark, "\r\n"));
    }
}

bool isLanguageFileName(const std::string& name) {
    return name.size() > kExtension.size() &&
           equalsIgnoringCase(std::string_view(name).substr(name.size() - kExtension.size()),
                              kExtension);
}

std::string baseNameOf(const std::string& fileName) {
    return asciiLower(std::string_view(fileName).substr(0, fileName.size() - kExtension.size()));
}

// Regular files and links to them, by name, in directory order; nothing when the directory
// cannot be read.
template <typename Visit>
void forEachFile(const fs::path& dir, Visit&& visit) {
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) {
            visit(it->path().filename().string());
        }
    }
}

}  // namespace

void translateForm(NamedForm& form, const fs::path& file) {
    // A file that cannot be read gives no entries; reading it as a profile file instead
    // could find none either.
    const std::optional<std::string> text = readTextFile(file);
    if (!text) {
        return;
    }
    const std::string formName = translationFormName(form.formName());
    const auto objects = objectsByName(form);
    const std::vector<std::string_view> lines = splitLines(*text);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::optional<Entry> entry = splitEntry(lines[i]);
        if (entry && entry->form == formName) {
            applyEntry(objects, *entry);
        }
    }
}

void exportForm(NamedForm& form, const fs::path& file) {
    std::optional<ProfileFile> profile = ProfileFile::loadForUpdate(file);
    if (!profile) {
        return;
    }
    const std::string formName = translationFormName(form.formName());
    for (NamedObject* object : form.ownedObjects()) {
        for (const char* property : {"Caption", "Hint", "Text", "Items", "Name"}) {
            const std::optional<std::string> published = findProperty(*object, property);
            const std::string value =
                published ? markLineBreaks(object->stringProperty(*published)) : std::string();
            if (!value.empty() && !(value == "-" && property == std::string_view("Caption"))) {
                profile->writeString(kSection,
                                     formName + "." + object->objectName() + "." + property, value);
            }
        }
    }
    profile->save(file, kLanguageFileMode);
}

std::vector<std::string> listLanguageFiles(const fs::path& dataDir) {
    std::set<std::string> names;
    forEachFile(dataDir, [&](const std::string& name) {
        if (isLanguageFileName(name) && baseNameOf(name) != kTemplateLanguage) {
            names.insert(baseNameOf(name));
        }
    });
    return {names.begin(), names.end()};
}

std::optional<fs::path> languageFilePath(const fs::path& dataDir, const std::string& baseName) {
    if (baseName.empty() || baseName.find_first_of(std::string("/\0", 2)) != std::string::npos) {
        return std::nullopt;
    }
    const std::string wanted = baseName + std::string(kExtension);
    std::error_code error;
    if (fs::is_regular_file(dataDir / wanted, error)) {
        return dataDir / wanted;
    }
    // Of several spellings, the first in byte order, so the choice does not depend on the
    // order of the directory.
    std::optional<std::string> match;
    forEachFile(dataDir, [&](const std::string& name) {
        if (equalsIgnoringCase(name, wanted) && (!match || name < *match)) {
            match = name;
        }
    });
    return match ? std::optional<fs::path>(dataDir / *match) : std::nullopt;
}

}  // namespace quay

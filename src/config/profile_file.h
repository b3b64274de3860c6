#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quay {

// An INI-style profile file: "[section]" lines, each followed by "key=value" lines.
//
// Section and key names are matched without regard to (ASCII) case and without the blanks
// around them; when a name occurs twice, the first occurrence counts. A value is everything
// after the first "=" of its line, exactly as written (only the CR of a CR LF line end is
// dropped), so every string that is written reads back unchanged. Lines that are neither
// section nor key (comments, blanks, junk) are kept as they are.
//
// Writing changes the file in place: an existing key keeps its line and spelling and gets
// the new value; a new key goes after the last key of its section; a new section goes to the
// end. Everything else of the file, unknown sections and keys included, is kept. Line breaks
// in a written name or value become blanks, so no value can add lines to the file. Names are
// plain words: a key holds no "=", a section name no "]".
//
// A file with CR LF line ends is written back with CR LF; otherwise lines end in LF.
class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::string_view text);

    // The file's content; empty when it is missing, unreadable, too large or has more than
    // 100000 lines.
    static ProfileFile load(const std::filesystem::path& path);
    // The same for a file about to be changed: empty when it is missing, none when it exists
    // but cannot be read, so that saving cannot wipe out what it holds.
    static std::optional<ProfileFile> loadForUpdate(const std::filesystem::path& path);
    // Replaces the file atomically (see writeFileAtomically); false when that fails.
    bool save(const std::filesystem::path& path, mode_t mode) const;
    std::string text() const;

    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           const std::string& absent) const;
    // A decimal integer, blanks around it allowed; anything else, or a number outside the
    // int range, gives absent.
    int readInteger(std::string_view section, std::string_view key, int absent) const;
    // The same with no value when readInteger would give absent.
    std::optional<int> integerValue(std::string_view section, std::string_view key) const;
    // True for any integer other than 0; absent when readInteger would give absent.
    bool readBool(std::string_view section, std::string_view key, bool absent) const;
    // The key/value pairs of a section in file order (empty when there is none).
    std::vector<std::pair<std::string, std::string>> sectionValues(std::string_view section) const;

    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, long long value);
    void writeBool(std::string_view section, std::string_view key, bool value);

private:
    struct Line {
        std::string text;
        bool isKey = false;
        std::string key;  // trimmed, as written
        std::size_t valueStart = 0;
    };
    struct Section {
        std::string header;  // the "[name]" line as written; empty for lines before any section
        std::string name;    // trimmed
        std::vector<Line> lines;
    };

    std::optional<std::size_t> findSection(std::string_view name) const;
    static std::optional<std::size_t> findKey(const Section& section, std::string_view key);
    const Line* findLine(std::string_view section, std::string_view key) const;
    Section& sectionForWrite(std::string_view name);

    std::vector<Section> m_sections;
    bool m_crlf = false;
};

}  // namespace quay

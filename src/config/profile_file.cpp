#include "config/profile_file.h"

#include <algorithm>
#include <charconv>
#include <climits>

#include "config/ascii.h"
#include "config/atomic_file.h"
#include "config/text_file.h"

namespace quay {
namespace {

bool isSectionHeader(std::string_view line) {
    line = trimBlanks(line);
    return !line.empty() && line.front() == '[';
}

// "[ name ]" gives "name"; a header without "]" names everything after "[".
std::string sectionName(std::string_view header) {
    header = trimBlanks(header);
    header.remove_prefix(1);
    return std::string(trimBlanks(header.substr(0, header.find(']'))));
}

// Line breaks would split one entry into several lines, and so into other keys or sections.
std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return out;
}

std::optional<long long> parseInteger(std::string_view text) {
    text = trimBlanks(text);
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    long long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return number;
}

// The text of a profile file. Ours have some dozens of lines (a language template some
// thousands); a file of millions of empty lines would take gigabytes as parsed lines, so it
// counts as unreadable, like a file that is too large.
std::optional<std::string> readProfileText(const std::filesystem::path& path) {
    constexpr std::size_t kMaxLines = 100000;
    std::optional<std::string> text = readTextFile(path);
    if (text &&
        static_cast<std::size_t>(std::count(text->begin(), text->end(), '\n')) > kMaxLines) {
        return std::nullopt;
    }
    return text;
}

}  // namespace

ProfileFile::ProfileFile(std::string_view text) {
    const std::vector<std::string_view> lines = splitLines(text);
    const std::size_t firstEnd = text.find('\n');
    m_crlf = firstEnd != std::string_view::npos && firstEnd > 0 && text[firstEnd - 1] == '\r';
    for (std::string_view raw : lines) {
        if (isSectionHeader(raw)) {
            m_sections.push_back({std::string(raw), sectionName(raw), {}});
            continue;
        }
        if (m_sections.empty()) {
            m_sections.push_back({});
        }
        Line line;
        line.text = std::string(raw);
        const std::size_t equals = raw.find('=');
        const std::string_view key = equals == std::string_view::npos
                                         ? std::string_view()
                                         : trimBlanks(raw.substr(0, equals));
        if (!key.empty() && key.front() != ';') {
            line.isKey = true;
            line.key = std::string(key);
            line.valueStart = equals + 1;
        }
        m_sections.back().lines.push_back(std::move(line));
    }
}

ProfileFile ProfileFile::load(const std::filesystem::path& path) {
    const std::optional<std::string> text = readProfileText(path);
    return text ? ProfileFile(*text) : ProfileFile();
}

std::optional<ProfileFile> ProfileFile::loadForUpdate(const std::filesystem::path& path) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(path, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        return ProfileFile();
    }
    const std::optional<std::string> text = readProfileText(path);
    if (!text) {
        return std::nullopt;
    }
    return ProfileFile(*text);
}

bool ProfileFile::save(const std::filesystem::path& path, mode_t mode) const {
    return writeFileAtomically(path, text(), mode);
}

std::string ProfileFile::text() const {
    const char* eol = m_crlf ? "\r\n" : "\n";
    std::string out;
    for (const Section& section : m_sections) {
        if (!section.header.empty()) {
            out += section.header;
            out += eol;
        }
        for (const Line& line : section.lines) {
            out += line.text;
            out += eol;
        }
    }
    return out;
}

std::optional<std::size_t> ProfileFile::findSection(std::string_view name) const {
    name = trimBlanks(name);
    for (std::size_t i = 0; i < m_sections.size(); ++i) {
        if (!m_sections[i].header.empty() && equalsIgnoringCase(m_sections[i].name, name)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileFile::findKey(const Section& section, std::string_view key) {
    key = trimBlanks(key);
    for (std::size_t i = 0; i < section.lines.size(); ++i) {
        if (section.lines[i].isKey && equalsIgnoringCase(section.lines[i].key, key)) {
            return i;
        }
    }
    return std::nullopt;
}

const ProfileFile::Line* ProfileFile::findLine(std::string_view section,
                                               std::string_view key) const {
    const std::optional<std::size_t> s = findSection(section);
    const std::optional<std::size_t> k = s ? findKey(m_sections[*s], key) : std::nullopt;
    return k ? &m_sections[*s].lines[*k] : nullptr;
}

std::optional<std::string> ProfileFile::value(std::string_view section,
                                              std::string_view key) const {
    const Line* line = findLine(section, key);
    if (!line) {
        return std::nullopt;
    }
    return line->text.substr(line->valueStart);
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    const std::string& absent) const {
    return value(section, key).value_or(absent);
}

std::optional<int> ProfileFile::integerValue(std::string_view section, std::string_view key) const {
    const Line* line = findLine(section, key);
    const std::optional<long long> number =
        line ? parseInteger(std::string_view(line->text).substr(line->valueStart)) : std::nullopt;
    if (!number || *number < INT_MIN || *number > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(*number);
}

int ProfileFile::readInteger(std::string_view section, std::string_view key, int absent) const {
    return integerValue(section, key).value_or(absent);
}

bool ProfileFile::readBool(std::string_view section, std::string_view key, bool absent) const {
    const std::optional<int> number = integerValue(section, key);
    return number ? *number != 0 : absent;
}

std::vector<std::pair<std::string, std::string>> ProfileFile::sectionValues(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> values;
    if (const std::optional<std::size_t> found = findSection(section)) {
        for (const Line& line : m_sections[*found].lines) {
            if (line.isKey) {
                values.emplace_back(line.key, line.text.substr(line.valueStart));
            }
        }
    }
    return values;
}

ProfileFile::Section& ProfileFile::sectionForWrite(std::string_view name) {
    if (const std::optional<std::size_t> found = findSection(name)) {
        return m_sections[*found];
    }
    if (!m_sections.empty()) {
        m_sections.back().lines.push_back({});  // a blank line between sections
    }
    const std::string clean = oneLine(trimBlanks(name));
    m_sections.push_back({"[" + clean + "]", clean, {}});
    return m_sections.back();
}

void ProfileFile::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    Section& target = sectionForWrite(section);
    const std::string cleanValue = oneLine(value);
    if (const std::optional<std::size_t> found = findKey(target, key)) {
        Line& line = target.lines[*found];
        line.text = line.text.substr(0, line.valueStart) + cleanValue;
        return;
    }
    std::size_t insertAt = 0;
    for (std::size_t i = 0; i < target.lines.size(); ++i) {
        if (target.lines[i].isKey) {
            insertAt = i + 1;
        }
    }
    const std::string cleanKey = oneLine(trimBlanks(key));
    Line line{cleanKey + "=" + cleanValue, true, cleanKey, cleanKey.size() + 1};
    target.lines.insert(target.lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                        std::move(line));
}

void ProfileFile::writeInteger(std::string_view section, std::string_view key, long long value) {
    writeString(section, key, std::to_string(value));
}

void ProfileFile::writeBool(std::string_view section, std::string_view key, bool value) {
    writeString(section, key, value ? "1" : "0");
}

}  // namespace quay

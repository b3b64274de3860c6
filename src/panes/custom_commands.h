#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace quay {

// The saved custom commands: labels and command texts, parallel lists (same index, same
// length), owned by the session for the whole run.
struct CustomCommands {
    std::vector<std::string> labels;
    std::vector<std::string> commands;

    // Pads the shorter list with empty texts so that both have the same length.
    void padToSameLength();

    bool operator==(const CustomCommands&) const = default;
};

// "commands.txt": two lines, the labels and then the command texts, each as comma text.
inline constexpr const char* kCustomCommandsFile = "commands.txt";
// The largest "commands.txt" that is read. Saved commands take some kilobytes; every comma of
// a bigger file could become an entry of both lists (a 16 MiB line of commas would take
// gigabytes), so a bigger file counts as unreadable.
inline constexpr std::size_t kMaxCustomCommandsBytes = 1024 * 1024;

// The file of saved commands in the data directory.
class CustomCommandsFile {
public:
    explicit CustomCommandsFile(std::filesystem::path file) : m_file(std::move(file)) {}

    // Reads the saved commands. A missing file, an unreadable one or one with fewer than two
    // lines gives two empty lists; anything else is read leniently. Lists of different
    // lengths (a hand-edited file) are padded with empty texts, so every entry is kept.
    // A file that exists but cannot be read (or is too big to be ours) is remembered, and
    // saving over it is refused, so its entries are not replaced by empty lists.
    CustomCommands load();

    // Replaces the file with the two lines (CR LF ends), atomically and with mode 0600, so a
    // crash mid-save never loses the saved commands. A line break inside a text is written
    // as a blank, so the file always keeps its two lines. False (and *error) when it fails or
    // is refused; the old file is then untouched.
    bool save(const CustomCommands& commands, std::error_code* error = nullptr) const;

private:
    std::filesystem::path m_file;
    bool m_unreadable = false;
};

}  // namespace quay

#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quay {

// The named listing layouts of "Answer.txt" in the data directory: one comma-text line per
// layout, its name and its 7-character layout code. The first layout is the built-in
// default, whose code is always DefaultLayoutCode.
struct Layouts {
    std::vector<std::string> names;
    std::vector<std::string> codes;  // parallel to names
    // The file exists but could not be read (or is too big to be ours): writing is refused,
    // so the layouts it holds are not replaced by the default alone.
    bool unreadable = false;
};

inline constexpr std::string_view LayoutsFileName = "Answer.txt";

// The layouts of the file; a missing, unreadable or empty file gives the one layout
// "Default" (an unreadable one is marked). Lines without a value are skipped; a layout
// without a code gets the default.
Layouts readLayouts(const std::filesystem::path& dataDir);
// Rewrites the file atomically, one line per layout: the name in double quotes (inner
// double quotes doubled), a comma, the code. False when that fails or the layouts were read
// from an unreadable file.
bool writeLayouts(const std::filesystem::path& dataDir, const Layouts& layouts);

// The six listing column numbers of a layout code (its characters 2 to 7, each a lower-case
// hexadecimal digit); a missing or unknown character gives 0.
std::array<int, 6> layoutColumns(std::string_view code);

// A layout code from a server type index and six column texts: each text is read as a
// decimal number, and an empty text, one that is no number or lies outside 0 to 15 gives
// "0". Cut to 7 characters.
std::string buildLayoutCode(int typeIndex, const std::array<std::string, 6>& columns);

}  // namespace quay

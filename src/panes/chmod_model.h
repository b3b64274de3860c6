#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quay {

// The headless model of the permissions dialog "Change File Attributes": nine boxes in rows
// owner, group, public and columns read, write, execute (box n, 1 to 9, is row (n-1)/3,
// column (n-1)%3, bit 4, 2, 1 of that row's octal digit), the edit "Manual" (Edit1, at most
// 3 characters), three row and three column buttons, and the result.
//
// Boxes and edit drive each other: a change of a box writes the three digits into the edit,
// a change of the edit sets the boxes. While the edit drives the boxes, box changes do not
// write the edit back. onChanged fires once after each public call that changed anything.
// A new model starts every dialog, so the buttons' direction is never carried over.
class ChmodModel {
public:
    enum class Close { Ok = 1, Cancel = 2 };
    static constexpr std::size_t kEditMaxLength = 3;

    // Opens on an entry's attribute text such as "drwxr-xr-x": characters 2 to 10 give the
    // bits (only the letters r, w, x, in any case, count; "s", "t" or a short text set
    // nothing). The edit shows the mode when it is at least 1, else stays empty.
    explicit ChmodModel(std::string_view attributes);

    bool box(int number) const;
    // The user ticks or unticks box number (1 to 9).
    void setBox(int number, bool checked);

    const std::string& editText() const { return m_edit; }
    // The user edits the "Manual" text; longer text is cut to kEditMaxLength characters.
    void setEditText(std::string_view text);
    // Whether a typed character acts as a backspace in the edit: every printable character
    // other than the octal digits does; control keys pass.
    static bool keyActsAsBackspace(char32_t key);

    // The row (1 owner, 2 group, 3 public) and column (1 read, 2 write, 3 execute) buttons:
    // the first click ticks all three boxes, the next unticks them, and so on.
    void clickRowButton(int row);
    void clickColumnButton(int column);
    int rowButtonTag(int row) const { return m_rowTags.at(index(row)); }
    int columnButtonTag(int column) const { return m_columnTags.at(index(column)); }

    // The mode the dialog reports when closed: with Ok and a decimal number in the edit,
    // that number (its digits are the octal digits, 755 for rwxr-xr-x); otherwise none.
    std::optional<int> result(Close how) const;

    std::function<void()> onChanged;

private:
    static std::size_t index(int oneBased);
    void setBoxQuietly(int number, bool checked);
    void writeEditFromBoxes();
    void setBoxesFromEdit();
    void changed();

    std::array<bool, 9> m_boxes{};
    std::string m_edit;
    std::array<int, 3> m_rowTags{1, 2, 3};
    std::array<int, 3> m_columnTags{1, 2, 3};
};

// The command line that sets a mode: "SITE CHMOD <mode> <name>", the mode as a decimal
// integer and the name unchanged.
std::string siteChmodCommand(int mode, std::string_view name);

}  // namespace quay

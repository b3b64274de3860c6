#include "panes/chmod_model.h"

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace quay {

namespace {

constexpr std::array<int, 3> kBits{4, 2, 1};

bool attributeSet(std::string_view lowered, std::size_t position, char letter) {
    return position - 1 < lowered.size() && lowered[position - 1] == letter;
}

// Only plain decimal digits count as a number; the edit holds at most three, so no overflow.
std::optional<int> decimal(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

ChmodModel::ChmodModel(std::string_view attributes) {
    std::string lowered(attributes);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    int mode = 0;
    for (std::size_t row = 0; row < 3; ++row) {
        int digit = 0;
        for (std::size_t column = 0; column < 3; ++column)
            if (attributeSet(lowered, 2 + row * 3 + column, "rwx"[column]))
                digit += kBits[column];
        mode = mode * 10 + digit;
    }
    if (mode >= 1)
        setEditText(std::to_string(mode));
}

std::size_t ChmodModel::index(int oneBased) {
    if (oneBased < 1)
        throw std::out_of_range("ChmodModel: index below 1");
    return static_cast<std::size_t>(oneBased - 1);
}

bool ChmodModel::box(int number) const {
    return m_boxes.at(index(number));
}

void ChmodModel::setBox(int number, bool checked) {
    if (box(number) == checked)
        return;
    setBoxQuietly(number, checked);
    changed();
}

void ChmodModel::setBoxQuietly(int number, bool checked) {
    bool& slot = m_boxes.at(index(number));
    if (slot == checked)
        return;
    slot = checked;
    writeEditFromBoxes();
}

void ChmodModel::writeEditFromBoxes() {
    m_edit.clear();
    for (std::size_t row = 0; row < 3; ++row) {
        int digit = 0;
        for (std::size_t column = 0; column < 3; ++column)
            if (m_boxes[row * 3 + column])
                digit += kBits[column];
        m_edit += static_cast<char>('0' + digit);
    }
}

void ChmodModel::setEditText(std::string_view text) {
    text = text.substr(0, kEditMaxLength);
    if (text == m_edit)
        return;
    m_edit = text;
    setBoxesFromEdit();
    changed();
}

// Sets the boxes directly, so their change never writes the edit back.
void ChmodModel::setBoxesFromEdit() {
    if (auto value = decimal(m_edit)) {
        const std::array<int, 3> digits{*value / 100, *value % 100 / 10, *value % 10};
        for (std::size_t n = 0; n < m_boxes.size(); ++n)
            m_boxes[n] = (digits[n / 3] & kBits[n % 3]) != 0;
    } else if (m_edit.empty()) {
        m_boxes.fill(false);
    }
}

bool ChmodModel::keyActsAsBackspace(char32_t key) {
    bool control = key < 0x20 || key == 0x7f;
    return !control && (key < '0' || key > '7');
}

void ChmodModel::clickRowButton(int row) {
    int& tag = m_rowTags.at(index(row));
    for (int column = 1; column <= 3; ++column)
        setBoxQuietly((std::abs(tag) - 1) * 3 + column, tag > 0);
    tag = -tag;
    changed();
}

void ChmodModel::clickColumnButton(int column) {
    int& tag = m_columnTags.at(index(column));
    for (int row = 0; row < 3; ++row)
        setBoxQuietly(row * 3 + std::abs(tag), tag > 0);
    tag = -tag;
    changed();
}

std::optional<int> ChmodModel::result(Close how) const {
    if (how != Close::Ok)
        return std::nullopt;
    return decimal(m_edit);
}

void ChmodModel::changed() {
    if (onChanged)
        onChanged();
}

std::string siteChmodCommand(int mode, std::string_view name) {
    std::string line = "SITE CHMOD " + std::to_string(mode) + " ";
    line += name;
    return line;
}

}  // namespace quay

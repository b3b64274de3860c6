#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quay {

// The headless model of a combo box (the path box FTPPath, the command box cbCmd).
class ComboModel {
public:
    // Fired after every change of the items, the selection or the text.
    std::function<void()> onChanged;

    const std::vector<std::string>& items() const { return m_items; }
    std::size_t count() const { return m_items.size(); }
    void clear();
    void add(std::string item);
    // -1 selects nothing; the text follows the selected item.
    void setItemIndex(int index);
    int itemIndex() const { return m_itemIndex; }
    const std::string& text() const { return m_text; }
    void setText(std::string text);

private:
    void changed();

    std::vector<std::string> m_items;
    int m_itemIndex = -1;
    std::string m_text;
};

}  // namespace quay

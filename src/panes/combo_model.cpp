#include "panes/combo_model.h"

namespace quay {

void ComboModel::clear() {
    m_items.clear();
    m_itemIndex = -1;
    m_text.clear();
    changed();
}

void ComboModel::add(std::string item) {
    m_items.push_back(std::move(item));
    changed();
}

void ComboModel::setItemIndex(int index) {
    if (index < 0 || index >= static_cast<int>(m_items.size())) {
        m_itemIndex = -1;
    } else {
        m_itemIndex = index;
        m_text = m_items[static_cast<std::size_t>(index)];
    }
    changed();
}

void ComboModel::setText(std::string text) {
    m_text = std::move(text);
    changed();
}

void ComboModel::changed() {
    if (onChanged)
        onChanged();
}

}  // namespace quay

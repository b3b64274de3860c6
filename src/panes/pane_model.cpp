#include "panes/pane_model.h"

#include <algorithm>
#include <stdexcept>

namespace quay {

void PaneModel::clear() {
    if (m_items.empty())
        return;
    std::size_t n = m_items.size();
    aboutToRemove(0, n);
    m_items.clear();
    announceRemoved(0, n);
}

std::size_t PaneModel::add(PaneItem item) {
    aboutToInsert(m_items.size(), 1);
    m_items.push_back(std::move(item));
    announceInserted(m_items.size() - 1, 1);
    return m_items.size() - 1;
}

void PaneModel::insert(std::size_t index, PaneItem item) {
    if (index > m_items.size())
        throw std::out_of_range("PaneModel::insert");
    aboutToInsert(index, 1);
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(index), std::move(item));
    announceInserted(index, 1);
}

void PaneModel::remove(std::size_t index) {
    if (index >= m_items.size())
        throw std::out_of_range("PaneModel::remove");
    aboutToRemove(index, 1);
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
    announceRemoved(index, 1);
}

void PaneModel::assign(std::vector<PaneItem> items) {
    aboutToReset();
    m_items = std::move(items);
    announceReset();
}

void PaneModel::update(std::size_t index, const std::function<void(PaneItem&)>& edit) {
    edit(m_items.at(index));
    announceChanged(index, 1);
}

void PaneModel::setSelected(std::size_t index, bool selected) {
    if (m_items.at(index).selected == selected)
        return;
    m_items[index].selected = selected;
    announceChanged(index, 1);
}

void PaneModel::selectAll(bool selected) {
    if (m_items.empty())
        return;
    for (auto& item : m_items)
        item.selected = selected;
    announceChanged(0, m_items.size());
}

std::vector<std::size_t> PaneModel::selectedIndexes() const {
    std::vector<std::size_t> result;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].selected)
            result.push_back(i);
    return result;
}

std::size_t PaneModel::selectedCount() const {
    return static_cast<std::size_t>(std::count_if(m_items.begin(), m_items.end(),
                                                  [](const PaneItem& i) { return i.selected; }));
}

long PaneModel::firstSelected() const {
    for (std::size_t i = 0; i < m_items.size(); ++i)
        if (m_items[i].selected)
            return static_cast<long>(i);
    return -1;
}

void PaneModel::setSortEnabled(bool enabled) {
    m_sortEnabled = enabled;
    if (enabled)
        sort();
}

void PaneModel::sort() {
    if (!m_sortEnabled || (!m_compare && !m_sorter) || m_items.size() < 2)
        return;
    aboutToReset();
    if (m_sorter)
        m_sorter(m_items);
    else
        std::stable_sort(
            m_items.begin(), m_items.end(),
            [this](const PaneItem& a, const PaneItem& b) { return m_compare(a, b) < 0; });
    announceReset();
}

void PaneModel::setViewStyle(ViewStyle style) {
    aboutToReset();
    m_viewStyle = style;
    announceReset();
}

void PaneModel::endUpdate() {
    if (m_updateDepth > 0 && --m_updateDepth == 0 && m_changedDuringUpdate) {
        m_changedDuringUpdate = false;
        announceReset();
    }
}

bool PaneModel::deferredByUpdate() {
    if (m_updateDepth == 0)
        return false;
    if (!m_changedDuringUpdate) {
        m_changedDuringUpdate = true;
        if (onAboutToReset)
            onAboutToReset();
    }
    return true;
}

void PaneModel::aboutToReset() {
    if (!deferredByUpdate() && onAboutToReset)
        onAboutToReset();
}

void PaneModel::aboutToInsert(std::size_t first, std::size_t count) {
    if (!deferredByUpdate() && onAboutToInsert)
        onAboutToInsert(first, count);
}

void PaneModel::aboutToRemove(std::size_t first, std::size_t count) {
    if (!deferredByUpdate() && onAboutToRemove)
        onAboutToRemove(first, count);
}

void PaneModel::announceReset() {
    if (!deferredByUpdate() && onReset)
        onReset();
}

void PaneModel::announceInserted(std::size_t first, std::size_t count) {
    if (!deferredByUpdate() && onInserted)
        onInserted(first, count);
}

void PaneModel::announceRemoved(std::size_t first, std::size_t count) {
    if (!deferredByUpdate() && onRemoved)
        onRemoved(first, count);
}

void PaneModel::announceChanged(std::size_t first, std::size_t count) {
    if (!deferredByUpdate() && onChanged)
        onChanged(first, count);
}

}  // namespace quay

#include <QHeaderView>
#include <algorithm>

#include "ui/font_scale.h"
#include "ui/pane_view.h"

namespace quay {
namespace {

// Wider than any screen: a stored width beyond it is no width the user chose.
constexpr int kMaxColumnWidth = 10000;
// The longest names (in bytes) measured for the name column's rule; measuring every name of a
// directory of 100,000 entries would cost more than listing it.
constexpr std::size_t kNamesMeasured = 256;

}  // namespace

QList<int> PaneView::columnWidths() const {
    QList<int> widths;
    for (int i = 0; i < m_model.columnCount(); ++i)
        widths << m_report.header()->sectionSize(i);
    return widths;
}

void PaneView::setColumnWidths(const QList<int>& widths) {
    const QList<PaneColumn>& columns = m_model.columns();
    for (int i = 0; i < columns.size(); ++i) {
        if (i < widths.size() && widths[i] > 0 && widths[i] <= kMaxColumnWidth)
            m_report.header()->resizeSection(i, widths[i]);
        else if (columns[i].width > 0)
            m_report.header()->resizeSection(i,
                                             fontScaled(m_report.fontMetrics(), columns[i].width));
    }
}

void PaneView::fitColumnsToContent() {
    QHeaderView& header = *m_report.header();
    for (int i = 1; i < m_model.columnCount(); ++i) {
        const int chosen = header.sectionSize(i);
        m_report.resizeColumnToContents(i);
        if (header.sectionSize(i) < chosen)
            header.resizeSection(i, chosen);
    }
    const std::vector<ColumnWidth>& rules = m_model.pane().columnWidths();
    if (!rules.empty() && rules[0].mode != ColumnWidth::Mode::Fixed)
        header.resizeSection(0, nameColumnWidth(rules[0]));
}

int PaneView::nameColumnWidth(const ColumnWidth& rule) {
    const QFontMetrics metrics = m_report.fontMetrics();
    const int margin = fontScaled(metrics, rule.pixels);
    if (rule.mode == ColumnWidth::Mode::ClientWidthMinus)
        return std::max(margin, m_report.viewport()->width() - margin);
    std::vector<const std::string*> names;
    names.reserve(m_model.pane().count());
    for (const PaneItem& item : m_model.pane().items())
        names.push_back(&item.caption);
    const std::size_t measured = std::min(names.size(), kNamesMeasured);
    std::partial_sort(
        names.begin(), names.begin() + static_cast<std::ptrdiff_t>(measured), names.end(),
        [](const std::string* a, const std::string* b) { return a->size() > b->size(); });
    int widest = 0;
    for (std::size_t i = 0; i < measured; ++i)
        widest = std::max(widest, metrics.horizontalAdvance(PaneItemModel::displayText(*names[i])));
    return widest + margin;
}

}  // namespace quay

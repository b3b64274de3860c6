#include "panes/list_order.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <string>

namespace quay {

namespace {

int signOf(long long v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

std::string_view subItem(const PaneItem& item, std::size_t column) {
    return column < item.subItems.size() ? std::string_view(item.subItems[column])
                                         : std::string_view{};
}

// Characters first to first + count - 1 (1-based), cut at the end of the text.
std::string_view copyOf(std::string_view text, std::size_t first, std::size_t count) {
    return first - 1 < text.size() ? text.substr(first - 1, count) : std::string_view{};
}

// "dd.mm.yyyy" becomes "yyyy.mm.dd" by fixed character positions, whatever the date pattern.
std::string dateKey(std::string_view date) {
    std::string key(copyOf(date, 7, 4));
    key += '.';
    key += copyOf(date, 4, 2);
    key += '.';
    key += copyOf(date, 1, 2);
    return key;
}

unsigned char upperAscii(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

int compareText(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int d = int(upperAscii(a[i])) - int(upperAscii(b[i]));
        if (d != 0)
            return signOf(d);
    }
    return signOf(static_cast<long long>(a.size()) - static_cast<long long>(b.size()));
}

constexpr std::size_t kSize = 0, kDate = 1, kTime = 2, kAttributes = 3;

long long columnOf(int sortKey) {
    return std::llabs(sortKey);
}

int compareColumn(const PaneItem& a, const PaneItem& b, long long column) {
    switch (column) {
        case 2: {
            // Larger sizes come first in the ascending direction.
            std::int64_t sizeA = leadingSize(subItem(a, kSize));
            std::int64_t sizeB = leadingSize(subItem(b, kSize));
            return sizeB > sizeA ? 1 : (sizeB < sizeA ? -1 : 0);
        }
        case 3:
            return compareText(dateKey(subItem(a, kDate)), dateKey(subItem(b, kDate)));
        case 4:
            return compareText(subItem(a, kTime), subItem(b, kTime));
        case 5:
            return compareText(subItem(a, kAttributes), subItem(b, kAttributes));
        default:
            return compareText(a.caption, b.caption);
    }
}

// A row's sort key computed once: the compare of two keys gives what ftpViewCompare gives
// for their rows (upper-cased text compares byte by byte like compareText).
struct RowKey {
    int kind;
    std::int64_t size;
    std::string text;
    std::size_t row;
};

std::string upperText(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(upperAscii(c));
    return result;
}

RowKey rowKey(const PaneItem& item, long long column, std::size_t row) {
    RowKey key{item.imageIndex, 0, {}, row};
    switch (column) {
        case 2:
            key.size = leadingSize(subItem(item, kSize));
            break;
        case 3:
            key.text = upperText(dateKey(subItem(item, kDate)));
            break;
        case 4:
            key.text = upperText(subItem(item, kTime));
            break;
        case 5:
            key.text = upperText(subItem(item, kAttributes));
            break;
        default:
            key.text = upperText(item.caption);
    }
    return key;
}

}  // namespace

void sortPaneRows(std::vector<PaneItem>& rows, int sortKey) {
    const long long column = columnOf(sortKey);
    const int direction = sortKey < 0 ? -1 : 1;
    std::vector<RowKey> keys;
    keys.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        keys.push_back(rowKey(rows[i], column, i));
    std::stable_sort(keys.begin(), keys.end(), [&](const RowKey& a, const RowKey& b) {
        if (a.kind != b.kind)
            return a.kind < b.kind;
        int order = column == 2 ? (b.size > a.size ? 1 : (b.size < a.size ? -1 : 0))
                                : a.text.compare(b.text);
        return direction * signOf(order) < 0;
    });
    std::vector<PaneItem> sorted;
    sorted.reserve(rows.size());
    for (const RowKey& key : keys)
        sorted.push_back(std::move(rows[key.row]));
    rows = std::move(sorted);
}

void usePaneOrder(PaneModel& model, const int& sortKey) {
    model.setCompare(paneCompare(sortKey));
    model.setSorter([&sortKey](std::vector<PaneItem>& rows) { sortPaneRows(rows, sortKey); });
}

std::int64_t leadingSize(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        int digit = text[i] - '0';
        if (value > (kMax - digit) / 10)
            break;
        value = value * 10 + digit;
    }
    return value;
}

int ftpViewCompare(const PaneItem& a, const PaneItem& b, int sortKey) {
    int kinds = signOf(static_cast<long long>(a.imageIndex) - b.imageIndex);
    if (kinds != 0)
        return kinds;
    int direction = sortKey < 0 ? -1 : 1;
    return direction * compareColumn(a, b, columnOf(sortKey));
}

PaneModel::Compare paneCompare(const int& sortKey) {
    return
        [&sortKey](const PaneItem& a, const PaneItem& b) { return ftpViewCompare(a, b, sortKey); };
}

bool readsDescending(int sortKey) {
    return (sortKey < 0) != (columnOf(sortKey) == 2);
}

int sortKeyAfterColumnClick(int sortKey, int columnTag) {
    return columnOf(sortKey) != columnTag ? -columnTag : -sortKey;
}

}  // namespace quay

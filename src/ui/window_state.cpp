#include "ui/window_state.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <algorithm>

#include "ui/pane_view.h"

namespace quay {
namespace {

QRect firstStartPlace(const QRect& area) {
    QRect place(0, 0, area.width() * 2 / 3, area.height() * 2 / 3);
    place.moveCenter(area.center());
    return place;
}

int overlap(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : common.width() * common.height();
}

QRect moveInto(QRect place, const QRect& area) {
    place.setWidth(std::min(place.width(), area.width()));
    place.setHeight(std::min(place.height(), area.height()));
    place.moveLeft(std::clamp(place.left(), area.left(), area.right() - place.width() + 1));
    place.moveTop(std::clamp(place.top(), area.top(), area.bottom() - place.height() + 1));
    return place;
}

QList<QRect> availableAreas() {
    QList<QRect> areas;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        areas << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            areas << screen->availableGeometry();
    return areas;
}

template <typename W>
W* child(QMainWindow& window, const char* name) {
    return window.findChild<W*>(QString::fromLatin1(name));
}

// Sets the part of a two-part splitter (first or second) to size, the other part taking
// the rest.
void setPart(QSplitter& splitter, int part, int size) {
    const QList<int> sizes = splitter.sizes();
    if (sizes.size() != 2 || size <= 0)
        return;
    const int total = sizes[0] + sizes[1];
    const int kept = std::min(size, total);
    splitter.setSizes(part == 0 ? QList<int>{kept, total - kept} : QList<int>{total - kept, kept});
}

}  // namespace

QRect placeOnScreens(const QRect& saved, const QList<QRect>& areas) {
    if (areas.isEmpty())
        return saved;
    if (saved.width() <= 0 || saved.height() <= 0)
        return firstStartPlace(areas.front());
    const QRect* best = &areas.front();
    for (const QRect& area : areas) {
        if (area.contains(saved))
            return saved;
        if (overlap(area, saved) > overlap(*best, saved))
            best = &area;
    }
    return moveInto(saved, *best);
}

std::string columnWidthsText(const QList<int>& widths) {
    std::string text;
    for (int width : widths) {
        if (!text.empty())
            text += ',';
        text += std::to_string(width);
    }
    return text;
}

QList<int> columnWidthsFromText(const std::string& text) {
    QList<int> widths;
    for (const QString& part : QString::fromStdString(text).split(QLatin1Char(','))) {
        bool number = false;
        const int width = part.trimmed().toInt(&number);
        widths << (number ? width : 0);
    }
    return widths;
}

WindowStateKeeper::WindowStateKeeper(QMainWindow& window, WindowState& state)
    : QObject(&window), m_window(window), m_state(state) {
    applyPlace();
    window.installEventFilter(this);
}

void WindowStateKeeper::applyPlace() {
    QRect saved;
    if (m_state.width && m_state.height)
        saved = QRect(m_state.left.value_or(0), m_state.top.value_or(0), *m_state.width,
                      *m_state.height);
    const QList<QRect> areas = availableAreas();
    QRect place = placeOnScreens(saved, areas);
    // A size without a place, or one below what the window needs, is centred where it was.
    if (!m_state.left || !m_state.top)
        place.moveCenter(placeOnScreens({}, areas).center());
    const QSize least = m_window.minimumSizeHint();
    if (place.width() < least.width() || place.height() < least.height()) {
        const QPoint centre = place.center();
        place.setSize(place.size().expandedTo(least));
        place.moveCenter(centre);
        place = placeOnScreens(place, areas);
    }
    m_window.setGeometry(place);
    if (m_state.maximized.value_or(false))
        m_window.setWindowState(m_window.windowState() | Qt::WindowMaximized);
}

void WindowStateKeeper::applyLayout() {
    if (auto* splitter = child<QSplitter>(m_window, "Splitter2"); splitter && m_state.treeWidth)
        setPart(*splitter, 0, *m_state.treeWidth);
    if (auto* splitter = child<QSplitter>(m_window, "Splitter3"); splitter && m_state.logHeight)
        setPart(*splitter, 1, *m_state.logHeight);
    if (auto* list = child<PaneView>(m_window, "lvLoc"))
        list->setColumnWidths(columnWidthsFromText(m_state.localColumns.value_or("")));
    if (auto* list = child<PaneView>(m_window, "FTPView"))
        list->setColumnWidths(columnWidthsFromText(m_state.remoteColumns.value_or("")));
}

void WindowStateKeeper::capture() {
    const QRect normal = m_window.isMaximized() ? m_window.normalGeometry() : m_window.geometry();
    if (normal.isValid()) {
        m_state.left = normal.left();
        m_state.top = normal.top();
        m_state.width = normal.width();
        m_state.height = normal.height();
    }
    m_state.maximized = m_window.isMaximized();
    if (auto* splitter = child<QSplitter>(m_window, "Splitter2");
        splitter && splitter->count() == 2)
        m_state.treeWidth = splitter->sizes()[0];
    if (auto* splitter = child<QSplitter>(m_window, "Splitter3");
        splitter && splitter->count() == 2)
        m_state.logHeight = splitter->sizes()[1];
    if (auto* list = child<PaneView>(m_window, "lvLoc"))
        m_state.localColumns = columnWidthsText(list->columnWidths());
    if (auto* list = child<PaneView>(m_window, "FTPView"))
        m_state.remoteColumns = columnWidthsText(list->columnWidths());
}

bool WindowStateKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window) {
        if (event->type() == QEvent::Show && !m_shown) {
            m_shown = true;
            applyLayout();
        } else if (event->type() == QEvent::Close && m_shown) {
            capture();
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace quay

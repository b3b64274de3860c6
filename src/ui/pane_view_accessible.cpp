#include "ui/pane_view_accessible.h"

#include <mutex>

#include "ui/pane_view.h"

namespace quay {

namespace {

QAccessibleInterface* paneViewInterface(const QString& className, QObject* object) {
    auto* view = qobject_cast<PaneView*>(object);
    if (view == nullptr || className != QLatin1String(PaneView::staticMetaObject.className()))
        return nullptr;
    return new PaneViewAccessible(*view);
}

}  // namespace

PaneViewAccessible::PaneViewAccessible(PaneView& view)
    : QAccessibleWidget(&view, QAccessible::Pane) {}

void PaneViewAccessible::install() {
    // Qt keeps one list of factories for the process; a second entry would only be asked in vain.
    static std::once_flag once;
    std::call_once(once, [] { QAccessible::installFactory(paneViewInterface); });
}

QWidget* PaneViewAccessible::shown() const {
    return static_cast<PaneView*>(widget())->currentWidget();
}

int PaneViewAccessible::childCount() const {
    return shown() != nullptr ? 1 : 0;
}

QAccessibleInterface* PaneViewAccessible::child(int index) const {
    return index == 0 && shown() != nullptr ? QAccessible::queryAccessibleInterface(shown())
                                            : nullptr;
}

int PaneViewAccessible::indexOfChild(const QAccessibleInterface* child) const {
    return child != nullptr && shown() != nullptr && child->object() == shown() ? 0 : -1;
}

QAccessibleInterface* PaneViewAccessible::childAt(int x, int y) const {
    QAccessibleInterface* view = child(0);
    return view != nullptr && view->rect().contains(x, y) ? view : nullptr;
}

}  // namespace quay

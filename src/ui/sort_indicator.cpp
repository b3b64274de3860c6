#include "ui/sort_indicator.h"

#include <QHeaderView>
#include <cstdlib>

#include "panes/list_order.h"
#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/pane_view.h"

namespace quay {

namespace {

void showKey(PaneView& list, int key) {
    QHeaderView& header = *list.reportView().header();
    header.setSortIndicatorShown(list.itemModel().pane().sortEnabled());
    const int tag = std::abs(key);
    const int column = tag >= 1 && tag <= header.count() ? tag - 1 : 0;
    header.setSortIndicator(column,
                            readsDescending(key) ? Qt::DescendingOrder : Qt::AscendingOrder);
}

}  // namespace

void showSortIndicator(PaneView& list, std::function<int()> sortKey,
                       const std::vector<QAction*>& sortCommands) {
    auto show = [&list, sortKey = std::move(sortKey)] { showKey(list, sortKey()); };
    // The header's own click would turn the arrow by Qt's rule; the list's key decides.
    QObject::connect(list.reportView().header(), &QHeaderView::sectionClicked, &list, show);
    QObject::connect(&list.itemModel(), &QAbstractItemModel::modelReset, &list, show);
    for (QAction* command : sortCommands)
        QObject::connect(command, &QAction::triggered, &list, show);
    show();
}

void bindSortIndicators(MainWindow& window, SessionController& controller) {
    using C = Command;
    SessionState& state = controller.state();
    auto actions = [&window](std::initializer_list<Command> commands) {
        std::vector<QAction*> found;
        for (Command command : commands)
            found.push_back(window.commandAction(command));
        return found;
    };
    showSortIndicator(
        *static_cast<PaneView*>(window.widget("lvLoc")), [&state] { return state.localSortKey; },
        actions(
            {C::LocalSortByName, C::LocalSortBySize, C::LocalSortByDate, C::LocalSortByExtension}));
    showSortIndicator(
        *static_cast<PaneView*>(window.widget("FTPView")), [&state] { return state.remoteSortKey; },
        actions({C::RemoteSortByName, C::RemoteSortBySize, C::RemoteSortByDate}));
}

}  // namespace quay

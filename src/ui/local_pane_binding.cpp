#include "ui/local_pane_binding.h"

#include <QComboBox>
#include <QHeaderView>
#include <QListWidget>

#include "session/session_controller.h"
#include "ui/main_window.h"
#include "ui/pane_item_model.h"
#include "ui/pane_view.h"
#include "ui/theme_icons.h"

namespace quay {

namespace {

void showTree(QListWidget& list, const DirectoryTree& tree) {
    const QSignalBlocker block(&list);
    list.clear();
    // The open and closed folder icons differ in their natural size; rows stay even.
    list.setIconSize(QSize(16, 16));
    const QIcon open = themeIcon(QStringLiteral("folder-open"));
    const QIcon closed = themeIcon(QStringLiteral("folder"));
    const auto& entries = tree.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const bool onPath = static_cast<int>(i) <= tree.itemIndex();
        const QString indent(entries[i].depth * 2, QLatin1Char(' '));
        list.addItem(new QListWidgetItem(onPath ? open : closed,
                                         indent + PaneItemModel::displayText(entries[i].name)));
    }
    list.setCurrentRow(tree.itemIndex());
    if (QListWidgetItem* current = list.currentItem())
        list.scrollToItem(current);
}

void showDrives(QComboBox& box, const ComboModel& drives) {
    const QSignalBlocker block(&box);
    bool same = box.count() == static_cast<int>(drives.count());
    for (int i = 0; same && i < box.count(); ++i)
        same = box.itemData(i).toByteArray().toStdString() ==
               drives.items()[static_cast<std::size_t>(i)];
    if (!same) {
        box.clear();
        for (const std::string& drive : drives.items())
            box.addItem(PaneItemModel::displayText(drive), QByteArray::fromStdString(drive));
    }
    box.setCurrentIndex(drives.itemIndex());
}

}  // namespace

void bindLocalPane(MainWindow& window, SessionController& controller) {
    LocalPane& pane = controller.localPane();
    auto* tree = static_cast<QListWidget*>(window.widget("dlbx"));
    auto* driveBox = static_cast<QComboBox*>(window.widget("DriveComboBox1"));
    pane.tree().onChanged = [tree, &pane] { showTree(*tree, pane.tree()); };
    pane.drives().onChanged = [driveBox, &pane] { showDrives(*driveBox, pane.drives()); };
    showTree(*tree, pane.tree());
    showDrives(*driveBox, pane.drives());
    QObject::connect(&window, &QObject::destroyed, [&pane] {
        pane.tree().onChanged = nullptr;
        pane.drives().onChanged = nullptr;
    });

    auto go = [tree, &pane](QListWidgetItem* item) {
        const int row = tree->row(item);
        QMetaObject::invokeMethod(
            tree, [&pane, row] { pane.chooseTreeEntry(row); }, Qt::QueuedConnection);
    };
    QObject::connect(tree, &QListWidget::itemClicked, tree, go);
    QObject::connect(tree, &QListWidget::itemActivated, tree, go);
    QObject::connect(driveBox, &QComboBox::activated, driveBox, [&pane](int index) {
        pane.drives().setItemIndex(index);
        pane.chooseDrive();
    });

    auto* local = static_cast<PaneView*>(window.widget("lvLoc"));
    auto* remote = static_cast<PaneView*>(window.widget("FTPView"));
    for (PaneView* view : {local, remote})
        view->reportView().header()->setSectionsClickable(true);
    QObject::connect(local->reportView().header(), &QHeaderView::sectionClicked, local,
                     [&pane](int section) { pane.sortLocalByColumn(section + 1); });
    QObject::connect(remote->reportView().header(), &QHeaderView::sectionClicked, remote,
                     [&pane](int section) { pane.sortRemoteByColumn(section + 1); });
}

}  // namespace quay

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "config/options.h"
#include "panes/chmod_model.h"
#include "program_run.h"
#include "scripted_dialogs.h"
#include "session/options_dialog.h"
#include "session/progress_model.h"
#include "session/session_controller.h"
#include "sites/server_info.h"
#include "sites/server_properties.h"
#include "test_support.h"
#include "ui/chmod_dialog.h"
#include "ui/input_form.h"
#include "ui/main_window.h"
#include "ui/options_dialog_view.h"
#include "ui/pane_view.h"
#include "ui/progress_window.h"
#include "ui/rewrite_dialog.h"
#include "ui/server_properties_dialog.h"

namespace quay {

namespace {

// A readable path of a node for failure messages: roles and object names from the window down.
QString describe(QAccessibleInterface& node, const QString& parentPath) {
    QString name = node.object() != nullptr ? node.object()->objectName() : QString();
    if (name.isEmpty() && node.object() != nullptr)
        name = QString::fromLatin1(node.object()->metaObject()->className());
    return parentPath + QLatin1Char('/') + name;
}

bool isItem(QAccessible::Role role) {
    return role == QAccessible::Cell || role == QAccessible::ListItem ||
           role == QAccessible::TreeItem || role == QAccessible::Row ||
           role == QAccessible::ColumnHeader || role == QAccessible::RowHeader;
}

// Visits every node below root as assistive tools walk it: through child(), depth first.
void walk(QAccessibleInterface& root, const QString& path,
          const std::function<void(QAccessibleInterface&, const QString&)>& visit) {
    for (int i = 0; i < root.childCount(); ++i) {
        QAccessibleInterface* child = root.child(i);
        if (child == nullptr)
            continue;
        const QString childPath = describe(*child, path);
        visit(*child, childPath);
        walk(*child, childPath, visit);
    }
}

// The focusable controls of window that a screen reader could not name, hidden ones too (they
// show up with a mode or a page). Rows and cells of item views are left to the row checks (an
// empty cell is no control), and so are a combo box's pop-up list of its items.
QStringList namelessControls(QWidget& window) {
    QStringList nameless;
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window);
    if (root == nullptr)
        return {QStringLiteral("no accessible interface for the window")};
    walk(*root, window.objectName(), [&](QAccessibleInterface& node, const QString& path) {
        const QAccessible::State state = node.state();
        if (!state.focusable || isItem(node.role()) ||
            (node.parent() != nullptr && node.parent()->role() == QAccessible::ComboBox))
            return;
        if (node.text(QAccessible::Name).trimmed().isEmpty())
            nameless << path;
    });
    return nameless;
}

void expectAllNamed(QWidget& window) {
    const QStringList nameless = namelessControls(window);
    QVERIFY2(nameless.isEmpty(), qPrintable(QStringLiteral("nameless: ") + nameless.join(", ")));
}

QStringList namesOf(QWidget& window, const QStringList& objectNames) {
    QStringList names;
    for (const QString& objectName : objectNames) {
        auto* widget = window.findChild<QWidget*>(objectName);
        QAccessibleInterface* node =
            widget != nullptr ? QAccessible::queryAccessibleInterface(widget) : nullptr;
        names << (node != nullptr ? node->text(QAccessible::Name) : QStringLiteral("<none>"));
    }
    return names;
}

// Every node of the tree below window naming one of captions, with its screen rectangle.
std::vector<std::pair<QString, QRect>> itemsNamed(QWidget& window, const QStringList& captions) {
    std::vector<std::pair<QString, QRect>> found;
    walk(*QAccessible::queryAccessibleInterface(&window), {},
         [&](QAccessibleInterface& node, const QString&) {
             const QString name = node.text(QAccessible::Name);
             if (isItem(node.role()) && captions.contains(name))
                 found.emplace_back(name, node.rect());
         });
    return found;
}

}  // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QAccessible::setActive(true); }

    void everyControlOfTheMainWindowHasAName() {
        test::TempDir dir;
        test::ProgramRun run(dir.path());
        MainWindow& window = run.window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        expectAllNamed(window);
        // Icon buttons speak their hint, lists the caption above them.
        QCOMPARE(namesOf(window, {"SpeedButton1", "SpeedButton2", "SpeedButton4", "FTPOneLevelUp",
                                  "lvLoc", "FTPView"}),
                 (QStringList{"Upload files to FTP - server", "Download files from FTP - server",
                              "Up One Level", "Up One Level", "Local computer", "FTP - servers"}));
    }

    // Every dialog, every page of the options dialog; its two number fields of the connection
    // page are told apart by their labels.
    void everyControlOfTheDialogsHasAName() {
        test::TempDir dir;
        test::ScriptedDialogs dialogs;
        Options record;
        OptionsDialogModel model(record, dir.path(), dialogs);
        OptionsDialog options(model);
        ChmodModel permissions("-rw-r--r--");
        ChmodDialog chmod(permissions);
        InputForm prompt(QStringLiteral("Rename"), QStringLiteral("New name:"),
                         QStringLiteral("a.txt"), true);
        RewriteDialog overwrite("The file exists already.", "/d/a.txt");
        FtpServerInfo info = defaultServerInfo("");
        ServerPropertiesModel properties(info, dir.path());
        ServerPropertiesDialog server(properties);
        ProgressWindow progress(std::make_shared<ProgressModel>());
        // A translation renames the column buttons after the dialog is built.
        chmod.findChild<QPushButton*>("SpeedButton3")->setText(QStringLiteral("Lesen"));
        for (QDialog* dialog : std::initializer_list<QDialog*>{&chmod, &prompt, &overwrite, &server,
                                                               &progress, &options}) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            expectAllNamed(*dialog);
            dialog->hide();
        }
        QCOMPARE(namesOf(chmod, {"cb1", "cb6", "cb9"}),
                 (QStringList{"Owner Permissions Lesen", "Group Permissions Execute",
                              "Public Permissions Execute"}));
        QCOMPARE(namesOf(prompt, {"Input"}), QStringList{"New name:"});
        QCOMPARE(namesOf(progress, {"ProgressBar"}), QStringList{"Transfer progress"});
        QCOMPARE(namesOf(server, {"LocalDir"}), QStringList{"Initial Directory on Local Machine"});
        QCOMPARE(namesOf(overwrite, {"RichEdit1"}), QStringList{"Overwrite the file ?"});
        QCOMPARE(namesOf(options, {"eTimeOut", "eRetry", "SpeedButton11"}),
                 (QStringList{"Default Time Out", "Connections Retry", "Browse"}));
    }

    // A file list offers each row once, where it is drawn, in every view style. Each style
    // gets a list of its own: without a platform bridge Qt keeps no item cache up to date.
    void fileListRowsAreOfferedOnceWhereTheyAreDrawn() {
        const QStringList captions{"alpha", "beta", "gamma"};
        for (ViewStyle style : {ViewStyle::vsReport, ViewStyle::vsList, ViewStyle::vsIcon}) {
            PaneModel pane;
            std::vector<PaneItem> items(3);
            for (std::size_t i = 0; i < items.size(); ++i)
                items[i].caption = captions[int(i)].toStdString();
            pane.assign(std::move(items));
            pane.setViewStyle(style);
            PaneView view(pane, {{QStringLiteral("Name"), 100}, {QStringLiteral("Size"), 60}});
            view.resize(400, 300);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            auto* shown = static_cast<QAbstractItemView*>(view.currentWidget());
            shown->doItemsLayout();
            const auto found = itemsNamed(view, captions);
            QCOMPARE(found.size(), std::size_t(3));
            for (const auto& [caption, rect] : found) {
                const QModelIndex index = view.itemModel().index(captions.indexOf(caption), 0);
                const QRect drawn = shown->visualRect(index);
                QCOMPARE(rect,
                         QRect(shown->viewport()->mapToGlobal(drawn.topLeft()), drawn.size()));
            }
        }
    }
};

}  // namespace quay

QTEST_MAIN(quay::AccessibilityTest)
#include "accessibility_test.moc"

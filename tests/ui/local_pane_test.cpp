#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <memory>

#include "menu_click.h"
#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "test_support.h"
#include "ui/desktop_opener.h"
#include "ui/main_window.h"
#include "ui/pane_view.h"
#include "ui/qt_event_loop.h"

namespace quay {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// The local pane driven through the real window, as a user would: rows clicked in the list,
// buttons and menu entries, the tree and the drive box. The home directory is a temporary
// tree:  home/ docs/ (inner.txt), b.txt, c.log
class LocalPaneWindowTest : public QObject {
    Q_OBJECT

private:
    struct Program {
        explicit Program(const fs::path& data) : controller(loop, dialogs, data) {
            controller.onOpenFile = [this](OpenPurpose purpose, const std::string& path,
                                           const std::string& dir) {
                opened.push_back({purpose, path, dir});
                return true;
            };
            window = std::make_unique<MainWindow>(controller);
            window->show();
        }
        struct Opened {
            OpenPurpose purpose;
            std::string path, dir;
        };
        QtEventLoop loop;
        test::ScriptedDialogs dialogs;
        SessionController controller;
        std::unique_ptr<MainWindow> window;
        std::vector<Opened> opened;
    };

    std::unique_ptr<test::TempDir> m_dir;
    fs::path m_home;
    QByteArray m_oldHome;
    std::unique_ptr<Program> m_program;

    MainWindow& window() { return *m_program->window; }
    PaneView& list() { return *window().findChild<PaneView*>("lvLoc"); }
    std::string homeDir() const { return m_home.string() + "/"; }
    std::string localDir() { return m_program->controller.localDir(); }

    QStringList rows() {
        QStringList result;
        for (int r = 0; r < list().itemModel().rowCount(); ++r)
            result << list().itemModel().index(r, 0).data().toString();
        return result;
    }
    // Clicks the row with this name; with control held it joins the selection.
    void clickRow(const QString& name, Qt::KeyboardModifiers keys = Qt::NoModifier) {
        const int row = static_cast<int>(rows().indexOf(name));
        QVERIFY2(row >= 0, qPrintable(name));
        QTreeView& view = list().reportView();
        const QRect rect = view.visualRect(list().itemModel().index(row, 0));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, keys, rect.center());
    }
    void doubleClickRow(const QString& name) {
        QTreeView& view = list().reportView();
        const QRect rect =
            view.visualRect(list().itemModel().index(static_cast<int>(rows().indexOf(name)), 0));
        // A double-click is the second click of a pair.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rect.center());
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, rect.center());
    }
    void press(const char* button) {
        QTest::mouseClick(window().findChild<QToolButton*>(button), Qt::LeftButton);
    }
    // Clicks the entry through the menus of the menu bar that lead to it.
    void trigger(const char* entry) {
        QVERIFY2(test::clickMenuPath(window(), window().findChild<QAction*>(entry)), entry);
    }

private slots:
    void init() {
        m_dir = std::make_unique<test::TempDir>();
        m_home = m_dir->path() / "home";
        fs::create_directories(m_home / "docs");
        writeFile(m_home / "docs" / "inner.txt", "inner");
        writeFile(m_home / "b.txt", "b");
        writeFile(m_home / "c.log", "ccc");
        m_oldHome = qgetenv("HOME");
        qputenv("HOME", QByteArray::fromStdString(m_home.string()));
        m_program = std::make_unique<Program>(m_dir->path() / "data");
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
    }
    void cleanup() {
        m_program.reset();
        qputenv("HOME", m_oldHome);
        m_dir.reset();
    }

    void startsFilledInHomeAndNavigatesByListTreeDriveAndUp() {
        QCOMPARE(rows(), (QStringList{"docs", "b.txt", "c.log"}));
        auto* tree = window().findChild<QListWidget*>("dlbx");
        QCOMPARE(tree->currentItem()->text().trimmed(), QStringLiteral("home"));
        QCOMPARE(tree->item(0)->text(), QStringLiteral("/"));
        auto* drives = window().findChild<QComboBox*>("DriveComboBox1");
        QCOMPARE(drives->currentText(), QString::fromStdString(homeDir()));

        doubleClickRow("docs");
        QCOMPARE(localDir(), homeDir() + "docs/");
        QCOMPARE(rows(), QStringList{"inner.txt"});
        press("SpeedButton4");
        QCOMPARE(localDir(), homeDir());

        // A subdirectory entry of the tree enters it; the root entry goes to "/".
        QListWidgetItem* docs = tree->findItems("docs", Qt::MatchEndsWith).value(0);
        QVERIFY(docs != nullptr);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(docs).center());
        QTRY_COMPARE(localDir(), homeDir() + "docs/");
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                          tree->visualItemRect(tree->item(0)).center());
        QTRY_COMPARE(localDir(), std::string("/"));
        QCOMPARE(drives->currentIndex(), 0);

        // Choosing the home entry of the drive box goes back there.
        drives->setFocus();
        QTest::keyClick(drives, Qt::Key_Down);
        QCOMPARE(localDir(), homeDir());

        writeFile(m_home / "new.txt", "");
        trigger("Refresh1");
        QVERIFY(rows().contains("new.txt"));

        // Without its window the controller still moves and fills the pane.
        m_program->window.reset();
        QVERIFY(m_program->controller.changeLocalDir("docs"));
        QCOMPARE(m_program->controller.model().lvLoc().count(), std::size_t{1});
    }

    void headerClicksAndSortingEntriesOrderTheList() {
        QHeaderView* header = list().reportView().header();
        for (int click = 0; click < 2; ++click)  // the second click on size: largest first
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionPosition(1) + 5, header->height() / 2));
        QCOMPARE(rows(), (QStringList{"docs", "c.log", "b.txt"}));
        trigger("Byname4");  // name, descending
        QCOMPARE(rows(), (QStringList{"docs", "c.log", "b.txt"}));
    }

    void selectionShowsTheSummaryAndEnablesTheFileCommands() {
        auto* info = window().findChild<QLabel*>("pnlLocInfo");
        QVERIFY(!info->isVisible());
        QVERIFY(!window().findChild<QToolButton*>("sbView")->isEnabled());
        clickRow("b.txt");
        clickRow("c.log", Qt::ControlModifier);
        QVERIFY(info->isVisible());
        QCOMPARE(info->text(), QStringLiteral("4 bytes (0.00 Kb) in 2  Dateie(n)"));
        QVERIFY(window().findChild<QToolButton*>("sbView")->isEnabled());
        clickRow("docs");
        QVERIFY(!info->isVisible());
        QVERIFY(!window().findChild<QToolButton*>("sbRun")->isEnabled());

        trigger("All1");
        QCOMPARE(list().selection().selectedRows().size(), 3);
        m_program->dialogs.promptAnswers = {std::string("*.log")};
        trigger("Unselect4");
        QCOMPARE(list().selection().selectedRows().size(), 2);
        m_program->dialogs.promptAnswers = {std::string("*.txt")};
        trigger("Filter1");
        QCOMPARE(rows(), (QStringList{"docs", "b.txt"}));
    }

    void makeDirectoryRenameAndChangeCaseWorkOnDisk() {
        m_program->dialogs.promptAnswers = {std::string("fresh")};
        press("sbMkd1");
        QVERIFY(fs::is_directory(m_home / "fresh"));
        QCOMPARE(localDir(), homeDir() + "fresh/");
        press("SpeedButton4");

        clickRow("b.txt");
        m_program->dialogs.promptAnswers = {std::string("/tmp/renamed.txt")};
        press("sbRen1");
        QCOMPARE(readFile(m_home / "renamed.txt"), std::string("b"));
        QVERIFY(rows().contains("renamed.txt"));

        clickRow("renamed.txt");
        trigger("LargeCase1");
        QVERIFY(fs::exists(m_home / "RENAMED.TXT"));
        QVERIFY(rows().contains("RENAMED.TXT"));
    }

    void deleteAsksAndRemovesTheTreeButNotWhatALinkPointsTo() {
        const fs::path outside = m_dir->path() / "outside";
        fs::create_directories(outside);
        writeFile(outside / "precious", "keep");
        fs::create_directory_symlink(outside, m_home / "docs" / "link");
        clickRow("docs");
        m_program->dialogs.messageAnswers = {Dialogs::Answer::Yes};
        press("sbDel1");
        QCOMPARE(m_program->dialogs.messages.size(), std::size_t{1});
        QCOMPARE(m_program->dialogs.messages[0].text,
                 std::string("M\xc3\xb6"
                             "chten Sie 2 Dateien l\xc3\xb6schen? und 1 Ordner "));
        QVERIFY(!fs::exists(m_home / "docs"));
        QCOMPARE(readFile(outside / "precious"), std::string("keep"));
        QCOMPARE(rows(), (QStringList{"b.txt", "c.log"}));
    }

    void viewAndRunHandTheSelectedFileToTheOpener() {
        clickRow("c.log");
        press("sbView");
        // Run from the list's own context menu, opened on the selected row.
        const QRect row = list().reportView().visualRect(
            list().itemModel().index(static_cast<int>(rows().indexOf("c.log")), 0));
        QVERIFY(test::clickContextEntry(window(), list().reportView(), row.center(),
                                        window().findChild<QAction*>("RunApplication2")));
        QCOMPARE(m_program->opened.size(), std::size_t{2});
        QVERIFY(m_program->opened[0].purpose == OpenPurpose::View);
        QVERIFY(m_program->opened[1].purpose == OpenPurpose::Run);
        QCOMPARE(m_program->opened[1].path, homeDir() + "c.log");
        QCOMPARE(m_program->opened[1].dir, homeDir());
    }

    // The application's opener against stand-ins for the desktop's programs: the name arrives
    // as one argument, unchanged, in the local directory, and nothing in it runs.
    void desktopOpenerPassesTheNameAsOneArgumentWithoutAShell() {
        const fs::path bin = m_dir->path() / "bin";
        fs::create_directories(bin);
        const fs::path record = m_dir->path() / "record";
        const std::string recorder =
            "#!/bin/sh\n{ pwd; echo \"$0\"; for a in \"$@\"; do printf "
            "'%s\\n' \"$a\"; done; } > \"" +
            record.string() + ".tmp\"; mv \"" + record.string() + ".tmp\" \"" + record.string() +
            "\"\n";
        for (const char* name : {"xdg-open", "gtk-launch"}) {
            writeFile(bin / name, recorder);
            fs::permissions(bin / name, fs::perms::owner_all);
        }
        writeFile(bin / "xdg-mime", "#!/bin/sh\necho editor.desktop\n");
        fs::permissions(bin / "xdg-mime", fs::perms::owner_all);
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(bin.string()) + ":" + oldPath);

        const std::string name = "it's \"odd\"; touch pwned; $(touch pwned2) .txt";
        const std::string path = homeDir() + name;
        writeFile(path, "");
        const auto expectRecord = [&](const std::string& expected) {
            QTRY_VERIFY_WITH_TIMEOUT(fs::exists(record), 10000);
            QCOMPARE(readFile(record), expected);
            fs::remove(record);
        };
        QVERIFY(openWithDesktop(OpenPurpose::Run, path, homeDir()));
        expectRecord(m_home.string() + "\n" + (bin / "xdg-open").string() + "\n" + path + "\n");
        QVERIFY(openWithDesktop(OpenPurpose::View, path, homeDir()));
        expectRecord(m_home.string() + "\n" + (bin / "gtk-launch").string() + "\neditor.desktop\n" +
                     path + "\n");
        QVERIFY(!fs::exists(m_home / "pwned") && !fs::exists(m_home / "pwned2"));
        // A name that is not UTF-8 cannot reach a program unaltered: it is refused.
        QVERIFY(!openWithDesktop(OpenPurpose::Run, homeDir() + "caf\xe9", homeDir()));
        qputenv("PATH", oldPath);
    }
};

}  // namespace quay

QTEST_MAIN(quay::LocalPaneWindowTest)
#include "local_pane_test.moc"

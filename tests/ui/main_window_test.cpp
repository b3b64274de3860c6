#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QSplitter>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "base/poll_loop.h"
#include "program_run.h"
#include "scripted_dialogs.h"
#include "session/session_controller.h"
#include "test_support.h"
#include "ui/main_window.h"
#include "ui/pane_view.h"
#include "ui/qt_event_loop.h"

namespace quay {

namespace {

// One control as the window must carry it: objectName, caption, hint, tag.
struct Expected {
    const char* name;
    const char* caption;
    const char* hint;
    int tag;
};

// One control of every kind: buttons with and without caption, panels, lists, the
// controls that show the hourglass (tag 16).
const Expected kControls[] = {
    {"sbConnect", "&Connect", "Connect to FTP-server", 0},
    {"ExplorerButton1", "  Exit", "", 0},
    {"sbView", "View", "View as Text File", 0},
    {"Panel8", "Local computer", "", 0},
    {"DriveComboBox1", "", "Select drive", 0},
    {"SpeedButton4", "", "Up One Level", 16},
    {"dlbx", "", "Directory on local computer", 0},
    {"SpeedButton1", "", "Upload files to FTP - server", 0},
    {"sbNewServer", "New Server", "Add new FTP server (FTP host)", 0},
    {"sbDel2", "Delete", "Delete selected directory or file on FTP Server", 0},
    {"Panel9", "FTP - servers", "", 0},
    {"FTPOneLevelUp", "", "Up One Level", 16},
    {"FTPPath", "", "", 16},
    {"FTPView", "", "", 16},
    {"SpeedButton5", "Do It", "", 0},
};

// Named containers and controls without caption or hint of their own.
const char* const kPlainControls[] = {
    "Panel11",      "Log",     "Splitter3", "Panel1",     "Panel6",     "Panel4", "Splitter2",
    "Panel15",      "Panel5",  "lvLoc",     "pnlLocInfo", "Splitter1",  "Panel2", "Panel7",
    "FTPPathPanel", "Panel17", "cbCmd",     "pnlFtpInfo", "PopupMenu1", "pupLoc"};

// Menu entries: name, caption, tag.
struct ExpectedEntry {
    const char* name;
    const char* caption;
    int tag;
};

// One or two entries of every menu; of the list submenus, which every menu repeats under its
// own suffix, the first and last of a group and the sign of the select tags.
const ExpectedEntry kEntries[] = {
    {"ConnecttoFTPServer1", "Connect to FTP - Server", 0},
    {"miBinary", "Binary", 2},
    {"Exit1", "&Exit", 0},
    {"Byname4", "By name", 1},
    {"Invert4", "Invert", 4},
    {"MenuItem11", "&Details", 3},
    {"LargeCase1", "UPPER CASE", 0},
    {"AsSentence4", "As sentence", 2},
    {"Font2", "Font", 0},
    {"DeleteServerDirFile1", "Delete Server/Dir/File", 0},
    {"Invert6", "Invert", -4},
    {"View6", "&View Files/Servers", 0},
    {"LargeIcons3", "&Large Icons", 0},
    {"LARGECASE3", "UPPER CASE", 0},
    {"Font1", "Font", 1},
    {"miLang", "Sprache", 0},
    {"miEnglish", "Englisch", -1},
    {"ServerProperties2", "Server &Properties", 0},
    {"All7", "Select All", -1},
    {"Font3", "Font", 1},
    {"All8", "Select All", 1},
    {"Font4", "Font", 0},
};

QString captionOf(QObject* object) {
    if (auto* button = qobject_cast<QAbstractButton*>(object))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(object))
        return label->text();
    return {};
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    using Program = test::ProgramRun;

    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<Program> m_program;

    MainWindow& window() { return m_program->window; }
    bool enabledInUi(const char* name) {
        if (QAction* a = window().findChild<QAction*>(name))
            return a->isEnabled();
        QWidget* w = window().findChild<QWidget*>(name);
        return w != nullptr && w->isEnabled();
    }

private slots:
    void init() {
        m_dir = std::make_unique<test::TempDir>();
        m_program = std::make_unique<Program>(m_dir->path());
    }
    void cleanup() {
        m_program.reset();  // may already be gone
        m_dir.reset();
    }

    void controlsCarryTheirNamesCaptionsHintsAndTags() {
        QCOMPARE(window().objectName(), QStringLiteral("_Main"));
        QCOMPARE(window().windowTitle(), QStringLiteral("Quayside Pro"));
        for (const Expected& e : kControls) {
            auto* w = window().findChild<QWidget*>(e.name);
            QVERIFY2(w != nullptr, e.name);
            QCOMPARE(captionOf(w), QString::fromUtf8(e.caption));
            QCOMPARE(w->toolTip(), QString::fromUtf8(e.hint));
            QCOMPARE(w->property("tag").toInt(), e.tag);
        }
        for (const char* name : kPlainControls)
            QVERIFY2(window().findChild<QWidget*>(name) != nullptr, name);
        for (const ExpectedEntry& e : kEntries) {
            const QList<QAction*> found = window().findChildren<QAction*>(e.name);
            QVERIFY2(found.size() == 1, e.name);
            QCOMPARE(found[0]->text(), QString::fromUtf8(e.caption));
            QCOMPARE(found[0]->property("tag").toInt(), e.tag);
        }
        QVERIFY(!window().findChild<QAction*>("N5")->isVisible());
        QVERIFY(!window().findChild<QAction*>("Byextension4")->isVisible());
        QVERIFY(window().findChild<QAction*>("miEnglish")->isChecked());
    }

    void listColumnsHaveTheirCaptionsWidthsAndAlignment() {
        auto* remote = window().findChild<PaneView*>("FTPView");
        auto* local = window().findChild<PaneView*>("lvLoc");
        const QStringList remoteCaptions = {"Dateiname", "Größe", "Datum ", "Zeit",
                                            "Datei-Attribute"};
        const int remoteWidths[] = {140, 65, 55, 40, 180};
        QCOMPARE(remote->itemModel().columnCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(remote->itemModel().headerData(i, Qt::Horizontal, Qt::DisplayRole).toString(),
                     remoteCaptions[i]);
            QCOMPARE(remote->itemModel().headerData(i, Qt::Horizontal, Qt::UserRole).toInt(),
                     i + 1);
            QCOMPARE(remote->reportView().header()->sectionSize(i), remoteWidths[i]);
        }
        const auto alignment = [&](int column) {
            return remote->itemModel()
                       .headerData(column, Qt::Horizontal, Qt::TextAlignmentRole)
                       .value<Qt::Alignment>() &
                   Qt::AlignHorizontal_Mask;
        };
        QCOMPARE(alignment(1), Qt::Alignment(Qt::AlignRight));
        QCOMPARE(alignment(2), Qt::Alignment(Qt::AlignHCenter));
        QCOMPARE(local->itemModel().columnCount(), 4);
        QCOMPARE(local->itemModel().headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(),
                 QStringLiteral("Größe"));
        QCOMPARE(local->reportView().header()->sectionSize(2), 90);
    }

    // Every shown entry has the enabled state the controller gave it, whichever way it changes.
    void enablingRuleShowsInTheWidgets() {
        SessionController& c = m_program->controller;
        for (bool connected : {true, false}) {
            c.updateConnectionUI(connected);
            QCOMPARE(enabledInUi("sbConnect"), !connected);
            QCOMPARE(enabledInUi("sbDisConnect"), connected);
            for (QAction* action : window().findChildren<QAction*>()) {
                const std::string name = action->objectName().toStdString();
                if (action->isVisible() && c.model().hasControl(name))  // hidden reads disabled
                    QVERIFY2(action->isEnabled() == c.model().control(name).enabled, name.c_str());
            }
        }
        // A server row selected in the view enables the properties entries.
        QVERIFY(!enabledInUi("ServerProperties1"));
        PaneItem row;
        row.caption = "alpha";
        row.imageIndex = 3;
        c.model().ftpView().add(row);
        auto* view = window().findChild<PaneView*>("FTPView");
        view->selection().select(view->itemModel().index(0, 0),
                                 QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QVERIFY(c.model().ftpView().item(0).selected);
        QVERIFY(enabledInUi("ServerProperties2"));
        c.model().ftpView().selectAll(false);
        QVERIFY(!view->selection().hasSelection());
        row.selected = true;
        c.model().ftpView().add(row);
        QVERIFY(view->selection().isRowSelected(1, {}));
        QVERIFY(!view->selection().isRowSelected(0, {}));
    }

    void comboBoxesFollowTheirModelsBothWays() {
        ComboModel& command = m_program->controller.model().cbCmd();
        auto* box = window().findChild<QComboBox*>("cbCmd");
        command.add("LIST");
        command.add("SITE WHO");
        command.setItemIndex(1);
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->currentText(), QStringLiteral("SITE WHO"));

        // Typing in the middle of the text keeps the cursor there.
        box->lineEdit()->setCursorPosition(4);
        QTest::keyClicks(box->lineEdit(), "X");
        QCOMPARE(command.text(), std::string("SITEX WHO"));
        QCOMPARE(box->lineEdit()->cursorPosition(), 5);
        QCOMPARE(box->count(), 2);
    }

    void busyBracketShowsTheHourglassAndLocksThePath() {
        SessionController& c = m_program->controller;
        c.beginBusy();
        QCOMPARE(window().findChild<QWidget*>("FTPView")->cursor().shape(), Qt::WaitCursor);
        QVERIFY(!enabledInUi("FTPPath"));
        c.endBusy();
        QCOMPARE(window().findChild<QWidget*>("FTPView")->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(enabledInUi("FTPPath"));
    }

    void closingAsksAndYesSavesTheOptions() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        m_program->dialogs.messageAnswers = {Dialogs::Answer::No};
        window().findChild<QAction*>("Exit1")->trigger();
        QVERIFY(window().isVisible());
        QCOMPARE(m_program->dialogs.messages.size(), std::size_t{1});
        QVERIFY(!std::filesystem::exists(m_dir->path() / "options.ftp"));

        m_program->dialogs.messageAnswers = {Dialogs::Answer::Yes};
        window().findChild<QAction*>("miBinary")->trigger();
        QTest::mouseClick(window().findChild<QToolButton*>("ExplorerButton1"), Qt::LeftButton);
        QVERIFY(!window().isVisible());

        // The options were saved: the next run starts with the mode chosen in the menu.
        m_program = std::make_unique<Program>(m_dir->path());
        QVERIFY(window().findChild<QAction*>("miBinary")->isChecked());
        QVERIFY(!window().findChild<QAction*>("miAuto")->isChecked());
    }

    void startsWithTheCommandBarHiddenAndKeepsThePanesHalved() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QVERIFY(!window().findChild<QWidget*>("Panel17")->isVisible());
        QVERIFY(!window().findChild<QWidget*>("pnlFtpInfo")->isVisible());
        QVERIFY(window().findChild<QWidget*>("FTPView")->isVisible());
        auto* splitter = window().findChild<QSplitter*>("Splitter1");
        auto* right = window().findChild<QWidget*>("Panel2");
        for (int width : {640, 1001, 1400, 700}) {
            window().resize(width, 500);
            QTRY_COMPARE(right->width(), (splitter->width() - splitter->handleWidth()) / 2);
        }
    }

    void languageEntriesFollowTheLanguageFilesAndTranslateWhenChosen() {
        test::writeFile(m_dir->path() / "deutsch.lng",
                        "[Translations]\n_Main.sbConnect.Caption=&Verbinden\n");
        test::writeFile(m_dir->path() / "language.lng",
                        "[Translations]\n_Main.sbConnect.Caption=&Connect\n");
        m_program = std::make_unique<Program>(m_dir->path());
        QMenu* menu = window().findChild<QAction*>("miLang")->menu();
        const QList<QAction*> entries = menu->actions();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1]->text(), QStringLiteral("deutsch"));
        QVERIFY(entries[0]->isChecked() && !entries[1]->isChecked());

        entries[1]->trigger();
        auto* connect = window().findChild<QToolButton*>("sbConnect");
        QCOMPARE(connect->text(), QStringLiteral("&Verbinden"));
        QVERIFY(!window().findChild<QAction*>("miEnglish")->isChecked());
        QTRY_COMPARE(menu->actions().size(), 2);
        QVERIFY(menu->actions()[1]->isChecked());

        window().findChild<QAction*>("miEnglish")->trigger();
        QCOMPARE(connect->text(), QStringLiteral("&Connect"));
        QVERIFY(window().findChild<QAction*>("miEnglish")->isChecked());
        QVERIFY(!menu->actions()[1]->isChecked());
    }

    void aServerDroppedOnAFolderMovesIntoIt() {
        test::writeFile(m_dir->path() / "ftplist.TXT", "DIR=Box\r\nName=Srv;\r\n");
        m_program = std::make_unique<Program>(m_dir->path());
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        auto* remote = window().findChild<PaneView*>("FTPView");
        PaneModel& pane = m_program->controller.model().ftpView();
        QCOMPARE(pane.count(), std::size_t{2});
        QCOMPARE(pane.item(0).caption, std::string("Box"));
        pane.setSelected(1, true);
        QVERIFY(remote->canStartDrag && remote->canStartDrag());

        QListView& view = remote->iconView();
        QCOMPARE(remote->currentWidget(), static_cast<QWidget*>(&view));
        const QPoint onFolder = view.visualRect(view.model()->index(0, 0)).center();
        QMimeData data;
        data.setData(PaneView::kRowMimeType, "FTPView");
        QDragEnterEvent enter(onFolder, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(onFolder, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(pane.count(), std::size_t{1});
        QCOMPARE(pane.item(0).caption, std::string("Box"));
    }

    void helpOpensTheMainWindowSection() {
        window().findChild<QAction*>("Help1")->trigger();
        auto* help = window().findChild<QDialog*>("HelpWindow");
        QVERIFY(help != nullptr && help->isVisible());
        window().findChild<QAction*>("Help1")->trigger();
        QCOMPARE(window().findChildren<QDialog*>("HelpWindow").size(), 1);
    }

    void controllerKeepsWatchingTheRemotePaneWhenTheWindowGoes() {
        m_program.reset();
        QtEventLoop loop;
        test::ScriptedDialogs dialogs;
        SessionController controller(loop, dialogs, m_dir->path());
        { MainWindow window(controller); }
        controller.model().setTag("sbStop", 1);
        controller.model().ftpView().add(PaneItem{});
        QCOMPARE(controller.model().control("sbStop").tag, 0);
    }

    void modelRowsLogAndFontsReachTheWidgets() {
        SessionController& c = m_program->controller;
        c.model().lvLoc().clear();  // the home directory's rows of the start
        PaneItem row;
        row.caption = std::string("caf\xe9", 4);  // not UTF-8: shown byte for byte
        row.subItems = {"12", "01.02.2024"};
        c.model().lvLoc().add(row);
        row.caption = "na\xc3\xafve";
        c.model().lvLoc().add(row);
        auto* local = window().findChild<PaneView*>("lvLoc");
        QCOMPARE(local->itemModel().rowCount(), 2);
        QCOMPARE(local->itemModel().index(0, 0).data().toString(), QString::fromUtf8("café"));
        QCOMPARE(local->itemModel().index(1, 0).data().toString(), QString::fromUtf8("naïve"));
        QCOMPARE(local->itemModel().index(0, 2).data().toString(), QStringLiteral("01.02.2024"));
        QVERIFY(!local->itemModel().index(0, 3).data().isValid());
        c.model().lvLoc().remove(0);
        QCOMPARE(local->itemModel().rowCount(), 1);

        c.model().appendLog("< 220 ready");
        auto* log = window().findChild<QPlainTextEdit*>("Log");
        QVERIFY(log->toPlainText().contains("< 220 ready"));

        PaneFont font = c.model().paneFont("FTPView");
        font.italic = true;
        c.model().setPaneFont("FTPView", font);
        QVERIFY(window().findChild<QWidget*>("FTPView")->font().italic());
        QVERIFY(!window().findChild<QWidget*>("lvLoc")->font().italic());

        c.model().ftpView().setViewStyle(ViewStyle::vsReport);
        auto* remote = window().findChild<PaneView*>("FTPView");
        QCOMPARE(remote->currentWidget(), static_cast<QWidget*>(&remote->reportView()));
        window().findChild<QAction*>("LargeIcons3")->trigger();
        QCOMPARE(remote->currentWidget(), static_cast<QWidget*>(&remote->iconView()));
    }
};

}  // namespace quay

QTEST_MAIN(quay::MainWindowTest)
#include "main_window_test.moc"

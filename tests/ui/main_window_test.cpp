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

const Expected kControls[] = {
    {"sbConnect", "&Connect", "Connect to FTP-server", 0},
    {"sbDisConnect", "&Disconnect", "", 0},
    {"sbStop", "&Stop Transfer", "", 0},
    {"ExplorerButton1", "  Exit", "", 0},
    {"sbMkd1", "MakeDir", "Create new directory", 0},
    {"sbRen1", "Rename", "Rename file or directory", 0},
    {"sbDel1", "Delete", "Delete file or directory", 0},
    {"sbView", "View", "View as Text File", 0},
    {"sbRun", "Run", "Run application", 0},
    {"Panel8", "Local computer", "", 0},
    {"DriveComboBox1", "", "Select drive", 0},
    {"SpeedButton4", "", "Up One Level", 16},
    {"dlbx", "", "Directory on local computer", 0},
    {"SpeedButton1", "", "Upload files to FTP - server", 0},
    {"SpeedButton2", "", "Download files from FTP - server", 0},
    {"sbNewServer", "New Server", "Add new FTP server (FTP host)", 0},
    {"sbProperties", "&Properties", "Modify FTP server properties", 0},
    {"sbMkd2", "MakeDir", "Create new directory on FTP server", 0},
    {"sbRen2", "Rename", "Rename file or directory on FTP server", 0},
    {"sbDel2", "Delete", "Delete selected directory or file on FTP Server", 0},
    {"Panel9", "FTP - servers", "", 0},
    {"FTPOneLevelUp", "", "Up One Level", 16},
    {"FTPPath", "", "", 16},
    {"FTPView", "", "", 16},
    {"SpeedButton5", "Do It", "", 0},
    {"SpeedButton6", "Commands", "", 0},
};

// Named containers and controls without caption or hint of their own.
const char* const kPlainControls[] = {
    "Panel11",   "Log",     "Splitter3",    "Panel1",  "Panel6",     "Panel4",
    "Splitter2", "Panel15", "Panel5",       "lvLoc",   "pnlLocInfo", "Splitter1",
    "Panel2",    "Panel7",  "FTPPathPanel", "Panel17", "cbCmd",      "pnlFtpInfo"};

// Menu entries: name, caption, tag.
struct ExpectedEntry {
    const char* name;
    const char* caption;
    int tag;
};

const ExpectedEntry kEntries[] = {
    {"ConnecttoFTPServer1", "Connect to FTP - Server", 0},
    {"Disconnect1", "Disconnect", 0},
    {"StopTransfer1", "Stop Transfer", 0},
    {"TransferType1", "Transfer Type", 0},
    {"miAuto", "Auto", 0},
    {"miAscii", "Ascii", 1},
    {"miBinary", "Binary", 2},
    {"Spawnnewsession1", "Create new session", 0},
    {"FtpOptions1", "Preferences", 0},
    {"Exit1", "&Exit", 0},
    {"MakeDirectory1", "Make Directory", 0},
    {"Delete1", "Delete", 0},
    {"Rename1", "Rename", 0},
    {"UploadSelectedFiles1", "Upload Selected Files", 0},
    {"Byname4", "By name", 1},
    {"Bysize4", "By size", 2},
    {"Bydate4", "By date", 3},
    {"All1", "Select All", 1},
    {"Unselect4", "Unselect", 2},
    {"Mask4", "Mask", 3},
    {"Invert4", "Invert", 4},
    {"LargeIcons4", "&Large Icons", 0},
    {"SmallIcons4", "&Small Icons", 1},
    {"List4", "&List", 2},
    {"MenuItem11", "&Details", 3},
    {"LargeCase1", "UPPER CASE", 0},
    {"LowerCase4", "lower case", 1},
    {"AsSentence4", "As sentence", 2},
    {"Filter1", "Filter", 0},
    {"Refresh1", "Refresh", 0},
    {"Viewfile2", "View as Text File", 0},
    {"RunApplication1", "Run Application", 0},
    {"Font2", "Font", 0},
    {"NewServer1", "New Server", 0},
    {"ServerProperties1", "Server Properties", 0},
    {"MakeDirectory2", "Make directory", 0},
    {"DeleteServerDirFile1", "Delete Server/Dir/File", 0},
    {"Rename2", "Rename", 0},
    {"DownloadSelectedFiles1", "Download Selected Files", 0},
    {"CustomCommand1", "Custom Command", 0},
    {"CompareDirectories1", "Compare Directories", 0},
    {"ChandDirect1", "Change Directory", 0},
    {"FileAttributes2", "File Attributes", 0},
    {"Byname6", "By name", 1},
    {"Bysize6", "By size", 2},
    {"Bydate6", "By date", 3},
    {"All6", "Select All", -1},
    {"Unselect6", "Unselect", -2},
    {"Mask6", "Mask", -3},
    {"Invert6", "Invert", -4},
    {"View6", "&View Files/Servers", 0},
    {"LargeIcons3", "&Large Icons", 0},
    {"Details6", "&Details", 3},
    {"LARGECASE3", "UPPER CASE", 0},
    {"AsSentence6", "As sentence", 2},
    {"Filter4", "Filter", 0},
    {"Refresh3", "Refresh", 0},
    {"Font1", "Font", 1},
    {"About2", "About", 0},
    {"Help1", "Help", 0},
    {"miLang", "Sprache", 0},
    {"miEnglish", "Englisch", -1},
    // PopupMenu1
    {"NewServer2", "&New Server", 0},
    {"ServerProperties2", "Server &Properties", 0},
    {"MakeDirectory3", "Make Directory", 0},
    {"DeleteServerDirFile2", "&Delete Server/Dir/File", 0},
    {"All7", "Select All", -1},
    {"Invert7", "Invert", -4},
    {"LargeIcons1", "&Large Icons", 0},
    {"View7", "&View", 0},
    {"Font3", "Font", 1},
    // pupLoc
    {"MakeDirectory4", "Make Directory", 0},
    {"Delete2", "&Delete", 0},
    {"UploadSelectedFiles2", "Upload Selected Files", 0},
    {"All8", "Select All", 1},
    {"Invert8", "Invert", 4},
    {"Viewfile1", "View as Text File", 0},
    {"RunApplication2", "Run Application", 0},
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
    // A program run on the data directory: controller and window, closed by the test or
    // destroyed with the run.
    struct Program {
        explicit Program(const std::filesystem::path& dir)
            : controller(loop, dialogs, dir), window(controller) {}
        QtEventLoop loop;
        test::ScriptedDialogs dialogs;
        SessionController controller;
        MainWindow window;
    };

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
        QVERIFY(window().findChild<QMenu*>("PopupMenu1") != nullptr);
        QVERIFY(window().findChild<QMenu*>("pupLoc") != nullptr);
        QVERIFY(!window().findChild<QAction*>("N5")->isVisible());
        QVERIFY(!window().findChild<QAction*>("Byextension4")->isVisible());
        QVERIFY(window().findChild<QAction*>("miEnglish")->isChecked());
    }

    void startsWithTheCommandBarAndRemoteSummaryHidden() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QVERIFY(!window().findChild<QWidget*>("Panel17")->isVisible());
        QVERIFY(!window().findChild<QWidget*>("pnlFtpInfo")->isVisible());
        QVERIFY(window().findChild<QWidget*>("FTPView")->isVisible());
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

    void enablingRuleShowsInTheWidgets() {
        SessionController& c = m_program->controller;
        const char* const serverSide[] = {"sbConnect",           "sbNewServer", "sbProperties",
                                          "ConnecttoFTPServer1", "FtpOptions1", "NewServer2"};
        const char* const sessionSide[] = {"sbDisConnect",
                                           "sbStop",
                                           "SpeedButton1",
                                           "SpeedButton2",
                                           "Disconnect1",
                                           "MakeDirectory3",
                                           "Sorting6",
                                           "Select7",
                                           "Filter2",
                                           "UploadSelectedFiles2",
                                           "DownloadSelectedFiles1"};
        for (bool connected : {false, true, false}) {
            c.updateConnectionUI(connected);
            for (const char* name : serverSide)
                QVERIFY2(enabledInUi(name) == !connected, name);
            for (const char* name : sessionSide)
                QVERIFY2(enabledInUi(name) == connected, name);
            QVERIFY(enabledInUi("sbDel2"));
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
        QVERIFY(enabledInUi("ServerProperties1"));
        QVERIFY(enabledInUi("ServerProperties2"));
        c.model().ftpView().selectAll(false);
        QVERIFY(!view->selection().hasSelection());
        row.selected = true;
        c.model().ftpView().add(row);
        QVERIFY(view->selection().isRowSelected(1, {}));
        QVERIFY(!view->selection().isRowSelected(0, {}));
        c.model().ftpView().selectAll(false);
        QVERIFY(!enabledInUi("ServerProperties1"));
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
        QCOMPARE(window().findChild<QWidget*>("SpeedButton4")->cursor().shape(), Qt::WaitCursor);
        QVERIFY(!window().findChild<QWidget*>("FTPPath")->isEnabled());
        c.endBusy();
        QCOMPARE(window().findChild<QWidget*>("FTPView")->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(window().findChild<QWidget*>("FTPPath")->isEnabled());
    }

    void answeringNoKeepsTheWindowOpen() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        m_program->dialogs.messageAnswers = {Dialogs::Answer::No};
        window().findChild<QAction*>("Exit1")->trigger();
        QVERIFY(window().isVisible());
        QCOMPARE(m_program->dialogs.messages.size(), std::size_t{1});
        QCOMPARE(m_program->dialogs.messages[0].caption, std::string("Achtung"));
        QVERIFY(!std::filesystem::exists(m_dir->path() / "options.ftp"));

        m_program->dialogs.messageAnswers = {Dialogs::Answer::Yes};
        QTest::mouseClick(window().findChild<QToolButton*>("ExplorerButton1"), Qt::LeftButton);
        QVERIFY(!window().isVisible());
        QVERIFY(std::filesystem::exists(m_dir->path() / "options.ftp"));
    }

    void transferModeChosenInTheMenuSurvivesARestart() {
        window().findChild<QAction*>("miBinary")->trigger();
        QVERIFY(window().findChild<QAction*>("miBinary")->isChecked());
        QVERIFY(!window().findChild<QAction*>("miAuto")->isChecked());
        m_program->dialogs.messageAnswers = {Dialogs::Answer::Yes};
        QVERIFY(window().close());
        m_program = std::make_unique<Program>(m_dir->path());
        QVERIFY(window().findChild<QAction*>("miBinary")->isChecked());
        QVERIFY(!window().findChild<QAction*>("miAuto")->isChecked());
        QVERIFY(!window().findChild<QAction*>("miAscii")->isChecked());
    }

    void panesStayHalvedOnResize() {
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
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
        QVERIFY(!entries[1]->isChecked());
        QVERIFY(entries[0]->isChecked());

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
        QVERIFY(help != nullptr);
        QVERIFY(help->isVisible());
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

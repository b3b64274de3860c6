#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <memory>
#include <set>
#include <sstream>

#include "menu_click.h"
#include "pane_input.h"
#include "pane_rows.h"
#include "program_run.h"
#include "scripted_dialogs.h"
#include "session/main_window_controls.h"
#include "session/session_controller.h"
#include "test_support.h"
#include "ui/command_keys.h"
#include "ui/font_scale.h"
#include "ui/main_window.h"
#include "ui/pane_view.h"
#include "ui/qt_event_loop.h"
#include "ui/start_instance.h"
#include "ui/widget_dialogs.h"
#include "when_modal.h"

namespace quay {

namespace {

using test::whenModal;

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

// text with the value of its line "key=..." replaced.
std::string withValue(std::string text, const std::string& key, const std::string& value) {
    const std::size_t at = text.find("\n" + key + "=");
    if (at == std::string::npos)
        return text;
    const std::size_t from = at + key.size() + 2;
    return text.replace(from, text.find_first_of("\r\n", from) - from, value);
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    using Program = test::ProgramRun;
    using WidgetProgram = test::WidgetProgramRun;

    std::unique_ptr<test::TempDir> m_dir;
    std::unique_ptr<Program> m_program;

    MainWindow& window() { return m_program->window; }
    bool enabledInUi(const char* name) {
        if (QAction* a = window().findChild<QAction*>(name))
            return a->isEnabled();
        QWidget* w = window().findChild<QWidget*>(name);
        return w != nullptr && w->isEnabled();
    }

    bool showWindow() {
        window().show();
        return QTest::qWaitForWindowExposed(&window());
    }
    // A new run whose root server list file holds serverList, its window shown.
    bool startShownWith(const std::string& serverList) {
        test::writeFile(m_dir->path() / "ftplist.TXT", serverList);
        m_program = std::make_unique<Program>(m_dir->path());
        return showWindow();
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
        const auto heading = [](PaneView* list, int column, int role) {
            return list->itemModel().headerData(column, Qt::Horizontal, role);
        };
        const QStringList remoteCaptions = {"Dateiname", "Größe", "Datum ", "Zeit",
                                            "Datei-Attribute"};
        const int remoteWidths[] = {140, 65, 55, 40, 180};
        QCOMPARE(remote->itemModel().columnCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(heading(remote, i, Qt::DisplayRole).toString(), remoteCaptions[i]);
            QCOMPARE(heading(remote, i, Qt::UserRole).toInt(), i + 1);
            // The designed widths grow with the font; a column after the name may be wider
            // still, to fit its heading.
            const int designed = fontScaled(remote->reportView().fontMetrics(), remoteWidths[i]);
            if (i == 0)
                QCOMPARE(remote->reportView().header()->sectionSize(i), designed);
            else
                QVERIFY(remote->reportView().header()->sectionSize(i) >= designed);
        }
        for (auto [column, alignment] : {std::pair{1, Qt::AlignRight}, {2, Qt::AlignHCenter}})
            QCOMPARE(heading(remote, column, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                         Qt::AlignHorizontal_Mask,
                     Qt::Alignment(alignment));
        QCOMPARE(local->itemModel().columnCount(), 4);
        QCOMPARE(heading(local, 1, Qt::DisplayRole).toString(), QStringLiteral("Größe"));
        QVERIFY(local->reportView().header()->sectionSize(2) >=
                fontScaled(local->reportView().fontMetrics(), 90));
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
        // The model's selection shows in the view, on the row it belongs to.
        PaneItem row;
        c.model().ftpView().add(row);
        row.selected = true;
        c.model().ftpView().add(row);
        auto* view = window().findChild<PaneView*>("FTPView");
        QVERIFY(view->selection().isRowSelected(1, {}));
        QVERIFY(!view->selection().isRowSelected(0, {}));
        c.model().ftpView().selectAll(false);
        QVERIFY(!view->selection().hasSelection());
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
        for (bool busy : {true, false}) {
            m_program->controller.showBusy(busy);
            QCOMPARE(window().findChild<QWidget*>("FTPView")->cursor().shape(),
                     busy ? Qt::WaitCursor : Qt::ArrowCursor);
            QCOMPARE(enabledInUi("FTPPath"), !busy);
        }
    }

    void closingAsksAndYesSavesTheOptions() {
        QVERIFY(showWindow());
        m_program->dialogs.messageAnswers = {Dialogs::Answer::No};
        QVERIFY(test::clickMenuPath(window(), window().findChild<QAction*>("Exit1")));
        QVERIFY(window().isVisible());
        QCOMPARE(m_program->dialogs.messages.size(), std::size_t{1});
        QVERIFY(!std::filesystem::exists(m_dir->path() / "options.ftp"));

        m_program->dialogs.messageAnswers = {Dialogs::Answer::Yes};
        QVERIFY(test::clickMenuPath(window(), window().findChild<QAction*>("miBinary")));
        QTest::mouseClick(window().findChild<QToolButton*>("ExplorerButton1"), Qt::LeftButton);
        QVERIFY(!window().isVisible());

        // The options were saved: the next run starts with the mode chosen in the menu.
        m_program = std::make_unique<Program>(m_dir->path());
        QVERIFY(window().findChild<QAction*>("miBinary")->isChecked());
        QVERIFY(!window().findChild<QAction*>("miAuto")->isChecked());
    }

    void startsWithTheCommandBarHiddenAndKeepsThePanesHalved() {
        QVERIFY(showWindow());
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
        QVERIFY(showWindow());
        QMenu* menu = window().findChild<QAction*>("miLang")->menu();
        const QList<QAction*> entries = menu->actions();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[1]->text(), QStringLiteral("deutsch"));
        QVERIFY(entries[0]->isChecked() && !entries[1]->isChecked());

        QVERIFY(test::clickMenuPath(window(), entries[1]));
        auto* connect = window().findChild<QToolButton*>("sbConnect");
        QCOMPARE(connect->text(), QStringLiteral("&Verbinden"));
        QVERIFY(!window().findChild<QAction*>("miEnglish")->isChecked());
        QTRY_COMPARE(menu->actions().size(), 2);
        QVERIFY(menu->actions()[1]->isChecked());

        QVERIFY(test::clickMenuPath(window(), window().findChild<QAction*>("miEnglish")));
        QCOMPARE(connect->text(), QStringLiteral("&Connect"));
        QVERIFY(window().findChild<QAction*>("miEnglish")->isChecked());
        QVERIFY(!menu->actions()[1]->isChecked());
    }

    void aServerDroppedOnAFolderMovesIntoIt() {
        QVERIFY(startShownWith("DIR=Box\r\nName=Srv;\r\n"));
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

        // Both lists are written, the folder's as privately as the root's: they hold passwords.
        const std::filesystem::path root = m_dir->path() / "ftplist.TXT";
        const std::filesystem::path folder = m_dir->path() / "Box" / "ftplist.TXT";
        QCOMPARE(test::readFile(root), std::string("DIR=Box\r\n"));
        const std::string moved = test::readFile(folder);
        QVERIFY2(moved.starts_with("Name=Srv;") && moved.ends_with("\r\n") &&
                     moved.find("\r\n") == moved.size() - 2,
                 moved.c_str());
        for (const std::filesystem::path& file : {root, folder}) {
            struct stat info {};
            QCOMPARE(::stat(file.c_str(), &info), 0);
            QCOMPARE(info.st_mode & 0777u, 0600u);
        }
    }

    // The saved servers show folders first, then servers, each by name, whatever the file's
    // order; clicking a row enables the three Properties entries exactly for a server.
    void serverListIsSortedAndPropertiesFollowTheClickedRow() {
        QVERIFY(startShownWith("Name=zeta;\r\nDIR=Beta\r\nName=alpha;\r\nDIR=Alpha\r\n"));
        PaneModel& pane = m_program->controller.model().ftpView();
        QCOMPARE(test::captionsOf(pane),
                 (std::vector<std::string>{"Alpha", "Beta", "alpha", "zeta"}));

        auto* remote = window().findChild<PaneView*>("FTPView");
        const char* const entries[] = {"sbProperties", "ServerProperties1", "ServerProperties2"};
        for (int row : {2, 0, 3, 1}) {
            const auto [viewport, at] = test::rowPlace(*remote, row);
            QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
            QCOMPARE(pane.firstSelected(), long{row});
            for (const char* name : entries)
                QVERIFY2(enabledInUi(name) == (row >= 2), name);
        }
        // A new folder arrives selected and sorted among the folders.
        m_program->dialogs.promptAnswers = {std::string("Gamma")};
        QTest::mouseClick(window().findChild<QToolButton*>("sbMkd2"), Qt::LeftButton);
        QCOMPARE(test::captionsOf(pane),
                 (std::vector<std::string>{"Alpha", "Beta", "Gamma", "alpha", "zeta"}));
        QCOMPARE(pane.firstSelected(), 2L);
        for (const char* name : entries)
            QVERIFY2(!enabledInUi(name), name);
    }

    // A double-click on the empty part of the server list deselects and adds a new server.
    void doubleClickOnEmptySpaceStartsNewServer() {
        QVERIFY(startShownWith("Name=alpha;\r\n"));
        PaneModel& pane = m_program->controller.model().ftpView();
        pane.setSelected(0, true);
        m_program->dialogs.propertiesScripts = {[](ServerPropertiesModel& model) {
            model.NameEdt = "beta";
            model.ServerEdt = "127.0.0.1";
            return true;
        }};
        const auto [viewport, onRow] = test::rowPlace(*window().findChild<PaneView*>("FTPView"), 0);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(onRow.x(), viewport->height() - 5));
        QCOMPARE(m_program->dialogs.propertiesShown, 1);
        QCOMPARE(test::captionsOf(pane), (std::vector<std::string>{"alpha", "beta"}));
        QCOMPARE(pane.selectedIndexes(), std::vector<std::size_t>{1});
        QVERIFY(test::readFile(m_dir->path() / "ftplist.TXT").find("beta") != std::string::npos);

        // A double-click on a row does not add a server.
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, onRow);
        QCOMPARE(m_program->dialogs.propertiesShown, 1);
    }

    // Both list adapters tell Qt of every change in its order, through the program's own
    // commands on the server list and through every kind of change on the local list.
    void listAdaptersFollowQtsModelProtocol() {
        QVERIFY(startShownWith("DIR=Box\r\nName=a;\r\nName=b;\r\n"));
        auto* remote = window().findChild<PaneView*>("FTPView");
        auto* local = window().findChild<PaneView*>("lvLoc");
        using Mode = QAbstractItemModelTester::FailureReportingMode;
        QAbstractItemModelTester remoteTester(&remote->itemModel(), Mode::QtTest);
        QAbstractItemModelTester localTester(&local->itemModel(), Mode::QtTest);

        SessionController& c = m_program->controller;
        PaneModel& pane = c.model().ftpView();
        pane.setSelected(2, true);  // the last server row
        QTest::mouseClick(window().findChild<QToolButton*>("sbDel2"), Qt::LeftButton);
        QCOMPARE(remote->itemModel().rowCount(), 2);
        QVERIFY(remote->selection().selectedRows().isEmpty());
        pane.setSelected(0, true);
        c.execute(Command::RemoteOpen);  // into Box: a reset inside an update bracket
        QCOMPARE(remote->itemModel().rowCount(), 1);
        m_program->dialogs.promptAnswers = {std::string("Sub")};
        c.execute(Command::RemoteMakeDirectory);  // added and sorted
        QCOMPARE(remote->itemModel().index(1, 0).data().toString(), QStringLiteral("Sub"));
        c.execute(Command::RemoteUp);
        QCOMPARE(remote->itemModel().rowCount(), 2);

        PaneModel& files = c.model().lvLoc();
        files.assign(std::vector<PaneItem>(3));
        files.insert(1, PaneItem{});
        files.remove(3);
        files.update(0, [](PaneItem& row) { row.imageIndex = 2; });
        files.beginUpdate();
        files.add(PaneItem{});
        files.remove(0);
        files.endUpdate();
        QCOMPARE(local->itemModel().rowCount(), 3);
        files.clear();
        QCOMPARE(local->itemModel().rowCount(), 0);
    }

    // "Create new session" is wired to start the program's own executable.
    void newSessionStartsTheProgramDetached() {
        QVERIFY(m_program->controller.onStartInstance != nullptr);
        const std::filesystem::path script = m_dir->path() / "instance.sh";
        const std::filesystem::path marker = m_dir->path() / "started";
        std::string text = "#!/bin/sh\necho \"$# $PPID\" > '";
        text.append(marker.string()).append("'\n");
        test::writeFile(script, text);
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        QVERIFY(startDetachedProgram(QString::fromStdString(script.string())));
        QTRY_VERIFY(std::filesystem::exists(marker) && !test::readFile(marker).empty());
        // No arguments, and not a child of this process.
        const std::string line = test::readFile(marker);
        QVERIFY(line.rfind("0 ", 0) == 0);
        QVERIFY(std::atol(line.c_str() + 2) != static_cast<long>(::getpid()));
        QVERIFY(!startDetachedProgram(QString::fromStdString((m_dir->path() / "none").string())));
    }

    // The input prompt and the server properties dialog, shown by the program's own dialogs,
    // are translated when created (the caller's texts stay) and add their texts to the
    // template, never the user's data.
    void dialogsAreTranslatedWhenCreatedAndExportTheirTexts() {
        m_program.reset();
        test::writeFile(m_dir->path() / "options.ftp",
                        "[Language]\nLangOn=1\nLangInit=1\nLangFile=deutsch\n");
        test::writeFile(m_dir->path() / "deutsch.lng",
                        "[Translations]\nInputForm.Button2.Caption=&Abbrechen\n"
                        "InputForm.Prompt.Caption=Frage\nFFtpBase.SpeedButton1.Caption=Abbruch\n"
                        "FFtpBase.cbPv.Caption=Passiv~~Modus\n");
        test::writeFile(m_dir->path() / "ftplist.TXT", "Name=home;Server=example.org;\r\n");
        WidgetProgram run(m_dir->path());
        MainWindow& window = run.window;
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        QString cancel, prompt;
        whenModal([&](QWidget* dialog) {
            cancel = dialog->findChild<QPushButton*>("Button2")->text();
            prompt = dialog->findChild<QLabel*>("Prompt")->text();
            static_cast<QDialog*>(dialog)->reject();
        });
        QTest::mouseClick(window.findChild<QToolButton*>("sbMkd2"), Qt::LeftButton);
        QCOMPARE(cancel, QStringLiteral("&Abbrechen"));
        QCOMPARE(prompt, QStringLiteral("Neuen Verzeichnisnamen eingeben"));

        run.controller.model().ftpView().setSelected(0, true);
        QString passive;
        whenModal([&](QWidget* dialog) {
            cancel = dialog->findChild<QPushButton*>("SpeedButton1")->text();
            passive = dialog->findChild<QCheckBox*>("cbPv")->text();
            dialog->findChild<QPushButton*>("SpeedButton1")->click();
        });
        QVERIFY(test::clickMenuPath(window, window.findChild<QAction*>("ServerProperties1")));
        QCOMPARE(cancel, QStringLiteral("Abbruch"));
        QCOMPARE(passive, QStringLiteral("Passiv\nModus"));

        const std::string exported = test::readFile(m_dir->path() / "language.lng");
        for (const char* line :
             {"InputForm.Button1.Caption=&Ok", "InputForm.chbMask.Caption=Mask password",
              "FFtpBase.SpeedButton2.Caption=OK", "Caption=Initial Directory on FTP Server",
              "FFtpBase.GroupBox1.Caption= Server",
              "Messages.NewFolderPrompt.Text=Neuen Verzeichnisnamen eingeben"})
            QVERIFY2(exported.find(line) != std::string::npos, line);
        // The prompt's label holds the caller's text, which goes in as a message of its own.
        QVERIFY(exported.find("example.org") == std::string::npos);
        QVERIFY(exported.find("InputForm.Prompt.") == std::string::npos);
    }

    // "Preferences" opens the options dialog. A hand-edited file may hold values outside a
    // spin box's range: the box shows the nearest limit, and OK without touching it keeps the
    // stored value. A page chosen in the tree, a box ticked and OK store exactly that change,
    // and the options are applied.
    void preferencesEditsAndSavesTheOptions() {
        m_program->controller.FormClose();  // the options file as the program writes it
        const std::filesystem::path options = m_dir->path() / "options.ftp";
        std::string stored = test::readFile(options);
        const std::pair<const char*, const char*> outOfRange[] = {
            {"TimeOut", "40000"}, {"retry", "-3"}, {"StartKeep", "0"}, {"DurationKeep", "500"}};
        for (const auto& [key, value] : outOfRange) {
            stored = withValue(stored, key, value);
            QVERIFY2(stored.find(std::string("\n") + key + "=" + value) != std::string::npos, key);
        }
        test::writeFile(options, stored);
        m_program.reset();
        WidgetProgram run(m_dir->path());
        QVERIFY(QTest::qWaitForWindowExposed(&run.window));

        QList<int> shown;
        whenModal([&](QWidget* dialog) {
            for (const char* name : {"eTimeOut", "eRetry", "eKeep", "eduration"})
                shown.append(dialog->findChild<QSpinBox*>(name)->value());
            QTest::mouseClick(dialog->findChild<QPushButton*>("SpeedButton2"), Qt::LeftButton);
        });
        QVERIFY(test::clickMenuEntry(run.window, "Connection1", "FtpOptions1"));
        QCOMPARE(shown, (QList<int>{32767, 0, 1, 100}));
        QCOMPARE(test::readFile(options), stored);
        QCOMPARE(run.controller.options().retry, -3);

        QString shownPage;
        whenModal([&](QWidget* dialog) {
            QCOMPARE(dialog->objectName(), QStringLiteral("_Options"));
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Programm Optionen "));
            auto* tree = dialog->findChild<QTreeWidget*>("TreeView1");
            QTreeWidgetItem* log = tree->topLevelItem(0)->child(1);
            QCOMPARE(log->text(0), QStringLiteral("Protokoll"));
            QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                              tree->visualItemRect(log).center());
            auto* pages = dialog->findChild<QStackedWidget*>("PageControl1");
            shownPage = pages->currentWidget()->objectName();
            auto* box = dialog->findChild<QCheckBox*>("cbLog");
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
            auto* timeOut = dialog->findChild<QSpinBox*>("eTimeOut");
            timeOut->selectAll();
            QTest::keyClicks(timeOut, "45");
            QTest::mouseClick(dialog->findChild<QPushButton*>("SpeedButton2"), Qt::LeftButton);
        });
        QVERIFY(test::clickMenuPath(run.window, run.window.findChild<QAction*>("FtpOptions1")));
        QCOMPARE(shownPage, QStringLiteral("TabSheet4"));
        std::set<std::string> added;  // the lines of the file that were not there before
        std::istringstream now(test::readFile(options));
        for (std::string line; std::getline(now, line);)
            if (("\n" + stored).find("\n" + line + "\n") == std::string::npos)
                added.insert(line);
        QCOMPARE(added, (std::set<std::string>{"Log=1", "TimeOut=45"}));
        QCOMPARE(run.controller.ftp().timeout(), 45);
    }

    void helpOpensTheMainWindowSection() {
        QVERIFY(showWindow());
        QVERIFY(test::clickMenuPath(window(), window().findChild<QAction*>("Help1")));
        auto* help = window().findChild<QDialog*>("HelpWindow");
        QVERIFY(help != nullptr && help->isVisible());
        QVERIFY(test::clickMenuPath(window(), window().findChild<QAction*>("Help1")));
        QCOMPARE(window().findChildren<QDialog*>("HelpWindow").size(), 1);
    }

    void controllerKeepsWatchingTheRemotePaneWhenTheWindowGoes() {
        m_program.reset();
        QtEventLoop loop;
        test::ScriptedDialogs dialogs;
        SessionController controller(loop, dialogs, m_dir->path());
        { MainWindow window(controller); }
        controller.model().setEnabled("sbConnect", false);
        controller.model().ftpView().add(PaneItem{});
        QVERIFY(controller.model().control("sbConnect").enabled);
    }

    void modelRowsLogAndFontsReachTheWidgets() {
        SessionController& c = m_program->controller;
        c.model().lvLoc().clear();  // the home directory's rows of the start
        PaneItem row;
        row.caption = std::string("caf\xe9", 4);  // not UTF-8: a replacement mark
        row.subItems = {"12", "01.02.2024"};
        c.model().lvLoc().add(row);
        row.caption = "na\xc3\xafve";
        c.model().lvLoc().add(row);
        auto* local = window().findChild<PaneView*>("lvLoc");
        QCOMPARE(local->itemModel().rowCount(), 2);
        QCOMPARE(local->itemModel().index(0, 0).data().toString(), QStringLiteral("caf\uFFFD"));
        QCOMPARE(c.model().lvLoc().item(0).caption, std::string("caf\xe9"));
        QCOMPARE(local->itemModel().index(1, 0).data().toString(), QString::fromUtf8("naïve"));
        QCOMPARE(local->itemModel().index(0, 2).data().toString(), QStringLiteral("01.02.2024"));
        QVERIFY(!local->itemModel().index(0, 3).data().isValid());
        c.model().lvLoc().remove(0);
        QCOMPARE(local->itemModel().rowCount(), 1);

        c.model().appendLog("< 220 ready");
        auto* log = window().findChild<QPlainTextEdit*>("Log");
        QTRY_VERIFY(log->toPlainText().contains("< 220 ready"));

        PaneFont font = c.model().paneFont("FTPView");
        font.italic = true;
        c.model().setPaneFont("FTPView", font);
        QVERIFY(window().findChild<QWidget*>("FTPView")->font().italic());
        QVERIFY(!window().findChild<QWidget*>("lvLoc")->font().italic());

        c.model().ftpView().setViewStyle(ViewStyle::vsReport);
        auto* remote = window().findChild<PaneView*>("FTPView");
        QVERIFY(showWindow());
        QCOMPARE(remote->currentWidget(), static_cast<QWidget*>(&remote->reportView()));
        QVERIFY(test::clickMenuPath(window(), window().findChild<QAction*>("LargeIcons3")));
        QCOMPARE(remote->currentWidget(), static_cast<QWidget*>(&remote->iconView()));
    }

    // Every menu and popup entry of a command with keys shows them; the entries of the local
    // and the remote list show the same key for their own command.
    void menuEntriesShowTheirCommandsKeys() {
        int shown = 0;
        for (const ControlDef& def : mainWindowControls()) {
            if (def.kind != ControlKind::MenuItem || def.command == Command::None)
                continue;
            const QList<QKeySequence> keys = keysOf(def.command);
            QAction* entry = window().action(def.name);
            QVERIFY2(entry != nullptr, def.name.c_str());
            QCOMPARE(entry->shortcuts(), keys);
            shown += keys.isEmpty() ? 0 : 1;
        }
        QVERIFY(shown >= 20);
        for (auto [entry, key] : {std::pair{"Delete1", QKeySequence(Qt::Key_Delete)},
                                  {"DeleteServerDirFile2", QKeySequence(Qt::Key_Delete)},
                                  {"DownloadSelectedFiles1", QKeySequence(Qt::CTRL | Qt::Key_D)}})
            QCOMPARE(window().action(entry)->shortcut(), key);
    }

    // Each menu of the menu bar opens with Alt and a letter of its title, also when a
    // language file gives titles without "&": then the first letter that no other title and
    // no button ("&Connect") uses.
    void everyMenuOpensWithAltAndALetter_data() {
        QTest::addColumn<QByteArray>("translation");
        QTest::addColumn<QString>("letters");
        QTest::newRow("built-in") << QByteArray() << QStringLiteral("olfa");
        QTest::newRow("translated") << QByteArray(
                                           "[Translations]\n"
                                           "_Main.Connection1.Caption=Verbindung\n"
                                           "_Main.LocalComputer1.Caption=Lokaler Computer\n"
                                           "_Main.FTPServer1.Caption=FTP - Server\n"
                                           "_Main.About1.Caption=&\xc3\x9c"
                                           "ber\n")
                                    << QString::fromUtf8("vlf\xc3\xbc");
    }
    void everyMenuOpensWithAltAndALetter() {
        QFETCH(QByteArray, translation);
        QFETCH(QString, letters);
        if (!translation.isEmpty()) {
            m_program.reset();
            test::writeFile(m_dir->path() / "deutsch.lng", translation.toStdString());
            test::writeFile(m_dir->path() / "options.ftp",
                            "[Language]\nLangOn=1\nLangInit=0\nLangFile=deutsch\n");
            m_program = std::make_unique<Program>(m_dir->path());
        }
        QVERIFY(showWindow());
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        const char* const menus[] = {"Connection1", "LocalComputer1", "FTPServer1", "About1"};
        for (int i = 0; i < 4; ++i) {
            QMenu* menu = window().findChild<QAction*>(menus[i])->menu();
            QVERIFY(!menu->isVisible());
            QTest::keyClick(window().findChild<QWidget*>("lvLoc"),
                            Qt::Key(letters[i].toUpper().unicode()), Qt::AltModifier);
            QVERIFY2(QTest::qWaitFor([&] { return menu->isVisible(); }, 2000), menus[i]);
            menu->close();
            QTRY_VERIFY(!menu->isVisible());
        }
    }
};

}  // namespace quay

QTEST_MAIN(quay::MainWindowTest)
#include "main_window_test.moc"

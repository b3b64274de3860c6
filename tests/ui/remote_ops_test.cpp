// The file operations through the real main window against real servers, as a user does
// them: select rows of a pane, press the button, menu entry or key, answer the dialog, then
// look at the files on disk, the pane and the log.
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <memory>

#include "config/options.h"
#include "config/shipped_languages.h"
#include "ftp_servers.h"
#include "menu_click.h"
#include "program_run.h"
#include "session/delete_operation.h"
#include "sites/server_line.h"
#include "test_support.h"
#include "ui/options_dialog_view.h"
#include "ui/pane_view.h"
#include "when_modal.h"

namespace quay {

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 20000;

// One key pressed in a list with a row selected first (nullptr: none): set-up, then the key,
// then the result to wait for.
struct KeyCase {
    const char* what;
    const char* list;
    const char* row;
    QKeyCombination key;
    std::function<void()> before;
    std::function<bool()> done;
};

}  // namespace

class RemoteOpsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_data;
    std::unique_ptr<test::TempDir> m_root;
    std::unique_ptr<test::FtpServer> m_server;
    std::unique_ptr<test::ProgramRun> m_program;
    // A run with the program's own Qt dialogs instead of scripted ones.
    std::unique_ptr<test::WidgetProgramRun> m_widgetRun;

    SessionController& controller() {
        return m_widgetRun ? m_widgetRun->controller : m_program->controller;
    }
    MainWindow& window() { return m_widgetRun ? m_widgetRun->window : m_program->window; }
    test::ScriptedDialogs& dialogs() { return m_program->dialogs; }
    PaneModel& pane(const char* name) {
        return std::string(name) == "FTPView" ? controller().model().ftpView()
                                              : controller().model().lvLoc();
    }

    long rowOf(const char* list, const std::string& caption) {
        for (std::size_t i = 0; i < pane(list).count(); ++i)
            if (pane(list).item(i).caption == caption)
                return static_cast<long>(i);
        return -1;
    }
    bool remoteShows(const std::string& caption) { return rowOf("FTPView", caption) >= 0; }
    bool idle() {
        return controller().ftp().state() == FtpState::fsReady && !controller().runner().busy();
    }

    // Starts the server on the root (with a file "marker" in it), saves it as the only server
    // of the list and connects to it by a double-click, as a user would; returns once the
    // root is listed.
    void connectTo(test::FtpServerKind kind, bool realDialogs = false) {
        test::writeFile(m_root->path() / "marker", "m");
        m_server = test::makeFtpServer(kind);
        m_server->start(m_root->path());
        const FtpServerInfo info =
            test::localServerRecord(m_server->port(), m_server->user(), m_server->password());
        test::writeFile(m_data->path() / "ftplist.TXT", serverInfoToLine(info) + "\r\n");
        if (realDialogs)
            m_widgetRun = std::make_unique<test::WidgetProgramRun>(m_data->path());
        else
            m_program = std::make_unique<test::ProgramRun>(m_data->path());
        window().show();
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        logIn();
    }
    // Connects to the saved server by a double-click on it.
    void logIn() {
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows("Local"), kWaitMs);
        clickRows("FTPView", {"Local"});
        QTest::mouseDClick(viewport("FTPView"), Qt::LeftButton, {}, rowCentre("FTPView", "Local"));
        QTRY_VERIFY_WITH_TIMEOUT(
            !controller().state().serverListMode && remoteShows("marker") && idle(), kWaitMs);
    }

    QAbstractItemView* view(const char* list) {
        auto* paneView = window().findChild<PaneView*>(list);
        return qobject_cast<QAbstractItemView*>(paneView->currentWidget());
    }
    QWidget* viewport(const char* list) { return view(list)->viewport(); }
    QPoint rowCentre(const char* list, const std::string& caption) {
        const long row = rowOf(list, caption);
        if (row < 0)
            qFatal("no row %s", caption.c_str());
        const QModelIndex index = view(list)->model()->index(static_cast<int>(row), 0);
        view(list)->scrollTo(index);
        return view(list)->visualRect(index).center();
    }
    // Clicks the first row and control-clicks the others.
    void clickRows(const char* list, const std::vector<std::string>& captions) {
        Qt::KeyboardModifiers modifiers;
        for (const std::string& caption : captions) {
            QTest::mouseClick(viewport(list), Qt::LeftButton, modifiers, rowCentre(list, caption));
            modifiers = Qt::ControlModifier;
        }
    }
    std::vector<std::string> selected(const char* list) {
        std::vector<std::string> names;
        for (std::size_t row : pane(list).selectedIndexes())
            names.push_back(pane(list).item(row).caption);
        std::sort(names.begin(), names.end());
        return names;
    }

    // A remote directory without its trailing "/", for comparing.
    static QString bare(std::string dir) {
        while (dir.size() > 1 && dir.ends_with('/'))
            dir.pop_back();
        return qstr(dir);
    }
    QString remoteDir() { return bare(controller().ftp().hostDirName()); }
    static QString qstr(const std::string& text) { return QString::fromStdString(text); }

    void click(const char* button) {
        QTest::mouseClick(window().findChild<QToolButton*>(button), Qt::LeftButton);
    }
    // Selects the remote rows and presses Delete, answering its question with Yes.
    void deleteRemote(const std::vector<std::string>& rows) {
        clickRows("FTPView", rows);
        dialogs().messageAnswers = {Dialogs::Answer::Yes};
        click("sbDel2");
    }
    // Clicks the entry through the menus of the menu bar that lead to it.
    void trigger(const char* entry) {
        QAction* action = window().action(entry);
        QVERIFY2(action != nullptr && action->isEnabled(), entry);
        QVERIFY2(test::clickMenuPath(window(), action), entry);
    }
    int logCount(const std::string& prefix) {
        int count = 0;
        for (const std::string& line : controller().model().logLines())
            count += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }

    // A nested tree beside a file to keep, a link that loops back into the tree and one that
    // leads out of it to a directory the server account could delete: the delete takes the
    // tree alone and ends in the directory it started in.
    void deletesANestedTree(test::FtpServerKind kind) {
        test::TempDir elsewhere;
        const fs::path outside = elsewhere.path() / "outside";
        const fs::path tree = m_root->path() / "tree";
        fs::create_directories(tree / "sub" / "deeper");
        fs::create_directories(tree / "empty");
        test::writeFile(tree / "a.txt", "a");
        test::writeFile(tree / "sub" / "b.txt", "b");
        test::writeFile(tree / "sub" / "deeper" / "c.txt", "c");
        fs::create_directory_symlink(".", tree / "sub" / "loop");
        fs::create_directories(outside);
        test::writeFile(outside / "precious.txt", "p");
        fs::create_directory_symlink(outside, tree / "out");
        test::FtpServer::handOver(elsewhere.path());
        connectTo(kind);
        const QString start = remoteDir();
        // ".." (listed by some servers) is never taken by a delete.
        deleteRemote(remoteShows("..") ? std::vector<std::string>{"tree", ".."}
                                       : std::vector<std::string>{"tree"});
        QTRY_VERIFY_WITH_TIMEOUT(
            !fs::exists(m_root->path() / "tree") && idle() && !remoteShows("tree"), kWaitMs);
        QCOMPARE(remoteDir(), start);
        QVERIFY(remoteShows("marker"));
        QVERIFY(fs::exists(m_root->path() / "marker"));
        QVERIFY(fs::exists(outside / "precious.txt"));
        QCOMPARE(logCount("Error "), 0);
    }

    void renamesAndChangesCase(test::FtpServerKind kind) {
        test::writeFile(m_root->path() / "README.TXT", "r");
        test::writeFile(m_root->path() / "Mixed.Txt", "x");
        fs::create_directories(m_root->path() / "DIR");
        connectTo(kind);

        clickRows("FTPView", {"README.TXT", "Mixed.Txt"});
        trigger("AsSentence6");
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows("Readme.txt") && remoteShows("Mixed.txt") && idle(),
                                 kWaitMs);
        QVERIFY(fs::exists(m_root->path() / "Readme.txt"));
        QVERIFY(fs::exists(m_root->path() / "Mixed.txt"));
        QVERIFY(!fs::exists(m_root->path() / "README.TXT"));

        clickRows("FTPView", {"DIR"});
        dialogs().promptAnswers.push_back(std::string("Renamed dir"));
        click("sbRen2");
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows("Renamed dir") && idle(), kWaitMs);
        QVERIFY(fs::is_directory(m_root->path() / "Renamed dir"));
        const test::ScriptedDialogs::Prompt& asked = dialogs().prompts.back();
        QCOMPARE(qstr(asked.caption), QStringLiteral("Umbenennen Verzeichnis:"));
        QCOMPARE(qstr(asked.prompt), QStringLiteral("Neuen eingeben Verzeichnis: dateiname:"));
        QCOMPARE(qstr(asked.value), QStringLiteral("DIR"));

        dialogs().promptAnswers.push_back(std::string("fresh"));
        click("sbMkd2");
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows("fresh") && idle(), kWaitMs);
        QVERIFY(fs::is_directory(m_root->path() / "fresh"));
        QCOMPARE(logCount("Error "), 0);
    }

    // Focuses list and selects rows there as a user does (a click, then control-clicks).
    void focusRows(const char* list, const std::vector<std::string>& rows) {
        // A dialog or the progress window may have been the active window last.
        window().activateWindow();
        if (!QTest::qWaitForWindowActive(&window()))
            qFatal("the main window does not become active");
        view(list)->setFocus(Qt::MouseFocusReason);
        pane(list).selectAll(false);
        clickRows(list, rows);
    }
    static long entriesIn(const fs::path& dir) {
        return static_cast<long>(
            std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    }
    bool localShows(const std::string& caption) { return rowOf("lvLoc", caption) >= 0; }
    bool allSelected(const char* list) {
        return pane(list).count() > 0 && pane(list).selectedIndexes().size() == pane(list).count();
    }

private slots:
    void init() {
        m_data = std::make_unique<test::TempDir>();
        m_root = std::make_unique<test::TempDir>();
    }
    void cleanup() {
        m_widgetRun.reset();
        m_program.reset();
        m_server.reset();
        m_root.reset();
        m_data.reset();
    }

    void deletesANestedTreeOnVsftpd() { deletesANestedTree(test::FtpServerKind::Vsftpd); }
    void deletesANestedTreeOnPureFtpd() { deletesANestedTree(test::FtpServerKind::PureFtpd); }

    // Files alone: one DELE each and one listing after them. A refused step ends a tree
    // delete: nothing further is sent and the queues are left empty.
    void deletesFilesAloneAndStopsAtARefusal() {
        if (::geteuid() != 0)
            QSKIP("needs a directory the server's account cannot write");
        test::writeFile(m_root->path() / "one.txt", "1");
        test::writeFile(m_root->path() / "two.txt", "2");
        fs::create_directories(m_root->path() / "tree" / "locked");
        test::writeFile(m_root->path() / "tree" / "a.txt", "a");
        test::writeFile(m_root->path() / "tree" / "locked" / "x.txt", "x");
        connectTo(test::FtpServerKind::PureFtpd);
        fs::path locked = m_root->path() / "tree" / "locked";
        QVERIFY(::lchown(locked.c_str(), 0, 0) == 0 && ::chmod(locked.c_str(), 0555) == 0);

        const QString start = remoteDir();
        const int listings = logCount("> MLSD");
        deleteRemote({"one.txt", "two.txt"});
        QTRY_VERIFY_WITH_TIMEOUT(!remoteShows("one.txt") && !remoteShows("two.txt") && idle(),
                                 kWaitMs);
        QCOMPARE(logCount("> DELE "), 2);
        QCOMPARE(logCount("> MLSD"), listings + 1);
        QVERIFY(!fs::exists(m_root->path() / "one.txt") && !fs::exists(m_root->path() / "two.txt"));

        deleteRemote({"tree"});
        QTRY_VERIFY_WITH_TIMEOUT(logCount("Error ") == 1 && idle(), kWaitMs);
        QVERIFY(!fs::exists(m_root->path() / "tree" / "a.txt"));
        QVERIFY(fs::exists(locked / "x.txt"));
        QCOMPARE(logCount("> RMD "), 0);
        // The client goes back to where the delete started, so the pane's names are sent to
        // the directory the pane shows.
        // Listed: the directory after the files, "tree", "locked", and the start again.
        QTRY_COMPARE_WITH_TIMEOUT(logCount("> MLSD"), listings + 4, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(idle(), kWaitMs);
        QCOMPARE(remoteDir(), start);
        ::chmod(locked.c_str(), 0755);
    }

    // Stop in the middle of a delete: the running DELE is the last, the rest stays.
    void stopEndsADelete() {
        constexpr int kFiles = 2000;
        fs::create_directories(m_root->path() / "tree");
        for (int i = 0; i < kFiles; ++i)
            test::writeFile(m_root->path() / "tree" / std::to_string(i), "x");
        connectTo(test::FtpServerKind::Vsftpd);
        const QString start = remoteDir();
        deleteRemote({"tree"});
        QTRY_VERIFY_WITH_TIMEOUT(logCount("> DELE ") >= 1, kWaitMs);
        click("sbStop");
        QTRY_VERIFY_WITH_TIMEOUT(idle() && remoteDir() == start, kWaitMs);
        QVERIFY(fs::is_directory(m_root->path() / "tree"));
        const long left = entriesIn(m_root->path() / "tree");
        QVERIFY2(left > kFiles / 2, std::to_string(left).c_str());
        QCOMPARE(static_cast<long>(logCount("> DELE ")), kFiles - left);
        QCOMPARE(logCount("> RMD "), 0);
        QVERIFY(remoteShows("tree"));
    }

    // A tree deeper than the walk enters (a server whose listing never ends looks the same):
    // the directory not entered is named once, and the delete ends at the removal that fails.
    void aDeleteStopsDescendingAtTheDepthLimit() {
        fs::path deepest = m_root->path() / "tree";
        for (int level = 0; level <= DeleteOperation::kMaxDepth + 1; ++level)
            deepest /= "d";
        fs::create_directories(deepest);
        connectTo(test::FtpServerKind::Vsftpd);

        const QString start = remoteDir();
        deleteRemote({"tree"});
        QTRY_VERIFY_WITH_TIMEOUT(logCount("Error ") == 1 && idle(), kWaitMs);
        QCOMPARE(logCount("! Not entered, too deep"), 1);
        std::string named;
        for (const std::string& line : controller().model().logLines())
            if (line.starts_with("! Not entered"))
                named = line;
        // "tree" is the first level below the start, so "tree" and 64 "d" is one too deep.
        fs::path tooDeep = m_root->path() / "tree";
        for (int level = 1; level <= DeleteOperation::kMaxDepth; ++level)
            tooDeep /= "d";
        QVERIFY2(named.find("\"" + tooDeep.string() + "\"") != std::string::npos, named.c_str());
        QVERIFY(fs::is_directory(deepest));
        QTRY_VERIFY_WITH_TIMEOUT(idle() && remoteDir() == start, kWaitMs);
    }

    void renamesAndChangesCaseOnVsftpd() { renamesAndChangesCase(test::FtpServerKind::Vsftpd); }
    void renamesAndChangesCaseOnPureFtpd() { renamesAndChangesCase(test::FtpServerKind::PureFtpd); }

    // A new name that the pane lists for another entry is refused before anything is sent:
    // the server would replace that entry. With the English language file the prompt and the
    // refusal read in English. The next command works.
    void renameOntoAnotherEntryIsRefused() {
        test::writeFile(m_root->path() / "keep.txt", "keep");
        addShippedLanguageFiles(QUAY_SHIPPED_LANGUAGE_DIR, m_data->path());
        for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
            qunsetenv(variable);
        qputenv("LANG", "en_US.UTF-8");
        connectTo(test::FtpServerKind::Vsftpd);

        clickRows("FTPView", {"marker"});
        dialogs().promptAnswers.push_back(std::string("keep.txt"));
        click("sbRen2");
        QTRY_VERIFY_WITH_TIMEOUT(idle(), kWaitMs);
        QCOMPARE(logCount("> RNFR"), 0);
        QCOMPARE(logCount("! Not renamed: \"marker\" to \"keep.txt\""), 1);
        const test::ScriptedDialogs::Prompt& asked = dialogs().prompts.back();
        QCOMPARE(qstr(asked.caption), QStringLiteral("Rename File"));
        QCOMPARE(qstr(asked.prompt), QStringLiteral("New name of the file:"));
        QCOMPARE(static_cast<int>(dialogs().messages.size()), 1);
        QCOMPARE(qstr(dialogs().messages[0].caption), QStringLiteral("Attention"));
        QCOMPARE(qstr(dialogs().messages[0].text),
                 QStringLiteral("\"keep.txt\" already exists: not renamed."));
        QCOMPARE(qstr(test::readFile(m_root->path() / "keep.txt")), QStringLiteral("keep"));
        QVERIFY(fs::exists(m_root->path() / "marker"));

        dialogs().promptAnswers.push_back(std::string("fresh"));
        click("sbMkd2");
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows("fresh") && idle(), kWaitMs);
    }

    // A name that is not valid UTF-8, renamed through the real prompt: left unchanged it comes
    // back byte for byte; edited, the bytes the edit did not touch stay.
    void renameKeepsUndecodableBytes() {
        const std::string name = "caf\xE9.txt";
        const std::string edited = "my" + name;
        test::writeFile(m_root->path() / name, "x");
        connectTo(test::FtpServerKind::Vsftpd, true);
        QVERIFY(remoteShows(name));

        // Renames the file, typing at the start of the name the prompt offers.
        auto renameTyping = [&](const QString& typed) {
            clickRows("FTPView", {name});
            test::whenModal("InputForm", [typed](QWidget* form) {
                auto* input = form->findChild<QLineEdit*>("Input");
                QTest::keyClick(input, Qt::Key_Home);
                QTest::keyClicks(input, typed);
                QTest::keyClick(input, Qt::Key_Return);
            });
            click("sbRen2");
        };
        renameTyping(QString());
        QTRY_VERIFY_WITH_TIMEOUT(logCount("> RNTO") == 1 && idle(), kWaitMs);
        QCOMPARE(logCount("Error "), 0);
        QVERIFY(fs::exists(m_root->path() / name));
        QCOMPARE(entriesIn(m_root->path()), 2L);

        renameTyping(QStringLiteral("my"));
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows(edited) && idle(), kWaitMs);
        QVERIFY(fs::exists(m_root->path() / edited));
        QVERIFY(!fs::exists(m_root->path() / name));
        QCOMPARE(logCount("Error "), 0);
    }

    // Both panes end with exactly the rows that have no twin of the same name and size.
    void compareDirectoriesSelectsTheDifferences() {
        test::writeFile(m_root->path() / "same.txt", "abc");
        test::writeFile(m_root->path() / "diff.txt", "abcde");
        test::writeFile(m_root->path() / "remote-only.txt", "r");
        test::TempDir local;
        test::writeFile(local.path() / "same.txt", "abc");
        test::writeFile(local.path() / "diff.txt", "abc");
        test::writeFile(local.path() / "local-only.txt", "l");
        connectTo(test::FtpServerKind::Vsftpd);
        QVERIFY(controller().changeLocalDir(local.path().string()));
        clickRows("lvLoc", {"same.txt"});

        trigger("CompareDirectories1");
        for (const char* list : {"lvLoc", "FTPView"}) {
            std::vector<std::string> expected;
            for (const PaneItem& item : pane(list).items())
                if (item.caption != "same.txt")
                    expected.push_back(item.caption);
            std::sort(expected.begin(), expected.end());
            QVERIFY2(selected(list) == expected, list);
        }
        QVERIFY(selected("FTPView").size() >= 3 && selected("lvLoc").size() >= 2);
        QCOMPARE(static_cast<int>(view("FTPView")->selectionModel()->selectedRows().size()),
                 static_cast<int>(selected("FTPView").size()));
    }

    void fileAttributesChangeTheModeOnTheServer() {
        test::writeFile(m_root->path() / "script.sh", "#!/bin/sh\n");
        fs::permissions(m_root->path() / "script.sh", fs::perms(0644));
        connectTo(test::FtpServerKind::Vsftpd);

        clickRows("FTPView", {"script.sh"});
        std::string shown;
        dialogs().attributeScripts.push_back([&shown](ChmodModel& model) {
            shown = model.editText();
            model.setBox(3, true);
            model.clickRowButton(3);
            return true;
        });
        trigger("FileAttributes2");
        QTRY_VERIFY_WITH_TIMEOUT((fs::status(m_root->path() / "script.sh").permissions() &
                                  fs::perms::all) == fs::perms(0747) &&
                                     idle(),
                                 kWaitMs);
        QCOMPARE(qstr(shown), QStringLiteral("644"));
        QCOMPARE(logCount("> SITE CHMOD 747 script.sh"), 1);
        // The listing comes again, showing the new mode.
        auto attributes = [this] {
            const long row = rowOf("FTPView", "script.sh");
            const PaneItem* item =
                row < 0 ? nullptr : &pane("FTPView").item(static_cast<std::size_t>(row));
            return item && item->subItems.size() > 3 ? qstr(item->subItems[3]) : QString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(attributes(), QStringLiteral("-rwxr--rwx"), kWaitMs);
    }

    void commandBarSendsTypedAndSavedCommands() {
        test::writeFile(m_data->path() / "commands.txt", "Remove,Noop\r\n\"RMD made\",NOOP\r\n");
        connectTo(test::FtpServerKind::PureFtpd);
        QWidget* bar = window().widget("Panel17");
        QVERIFY(!bar->isVisible());
        // Shown from the menu bar, hidden again from the remote list's context menu.
        trigger("CustomCommand1");
        QVERIFY(bar->isVisible());
        QVERIFY(window().action("CustomCommand2")->isChecked());

        auto* box = window().findChild<QComboBox*>("cbCmd");
        QTest::keyClicks(box->lineEdit(), "MKD made");
        click("SpeedButton5");
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows("made") && idle(), kWaitMs);
        QVERIFY(fs::is_directory(m_root->path() / "made"));

        dialogs().commandListScripts.push_back([](CommandListModel& model) {
            model.select(0);
            return CommandListModel::Close::Select;
        });
        click("SpeedButton6");
        QCOMPARE(box->currentText(), QStringLiteral("RMD made"));
        QVERIFY(fs::is_directory(m_root->path() / "made"));
        click("SpeedButton5");
        QTRY_VERIFY_WITH_TIMEOUT(!remoteShows("made") && idle(), kWaitMs);
        QVERIFY(!fs::exists(m_root->path() / "made"));
        QCOMPARE(box->count(), 2);

        QVERIFY(test::clickContextEntry(window(), *view("FTPView"), rowCentre("FTPView", "marker"),
                                        window().action("CustomCommand2")));
        QVERIFY(!bar->isVisible());
        QVERIFY(!window().action("CustomCommand1")->isChecked());
    }

    // Each key runs its command as the command's button does, on the list that has the focus;
    // the cases follow one another in one session, each done once the client is idle again. Before
    // them: Tab goes from one list to the other and back, past every control between them; typing a
    // name's first letters in a list makes that row the current one. The window title names the
    // server and the directory shown.
    void keysRunTheirCommands() {
        test::TempDir local;
        const fs::path l = local.path(), r = m_root->path();
        test::writeFile(l / "a.txt", "a");
        connectTo(test::FtpServerKind::Vsftpd);
        QCOMPARE(window().windowTitle(),
                 qstr("Local: " + controller().ftp().hostDirName() + " - Quayside Pro"));
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        focusRows("lvLoc", {});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), view("FTPView"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), view("lvLoc"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), view("FTPView"));
        QTest::keyClicks(QApplication::focusWidget(), "mar");
        QCOMPARE(view("FTPView")->currentIndex().row(),
                 static_cast<int>(rowOf("FTPView", "marker")));

        QVERIFY(controller().changeLocalDir(l.string()));
        const std::string localDir = controller().localDir();
        const auto prompt = [this](const char* answer) {
            return [this, answer] { dialogs().promptAnswers = {std::string(answer)}; };
        };
        const auto yes = [this] { dialogs().messageAnswers = {Dialogs::Answer::Yes}; };
        std::string opened;
        controller().onOpenFile = [&opened](OpenPurpose purpose, const std::string& path,
                                            const std::string&) {
            opened = (purpose == OpenPurpose::View ? "view " : "run ") + path;
            return true;
        };
        const QString top = remoteDir(), sub = bare(controller().ftp().hostDirName() + "/rdir");
        const KeyCase cases[] = {
            {"F7 makes a local directory and enters it", "lvLoc", nullptr, Qt::Key_F7,
             prompt("made"), [&] { return controller().localDir() == localDir + "made/"; }},
            {"Backspace goes up locally", "lvLoc", nullptr, Qt::Key_Backspace, nullptr,
             [&] { return controller().localDir() == localDir && localShows("made"); }},
            {"F2 renames a local file", "lvLoc", "a.txt", Qt::Key_F2, prompt("b.txt"),
             [&] { return fs::exists(l / "b.txt") && !fs::exists(l / "a.txt"); }},
            {"Delete deletes local files", "lvLoc", "b.txt", Qt::Key_Delete, yes,
             [&] { return !fs::exists(l / "b.txt") && !localShows("b.txt"); }},
            {"F5 refreshes the local list", "lvLoc", nullptr, Qt::Key_F5,
             [&] { test::writeFile(l / "new.txt", "new"); }, [&] { return localShows("new.txt"); }},
            {"Ctrl+A selects every local row", "lvLoc", nullptr, Qt::CTRL | Qt::Key_A, nullptr,
             [&] { return allSelected("lvLoc"); }},
            {"F3 views a local file", "lvLoc", "new.txt", Qt::Key_F3, nullptr,
             [&] { return opened == "view " + localDir + "new.txt"; }},
            {"Enter opens a local directory", "lvLoc", "made", Qt::Key_Return, nullptr,
             [&] { return controller().localDir() == localDir + "made/"; }},
            {"Alt+Up goes up locally", "lvLoc", nullptr, Qt::ALT | Qt::Key_Up, nullptr,
             [&] { return controller().localDir() == localDir; }},
            {"Ctrl+U uploads the local selection", "lvLoc", "new.txt", Qt::CTRL | Qt::Key_U,
             nullptr, [&] { return fs::exists(r / "new.txt") && remoteShows("new.txt"); }},
            {"F7 makes a remote directory", "FTPView", nullptr, Qt::Key_F7, prompt("rdir"),
             [&] { return fs::is_directory(r / "rdir") && remoteShows("rdir"); }},
            {"Enter opens a remote directory", "FTPView", "rdir", Qt::Key_Enter, nullptr,
             [&] { return remoteDir() == sub; }},
            {"Alt+Up goes up remotely", "FTPView", nullptr, Qt::ALT | Qt::Key_Up, nullptr,
             [&] { return remoteDir() == top && remoteShows("rdir"); }},
            {"Enter opens it again", "FTPView", "rdir", Qt::Key_Return, nullptr,
             [&] { return remoteDir() == sub; }},
            {"Backspace goes up remotely", "FTPView", nullptr, Qt::Key_Backspace, nullptr,
             [&] { return remoteDir() == top && remoteShows("rdir"); }},
            {"F2 renames a remote file", "FTPView", "new.txt", Qt::Key_F2, prompt("moved.txt"),
             [&] { return fs::exists(r / "moved.txt") && !fs::exists(r / "new.txt"); }},
            {"Ctrl+D downloads the remote selection", "FTPView", "moved.txt", Qt::CTRL | Qt::Key_D,
             nullptr, [&] { return test::readFile(l / "moved.txt") == "new"; }},
            {"F5 refreshes the remote list", "FTPView", nullptr, Qt::Key_F5,
             [&] {
                 test::writeFile(r / "late.txt", "l");
                 test::FtpServer::handOver(r);
             },
             [&] { return remoteShows("late.txt"); }},
            {"Ctrl+A selects every remote row", "FTPView", nullptr, Qt::CTRL | Qt::Key_A, nullptr,
             [&] { return allSelected("FTPView"); }},
            {"Delete deletes on the server once asked", "FTPView", "late.txt", Qt::Key_Delete, yes,
             [&] { return !fs::exists(r / "late.txt") && !remoteShows("late.txt"); }},
        };
        for (const KeyCase& c : cases) {
            focusRows(c.list, c.row ? std::vector<std::string>{c.row} : std::vector<std::string>{});
            if (c.before)
                c.before();
            QVERIFY2(QApplication::focusWidget() == view(c.list), c.what);
            QTest::keyClick(QApplication::focusWidget(), c.key.key(), c.key.keyboardModifiers());
            QVERIFY2(QTest::qWaitFor([&] { return c.done() && idle(); }, kWaitMs),
                     (std::string(c.what) + "; in " + remoteDir().toStdString() +
                      "; last line: " + controller().model().logLines().back())
                         .c_str());
        }
        QCOMPARE(logCount("Error "), 0);
        QCOMPARE(dialogs().messages.back().text, std::string("Delete 'late.txt' from the server?"));
    }

    // The delete question names what goes; No leaves the server's files as they were, Yes
    // deletes them.
    void remoteDeleteAsksFirst() {
        fs::create_directories(m_root->path() / "photos" / "2024");
        test::writeFile(m_root->path() / "photos" / "2024" / "p.jpg", "p");
        test::writeFile(m_root->path() / "notes.txt", "n");
        connectTo(test::FtpServerKind::Vsftpd);
        const struct {
            std::vector<std::string> rows;
            const char* question;
        } cases[] = {
            {{"photos"}, "Delete 'photos' and everything in it from the server?"},
            {{"notes.txt"}, "Delete 'notes.txt' from the server?"},
            {{"notes.txt", "marker"}, "Delete 2 entries from the server?"},
            {{"photos", "notes.txt", "marker"},
             "Delete 3 entries from the server, 1 of them a directory with everything in it?"},
        };
        const int deletes = logCount("> DELE");
        for (const auto& c : cases) {
            focusRows("FTPView", c.rows);
            dialogs().messageAnswers = {Dialogs::Answer::No};
            click("sbDel2");
            QCOMPARE(dialogs().messages.back().text, std::string(c.question));
            QCOMPARE(dialogs().messages.back().caption, std::string("Achtung"));
            QVERIFY(idle());
        }
        QCOMPARE(logCount("> DELE"), deletes);
        QVERIFY(fs::exists(m_root->path() / "photos" / "2024" / "p.jpg"));
        QVERIFY(fs::exists(m_root->path() / "notes.txt"));

        focusRows("FTPView", {"photos", "notes.txt"});
        dialogs().messageAnswers = {Dialogs::Answer::Yes};
        trigger("DeleteServerDirFile1");
        QTRY_VERIFY_WITH_TIMEOUT(!remoteShows("photos") && idle(), kWaitMs);
        QVERIFY(!fs::exists(m_root->path() / "photos"));
        QVERIFY(!fs::exists(m_root->path() / "notes.txt"));
        QVERIFY(fs::exists(m_root->path() / "marker"));
    }

    // Unticked in Preferences, the question is not asked: Delete deletes at once, and the
    // choice is kept in the options file.
    void preferencesTurnsTheDeleteQuestionOff() {
        test::writeFile(m_root->path() / "notes.txt", "n");
        connectTo(test::FtpServerKind::Vsftpd, true);
        trigger("Disconnect1");  // Preferences waits for the server list
        QTRY_VERIFY_WITH_TIMEOUT(controller().state().serverListMode && idle(), kWaitMs);
        QCOMPARE(window().windowTitle(), QStringLiteral("Quayside Pro"));
        test::whenModal([](QWidget* dialog) {
            auto* ask = dialog->findChild<QCheckBox*>("cbAskDelete");
            QVERIFY(ask != nullptr && ask->isChecked());
            ask->setChecked(false);
            QTest::mouseClick(dialog->findChild<QPushButton*>("SpeedButton2"), Qt::LeftButton);
        });
        trigger("FtpOptions1");
        QVERIFY(!controller().options().askRemoteDelete);
        QVERIFY(!loadOptions(m_data->path()).askRemoteDelete);

        logIn();
        // Any dialog now would be a question that should not come: it is refused and noted.
        bool asked = false;
        QTimer::singleShot(0, [&asked] {
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                asked = true;
                static_cast<QDialog*>(dialog)->reject();
            }
        });
        focusRows("FTPView", {"notes.txt"});
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QTRY_VERIFY_WITH_TIMEOUT(!remoteShows("notes.txt") && idle(), kWaitMs);
        QVERIFY(!asked);
        QVERIFY(!fs::exists(m_root->path() / "notes.txt"));
    }
};

}  // namespace quay

QTEST_MAIN(quay::RemoteOpsTest)
#include "remote_ops_test.moc"

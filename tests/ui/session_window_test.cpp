// Connecting and browsing through the real main window against real servers, as a user does:
// double-click a saved server, open directories, go up, use the path box, refresh,
// disconnect. Options and the server list are files in the run's data directory.
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QToolButton>
#include <algorithm>
#include <atomic>
#include <memory>
#include <thread>

#include "ftp_servers.h"
#include "menu_click.h"
#include "pane_input.h"
#include "program_run.h"
#include "scripted_ftp_server.h"
#include "sites/server_line.h"
#include "socks_servers.h"
#include "test_support.h"
#include "ui/log_pane.h"
#include "ui/pane_view.h"

namespace quay {

namespace fs = std::filesystem;

namespace {

// Long enough for a loaded machine; QTRY returns as soon as the condition holds.
constexpr int kWaitMs = 20000;

}  // namespace

class SessionWindowTest : public QObject {
    Q_OBJECT

private:
    using Program = test::ProgramRun;

    std::unique_ptr<test::TempDir> m_data;
    std::unique_ptr<test::TempDir> m_root;
    std::unique_ptr<Program> m_program;

    SessionController& controller() { return m_program->controller; }
    PaneModel& remotePane() { return controller().model().ftpView(); }
    fs::path logFile() const { return m_data->path() / "session.log"; }

    // options.ftp with the log file on and the given lines of the Common section added.
    void writeOptions(const std::string& common, const std::string& sections = {}) {
        test::writeFile(m_data->path() / "options.ftp",
                        "[Common]\nLog=1\nLogFile=" + logFile().string() + "\nTimeOut=15\n" +
                            common + sections);
    }

    static FtpServerInfo record(const test::FtpServer& server) {
        return test::localServerRecord(server.port(), server.user(), server.password());
    }

    // A started server of kind on the root, which holds hello.txt beside what the test put.
    std::unique_ptr<test::FtpServer> serve(test::FtpServerKind kind = test::FtpServerKind::Vsftpd) {
        test::writeFile(m_root->path() / "hello.txt", "hello");
        auto server = test::makeFtpServer(kind);
        server->start(m_root->path());
        return server;
    }

    // The servers in the folder "Work" of the server list.
    void saveServers(const std::vector<FtpServerInfo>& infos) {
        test::writeFile(m_data->path() / "ftplist.TXT", folderLine("Work") + "\r\n");
        fs::create_directories(m_data->path() / "Work");
        std::string lines;
        for (const FtpServerInfo& info : infos)
            lines += serverInfoToLine(info) + "\r\n";
        test::writeFile(m_data->path() / "Work" / "ftplist.TXT", lines);
    }
    void saveServer(const FtpServerInfo& info) { saveServers({info}); }

    void startProgram() {
        m_program = std::make_unique<Program>(m_data->path());
        m_program->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_program->window));
    }
    // Writes the options, saves the server and starts the program on them.
    void startWith(const FtpServerInfo& info, const std::string& common = {},
                   const std::string& sections = {}) {
        writeOptions(common, sections);
        saveServer(info);
        startProgram();
    }

    long rowOf(const std::string& caption) {
        for (std::size_t i = 0; i < remotePane().count(); ++i)
            if (remotePane().item(i).caption == caption)
                return static_cast<long>(i);
        return -1;
    }
    bool shows(const std::string& caption) { return rowOf(caption) >= 0; }

    // Where the row shows in whichever view the pane shows.
    std::pair<QWidget*, QPoint> placeOf(const std::string& caption) {
        return test::rowPlace(*m_program->window.findChild<PaneView*>("FTPView"),
                              static_cast<int>(rowOf(caption)));
    }
    void clickRow(const std::string& caption) {
        QVERIFY2(rowOf(caption) >= 0, caption.c_str());
        const auto [viewport, at] = placeOf(caption);
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    }
    void doubleClickRow(const std::string& caption) {
        clickRow(caption);
        const auto [viewport, at] = placeOf(caption);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    }

    void click(const char* button) {
        QTest::mouseClick(m_program->window.findChild<QToolButton*>(button), Qt::LeftButton);
    }

    void openWorkFolder() {
        QTRY_VERIFY_WITH_TIMEOUT(shows("Work"), kWaitMs);
        doubleClickRow("Work");
        QTRY_VERIFY_WITH_TIMEOUT(shows("Local"), kWaitMs);
    }
    // Opens the folder "Work" and double-clicks the server in it.
    void openSavedServer() {
        openWorkFolder();
        doubleClickRow("Local");
    }
    // Connects to the saved server and waits for the listing of the root.
    void connectAndList() {
        openSavedServer();
        QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt"), kWaitMs);
    }

    int logCount(const std::string& prefix) {
        int count = 0;
        for (const std::string& line : controller().model().logLines())
            count += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }
    std::string logText() {
        std::string text;
        for (const std::string& line : controller().model().logLines())
            text += line + "\n";
        return text;
    }
    bool inServerList() { return controller().state().serverListMode; }

    // The secret shows nowhere, while each masked line shows once in the log, in the pane and
    // in the log file, which its owner alone may read.
    void expectMasked(const std::string& secret, std::initializer_list<std::string> maskedLines) {
        auto* pane = m_program->window.findChild<LogPane*>("Log");
        pane->flush();
        const std::string file = test::readFile(logFile());
        for (const std::string& line : maskedLines) {
            QCOMPARE(logCount(line), 1);
            QVERIFY2(pane->toPlainText().contains(QString::fromStdString(line)), line.c_str());
            QVERIFY2(file.find(line + "\n") != std::string::npos, line.c_str());
        }
        QVERIFY(logText().find(secret) == std::string::npos);
        QVERIFY(!pane->toPlainText().contains(QString::fromStdString(secret)));
        QVERIFY(file.find(secret) == std::string::npos);
        struct stat info {};
        QCOMPARE(::stat(logFile().c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777u, 0600u);
    }

    // Chooses entry of the path box with the mouse: opens its list and clicks the entry.
    void choosePathEntry(int entry) {
        auto* path = m_program->window.findChild<QComboBox*>("FTPPath");
        path->showPopup();
        QAbstractItemView* list = path->view();
        QTRY_VERIFY_WITH_TIMEOUT(list->isVisible(), kWaitMs);
        // The box ignores a release so soon after it opened: it would be the opening click's.
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        const QRect place = list->visualRect(list->model()->index(entry, 0));
        // The list follows the pointer; the release takes the entry under it.
        QTest::mouseMove(list->viewport(), place.center());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, place.center());
    }

    void browse(test::FtpServerKind kind) {
        fs::create_directories(m_root->path() / "sub");
        test::writeFile(m_root->path() / "sub" / "inner.txt", "inner text");
        test::writeFile(m_root->path() / "notes.log", "log");
        const auto server = serve(kind);
        startWith(record(*server));
        connectAndList();
        QVERIFY(!inServerList());
        const PaneItem& hello = remotePane().item(static_cast<std::size_t>(rowOf("hello.txt")));
        QCOMPARE(hello.subItems.at(0), std::string("5"));
        QVERIFY(!hello.subItems.at(1).empty());
        QCOMPARE(remotePane().item(static_cast<std::size_t>(rowOf("sub"))).imageIndex, 1);
        QVERIFY(controller().model().control("sbDisConnect").enabled);

        doubleClickRow("sub");
        QTRY_VERIFY_WITH_TIMEOUT(shows("inner.txt"), kWaitMs);
        QVERIFY(!shows("hello.txt"));
        click("FTPOneLevelUp");
        QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt"), kWaitMs);

        // The path box: its host entry stands for the root directory.
        doubleClickRow("sub");
        QTRY_VERIFY_WITH_TIMEOUT(shows("inner.txt"), kWaitMs);
        auto* path = m_program->window.findChild<QComboBox*>("FTPPath");
        QCOMPARE(path->currentText(), QStringLiteral("sub"));
        const int hostEntry = path->findText(QStringLiteral("127.0.0.1"));
        QVERIFY(hostEntry == 1);
        choosePathEntry(hostEntry);
        if (kind == test::FtpServerKind::PureFtpd)  // chrooted: "/" is the root
            QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt"), kWaitMs);
        else  // the whole file system
            QTRY_VERIFY_WITH_TIMEOUT(shows("tmp") && shows("etc"), kWaitMs);
        QVERIFY(path->isEnabled());

        // Back to the start directory by name, then a file made on the server meanwhile.
        m_program->dialogs.promptAnswers = {std::optional<std::string>(
            kind == test::FtpServerKind::PureFtpd ? "/" : m_root->path().string())};
        QVERIFY(test::clickMenuPath(m_program->window,
                                    m_program->window.findChild<QAction*>("ChandDirect1")));
        QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt"), kWaitMs);
        QCOMPARE(m_program->dialogs.prompts.back().caption, std::string("Verzeichnis wechseln"));
        test::writeFile(m_root->path() / "new.txt", "fresh");
        QVERIFY(test::clickMenuPath(m_program->window,
                                    m_program->window.findChild<QAction*>("Refresh3")));
        QTRY_VERIFY_WITH_TIMEOUT(shows("new.txt"), kWaitMs);

        click("sbDisConnect");
        QTRY_VERIFY_WITH_TIMEOUT(inServerList(), kWaitMs);
        QVERIFY(shows("Local"));
        QCOMPARE(path->currentText().toLower(), QStringLiteral("work"));
        QCOMPARE(controller().model().screenCursor(), Cursor::crDefault);
        QVERIFY(controller().model().control("sbConnect").enabled);

        // The password never reaches the pane or the log file.
        expectMasked("PASS " + server->password(), {"> PASS ****"});
        QVERIFY(test::readFile(logFile()).find("Connecting to 127.0.0.1\n") != std::string::npos);

        // Again by the Connect button on the selected server; the remote filter hides files by
        // mask.
        clickRow("Local");
        click("sbConnect");
        QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt") && shows("notes.log"), kWaitMs);
        QVERIFY(!controller().model().control("sbConnect").enabled);
        m_program->dialogs.promptAnswers = {std::optional<std::string>("*.log")};
        QVERIFY(test::clickMenuPath(m_program->window,
                                    m_program->window.findChild<QAction*>("Filter4")));
        QVERIFY(shows("notes.log"));
        QVERIFY(!shows("hello.txt"));
        QCOMPARE(m_program->dialogs.prompts.back().caption, std::string("Filter"));
        auto* pane = m_program->window.findChild<PaneView*>("FTPView");
        QCOMPARE(pane->itemModel().rowCount(), static_cast<int>(remotePane().count()));
    }

private slots:
    void init() {
        m_data = std::make_unique<test::TempDir>();
        m_root = std::make_unique<test::TempDir>();
    }
    void cleanup() {
        m_program.reset();
        m_root.reset();
        m_data.reset();
    }

    void browsesVsftpd() { browse(test::FtpServerKind::Vsftpd); }
    void browsesPureFtpd() { browse(test::FtpServerKind::PureFtpd); }

    void retriesAClosedPortTwiceMoreThanAskedAndReturnsToTheList() {
        startWith(test::localServerRecord(test::freePort(), "nobody", "x"), "retry=2\n");
        openSavedServer();
        QTRY_COMPARE_WITH_TIMEOUT(logCount("Connecting to"), 4, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(inServerList() && shows("Local"), kWaitMs);
        QTest::qWait(300);
        QCOMPARE(logCount("Connecting to"), 4);
        QCOMPARE(logCount("Connecting to 127.0.0.1 [Attempt 4]"), 1);
        QVERIFY(m_program->dialogs.messages.empty());
    }

    void aWrongPasswordIsNotRetried() {
        const auto server = serve();
        startWith(test::localServerRecord(server->port(), server->user(), "wrong"), "retry=2\n");
        openSavedServer();
        QTRY_VERIFY_WITH_TIMEOUT(logCount("< 530") > 0, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(inServerList() && shows("Local"), kWaitMs);
        QTest::qWait(300);
        QCOMPARE(logCount("Connecting to"), 1);
    }

    // The password prompt of a record without a saved password; cancelling connects nothing.
    void asksForAPasswordNotSaved() {
        const auto server = serve();
        FtpServerInfo info = test::localServerRecord(server->port(), server->user(), "");
        info.SavePassword = false;
        startWith(info);
        m_program->dialogs.promptAnswers = {std::nullopt, server->password()};
        openSavedServer();
        QCOMPARE(m_program->dialogs.prompts.size(), std::size_t{1});
        QVERIFY(m_program->dialogs.prompts[0].masked);
        QCOMPARE(m_program->dialogs.prompts[0].caption, std::string("Enter password"));
        QCOMPARE(logCount("Connecting to"), 0);
        doubleClickRow("Local");
        QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt"), kWaitMs);
    }

    void keepAliveSendsTheCommandsInTurn() {
        const auto server = serve();
        startWith(record(*server), "Keep=1\nStartKeep=5\nDurationKeep=5\nCmdKeep=NOOP,PWD\n");
        connectAndList();
        QTRY_VERIFY_WITH_TIMEOUT(logCount("> NOOP") == 2, kWaitMs);
        std::vector<std::string> sent;
        for (const std::string& line : controller().model().logLines())
            if (line == "> NOOP" || line == "> PWD")
                sent.push_back(line);
        // The log-in asks PWD once itself (the record has no start directory).
        QVERIFY(sent.size() >= 4);
        const std::vector<std::string> last(sent.end() - 3, sent.end());
        QCOMPARE(last, (std::vector<std::string>{"> NOOP", "> PWD", "> NOOP"}));
        // Each keep-alive command is followed by a change to the current directory and a new
        // listing.
        const auto& lines = controller().model().logLines();
        const auto noop = std::find(lines.begin(), lines.end(), "> NOOP");
        const auto next = std::find_if(noop + 1, lines.end(), [](const std::string& line) {
            return line.rfind("> ", 0) == 0;
        });
        QVERIFY(next != lines.end() && next->rfind("> CWD /", 0) == 0);
        QVERIFY(shows("hello.txt"));
    }

    void connectsThroughTheFtpProxy() {
        const auto server = serve();
        test::FtpProxyServer proxy;
        proxy.start();
        startWith(record(*server), "ConnectionType=1\n",
                  "[Proxy]\nServer=127.0.0.1\nPort=" + std::to_string(proxy.port()) + "\n");
        connectAndList();
        // The test user's password is its name, so the log masks the name as well.
        QCOMPARE(server->user(), server->password());
        QCOMPARE(logCount("> USER ****@127.0.0.1:" + std::to_string(server->port())), 1);
    }

    void connectsThroughSocks5() {
        const auto server = serve();
        test::MicrosocksServer socks;
        socks.start("sockuser", "sockpass");
        startWith(record(*server), "ConnectionType=4\n",
                  "[Socks]\nServer=127.0.0.1\nPort=" + std::to_string(socks.port()) +
                      "\nUC=sockuser\nPsw=sockpass\n");
        connectAndList();
        // The SOCKS server is the only way in: stopped, the next session cannot connect.
        click("sbDisConnect");
        QTRY_VERIFY_WITH_TIMEOUT(inServerList(), kWaitMs);
        socks.stop();
        doubleClickRow("Local");
        QTRY_VERIFY_WITH_TIMEOUT(logText().find("Connection refused") != std::string::npos,
                                 kWaitMs);
        QCOMPARE(logCount("Connecting to"), 2);
        QVERIFY(inServerList() && !controller().ftp().connected());
    }

    // A record may name an IPv6 literal bare or in brackets; either connects to vsftpd on [::1]
    // and lists over EPSV.
    void connectsToIpv6LiteralsBareAndBracketed() {
        test::VsftpdServer server;
        server.listenOnIpv6();
        test::writeFile(m_root->path() / "hello.txt", "hello");
        server.start(m_root->path());
        writeOptions("");
        std::vector<FtpServerInfo> infos;
        for (const char* literal : {"::1", "[::1]"}) {
            infos.push_back(record(server));
            infos.back().Name = infos.back().Server = literal;
            infos.back().Pasv = true;
        }
        saveServers(infos);
        startProgram();
        QTRY_VERIFY_WITH_TIMEOUT(shows("Work"), kWaitMs);
        doubleClickRow("Work");
        for (const char* literal : {"::1", "[::1]"}) {
            QTRY_VERIFY_WITH_TIMEOUT(shows(literal), kWaitMs);
            doubleClickRow(literal);
            QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt"), kWaitMs);
            click("sbDisConnect");
            QTRY_VERIFY_WITH_TIMEOUT(inServerList(), kWaitMs);
        }
        QCOMPARE(logCount("Connecting to ::1"), 2);
        QCOMPARE(logCount("> EPSV"), 2);
        QCOMPARE(logCount("! ::1"), 0);
    }

    // The path box goes where the mouse chooses: in the server list to the folder, connected
    // to the directory level; its first entry leads back to the server list. Stop with
    // nothing running does nothing, so the next listings are whole.
    void pathBoxAndStopFollowTheUser() {
        fs::create_directories(m_root->path() / "sub" / "deeper");
        test::writeFile(m_root->path() / "sub" / "deeper" / "deep.txt", "deep");
        const auto server = serve(test::FtpServerKind::PureFtpd);
        startWith(record(*server));
        openWorkFolder();
        choosePathEntry(0);
        QTRY_VERIFY_WITH_TIMEOUT(shows("Work") && !shows("Local"), kWaitMs);

        connectAndList();
        click("sbStop");
        doubleClickRow("sub");
        QTRY_VERIFY_WITH_TIMEOUT(shows("deeper"), kWaitMs);
        doubleClickRow("deeper");
        QTRY_VERIFY_WITH_TIMEOUT(shows("deep.txt"), kWaitMs);
        // One level up with the arrow key: "Server Liste ...", the host, "sub", "deeper".
        auto* path = m_program->window.findChild<QComboBox*>("FTPPath");
        path->setFocus();
        QTest::keyClick(path, Qt::Key_Up);
        QTRY_VERIFY_WITH_TIMEOUT(shows("deeper") && !shows("deep.txt"), kWaitMs);
        QCOMPARE(controller().ftp().hostDirName(), std::string("/sub"));
        test::writeFile(m_root->path() / "sub" / "new.txt", "fresh");
        QVERIFY(test::clickMenuPath(m_program->window,
                                    m_program->window.findChild<QAction*>("Refresh3")));
        QTRY_VERIFY_WITH_TIMEOUT(shows("new.txt") && !controller().runner().busy(), kWaitMs);
        QCOMPARE(logCount("Error"), 0);
        // The mouse goes to the chosen level too.
        doubleClickRow("deeper");
        QTRY_VERIFY_WITH_TIMEOUT(shows("deep.txt"), kWaitMs);
        choosePathEntry(1);
        QTRY_VERIFY_WITH_TIMEOUT(shows("hello.txt"), kWaitMs);

        // Back in the folder the server was opened from.
        choosePathEntry(0);
        QTRY_VERIFY2_WITH_TIMEOUT(inServerList() && shows("Local"), logText().c_str(), kWaitMs);
    }

    // Preferences closed with OK and with Cancel while the log-in waits for the server's
    // greeting: nothing throws, the connection settings wait for the next connection, and
    // the log-in goes on to its listing.
    void preferencesWhileConnecting() {
        std::atomic<bool> greet{false};
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) {
            for (int i = 0; i < 200 && !greet; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            s.reply("220 late hello");
            s.expect("USER");
            s.reply("331 pass");
            s.expect("PASS");
            s.reply("230 in");
            s.expect("FEAT");
            s.reply("502 not implemented");
            s.expect("SYST");
            s.reply("215 UNIX Type: L8");
            s.expect("PWD");
            s.reply("257 \"/\" is current");
            s.expect("TYPE A");
            s.reply("200 ok");
            s.expect("PASV");
            s.reply(test::ScriptedFtpServer::passiveReply(s.listenData()));
            s.expect("LIST");
            s.acceptData();
            s.reply("150 here");
            s.sendData("-rw-r--r-- 1 u g 5 Jan 01 2024 seen.txt\r\n");
            s.closeData();
            s.reply("226 done");
            s.waitForClose(std::chrono::seconds(20));
        });
        startWith(test::localServerRecord(server.port(), "joe", "secret"));
        openSavedServer();
        QTRY_VERIFY_WITH_TIMEOUT(controller().ftp().connected(), kWaitMs);
        m_program->dialogs.optionsScripts = {[](OptionsDialogModel& model) {
                                                 model.rgType = 4;  // SOCKS 5
                                                 model.rgMode = 1;  // ASCII
                                                 model.cbPassiveTransfer = true;
                                                 return true;
                                             },
                                             [](OptionsDialogModel&) { return false; }};
        auto* preferences = m_program->window.findChild<QAction*>("FtpOptions1");
        QVERIFY(preferences->isEnabled());
        QVERIFY(test::clickMenuPath(m_program->window, preferences));
        QVERIFY(test::clickMenuPath(m_program->window, preferences));
        QCOMPARE(m_program->dialogs.optionsShown, 2);
        QVERIFY(logCount("! Connection type, proxy and SOCKS settings take effect") >= 1);
        // The transfer-type menu shows the mode just chosen.
        QVERIFY(m_program->window.findChild<QAction*>("miAscii")->isChecked());
        QVERIFY(!m_program->window.findChild<QAction*>("miBinary")->isChecked());
        greet = true;
        QTRY_VERIFY2_WITH_TIMEOUT(shows("seen.txt") && !controller().runner().busy(),
                                  (logText() + server.failure()).c_str(), kWaitMs);
    }

    // A server that accepts and never greets fails after TimeOut seconds and counts as a
    // failed attempt for the retry rule.
    void silentServerTimesOutAndIsRetried() {
        test::ScriptedFtpServer server(
            [](test::ScriptedFtpSession& s) { s.waitForClose(std::chrono::seconds(20)); });
        test::writeFile(m_data->path() / "options.ftp", "[Common]\nTimeOut=1\nretry=1\n");
        saveServer(test::localServerRecord(server.port(), "joe", "secret"));
        startProgram();
        QElapsedTimer timer;
        timer.start();
        openSavedServer();
        QTRY_COMPARE_WITH_TIMEOUT(logCount("! Time-out"), 3, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(inServerList(), kWaitMs);
        QVERIFY(timer.elapsed() < 15000);
        QCOMPARE(logCount("Connecting to"), 3);
    }

    // The font and the local start directory of the options reach the window at start-up;
    // the lists keep their own fonts.
    void optionsGiveTheWindowItsFontAndLocalDirectory() {
        test::writeFile(m_data->path() / "options.ftp",
                        "[Common]\nFontName=Quay Test Sans\nFontSize=17\nIniPath=" +
                            m_root->path().string() + "\n");
        startProgram();
        QCOMPARE(m_program->window.font().pointSize(), 17);
        QCOMPARE(m_program->window.font().family(), QStringLiteral("Quay Test Sans"));
        QVERIFY(m_program->window.findChild<QWidget*>("FTPView")->font().pointSize() != 17);
        QCOMPARE(controller().localDir(), m_root->path().string() + "/");
    }

    void aLongSessionKeepsTheNewestLogLines() {
        startProgram();
        const std::size_t limit = PresentationModel::kLogLineLimit;
        for (std::size_t i = 0; i < limit + 5; ++i)
            controller().addLog("line " + std::to_string(i));
        QCOMPARE(controller().model().logLines().size(), limit);
        QCOMPARE(controller().model().logLines().front(), std::string("line 5"));
        // The pane takes the newest lines of a burst and says how many it left out.
        auto* log = m_program->window.findChild<LogPane*>("Log");
        const auto waiting = static_cast<std::size_t>(LogPane::kMaxWaiting);
        const QString last = QStringLiteral("line %1").arg(limit + 4);
        QTRY_COMPARE(log->document()->lastBlock().text(), last);
        const QRegularExpressionMatch dropped =
            QRegularExpression(QStringLiteral("\\.\\.\\. (\\d+) lines dropped\nline (\\d+)\n"))
                .match(log->toPlainText());
        QVERIFY(dropped.hasMatch());
        QVERIFY(dropped.captured(1).toULongLong() >= limit + 4 - waiting);
        QCOMPARE(dropped.captured(2).toULongLong(), limit + 5 - waiting);
        QVERIFY(log->document()->blockCount() <= static_cast<int>(waiting) + 2);

        // A long line is shown cut with a mark, and kept whole in the model.
        const std::string longLine(5000, 'w');
        controller().addLog(longLine);
        QCOMPARE(controller().model().logLines().back(), longLine);
        QTRY_COMPARE(log->document()->lastBlock().text(),
                     QString(LogPane::kMaxShownChars, QChar('w')) + LogPane::kCutMark);
    }

    // A 530 reply that repeats the password: the password is masked in the reply line and in
    // the error made of it, in the pane and in the log file.
    void aRefusalRepeatingThePasswordIsMasked() {
        const std::string password = "s3cr3t!pw";
        test::ScriptedFtpServer server([](test::ScriptedFtpSession& s) {
            s.reply("220 scripted");
            s.expect("USER");
            s.reply("331 password");
            const std::string pass = s.expect("PASS ");
            s.reply("530 Login incorrect: password " + pass.substr(5) + " not accepted");
            s.waitForClose(std::chrono::seconds(10));
        });
        startWith(test::localServerRecord(server.port(), "joe", password));
        openSavedServer();
        QTRY_VERIFY_WITH_TIMEOUT(logCount("< 530") == 1, kWaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(inServerList(), kWaitMs);
        QVERIFY(server.failure().empty());
        expectMasked(password,
                     {"< 530 Login incorrect: password **** not accepted", "> PASS ****"});
    }
};

}  // namespace quay

QTEST_MAIN(quay::SessionWindowTest)
#include "session_window_test.moc"

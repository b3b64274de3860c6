// The remote file operations through the real main window against real servers, as a user
// does them: select rows of the remote pane, press the button or menu entry, answer the
// dialog, then look at the server's files on disk, the pane and the log.
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "ftp_servers.h"
#include "program_run.h"
#include "sites/server_line.h"
#include "test_support.h"
#include "ui/pane_view.h"

namespace quay {

namespace fs = std::filesystem;

namespace {

constexpr int kWaitMs = 20000;

}  // namespace

class RemoteOpsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TempDir> m_data;
    std::unique_ptr<test::TempDir> m_root;
    std::unique_ptr<test::FtpServer> m_server;
    std::unique_ptr<test::ProgramRun> m_program;

    SessionController& controller() { return m_program->controller; }
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
        return controller().ftp().state() == FtpState::fsReady && !controller().state().busy;
    }

    // Starts the server on the root, saves it as the only server of the list and connects
    // to it by a double-click, as a user would; returns once the root is listed.
    void connectTo(test::FtpServerKind kind) {
        m_server = test::makeFtpServer(kind);
        m_server->start(m_root->path());
        FtpServerInfo info = defaultServerInfo("");
        info.Name = "Local";
        info.Server = "127.0.0.1";
        info.Port = std::to_string(m_server->port());
        info.User = m_server->user();
        info.Password = m_server->password();
        info.SavePassword = true;
        test::writeFile(m_data->path() / "ftplist.TXT", serverInfoToLine(info) + "\r\n");
        m_program = std::make_unique<test::ProgramRun>(m_data->path());
        m_program->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_program->window));
        QTRY_VERIFY_WITH_TIMEOUT(remoteShows("Local"), kWaitMs);
        clickRows("FTPView", {"Local"});
        QTest::mouseDClick(viewport("FTPView"), Qt::LeftButton, {}, rowCentre("FTPView", "Local"));
        QTRY_VERIFY_WITH_TIMEOUT(
            !controller().state().serverListMode && remoteShows("marker") && idle(), kWaitMs);
    }

    QAbstractItemView* view(const char* list) {
        auto* paneView = m_program->window.findChild<PaneView*>(list);
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
    void clickRows(const char* list, std::initializer_list<std::string> captions) {
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

    void click(const char* button) {
        QTest::mouseClick(m_program->window.findChild<QToolButton*>(button), Qt::LeftButton);
    }
    void trigger(const char* entry) {
        QAction* action = m_program->window.action(entry);
        QVERIFY2(action != nullptr && action->isEnabled(), entry);
        action->trigger();
    }
    int logCount(const std::string& prefix) {
        int count = 0;
        for (const std::string& line : controller().model().logLines())
            count += line.rfind(prefix, 0) == 0 ? 1 : 0;
        return count;
    }

    // A nested tree beside a file to keep, a link that loops back into the tree and one that
    // leads out of it to a directory the server account could delete.
    void makeTree(const fs::path& outside) {
        test::writeFile(m_root->path() / "marker", "m");
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
    }

    void deletesANestedTree(test::FtpServerKind kind) {
        test::TempDir elsewhere;
        const fs::path outside = elsewhere.path() / "outside";
        makeTree(outside);
        test::FtpServer::handOver(elsewhere.path());
        connectTo(kind);
        const std::string start = controller().ftp().hostDirName();

        clickRows("FTPView", {"tree"});
        // ".." (listed by some servers) is never taken by a delete.
        if (remoteShows(".."))
            QTest::mouseClick(viewport("FTPView"), Qt::LeftButton, Qt::ControlModifier,
                              rowCentre("FTPView", ".."));
        click("sbDel2");
        QTRY_VERIFY_WITH_TIMEOUT(
            !fs::exists(m_root->path() / "tree") && idle() && !remoteShows("tree"), kWaitMs);
        auto bare = [](std::string dir) {
            while (dir.size() > 1 && dir.ends_with('/'))
                dir.pop_back();
            return QString::fromStdString(dir);
        };
        QCOMPARE(bare(controller().ftp().hostDirName()), bare(start));
        QVERIFY(remoteShows("marker"));
        QVERIFY(fs::exists(m_root->path() / "marker"));
        QVERIFY(fs::exists(outside / "precious.txt"));
        QVERIFY(!controller().state().deleteTree && !controller().state().removeDirs);
        QCOMPARE(logCount("Error "), 0);
    }

private slots:
    void init() {
        m_data = std::make_unique<test::TempDir>();
        m_root = std::make_unique<test::TempDir>();
    }
    void cleanup() {
        m_program.reset();
        m_server.reset();
        m_root.reset();
        m_data.reset();
    }

    void deletesANestedTreeOnVsftpd() { deletesANestedTree(test::FtpServerKind::Vsftpd); }
    void deletesANestedTreeOnPureFtpd() { deletesANestedTree(test::FtpServerKind::PureFtpd); }
};

}  // namespace quay

QTEST_MAIN(quay::RemoteOpsTest)
#include "remote_ops_test.moc"

// Listings through the real main window: MLSD where the server offers it (exact sizes, times,
// links), names that are UTF-8 or not (shown as text, sent and written as their bytes), and a
// server whose MLSD fails.
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <QAbstractItemView>
#include <QAction>
#include <QTest>
#include <memory>
#include <optional>

#include "central_european_time.h"
#include "ftp_servers.h"
#include "listing/remote_pane.h"
#include "menu_click.h"
#include "scripted_ftp_server.h"
#include "transfer_test_support.h"
#include "ui/pane_view.h"

namespace quay {

namespace fs = std::filesystem;

namespace {

const std::string kGreek = "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1.txt";
// Latin-1 "café ÿ.txt": no UTF-8.
const std::string kUndecodable = "caf\xE9 \xFF.txt";
constexpr std::int64_t kBigSize = 5 * (std::int64_t{1} << 30) + 3;

void setModified(const fs::path& path, time_t utc) {
    const struct timespec times[2] = {{utc, 0}, {utc, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

}  // namespace

class ServerNamesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FtpServer> m_server;
    std::unique_ptr<test::TransferProgram> m_run;
    std::unique_ptr<test::CentralEuropeanTime> m_zone;

    test::TransferProgram& run() { return *m_run; }
    fs::path root() { return m_run->root(); }

    bool connectTo(test::FtpServerKind kind, const std::function<void()>& prepare) {
        m_run = std::make_unique<test::TransferProgram>();
        prepare();
        m_server = test::makeFtpServer(kind);
        m_server->start(root());
        return run().start(m_server->port(), m_server->user(), m_server->password());
    }

    QAbstractItemView* view(const char* list) {
        auto* pane = run().window().findChild<PaneView*>(list);
        return qobject_cast<QAbstractItemView*>(pane->currentWidget());
    }
    QAbstractItemView* remoteView() { return view("FTPView"); }
    const PaneItem& remoteItem(const std::string& caption) {
        return run().controller().model().ftpView().item(
            static_cast<std::size_t>(run().remoteRow(caption)));
    }
    QString shownText(const std::string& caption, int column = 0) {
        const QModelIndex index =
            remoteView()->model()->index(static_cast<int>(run().remoteRow(caption)), column);
        return remoteView()->model()->data(index).toString();
    }
    // Clicks the first row and control-clicks the others, as a user selects them.
    bool clickRows(const char* list, const std::vector<std::string>& captions) {
        Qt::KeyboardModifiers modifiers;
        for (const std::string& caption : captions) {
            const long row =
                std::string(list) == "FTPView" ? run().remoteRow(caption) : run().localRow(caption);
            if (row < 0)
                return false;
            const QModelIndex index = view(list)->model()->index(static_cast<int>(row), 0);
            view(list)->scrollTo(index);
            QTest::mouseClick(view(list)->viewport(), Qt::LeftButton, modifiers,
                              view(list)->visualRect(index).center());
            modifiers = Qt::ControlModifier;
        }
        return true;
    }
    // Selects the rows, presses the button and waits for what it started to end.
    bool onRowsPress(const char* list, const std::vector<std::string>& captions,
                     const char* button) {
        return clickRows(list, captions) && run().click(button) && run().waitIdle();
    }
    int logCount(const std::string& prefix) { return run().logCount(prefix); }

private slots:
    // The pane's times are local: the test reads them in Central European time.
    void initTestCase() { m_zone = std::make_unique<test::CentralEuropeanTime>(); }
    void cleanupTestCase() { m_zone.reset(); }
    void cleanup() {
        m_run.reset();
        m_server.reset();
    }

    void servers_data() {
        QTest::addColumn<int>("kind");
        QTest::newRow("pure-ftpd") << static_cast<int>(test::FtpServerKind::PureFtpd);
        QTest::newRow("pyftpdlib") << static_cast<int>(test::FtpServerKind::Pyftpdlib);
    }

    // FEAT is asked once; its MLST makes every listing MLSD: the pane shows exact sizes above
    // 4 GiB and UTC times in local time, links as links, and the tree download walks the
    // MLSD listings of the directories it enters.
    void mlsdListingsFeedThePaneAndTheWalkers_data() { servers_data(); }
    void mlsdListingsFeedThePaneAndTheWalkers() {
        QFETCH(int, kind);
        QVERIFY(connectTo(static_cast<test::FtpServerKind>(kind), [&] {
            test::makeSparseFile(root() / "big.bin", kBigSize);
            test::putFile(root() / "dated.txt", "d");
            setModified(root() / "dated.txt", 1614834367);  // 2021-03-04 05:06:07 UTC
            test::putFile(root() / "tree" / "deeper" / "in.txt", "inner");
            test::putFile(root() / "tree" / "top.txt", "top");
            fs::create_symlink("dated.txt", root() / "link.txt");
        }));
        QCOMPARE(logCount("> FEAT"), 1);
        QCOMPARE(logCount("Features: "), 1);
        QVERIFY(logCount("> MLSD") >= 1);
        QCOMPARE(logCount("> LIST"), 0);

        QCOMPARE(remoteItem("big.bin").subItems.at(0), std::to_string(kBigSize));
        QCOMPARE(shownText("dated.txt", 2), QStringLiteral("04.03.2021"));
        QCOMPARE(shownText("dated.txt", 3), QStringLiteral("06:06"));
        QCOMPARE(remoteItem("tree").imageIndex, kDirectoryImage);
        QVERIFY(run().remoteRow(".") < 0);
        // pure-ftpd says what a link is; pyftpdlib lists what it points to.
        if (static_cast<test::FtpServerKind>(kind) == test::FtpServerKind::PureFtpd)
            QVERIFY(remoteItem("link.txt").subItems.at(3).starts_with('l'));
        else
            QCOMPARE(remoteItem("link.txt").subItems.at(0), std::string("1"));

        QVERIFY(onRowsPress("FTPView", {"tree"}, "SpeedButton2"));
        QCOMPARE(test::readFile(run().local() / "tree" / "top.txt"), std::string("top"));
        QCOMPARE(test::readFile(run().local() / "tree" / "deeper" / "in.txt"),
                 std::string("inner"));
        QCOMPARE(logCount("> LIST"), 0);
        QCOMPARE(logCount("> FEAT"), 1);
        QCOMPARE(logCount("Error "), 0);
    }

    // A Greek name and names that are no UTF-8: shown as text (replacement marks for what is
    // not UTF-8), downloaded (a tree too), uploaded, renamed and deleted under their own bytes.
    void namesKeepTheirBytes_data() { servers_data(); }
    void namesKeepTheirBytes() {
        QFETCH(int, kind);
        // pyftpdlib enters no directory whose name is not UTF-8 ("501 can't decode path").
        const bool dirs = static_cast<test::FtpServerKind>(kind) == test::FtpServerKind::PureFtpd;
        const std::string dir = "d\xE9j\xE0";
        auto withDir = [&](std::vector<std::string> rows) {
            if (dirs)
                rows.push_back(dir);
            return rows;
        };
        const std::string inner = "\xFF\xFE.bin";
        const std::string upload = "up\xFE.txt";
        QVERIFY(connectTo(static_cast<test::FtpServerKind>(kind), [&] {
            test::putFile(root() / kGreek, "greek");
            test::putFile(root() / kUndecodable, "latin");
            if (dirs)
                test::putFile(root() / dir / inner, "inner");
            test::putFile(run().local() / upload, "up");
        }));
        QCOMPARE(shownText(kGreek), QString::fromUtf8(kGreek));
        QCOMPARE(shownText(kUndecodable), QStringLiteral("caf\uFFFD \uFFFD.txt"));

        QVERIFY(onRowsPress("FTPView", withDir({kGreek, kUndecodable}), "SpeedButton2"));
        QCOMPARE(test::readFile(run().local() / kGreek), std::string("greek"));
        QCOMPARE(test::readFile(run().local() / kUndecodable), std::string("latin"));
        if (dirs)
            QCOMPARE(test::readFile(run().local() / dir / inner), std::string("inner"));

        QVERIFY(onRowsPress("lvLoc", {upload}, "SpeedButton1"));
        QCOMPARE(test::readFile(root() / upload), std::string("up"));

        const std::string renamed = "x" + kUndecodable;
        run().dialogs().promptAnswers.push_back(renamed);
        QVERIFY(onRowsPress("FTPView", {kUndecodable}, "sbRen2"));
        QCOMPARE(run().dialogs().prompts.back().value, kUndecodable);
        QVERIFY(fs::exists(root() / renamed));
        QVERIFY(!fs::exists(root() / kUndecodable));
        QVERIFY(run().remoteRow(renamed) >= 0);

        run().dialogs().messageAnswers = {Dialogs::Answer::Yes};
        QVERIFY(onRowsPress("FTPView", withDir({kGreek, renamed}), "sbDel2"));
        QVERIFY(!fs::exists(root() / kGreek));
        QVERIFY(!fs::exists(root() / renamed));
        QVERIFY(!fs::exists(root() / dir));
        QVERIFY(run().remoteRow(kGreek) < 0);
        QCOMPARE(logCount("Error "), 0);
    }

    // A server that offers MLST but refuses MLSD: one "! " line, the same listing again with
    // LIST, and LIST for the rest of the session (refresh, tree walk); the next session asks
    // FEAT and tries MLSD again.
    void aFailingMlsdFallsBackToListForTheSession() {
        test::ScriptedTree tree;
        tree.featReply = "211-Features:\r\n MLST type*;size*;modify*;\r\n UTF8\r\n211 End";
        tree.listing = [](const std::string& dir) -> std::optional<std::string> {
            if (dir == "/")
                return "drwxr-xr-x 2 u g 0 Jan 01 2024 sub\r\n"
                       "-rw-r--r-- 1 u g 4 Jan 01 2024 top.txt\r\n";
            if (dir == "/sub")
                return "-rw-r--r-- 1 u g 5 Jan 01 2024 in.txt\r\n";
            return std::nullopt;
        };
        tree.file = [](const std::string& path) -> std::optional<std::string> {
            return fs::path(path).filename().string();
        };
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        m_run = std::make_unique<test::TransferProgram>();
        QVERIFY(run().start(server.port(), "u", "p"));
        QVERIFY(run().remoteRow("top.txt") >= 0);
        QCOMPARE(logCount("> OPTS UTF8 ON"), 1);
        QCOMPARE(logCount("> MLSD"), 1);
        QCOMPARE(logCount("! MLSD failed"), 1);
        QCOMPARE(logCount("> LIST"), 1);

        QVERIFY(test::clickMenuEntry(run().window(), "FTPServer1", "Refresh3"));
        QVERIFY(run().waitIdle());
        QVERIFY(onRowsPress("FTPView", {"sub"}, "SpeedButton2"));
        QCOMPARE(test::readFile(run().local() / "sub" / "in.txt"), std::string("in.txt"));
        QCOMPARE(logCount("> MLSD"), 1);
        QCOMPARE(logCount("! MLSD failed"), 1);
        // Refresh, the walk into sub, the start directory after the batch.
        QCOMPARE(logCount("> LIST"), 4);
        QCOMPARE(logCount("Error "), 0);

        QVERIFY(run().click("sbDisConnect"));
        QVERIFY(test::TransferProgram::runUntil(
            [&] { return run().controller().state().serverListMode; }, test::kWaitMs));
        QVERIFY(clickRows("FTPView", {"Local"}));
        QTest::mouseDClick(remoteView()->viewport(), Qt::LeftButton, {},
                           remoteView()->visualRect(remoteView()->currentIndex()).center());
        QVERIFY(test::TransferProgram::runUntil([&] { return run().remoteRow("top.txt") >= 0; },
                                                test::kWaitMs));
        QVERIFY(run().waitIdle());
        QCOMPARE(logCount("> FEAT"), 2);
        QCOMPARE(logCount("> MLSD"), 2);
        QCOMPARE(logCount("! MLSD failed"), 2);
    }

    // MLSD refused only inside the tree being deleted: the walk lists that directory again
    // with LIST and deletes what it names; the session lists with LIST from then on.
    void aMlsdRefusedInADeleteWalkFallsBackThere() {
        test::ScriptedTree tree;
        tree.featReply = "211-Features:\r\n MLST type*;size*;\r\n211 End";
        tree.listing = [](const std::string& dir) -> std::optional<std::string> {
            if (dir == "/")
                return "drwxr-xr-x 2 u g 0 Jan 01 2024 sub\r\n";
            if (dir == "/sub")
                return "-rw-r--r-- 1 u g 5 Jan 01 2024 in.txt\r\n";
            return std::nullopt;
        };
        tree.mlsdListing = [](const std::string& dir) -> std::optional<std::string> {
            if (dir == "/")
                return std::string("type=dir; sub\r\ntype=file;size=3; top.txt\r\n");
            return std::nullopt;
        };
        tree.file = [](const std::string&) { return std::optional<std::string>(); };
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        m_run = std::make_unique<test::TransferProgram>();
        QVERIFY(run().start(server.port(), "u", "p"));
        QVERIFY(run().remoteRow("top.txt") >= 0);
        QCOMPARE(logCount("> LIST"), 0);

        run().dialogs().messageAnswers = {Dialogs::Answer::Yes};
        QVERIFY(onRowsPress("FTPView", {"sub"}, "sbDel2"));
        QCOMPARE(logCount("! MLSD failed"), 1);
        QCOMPARE(logCount("> MLSD"), 2);
        // The scripted tree deletes nothing: the refused DELE ends the delete, which lists
        // its start directory again, now with LIST.
        QCOMPARE(logCount("> DELE in.txt"), 1);
        QCOMPARE(logCount("> LIST"), 2);
        QVERIFY(run().remoteRow("sub") >= 0);
    }
};

}  // namespace quay

QTEST_MAIN(quay::ServerNamesTest)
#include "server_names_test.moc"

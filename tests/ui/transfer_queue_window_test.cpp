// The transfer queue through the real main window: "Simultaneous transfers" set in the options
// file, rows selected and the download button clicked; the files arrive whole over extra
// connections and the Queue tab lists each with its state and the totals; a second batch given
// while the first walks its tree waits behind it; the progress window names the files running.
// The tab's buttons Stop file, Stop batch, Stop all and Retry failed, clicked while a
// rate-limited vsftpd keeps the files running, stop what they say, and the program goes on.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include <set>

#include "ftp_servers.h"
#include "transfer_test_support.h"
#include "ui/pane_view.h"
#include "ui/widget_dialogs.h"

namespace quay {

namespace fs = std::filesystem;
using test::kWaitMs;

namespace {

// A tree of four directories of three files each below dir, the bytes drawn from seed.
std::vector<std::string> putTree(const fs::path& dir, int seed) {
    std::vector<std::string> files;
    for (int d = 0; d < 4; ++d)
        for (int f = 0; f < 3; ++f) {
            const std::string relative = test::numbered("d", d, "/") + test::numbered("f", f);
            test::putFile(dir / relative, test::randomBytes(30'000 + f * 1'000, seed + d * 3 + f));
            files.push_back(relative);
        }
    return files;
}

bool queueIdle(test::TransferProgram& run) {
    const auto& pool = run.controller().currentTransferPool();
    return pool && pool->idle() && !run.controller().runner().busy();
}

// Bytes a second vsftpd sends on one data connection in the tests of the buttons: a file of
// kSlowFileSize lasts about three seconds.
constexpr int kRate = 200'000;
constexpr std::size_t kSlowFileSize = 600'000;

// The Queue tab of the running program, driven by the mouse.
class QueueTab {
public:
    explicit QueueTab(test::TransferProgram& run) : m_run(run) {}

    // Shows the tab by a click on its title.
    bool open() {
        auto* tabs = m_run.window().findChild<QTabWidget*>("LogTabs");
        if (tabs == nullptr)
            return false;
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        m_list = m_run.window().findChild<QTreeWidget*>("QueueList");
        return tabs->currentIndex() == 1 && m_list != nullptr && m_list->isVisible();
    }
    QString state(int row) const {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        return item == nullptr ? QString() : item->text(4);
    }
    QStringList states() const {
        QStringList all;
        for (int row = 0; row < m_list->topLevelItemCount(); ++row)
            all << state(row);
        return all;
    }
    // Selects the row alone by a click on it.
    void clickRow(int row) {
        QTreeWidgetItem* item = m_list->topLevelItem(row);
        m_list->scrollToItem(item);
        QTest::mouseClick(m_list->viewport(), Qt::LeftButton, {},
                          m_list->visualItemRect(item).center());
    }
    bool clickButton(const char* name) {
        auto* button = m_run.window().findChild<QPushButton*>(QString::fromLatin1(name));
        if (button == nullptr || !button->isVisible() || !button->isEnabled())
            return false;
        QTest::mouseClick(button, Qt::LeftButton);
        return true;
    }
    // Waits until the file of the row is running and has moved some bytes.
    bool running(int row) {
        return QTest::qWaitFor(
            [&] {
                const auto& pool = m_run.controller().currentTransferPool();
                return pool && static_cast<int>(pool->jobs().size()) > row &&
                       pool->jobs()[static_cast<std::size_t>(row)].done > 50'000 &&
                       state(row).startsWith(QStringLiteral("running"));
            },
            kWaitMs);
    }
    // Once the row's file runs with bytes moved, selects the row by a click and clicks button.
    bool clickWhileRunning(int row, const char* button) {
        if (!running(row))
            return false;
        clickRow(row);
        return clickButton(button);
    }
    // Waits until the queue is empty and its rows show it.
    bool idle(int rows) {
        return QTest::qWaitFor(
            [&] {
                const auto& pool = m_run.controller().currentTransferPool();
                if (!pool || !pool->idle() || m_list->topLevelItemCount() != rows)
                    return false;
                for (int row = 0; row < rows; ++row)
                    if (state(row).startsWith(QStringLiteral("running")) ||
                        state(row) == QStringLiteral("waiting"))
                        return false;
                return true;
            },
            kWaitMs);
    }

private:
    test::TransferProgram& m_run;
    QTreeWidget* m_list = nullptr;
};

// Starts vsftpd with its rate limit on the program's root, and the program with that many
// connections and no retries.
bool startSlow(test::TransferProgram& run, test::VsftpdServer& server, int connections) {
    server.limitRate(kRate);
    server.start(run.root());
    return run.start(server.port(), server.user(), server.password(),
                     "retry=0\n[Transfers]\nConnections=" + std::to_string(connections) + "\n");
}

// The files <prefix><i>.bin of kSlowFileSize bytes on the server.
void putSlowFiles(const fs::path& root, const char* prefix, int count) {
    for (int i = 0; i < count; ++i)
        test::putFile(root / test::numbered(prefix, i, ".bin"),
                      test::randomBytes(kSlowFileSize, static_cast<unsigned>(i + 10)));
}

bool arrived(test::TransferProgram& run, const std::string& name) {
    return fs::exists(run.local() / name) &&
           test::readFile(run.local() / name) == test::readFile(run.root() / name);
}

// The REST commands of the extra connections with an offset above 0.
int resumes(test::TransferProgram& run) {
    int count = 0;
    for (const std::string& line : run.controller().model().logLines()) {
        const std::size_t at = line.find("] > REST ");
        count += line.starts_with("[") && at != std::string::npos && line.substr(at) != "] > REST 0"
                     ? 1
                     : 0;
    }
    return count;
}

// Refresh by its key on the remote list: the session lists the directory again, shown holds.
bool refreshWorks(test::TransferProgram& run, const std::string& shown) {
    // The batch's own end (its listing of the start directory) runs on the session after the
    // queue is done; a Refresh given during it is refused with a line, so wait as a user would.
    if (!run.waitIdle())
        return false;
    // vsftpd lists with LIST, pure-ftpd with MLSD.
    auto listings = [&] { return run.logCount("> LIST") + run.logCount("> MLSD"); };
    const int before = listings();
    QWidget* remote = run.window().findChild<PaneView*>("FTPView")->currentWidget();
    remote->setFocus();
    QTest::keyClick(remote, Qt::Key_F5);
    return run.waitIdle() && listings() == before + 1 && run.remoteRow(shown) >= 0;
}

// Runs the loop until the running batch has handed its first file to the queue.
bool firstFileQueued(test::TransferProgram& run) {
    return test::TransferProgram::runUntil(
        [&] {
            const auto& pool = run.controller().currentTransferPool();
            return pool && !pool->jobs().empty();
        },
        kWaitMs);
}

// Opens the directory of that row of the local or the remote list by a double-click, as a user
// does; a remote one once the session has listed it (the queue may go on).
bool openDir(test::TransferProgram& run, bool remote, const std::string& caption) {
    const auto rowOf = [&] { return remote ? run.remoteRow(caption) : run.localRow(caption); };
    const long row = rowOf();
    if (row < 0)
        return false;
    auto* view = qobject_cast<QAbstractItemView*>(
        run.window().findChild<PaneView*>(remote ? "FTPView" : "lvLoc")->currentWidget());
    const QPoint at = view->visualRect(view->model()->index(static_cast<int>(row), 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    return test::TransferProgram::runUntil(
        [&] { return (!remote || !run.controller().runner().busy()) && rowOf() < 0; }, kWaitMs);
}

// Whether the download batch still walks its tree: it runs and has not queued all files.
bool stillWalking(test::TransferProgram& run, std::size_t files) {
    const auto& pool = run.controller().currentTransferPool();
    return run.controller().runner().busy() && pool && pool->jobs().size() < files;
}

// The files and directories below dir, by path.
std::set<std::string> entriesBelow(const fs::path& dir) {
    std::set<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        entries.insert(entry.path().string());
    return entries;
}

// Answers the overwrite prompt by a click on button once it is open; counts the prompts seen.
class OverwritePromptClicker : public QObject {
public:
    explicit OverwritePromptClicker(const char* button) : m_button(button) {
        connect(&m_timer, &QTimer::timeout, this, [this] { clickWhenOpen(); });
        m_timer.start(50);
    }
    int answered() const { return m_answered; }

private:
    void clickWhenOpen() {
        QWidget* prompt = QApplication::activeModalWidget();
        if (prompt == nullptr || prompt->objectName() != QLatin1String("FReWrite"))
            return;
        auto* button = prompt->findChild<QAbstractButton*>(QString::fromLatin1(m_button));
        if (button == nullptr || !button->isVisible())
            return;
        ++m_answered;
        QTest::mouseClick(button, Qt::LeftButton);
    }
    const char* m_button;
    QTimer m_timer;
    int m_answered = 0;
};

}  // namespace

class TransferQueueWindowTest : public QObject {
    Q_OBJECT

private slots:
    void downloadOverThreeConnectionsFillsTheQueueTab() {
        test::TransferProgram run;
        const char* const names[] = {"q0.bin", "q1.bin", "q2.bin", "q3.bin", "sub/inner.bin"};
        for (int i = 0; i < 5; ++i)
            test::putFile(run.root() / names[i], test::randomBytes(200'000, i));
        auto server = test::makeFtpServer(test::FtpServerKind::Vsftpd);
        server->start(run.root());
        QVERIFY(run.start(server->port(), server->user(), server->password(),
                          "retry=1\n[Transfers]\nConnections=3\n"));

        QVERIFY(run.selectRemote({"q0.bin", "q1.bin", "q2.bin", "q3.bin", "sub"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(run.waitIdle());
        QVERIFY(QTest::qWaitFor(
            [&] {
                const auto& pool = run.controller().currentTransferPool();
                return pool && pool->idle();
            },
            kWaitMs));
        for (const char* name : names)
            QCOMPARE(test::readFile(run.local() / name), test::readFile(run.root() / name));
        // The extra connections [2] to [4] carried the files, whichever logged in first.
        QVERIFY(run.logCount("[2] > RETR ") + run.logCount("[3] > RETR ") +
                    run.logCount("[4] > RETR ") >=
                1);
        QVERIFY(run.logCount("[2] > PASS ****") == 1);

        // The Queue tab, opened by a click on its tab: one row per file, all done.
        auto* tabs = run.window().findChild<QTabWidget*>("LogTabs");
        QVERIFY(tabs != nullptr);
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        QCOMPARE(tabs->currentIndex(), 1);
        auto* list = run.window().findChild<QTreeWidget*>("QueueList");
        QVERIFY(list != nullptr && list->isVisible());
        QCOMPARE(list->topLevelItemCount(), 5);
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            QCOMPARE(item->text(0), QStringLiteral("Download"));
            QCOMPARE(item->text(3), QStringLiteral("200000"));
            QCOMPARE(item->text(4), QStringLiteral("done"));
            QVERIFY(item->text(1).startsWith(QString::fromStdString(run.local().string())));
        }
        QVERIFY(list->topLevelItem(4)->text(2).endsWith(QStringLiteral("/sub/inner.bin")));
        auto* totals = run.window().findChild<QLabel*>("QueueTotals");
        QVERIFY(QTest::qWaitFor(
            [&] {
                return totals->text().startsWith(QStringLiteral("5 of 5 files done, 0 failed"));
            },
            kWaitMs));

        // A later download joins the same queue as a row of its own.
        fs::remove(run.local() / "q0.bin");
        QVERIFY(run.selectRemote({"q0.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(QTest::qWaitFor(
            [&] {
                return list->topLevelItemCount() == 6 &&
                       list->topLevelItem(5)->text(4) == QStringLiteral("done");
            },
            kWaitMs));
        QCOMPARE(test::readFile(run.local() / "q0.bin"), test::readFile(run.root() / "q0.bin"));
    }
    // A download of one tree walks; an upload of another, selected in the local pane and
    // started by its button meanwhile, waits, then walks, its files behind the first's.
    void uploadGivenDuringADownloadsWalkWaitsBehindIt() {
        test::TransferProgram run;
        const std::vector<std::string> downFiles = putTree(run.root() / "down", 10);
        const std::vector<std::string> upFiles = putTree(run.local() / "up", 50);
        auto server = test::makeFtpServer(test::FtpServerKind::Vsftpd);
        server->start(run.root());
        QVERIFY(run.start(server->port(), server->user(), server->password(),
                          "[Transfers]\nConnections=2\n"));

        QVERIFY(run.selectRemote({"down"}));
        QVERIFY(run.click("SpeedButton2"));
        // The walk has queued its first file and goes on with the next directories.
        QVERIFY(firstFileQueued(run));
        QVERIFY(run.controller().runner().busy());
        QVERIFY(run.selectLocal({"up"}));
        QVERIFY(run.click("SpeedButton1"));
        QCOMPARE(run.logCount("Upload waits until Download has walked its folders"), 1);
        QCOMPARE(run.logCount("! Upload not started"), 0);
        QVERIFY(test::TransferProgram::runUntil([&] { return queueIdle(run); }, kWaitMs));
        for (const std::string& file : downFiles)
            QCOMPARE(test::readFile(run.local() / "down" / file),
                     test::readFile(run.root() / "down" / file));
        for (const std::string& file : upFiles)
            QCOMPARE(test::readFile(run.root() / "up" / file),
                     test::readFile(run.local() / "up" / file));

        // The Queue tab: the download's twelve rows, then the upload's twelve.
        QueueTab queue(run);
        QVERIFY(queue.open());
        auto* list = run.window().findChild<QTreeWidget*>("QueueList");
        QVERIFY(QTest::qWaitFor([&] { return list->topLevelItemCount() == 24; }, kWaitMs));
        for (int row = 0; row < 24; ++row) {
            const QTreeWidgetItem* item = list->topLevelItem(row);
            QCOMPARE(item->text(0),
                     row < 12 ? QStringLiteral("Download") : QStringLiteral("Upload"));
            QVERIFY2(item->text(1).contains(row < 12 ? QStringLiteral("/down/d")
                                                     : QStringLiteral("/up/d")),
                     qPrintable(item->text(1)));
            QVERIFY(
                QTest::qWaitFor([&] { return item->text(4) == QStringLiteral("done"); }, kWaitMs));
        }

        // The session is free again: F5 in the remote list lists the start directory.
        QVERIFY(refreshWorks(run, "up"));
    }

    // With three connections and files that take seconds each, the progress window shows the
    // queue's totals and, below them, the files running, one line each; it closes at the end.
    void progressWindowNamesTheRunningFiles() {
        test::TransferProgram run;
        const QStringList names = {"p0.bin", "p1.bin", "p2.bin", "p3.bin", "p4.bin"};
        for (int i = 0; i < names.size(); ++i)
            test::putFile(run.root() / names[i].toStdString(), test::randomBytes(500'000, 70 + i));
        auto server = std::make_unique<test::PureFtpdServer>();
        server->setBandwidth(300);
        server->start(run.root());
        QVERIFY(run.start(server->port(), server->user(), server->password(),
                          "[Transfers]\nConnections=3\n"));

        QVERIFY(run.selectRemote({"p0.bin", "p1.bin", "p2.bin", "p3.bin", "p4.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(QTest::qWaitFor([&] { return run.progressShown(); }, kWaitMs));
        QLabel* running = run.window().findChild<QLabel*>("RunningLbl");
        QVERIFY(running != nullptr);
        std::set<QString> seen;
        int mostAtOnce = 0;
        const bool ended = test::TransferProgram::runUntil(
            [&] {
                if (!run.progressShown())
                    return true;
                if (!running->isVisible())
                    return false;
                const QStringList lines = running->text().split(QLatin1Char('\n'));
                mostAtOnce = std::max(mostAtOnce, static_cast<int>(lines.size()));
                for (const QString& line : lines)
                    seen.insert(line.section(QLatin1Char(' '), 0, 0));
                return false;
            },
            60'000);
        QVERIFY(ended);
        QVERIFY(queueIdle(run) || QTest::qWaitFor([&] { return queueIdle(run); }, kWaitMs));
        // Every line named a file of the batch; several ran at once.
        QVERIFY(!seen.empty());
        for (const QString& name : seen)
            QVERIFY2(names.contains(name), qPrintable(name));
        QVERIFY2(mostAtOnce >= 2, qPrintable(QString::number(mostAtOnce)));
        QVERIFY(mostAtOnce <= 3);
        for (const QString& name : names)
            QCOMPARE(test::readFile(run.local() / name.toStdString()),
                     test::readFile(run.root() / name.toStdString()));
    }

    // The progress window's Cancel, clicked while the download still walks its tree and an
    // upload waits behind it, stops the whole transfer: the walk queues nothing more and makes
    // no more directories, the waiting upload is dropped with a line, every file not done fails
    // "Stopped"; then Refresh and a new download work.
    void cancelInTheProgressWindowStopsTheWalkToo() {
        test::TransferProgram run;
        std::size_t files = 0;
        for (int d = 0; d < 40; ++d)
            for (int f = 0; f < 2; ++f, ++files)
                test::putFile(run.root() / "tree" / test::numbered("d", d, "/") /
                                  test::numbered("f", f, ".bin"),
                              test::randomBytes(100'000, d * 2 + f));
        test::putFile(run.root() / "c.bin", test::randomBytes(5'000, 3));
        putTree(run.local() / "up", 90);
        auto server = std::make_unique<test::PureFtpdServer>();
        server->setBandwidth(300);
        server->start(run.root());
        QVERIFY(run.start(server->port(), server->user(), server->password(),
                          "retry=0\n[Transfers]\nConnections=3\n"));

        QVERIFY(run.selectRemote({"tree"}));
        QVERIFY(run.click("SpeedButton2"));
        // A file moves bytes while the walk goes on.
        QVERIFY(QTest::qWaitFor(
            [&] {
                const auto& pool = run.controller().currentTransferPool();
                return run.progressShown() &&
                       std::any_of(pool->jobs().begin(), pool->jobs().end(),
                                   [](const TransferJob& job) { return job.done > 0; });
            },
            kWaitMs));
        QVERIFY(run.selectLocal({"up"}));
        QVERIFY(run.click("SpeedButton1"));
        QCOMPARE(run.logCount("Upload waits until Download has walked its folders"), 1);
        QVERIFY2(stillWalking(run, files), "the walk ended before the Cancel");

        auto* cancel =
            run.window().findChild<QWidget*>("TProgress")->findChild<QToolButton*>("CancelBtn");
        QVERIFY(cancel != nullptr && cancel->isVisible());
        QTest::mouseClick(cancel, Qt::LeftButton);
        const auto& pool = run.controller().currentTransferPool();
        const std::size_t queued = pool->jobs().size();
        const std::set<std::string> written = entriesBelow(run.local() / "tree");
        QVERIFY(QTest::qWaitFor([&] { return queueIdle(run); }, kWaitMs));
        QVERIFY(QTest::qWaitFor([&] { return !run.progressShown(); }, kWaitMs));

        QCOMPARE(pool->jobs().size(), queued);
        QCOMPARE(entriesBelow(run.local() / "tree"), written);
        int stopped = 0;
        for (const TransferJob& job : pool->jobs()) {
            QVERIFY(job.state == TransferJob::State::Done ||
                    (job.state == TransferJob::State::Failed && job.reason == "Stopped"));
            stopped += job.state == TransferJob::State::Failed ? 1 : 0;
            if (job.state == TransferJob::State::Done)
                QCOMPARE(test::readFile(job.local),
                         test::readFile(run.root() / fs::relative(job.local, run.local())));
        }
        QVERIFY(stopped > 0);
        QCOMPARE(run.logCount("! Upload not started: stopped"), 1);
        QVERIFY(!fs::exists(run.root() / "up"));
        QCOMPARE(
            run.logCount("Transfer queue done: " + std::to_string(queued - stopped) + " of " +
                         std::to_string(queued) + " files, " + std::to_string(stopped) + " failed"),
            1);

        QVERIFY(refreshWorks(run, "tree"));
        QVERIFY(run.selectRemote({"c.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(QTest::qWaitFor([&] { return queueIdle(run) && arrived(run, "c.bin"); }, kWaitMs));
    }

    // An upload given while another walks waits behind it; the first batch sends a file x
    // meanwhile, and the waiting one, also sending an x, asks about it through the overwrite
    // prompt: Skip leaves the first batch's bytes on the server, Overwrite puts its own there.
    void waitingUploadAsksAboutWhatTheBatchInFrontSent_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("Skip") << QStringLiteral("SpeedButton4") << false;
        QTest::newRow("Overwrite") << QStringLiteral("SpeedButton2") << true;
    }
    void waitingUploadAsksAboutWhatTheBatchInFrontSent() {
        QFETCH(QString, button);
        QFETCH(bool, replaced);
        test::TransferProgram run;
        const std::string first = test::randomBytes(2'000, 1);
        const std::string second = test::randomBytes(3'000, 2);
        const std::vector<std::string> treeFiles = putTree(run.local() / "tree", 20);
        for (int d = 4; d < 16; ++d)
            test::putFile(run.local() / "tree" / test::numbered("e", d, "/f.bin"), "e");
        test::putFile(run.local() / "x", first);
        test::putFile(run.local() / "other" / "x", second);
        auto server = test::makeFtpServer(test::FtpServerKind::Vsftpd);
        server->start(run.root());
        QVERIFY(run.start(server->port(), server->user(), server->password(),
                          "[Transfers]\nConnections=2\n"));
        WidgetDialogs prompts;
        prompts.setParent(&run.window());
        run.dialogs().overwritePrompt = &prompts;
        const QByteArray buttonName = button.toLatin1();
        OverwritePromptClicker clicker(buttonName.constData());

        QVERIFY(run.selectLocal({"tree", "x"}));
        QVERIFY(run.click("SpeedButton1"));
        QVERIFY(firstFileQueued(run));
        QVERIFY(openDir(run, false, "other"));
        QVERIFY(run.selectLocal({"x"}));
        QVERIFY(run.click("SpeedButton1"));
        QCOMPARE(run.logCount("Upload waits until Upload has walked its folders"), 1);
        QVERIFY(test::TransferProgram::runUntil([&] { return queueIdle(run); }, kWaitMs));

        QCOMPARE(run.dialogs().overwriteAsked, std::vector<std::string>{"x"});
        QCOMPARE(clicker.answered(), 1);
        QCOMPARE(test::readFile(run.root() / "x"), replaced ? second : first);
        for (const std::string& file : treeFiles)
            QCOMPARE(test::readFile(run.root() / "tree" / file),
                     test::readFile(run.local() / "tree" / file));
        QVERIFY(refreshWorks(run, "x"));
    }

    // A download of x given while the queue still holds an earlier download of x into the same
    // folder, not on disk yet, asks about it through the overwrite prompt: Skip keeps the earlier
    // file's bytes, Overwrite puts the new ones there once the earlier one has ended.
    void downloadAsksAboutAFileTheQueueIsToFetch_data() {
        waitingUploadAsksAboutWhatTheBatchInFrontSent_data();
    }
    void downloadAsksAboutAFileTheQueueIsToFetch() {
        QFETCH(QString, button);
        QFETCH(bool, replaced);
        test::TransferProgram run;
        putSlowFiles(run.root(), "a", 3);
        const std::string first = test::randomBytes(2'000, 1);
        const std::string second = test::randomBytes(3'000, 2);
        test::putFile(run.root() / "x", first);
        test::putFile(run.root() / "other" / "x", second);
        test::VsftpdServer server;
        QVERIFY(startSlow(run, server, 3));
        WidgetDialogs prompts;
        prompts.setParent(&run.window());
        run.dialogs().overwritePrompt = &prompts;
        const QByteArray buttonName = button.toLatin1();
        OverwritePromptClicker clicker(buttonName.constData());

        QVERIFY(run.selectRemote({"a0.bin", "a1.bin", "a2.bin", "x"}));
        QVERIFY(run.click("SpeedButton2"));
        const auto& pool = run.controller().currentTransferPool();
        QVERIFY(test::TransferProgram::runUntil(
            [&] { return !run.controller().runner().busy() && pool && pool->jobs().size() == 4; },
            kWaitMs));
        QVERIFY(pool->jobs()[3].state == TransferJob::State::Waiting);
        QVERIFY(!fs::exists(run.local() / "x"));
        QVERIFY(openDir(run, true, "other"));
        QVERIFY(run.selectRemote({"x"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(test::TransferProgram::runUntil([&] { return queueIdle(run); }, kWaitMs));

        QCOMPARE(run.dialogs().overwriteAsked,
                 std::vector<std::string>{(run.local() / "x").string()});
        QCOMPARE(clicker.answered(), 1);
        QCOMPARE(test::readFile(run.local() / "x"), replaced ? second : first);
        QVERIFY(arrived(run, "a2.bin"));
        QVERIFY(refreshWorks(run, "x"));
    }

    // Stop file on a running row selected by a click: that file fails "Stopped", the others
    // arrive; Refresh still works; Retry failed resumes the stopped file behind its bytes.
    void stopFileThenRetryFailedByClicks() {
        test::TransferProgram run;
        putSlowFiles(run.root(), "q", 3);
        test::VsftpdServer server;
        QVERIFY(startSlow(run, server, 2));
        QVERIFY(run.selectRemote({"q0.bin", "q1.bin", "q2.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QueueTab queue(run);
        QVERIFY(queue.open());
        QVERIFY(queue.clickWhileRunning(0, "QueueStopFile"));
        QVERIFY(queue.idle(3));
        QCOMPARE(queue.states(), (QStringList{"failed: Stopped", "done", "done"}));
        QVERIFY(arrived(run, "q1.bin") && arrived(run, "q2.bin"));
        QVERIFY(fs::file_size(run.local() / "q0.bin") < kSlowFileSize);
        QVERIFY(refreshWorks(run, "q0.bin"));

        QVERIFY(queue.clickButton("QueueRetry"));
        QVERIFY(queue.idle(3));
        QVERIFY(arrived(run, "q0.bin"));
        QCOMPARE(resumes(run), 1);
    }

    // Stop batch on a row of the second of two batches: its files fail "Stopped", the first
    // batch's arrive, and a new download afterwards arrives too.
    void stopBatchByClickLeavesTheOtherBatch() {
        test::TransferProgram run;
        putSlowFiles(run.root(), "a", 2);
        putSlowFiles(run.root(), "b", 2);
        test::putFile(run.root() / "c.bin", test::randomBytes(5'000, 3));
        test::VsftpdServer server;
        QVERIFY(startSlow(run, server, 4));
        QVERIFY(run.selectRemote({"a0.bin", "a1.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(run.waitIdle());
        QVERIFY(run.selectRemote({"b0.bin", "b1.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QueueTab queue(run);
        QVERIFY(queue.open());
        QVERIFY(queue.clickWhileRunning(3, "QueueStopBatch"));
        QVERIFY(queue.idle(4));
        QCOMPARE(queue.states(),
                 (QStringList{"done", "done", "failed: Stopped", "failed: Stopped"}));
        QVERIFY(arrived(run, "a0.bin") && arrived(run, "a1.bin"));
        QVERIFY(!arrived(run, "b0.bin") && !arrived(run, "b1.bin"));

        QVERIFY(run.waitIdle());
        QVERIFY(run.selectRemote({"c.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(queue.idle(5));
        QCOMPARE(queue.state(4), QStringLiteral("done"));
        QVERIFY(arrived(run, "c.bin"));
    }

    // Stop all while some files run and some wait: every one fails "Stopped"; Refresh still
    // works; Retry failed brings them all, the started ones resumed.
    void stopAllThenRetryFailedByClicks() {
        test::TransferProgram run;
        putSlowFiles(run.root(), "q", 5);
        test::VsftpdServer server;
        QVERIFY(startSlow(run, server, 3));
        QVERIFY(run.selectRemote({"q0.bin", "q1.bin", "q2.bin", "q3.bin", "q4.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QueueTab queue(run);
        QVERIFY(queue.open());
        QVERIFY(queue.clickWhileRunning(0, "QueueStopAll"));
        QVERIFY(queue.idle(5));
        QCOMPARE(queue.states(), QStringList(5, QStringLiteral("failed: Stopped")));
        QVERIFY(refreshWorks(run, "q0.bin"));

        QVERIFY(queue.clickButton("QueueRetry"));
        QVERIFY(queue.idle(5));
        QCOMPARE(queue.states(), QStringList(5, QStringLiteral("done")));
        for (int row = 0; row < 5; ++row)
            QVERIFY(arrived(run, test::numbered("q", row, ".bin")));
        QVERIFY(resumes(run) >= 1);
    }
};

}  // namespace quay

QTEST_MAIN(quay::TransferQueueWindowTest)
#include "transfer_queue_window_test.moc"

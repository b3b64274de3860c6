// The transfer queue through the real main window: "Simultaneous transfers" set in the options
// file, rows selected and the download button clicked; the files arrive whole over extra
// connections and the Queue tab lists each with its state and the totals; a second batch given
// while the first walks its tree waits behind it; the progress window names the files running.
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <algorithm>

#include <set>

#include "ftp_servers.h"
#include "transfer_test_support.h"
#include "ui/pane_view.h"

namespace quay {

namespace fs = std::filesystem;
using test::kWaitMs;

namespace {

// A tree of four directories of three files each below dir, the bytes drawn from seed.
std::vector<std::string> putTree(const fs::path& dir, int seed) {
    std::vector<std::string> files;
    for (int d = 0; d < 4; ++d)
        for (int f = 0; f < 3; ++f) {
            // Appended piece by piece: GCC 12 takes "d" + std::to_string(d) for an overlapping
            // copy.
            std::string relative = "d";
            relative += std::to_string(d);
            relative += "/f";
            relative += std::to_string(f);
            test::putFile(dir / relative, test::randomBytes(30'000 + f * 1'000, seed + d * 3 + f));
            files.push_back(relative);
        }
    return files;
}

bool queueIdle(test::TransferProgram& run) {
    const auto& pool = run.controller().currentTransferPool();
    return pool && pool->idle() && !run.controller().runner().busy();
}

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
        QVERIFY(test::TransferProgram::runUntil(
            [&] {
                const auto& pool = run.controller().currentTransferPool();
                return pool && !pool->jobs().empty();
            },
            kWaitMs));
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
        auto* tabs = run.window().findChild<QTabWidget*>("LogTabs");
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
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
        QVERIFY(run.waitIdle());
        const int listings = run.logCount("> LIST");
        auto* remote = run.window().findChild<PaneView*>("FTPView");
        QWidget* view = remote->currentWidget();
        view->setFocus();
        QTest::keyClick(view, Qt::Key_F5);
        QVERIFY(test::TransferProgram::runUntil([&] { return run.logCount("> LIST") > listings; },
                                                kWaitMs));
        QVERIFY(run.waitIdle());
        QVERIFY(run.remoteRow("up") >= 0);
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
};

}  // namespace quay

QTEST_MAIN(quay::TransferQueueWindowTest)
#include "transfer_queue_window_test.moc"

// The transfer queue through the real main window: "Simultaneous transfers" set in the options
// file, rows selected and the download button clicked; the files arrive whole over extra
// connections and the Queue tab lists each with its state and the totals.
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "ftp_servers.h"
#include "transfer_test_support.h"

namespace quay {

namespace fs = std::filesystem;
using test::kWaitMs;

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
};

}  // namespace quay

QTEST_MAIN(quay::TransferQueueWindowTest)
#include "transfer_queue_window_test.moc"

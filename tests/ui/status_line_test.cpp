// The status line against a real server: it names what runs (connecting, listing, each file
// of a download and an upload as "n of m") while it runs and is empty once the session is idle.
// Every text it shows is recorded as it is shown.
#include <QHeaderView>
#include <QStatusBar>
#include <QTest>
#include <memory>

#include "ftp_servers.h"
#include "transfer_test_support.h"
#include "ui/pane_view.h"

namespace quay {

using test::kWaitMs;

class StatusLineTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TransferProgram> m_run;
    std::unique_ptr<test::FtpServer> m_server;
    QStringList m_shown;

    test::TransferProgram& run() { return *m_run; }
    QStatusBar& statusLine() { return *run().window().statusBar(); }
    void record() {
        m_shown.clear();
        connect(&statusLine(), &QStatusBar::messageChanged, this,
                [this](const QString& text) { m_shown << text; });
    }
    // Whether the texts were shown in this order (others may come between them).
    bool shownInOrder(const QStringList& texts) {
        qsizetype at = 0;
        for (const QString& text : texts) {
            at = m_shown.indexOf(text, at);
            if (at < 0)
                return false;
            ++at;
        }
        return true;
    }

private slots:
    void cleanup() {
        m_run.reset();
        m_server.reset();
    }

    void namesWhatRunsAndIsEmptyWhenIdle() {
        m_run = std::make_unique<test::TransferProgram>();
        test::putFile(run().root() / "a.bin", test::randomBytes(300'000, 1));
        test::putFile(run().root() / "b.bin", test::randomBytes(200'000, 2));
        test::putFile(run().local() / "up.txt", "up");
        m_server = test::makeFtpServer(test::FtpServerKind::Vsftpd);
        m_server->start(run().root());
        QVERIFY(run().start(m_server->port(), m_server->user(), m_server->password()));
        QCOMPARE(statusLine().currentMessage(), QString());
        record();
        const QString dir = QString::fromStdString(run().controller().ftp().hostDirName());

        // Refresh by its key.
        QWidget* remote = run().window().findChild<PaneView*>("FTPView")->currentWidget();
        remote->setFocus();
        QTest::keyClick(remote, Qt::Key_F5);
        QVERIFY(run().waitIdle());
        QVERIFY2(shownInOrder({"Listing " + dir, ""}), qPrintable(m_shown.join('|')));

        m_shown.clear();
        QVERIFY(run().selectRemote({"a.bin", "b.bin"}));
        QVERIFY(run().click("SpeedButton2"));
        QVERIFY(run().waitIdle());
        QVERIFY2(shownInOrder({"Downloading 1 of 2", "Downloading 2 of 2", "Listing " + dir, ""}),
                 qPrintable(m_shown.join('|')));
        QCOMPARE(statusLine().currentMessage(), QString());
        QCOMPARE(test::readFile(run().local() / "b.bin"), test::readFile(run().root() / "b.bin"));

        m_shown.clear();
        run().controller().changeLocalDir(run().local().string());
        QVERIFY(run().selectLocal({"up.txt"}));
        QVERIFY(run().click("SpeedButton1"));
        QVERIFY(run().waitIdle());
        QVERIFY2(shownInOrder({"Uploading 1 of 1", ""}), qPrintable(m_shown.join('|')));

        // Disconnected and connected again by Enter on the saved server.
        m_shown.clear();
        QVERIFY(run().click("sbDisConnect"));
        QVERIFY(
            QTest::qWaitFor([this] { return run().controller().state().serverListMode; }, kWaitMs));
        QVERIFY(run().selectRemote({"Local"}));
        remote = run().window().findChild<PaneView*>("FTPView")->currentWidget();
        remote->setFocus();
        QTest::keyClick(remote, Qt::Key_Return);
        QVERIFY(QTest::qWaitFor([this] { return !run().controller().state().serverListMode; },
                                kWaitMs));
        QVERIFY(run().waitIdle());
        QVERIFY2(shownInOrder({"Connecting to 127.0.0.1", "Listing " + dir, ""}),
                 qPrintable(m_shown.join('|')));
        QCOMPARE(statusLine().currentMessage(), QString());

        // The listing's dates show whole.
        auto* list = run().window().findChild<PaneView*>("FTPView");
        const QFontMetrics metrics = list->reportView().fontMetrics();
        const int dateColumn = 2;
        for (int row = 0; row < list->itemModel().rowCount(); ++row) {
            const QString date = list->itemModel().index(row, dateColumn).data().toString();
            QVERIFY(list->reportView().header()->sectionSize(dateColumn) >
                    metrics.horizontalAdvance(date));
        }
    }
};

}  // namespace quay

QTEST_MAIN(quay::StatusLineTest)
#include "status_line_test.moc"

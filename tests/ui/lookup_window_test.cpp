// A name lookup never freezes the window. The SOCKS 4 server (dante) is given by a name that a
// name server of the test's own never answers for: while the log-in waits for it, timers run, the
// window repaints and takes typing; Stop ends the attempt, and once the name is in the hosts file
// the next log-in goes through dante to vsftpd.
#include <QComboBox>
#include <QTest>
#include <QTimer>

#include "ftp_servers.h"
#include "socks_servers.h"
#include "test_name_server.h"
#include "transfer_test_support.h"

namespace quay {

namespace {

const std::string SocksHost = "socks.quayside.test";

// Counts the paint events of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace

class LookupWindowTest : public QObject {
    Q_OBJECT

private slots:
    void aHangingSocksLookupLeavesTheWindowWorkingAndStopEndsIt() {
        test::TestNameServer names(test::TestNameServer::Answer::Nothing);
        if (!names.use("127.0.0.1 localhost\n"))
            QSKIP(
                "no hosts file and name server of the test's own (needs root and a mount "
                "namespace)");
        test::TransferProgram run;
        test::putFile(run.root() / "hello.txt", "hello");
        test::VsftpdServer server;
        server.start(run.root());
        test::DantedServer dante;
        dante.start();
        QVERIFY(run.launch(server.port(), server.user(), server.password(),
                           "ConnectionType=2\n[Socks]\nServer=" + SocksHost +
                               "\nPort=" + std::to_string(dante.port()) + "\n"));
        QVERIFY(run.openServer());
        QTRY_VERIFY_WITH_TIMEOUT(names.asked(SocksHost), test::kWaitMs);

        // The log-in waits for the name; meanwhile the loop runs timers, paints and input.
        int ticks = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] { ++ticks; });
        timer.start(20);
        PaintCounter counter;
        run.window().installEventFilter(&counter);
        run.window().update();
        auto* command = run.window().findChild<QComboBox*>("cbCmd");
        QVERIFY(command != nullptr);
        command->setFocus();
        QTest::keyClicks(command, "NOOP");
        QTRY_VERIFY_WITH_TIMEOUT(ticks >= 25, 5000);
        QCOMPARE(command->currentText(), QStringLiteral("NOOP"));
        QVERIFY(counter.paints > 0);
        QVERIFY(run.controller().runner().busy());
        QCOMPARE(run.logCount("Connecting to"), 1);

        QVERIFY(run.click("sbStop"));
        QTRY_VERIFY_WITH_TIMEOUT(
            run.controller().state().serverListMode && !run.controller().runner().busy(),
            test::kWaitMs);
        QCOMPARE(run.logCount("Connecting to"), 1);

        // The name resolves now: the next log-in lists the server's directory through dante.
        QVERIFY(names.use("127.0.0.1 localhost " + SocksHost + "\n"));
        QVERIFY(run.openServer());
        QTRY_VERIFY_WITH_TIMEOUT(run.remoteRow("hello.txt") >= 0, test::kWaitMs);
        QCOMPARE(run.controller().ftp().controlSocket().remoteAddress().port(), dante.port());
    }
};

}  // namespace quay

QTEST_MAIN(quay::LookupWindowTest)
#include "lookup_window_test.moc"

// Servers that misbehave, met through the real main window: a greeting that trickles in a byte
// at a time (the user gives up with Disconnect or Stop), a REST the server refuses (the next
// listings still work).
#include <QAbstractItemView>
#include <QAction>
#include <QTest>
#include <QToolButton>
#include <algorithm>

#include "menu_click.h"
#include "scripted_ftp_server.h"
#include "transfer_test_support.h"
#include "ui/pane_view.h"

namespace quay {

using namespace std::chrono_literals;
using test::kWaitMs;

namespace {

std::string listingLine(char kind, const std::string& size, const std::string& name) {
    return std::string(1, kind) + "rw-r--r-- 1 u g " + size + " Jan 01 2024 " + name + "\r\n";
}

// A server with hello.txt and the directory sub (holding inner.txt) in its root, and the file
// f.bin of 10 bytes.
test::ScriptedTree smallTree() {
    test::ScriptedTree tree;
    tree.listing = [](const std::string& dir) -> std::optional<std::string> {
        if (dir == "/")
            return listingLine('-', "5", "hello.txt") + listingLine('-', "10", "f.bin") +
                   listingLine('d', "4096", "sub");
        if (dir == "/sub")
            return listingLine('-', "3", "inner.txt");
        return std::nullopt;
    };
    tree.file = [](const std::string& path) -> std::optional<std::string> {
        if (path == "/f.bin")
            return std::string("0123456789");
        return std::nullopt;
    };
    return tree;
}

// Sends a greeting that never ends, one byte every 200 ms, until the client goes.
void trickleGreeting(test::ScriptedFtpSession& s) {
    for (int i = 0; i < 300 && !s.waitForClose(200ms); ++i)
        s.send("2");
}

bool doubleClickRemote(test::TransferProgram& run, const std::string& caption) {
    if (!run.runUntil([&] { return run.remoteRow(caption) >= 0; }, kWaitMs))
        return false;
    auto* view = qobject_cast<QAbstractItemView*>(
        run.window().findChild<PaneView*>("FTPView")->currentWidget());
    const QModelIndex index = view->model()->index(static_cast<int>(run.remoteRow(caption)), 0);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    return true;
}

bool backInServerList(test::TransferProgram& run) {
    return run.controller().state().serverListMode && !run.controller().runner().busy() &&
           !run.controller().ftp().connected() &&
           run.controller().model().screenCursor() == Cursor::crDefault &&
           run.remoteRow("Local") >= 0;
}

}  // namespace

class HostileServerTest : public QObject {
    Q_OBJECT

private:
    // Connects to "Local", whose server now trickles its greeting, and gives up with the
    // button of that name.
    static void giveUpConnectingWith(test::TransferProgram& run, const char* name) {
        const int attempts = run.logCount("Connecting to");
        QVERIFY(doubleClickRemote(run, "Local"));
        QVERIFY(run.runUntil(
            [&] {
                return run.logCount("Connecting to") > attempts &&
                       run.controller().ftp().connected();
            },
            kWaitMs));
        auto* disconnect = run.window().findChild<QToolButton*>("sbDisConnect");
        QVERIFY(disconnect->isEnabled());
        QVERIFY(run.window().findChild<QToolButton*>("sbStop")->isEnabled());
        QVERIFY(run.click(name));
        QVERIFY(run.runUntil([&] { return backInServerList(run); }, kWaitMs));
        QVERIFY(!disconnect->isEnabled());
        QVERIFY(run.window().findChild<QToolButton*>("sbConnect")->isEnabled());
    }

private slots:
    // Disconnect and Stop are usable while the greeting trickles in; each ends the attempt
    // at once, without a retry, and the next connection works.
    void connectingCanBeGivenUp() {
        const test::ScriptedTree tree = smallTree();
        int session = 0;
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) {
            const int number = session++;
            if (number == 1 || number == 2)
                trickleGreeting(s);
            else
                tree.serve(s);
        });
        test::TransferProgram run;
        QVERIFY(run.start(server.port(), "u", "p", "retry=2\n"));
        QVERIFY(run.click("sbDisConnect"));
        QVERIFY(run.runUntil([&] { return backInServerList(run); }, kWaitMs));

        giveUpConnectingWith(run, "sbDisConnect");
        giveUpConnectingWith(run, "sbStop");
        QVERIFY(doubleClickRemote(run, "Local"));
        QVERIFY(run.runUntil([&] { return run.remoteRow("hello.txt") >= 0; }, kWaitMs));
        QCOMPARE(run.logCount("Connecting to"), 4);
        QCOMPARE(run.logCount("! Time-out"), 0);
        QVERIFY(run.dialogs().messages.empty());
    }

    // A resume the server refuses (502 to REST) fails that file and keeps it; the listing after
    // the batch, a Refresh and an opened directory all list as before.
    void refusedRestLeavesListingsWorking() {
        const test::ScriptedTree tree = smallTree();
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        test::TransferProgram run;
        test::putFile(run.local() / "f.bin", "0123");
        QVERIFY(run.start(server.port(), "u", "p"));
        QVERIFY(run.selectRemote({"f.bin"}));
        run.dialogs().overwriteAnswers = {{Dialogs::Overwrite::Resume, {}}};
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(run.waitIdle());
        QCOMPARE(run.logCount("> REST 4"), 1);
        QCOMPARE(run.logCount("< 502 not here"), 1);
        QCOMPARE(test::readFile(run.local() / "f.bin"), std::string("0123"));
        QVERIFY(run.remoteRow("sub") >= 0);

        const int listings = run.logCount("> LIST");
        QVERIFY(test::clickMenuEntry(run.window(), "FTPServer1", "Refresh3"));
        QVERIFY(run.runUntil([&] { return run.logCount("> LIST") > listings; }, kWaitMs));
        QVERIFY(run.waitIdle());
        QVERIFY(doubleClickRemote(run, "sub"));
        QVERIFY(run.runUntil([&] { return run.remoteRow("inner.txt") >= 0; }, kWaitMs));
        QCOMPARE(run.logCount("! Unable to open local file"), 0);
        QCOMPARE(run.logCount("Error Unable to open local file"), 0);
    }

    void stopEndsASilentDownloadAtOnce_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Stop button") << false;
        QTest::newRow("Escape in the remote list") << true;
    }

    // Stop (the button, or Escape) while a download receives nothing ends it at once (not at
    // the time-out), and the session goes on: the listing after the batch and the next
    // download work.
    void stopEndsASilentDownloadAtOnce() {
        QFETCH(bool, byKey);
        test::ScriptedTree tree = smallTree();
        tree.silentFile = "/hello.txt";
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        test::TransferProgram run;
        QVERIFY(run.start(server.port(), "u", "p", "TimeOut=60\n"));
        QVERIFY(run.selectRemote({"hello.txt"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(run.runUntil(
            [&] {
                const std::vector<std::string> lines = run.logLines("> RETR", "< 150");
                return lines.size() >= 2 && lines[lines.size() - 2] == "> RETR /hello.txt" &&
                       lines.back() == "< 150 data";
            },
            kWaitMs));
        if (byKey) {
            auto* list = run.window().findChild<PaneView*>("FTPView");
            QTest::keyClick(list->currentWidget(), Qt::Key_Escape);
        } else {
            QVERIFY(run.click("sbStop"));
        }
        QVERIFY(run.waitIdle());
        QCOMPARE(run.logCount("> ABOR"), 1);
        QCOMPARE(run.logCount("Error 426 Transfer aborted"), 1);
        QCOMPARE(run.logCount("! Time-out"), 0);
        QVERIFY(run.remoteRow("f.bin") >= 0);

        QVERIFY(run.selectRemote({"f.bin"}));
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(run.waitIdle());
        QCOMPARE(test::readFile(run.local() / "f.bin"), std::string("0123456789"));
    }

    // A file is done only when its size fits the listing: a text-mode download cut short
    // fails, and so does a resume the server answered with 350 and then sent from byte 0 (the
    // file is kept). An upload is not resumed behind the end of the local file: the question
    // comes again.
    void sizesThatDoNotFitTheListingFail() {
        test::ScriptedTree tree;
        tree.listing = [](const std::string& dir) -> std::optional<std::string> {
            if (dir == "/")
                return listingLine('-', "100", "short.txt") + listingLine('-', "10", "again.bin") +
                       listingLine('-', "10", "up.bin");
            return std::nullopt;
        };
        tree.file = [](const std::string& path) -> std::optional<std::string> {
            if (path == "/short.txt")
                return std::string(40, 't');
            return std::string("0123456789");
        };
        tree.restReply = "350 Restarting";
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        test::TransferProgram run;
        test::putFile(run.local() / "again.bin", "0123");
        test::putFile(run.local() / "up.bin", "0123");
        QVERIFY(run.start(server.port(), "u", "p", "TransferMode=1\nExt=txt\n"));
        QVERIFY(run.selectRemote({"short.txt", "again.bin"}));
        run.dialogs().overwriteAnswers = {{Dialogs::Overwrite::Resume, {}}};
        QVERIFY(run.click("SpeedButton2"));
        QVERIFY(run.waitIdle());
        const std::vector<std::string> sent = run.logLines("> TYPE", "> RETR");
        const auto retr = std::find(sent.begin(), sent.end(), "> RETR /short.txt");
        QVERIFY(retr != sent.end() && retr != sent.begin());
        QCOMPARE(*(retr - 1), std::string("> TYPE A"));
        QCOMPARE(run.logCount("! Transfer of short.txt failed: 40 of 100 bytes received"), 1);
        QCOMPARE(run.logCount("> REST 4"), 1);
        QCOMPARE(run.logCount("! Transfer of again.bin failed: 14 bytes, but the listing shows 10"),
                 1);
        QCOMPARE(test::readFile(run.local() / "again.bin"), std::string("01230123456789"));

        run.controller().changeLocalDir(run.local().string());
        QVERIFY(run.selectLocal({"up.bin"}));
        run.dialogs().overwriteAnswers = {{Dialogs::Overwrite::Resume, {}}};
        QVERIFY(run.click("SpeedButton1"));
        QVERIFY(run.waitIdle());
        // Nothing to resume: said, and asked again (Cancel).
        QCOMPARE(run.logCount("! Not resumed: up.bin holds 10 bytes on the server, the local "
                              "file 4"),
                 1);
        QCOMPARE(run.dialogs().overwriteAsked.size(), std::size_t(3));
        QCOMPARE(run.logCount("> STOR"), 0);
        QVERIFY(run.remoteRow("up.bin") >= 0);
    }
};

}  // namespace quay

QTEST_MAIN(quay::HostileServerTest)
#include "hostile_server_test.moc"

// Hostile servers through the real main window: a flood of unsolicited replies and names no
// file system can hold. The window must keep answering and the memory must stay bounded; the
// figures are printed for the record, the bounds asserted are generous.
#include <unistd.h>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "listing/listing_walkers.h"
#include "scripted_ftp_server.h"
#include "transfer_test_support.h"
#include "ui/log_pane.h"

namespace quay {

namespace {

// The resident memory of this process in bytes.
long long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long long pages = 0;
    long long resident = 0;
    statm >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// Watches the event loop while it lives: a timer ticks every 10 ms, and the longest gap
// between two ticks is the longest time the window could not answer. The resident memory is
// sampled at every tick.
class LoopWatch {
public:
    LoopWatch() {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_sinceTick.start();
        m_timer.start();
    }
    qint64 longestStallMs() const { return m_longestStall; }
    long long peakResident() const { return m_peakResident; }

private:
    void tick() {
        m_longestStall = std::max(m_longestStall, m_sinceTick.restart());
        m_peakResident = std::max(m_peakResident, residentBytes());
    }

    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    qint64 m_longestStall = 0;
    long long m_peakResident = 0;
};

std::string listingLine(const std::string& name) {
    return "-rw-r--r-- 1 u g 5 Jan 1 2020 " + name + "\r\n";
}

// Sends unsolicited "200" lines at bytesPerSecond for up to duration, or until the client
// closes the connection; sent counts the bytes.
void flood(test::ScriptedFtpSession& s, std::chrono::seconds duration, std::size_t bytesPerSecond,
           std::atomic<long long>& sent) {
    constexpr auto kSlice = std::chrono::milliseconds(10);
    const std::string line = "200 " + std::string(92, 'x') + "\r\n";
    std::string chunk;
    while (chunk.size() < bytesPerSecond / 100)
        chunk += line;
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    try {
        while (std::chrono::steady_clock::now() - start < duration) {
            s.send(chunk);
            sent += static_cast<long long>(chunk.size());
            next += kSlice;
            std::this_thread::sleep_until(next);
        }
    } catch (const test::ScriptError&) {
        // The client closed the connection: the flood is over.
    }
}

}  // namespace

class LogFloodTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::TransferProgram> m_program;

    test::TransferProgram& program() { return *m_program; }
    std::string logOption() {
        return "Log=1\nLogFile=" + (program().local() / "session.log").string() + "\n";
    }
    QString paneText() {
        auto* log = program().window().findChild<LogPane*>("Log");
        log->flush();
        return log->toPlainText();
    }

private slots:
    void init() { m_program = std::make_unique<test::TransferProgram>(); }
    void cleanup() { m_program.reset(); }

    // Unsolicited "200" lines at 5 MB/s once the listing is shown. The user clicks Disconnect
    // during the flood: the click is answered and the session ends, with the memory and the
    // longest stall of the window bounded. QUAY_FLOOD_SECONDS sets the flood's length (the
    // default keeps the test short).
    void aFloodOfRepliesLeavesTheWindowAnswering() {
        const char* length = std::getenv("QUAY_FLOOD_SECONDS");
        const std::chrono::seconds floodLength(length != nullptr ? std::atoi(length) : 10);
        constexpr std::size_t kBytesPerSecond = 5 * 1000 * 1000;
        std::atomic<long long> sent{0};
        std::atomic<int> floods{0};
        std::atomic<bool> flooding{false};
        test::ScriptedTree tree;
        tree.listing = [](const std::string&) { return listingLine("a.txt"); };
        tree.file = [](const std::string&) { return std::nullopt; };
        tree.afterListing = [&](test::ScriptedFtpSession& s) {
            if (floods++ > 0)
                return;
            flooding = true;
            flood(s, floodLength, kBytesPerSecond, sent);
            flooding = false;
            throw test::ScriptError("flood over");
        };
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        QVERIFY(program().start(server.port(), "joe", "secret", logOption()));
        QTRY_VERIFY_WITH_TIMEOUT(flooding.load(), test::kWaitMs);

        const long long residentBefore = residentBytes();
        QElapsedTimer floodTime;
        floodTime.start();
        LoopWatch watch;
        QTest::qWait(static_cast<int>(floodLength.count() * 800));
        QVERIFY2(flooding.load(), "the flood ended before the click");
        QElapsedTimer answer;
        answer.start();
        QVERIFY(program().click("sbDisConnect"));
        QTRY_VERIFY_WITH_TIMEOUT(program().controller().state().serverListMode, test::kWaitMs);
        const qint64 answerMs = answer.elapsed();
        QTRY_VERIFY_WITH_TIMEOUT(!flooding.load(), test::kWaitMs);
        const double seconds = static_cast<double>(floodTime.elapsed()) / 1000.0;
        qInfo(
            "flood: %.1f MB in %.1f s (%.2f MB/s); longest stall %lld ms; resident before "
            "%lld MiB, peak %lld MiB; Disconnect answered in %lld ms",
            static_cast<double>(sent.load()) / 1e6, seconds,
            static_cast<double>(sent.load()) / 1e6 / seconds,
            static_cast<long long>(watch.longestStallMs()), residentBefore >> 20,
            watch.peakResident() >> 20, static_cast<long long>(answerMs));

        QVERIFY(sent.load() > 1'000'000);
        QVERIFY2(watch.longestStallMs() < 3000, "the window stopped answering");
        QVERIFY2(watch.peakResident() - residentBefore < (400LL << 20), "memory kept growing");
        QCOMPARE(program().controller().model().logLines().size(),
                 PresentationModel::kLogLineLimit);
        QVERIFY(paneText().contains(QStringLiteral(" lines dropped")));

        // The next session works.
        QVERIFY(program().selectRemote({"Local"}));
        QVERIFY(program().click("sbConnect"));
        QTRY_VERIFY_WITH_TIMEOUT(program().remoteRow("a.txt") >= 0, test::kWaitMs);
    }

    // A listing with names of 1 MiB and of 256 bytes: no file system holds them, so they are
    // left out with one line, and the listing shows at once. A name of 255 bytes is shown.
    void namesNoFileSystemHoldsAreLeftOut() {
        const std::string huge(1 << 20, 'h');
        const std::string over(256, 'o');
        const std::string longest(255, 'k');
        test::ScriptedTree tree;
        tree.listing = [&](const std::string&) {
            return listingLine(huge) + listingLine(over) + listingLine(longest) +
                   listingLine("keep.txt");
        };
        tree.file = [](const std::string&) { return std::nullopt; };
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        QElapsedTimer shown;
        shown.start();
        LoopWatch watch;
        QVERIFY(program().start(server.port(), "joe", "secret", logOption()));
        qInfo("a listing with a 1 MiB name: shown after %lld ms, longest stall %lld ms",
              static_cast<long long>(shown.elapsed()),
              static_cast<long long>(watch.longestStallMs()));
        QVERIFY(program().remoteRow("keep.txt") >= 0);
        QVERIFY(program().remoteRow(longest) >= 0);
        QCOMPARE(program().remoteRow(over), -1L);
        QCOMPARE(program().remoteRow(huge), -1L);
        QCOMPARE(program().logCount("! Left out of the listing: 2 names longer than 255 bytes"), 1);
        QVERIFY2(watch.longestStallMs() < 5000, "the window stopped answering");
    }

    // A download of a directory whose 500,000 names are each refused with a log line: the
    // pane takes only the newest lines, so the window stays usable and the memory bounded.
    void aDirectoryOfRefusedNamesKeepsTheLogBounded() {
        constexpr int kNames = 500'000;
        test::ScriptedTree tree;
        tree.listing = [](const std::string& dir) -> std::optional<std::string> {
            if (dir == "/")
                return "drwxr-xr-x 1 u g 0 Jan 1 2020 big\r\n";
            if (dir != "/big")
                return std::nullopt;
            std::string text;
            for (int i = 0; i < kNames; ++i)
                text += listingLine("a/" + std::to_string(i));
            return text;
        };
        tree.file = [](const std::string&) { return std::nullopt; };
        test::ScriptedFtpServer server([&](test::ScriptedFtpSession& s) { tree.serve(s); });
        QVERIFY(program().start(server.port(), "joe", "secret", logOption()));
        QVERIFY(program().selectRemote({"big"}));
        const long long residentBefore = residentBytes();
        LoopWatch watch;
        QVERIFY(program().click("SpeedButton2"));
        QVERIFY(program().waitIdle());
        QTest::qWait(200);
        qInfo("%d refused names: longest stall %lld ms, resident before %lld MiB, peak %lld MiB",
              kNames, static_cast<long long>(watch.longestStallMs()), residentBefore >> 20,
              watch.peakResident() >> 20);
        // The first hundred names are named, the rest counted in one line.
        QCOMPARE(program().logCount("! Not transferred"),
                 static_cast<int>(RefusedNameNotes::kMaxNamed));
        QCOMPARE(program().logCount("! 499900 more names refused"), 1);
        QVERIFY2(watch.peakResident() - residentBefore < (300LL << 20), "memory grew");
    }
};

}  // namespace quay

QTEST_MAIN(quay::LogFloodTest)
#include "log_flood_test.moc"

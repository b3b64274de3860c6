// The transfer drivers of the main window against lftp's mirror and against the FTP engine
// alone, all on one vsftpd on loopback in the same run.
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "../bench_timing.h"
#include "../window_bench_main.h"
#include "base/poll_loop.h"
#include "ftp/ftp_client.h"
#include "ftp_servers.h"
#include "transfer_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace quay;

double seconds(const std::function<void()>& action) {
    const auto start = std::chrono::steady_clock::now();
    action();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Seconds of processor time this process has used, in user space and in the kernel.
// The context switches count the times the process slept and woke.
struct CpuTime {
    double user = 0, system = 0;
    long switches = 0;
    static CpuTime now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        auto toSeconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
        };
        return {toSeconds(usage.ru_utime), toSeconds(usage.ru_stime),
                usage.ru_nvcsw + usage.ru_nivcsw};
    }
    CpuTime operator-(const CpuTime& before) const {
        return {user - before.user, system - before.system, switches - before.switches};
    }
};

void shell(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

void makeTree(const fs::path& dir, int files) {
    const std::string kib = test::randomBytes(1024, 7);
    for (int i = 0; i < files; ++i) {
        // Appended piecewise: GCC 12 warns wrongly (-Wrestrict) on "d" + std::to_string().
        std::string sub = "d", file = "f";
        sub += std::to_string(i % 100);
        file += std::to_string(i);
        test::putFile(dir / sub / file, kib);
    }
}

std::size_t countFiles(const fs::path& dir) {
    std::size_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        n += entry.is_regular_file() ? 1 : 0;
    return n;
}

// The pause between a selection and the click on a button. The engine pauses as long after its
// log-in, so that both sides send their first command to a server that has been idle as long
// (its first answer after a pause comes some 0.1 to 0.3 ms later on this machine).
constexpr auto kPauseBeforeCommand = std::chrono::milliseconds(100);

// One download by the engine alone after its log-in and the pause: TYPE I and RETR into a
// local file. The seconds from TYPE I to the first byte and to the request's completion.
struct EngineTimes {
    double firstByte = -1, lastByte = -1;
};

EngineTimes engineDownload(const test::FtpServer& server, const std::string& remote,
                           const std::string& local) {
    PollLoop loop;
    FtpClient ftp(loop);
    ftp.setHostName("127.0.0.1");
    ftp.setPort(std::to_string(server.port()));
    ftp.setUserName(server.user());
    ftp.setPassWord(server.password());
    ftp.setPassive(true);
    bool done = false;
    int error = 0;
    ftp.onRequestDone = [&](FtpRequest, int e) {
        error = e;
        done = true;
    };
    auto run = [&](const std::function<void()>& operation) {
        loop.processPending();
        done = false;
        operation();
        loop.runUntil([&] { return done; }, std::chrono::minutes(5));
        if (!done || error != 0)
            throw std::runtime_error("the engine failed");
    };
    run([&] { ftp.connectAsync(); });
    std::this_thread::sleep_for(kPauseBeforeCommand);
    EngineTimes times;
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&start] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    // The window's client reports progress too; the engine's pays the same call.
    ftp.onProgress = [&](std::int64_t count, bool&) {
        if (times.firstByte < 0 && count > 0)
            times.firstByte = since();
    };
    ftp.typeBinary();
    ftp.setHostFileName(remote);
    ftp.setLocalFileName(local);
    run([&] { ftp.getAsync(); });
    times.lastByte = since();
    return times;
}

// Every file of a tree takes a data connection, and a closed one holds its port for a
// minute (TIME_WAIT): 10,000 files per phase would run the loopback out of ports, so each
// phase starts once most of the last one's are free again.
void waitForFreePorts() {
    for (int second = 0; second < 90; ++second) {
        FILE* count = popen("ss -tan state time-wait | wc -l", "r");
        int waiting = 0;
        if (count == nullptr || std::fscanf(count, "%d", &waiting) != 1)
            waiting = 0;
        if (count != nullptr)
            pclose(count);
        if (waiting < 3000)
            return;
        QTest::qWait(1000);
    }
}

// Runs the loop until the window's batch has ended, looking after every turn of the loop: a
// timer that polls (as the tests' waits do, every 2 ms) would wake the loop hundreds of times a
// second and count as the window's cost. A one-second timer bounds each wait.
void runUntilIdle(test::TransferProgram& program) {
    QTimer wake;
    wake.start(1000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::hours(1);
    while (program.controller().runner().busy() && std::chrono::steady_clock::now() < deadline)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

// The moments of one batch of the window, in seconds from the click on its button: the first
// byte of data (the first progress report), the last (the file request's completion: the
// last byte is on disk and the server's 226 has come), the end of the batch as the user sees
// it (the progress window closed, the local pane refilled), and the window idle again after
// it has listed the start directory.
struct BatchMarks {
    std::chrono::steady_clock::time_point click;
    double firstByte = -1, lastByte = -1, closed = -1, idle = -1;

    double since() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - click).count();
    }
};

struct Window {
    test::TransferProgram program;
    CpuTime lastCpu;  // used by the last transfer()
    BatchMarks marks;

    // Hooks the marks onto the client's progress and completions and the progress window's
    // end, each around what the program does there; run once, after start().
    void watchBatches() {
        SessionController& session = program.controller();
        FtpClient& ftp = session.ftp();
        ftp.onProgress = [this, next = ftp.onProgress](std::int64_t count, bool& abort) {
            if (marks.firstByte < 0 && count > 0)
                marks.firstByte = marks.since();
            next(count, abort);
        };
        ftp.onRequestDone = [this, next = ftp.onRequestDone](FtpRequest request, int error) {
            if (request == FtpRequest::GetAsync || request == FtpRequest::PutAsync)
                marks.lastByte = marks.since();
            next(request, error);
        };
        // The local pane is refilled after the window closes, in the same turn of the loop.
        session.onHideProgress = [this, &session, next = session.onHideProgress] {
            next();
            session.loop().post([this] { marks.closed = marks.since(); });
        };
    }

    // Clicks the button with the row selected and runs the loop until the window is idle; the
    // times are in marks, the processor time in lastCpu. Seconds from the click to idle.
    double transfer(const char* list, const char* name, const char* button) {
        if (std::string(list) == "lvLoc" ? !program.selectLocal({name})
                                         : !program.selectRemote({name}))
            throw std::runtime_error(std::string("no row ") + name);
        // The selection's own layout and paints are done before the click, as they are by
        // the time a user clicks.
        QTest::qWait(static_cast<int>(kPauseBeforeCommand.count()));
        marks = BatchMarks{std::chrono::steady_clock::now()};
        const CpuTime before = CpuTime::now();
        if (!program.click(button))
            throw std::runtime_error(std::string("cannot click ") + button);
        runUntilIdle(program);
        marks.idle = marks.since();
        lastCpu = CpuTime::now() - before;
        if (program.controller().runner().busy() || !program.waitIdle())
            throw std::runtime_error("the window's batch did not end");
        return marks.idle;
    }
};

// The rounds of one tree phase: every time of the window and of the peer, and the window's
// processor time in its best round.
struct TreeRuns {
    std::vector<double> ours, peer;
    CpuTime bestCpu;

    void add(double time, CpuTime cpu) {
        if (ours.empty() || time < *std::min_element(ours.begin(), ours.end()))
            bestCpu = cpu;
        ours.push_back(time);
    }
    void addPeer(double time) { peer.push_back(time); }
    void print(const char* phase, const char* peerName, int files) const {
        const double bestOurs = *std::min_element(ours.begin(), ours.end());
        const double bestPeer = *std::min_element(peer.begin(), peer.end());
        std::printf(
            "tree of %d files, %s window %.2f s (rounds %.2f, %.2f), %s %.2f s (rounds "
            "%.2f, %.2f): %.2fx lftp; window's processor time %.2f s user + %.2f s "
            "kernel\n",
            files, phase, bestOurs, ours[0], ours[1], peerName, bestPeer, peer[0], peer[1],
            bestPeer / bestOurs, bestCpu.user, bestCpu.system);
    }
};

// Runs both after the ports of the last phase are free again, the window's first or last.
void inOrder(bool windowFirst, const std::function<void()>& window,
             const std::function<void()>& peer) {
    waitForFreePorts();
    (windowFirst ? window : peer)();
    waitForFreePorts();
    (windowFirst ? peer : window)();
}

std::string lftpCommand(const test::FtpServer& server) {
    return "lftp -u " + server.user() + "," + server.password() + " -p " +
           std::to_string(server.port()) + " 127.0.0.1 -e 'set ftp:passive-mode on; ";
}

// Whoever goes first after a burst of deletions pays for it: ext4 passes over the inodes
// freed in the last minutes when it makes new files. So each tree phase runs twice, the
// window first and then lftp first, into new directories, and each side's best counts.
void treeBothWays(Window& window, const test::FtpServer& server, const fs::path& work, int files) {
    test::TransferProgram& p = window.program;
    const std::string lftp = lftpCommand(server);
    TreeRuns down, up;
    const auto checkTree = [files](const fs::path& dir) {
        if (countFiles(dir) != static_cast<std::size_t>(files))
            throw std::runtime_error("incomplete tree: " + dir.string());
    };
    for (int round = 0; round < 2; ++round) {
        const std::string r = std::to_string(round);
        const fs::path lftpTarget = work / ("lftp" + r);
        inOrder(
            round == 0,
            [&] {
                down.add(window.transfer("FTPView", "tree", "SpeedButton2"), window.lastCpu);
                checkTree(p.local() / "tree");
                fs::rename(p.local() / "tree", p.local() / ("down" + r));
                p.controller().changeLocalDir(p.local().string());
            },
            [&] {
                down.addPeer(seconds(
                    [&] { shell(lftp + "mirror tree " + lftpTarget.string() + "; quit'"); }));
            });
    }
    for (int round = 0; round < 2; ++round) {
        const std::string r = std::to_string(round);
        const std::string ours = "up-ours" + r;
        fs::rename(p.local() / ("down" + r), p.local() / ours);
        p.controller().changeLocalDir(p.local().string());
        inOrder(
            round == 0,
            [&] {
                up.add(window.transfer("lvLoc", ours.c_str(), "SpeedButton1"), window.lastCpu);
                checkTree(p.root() / ours);
            },
            [&] {
                up.addPeer(seconds([&] {
                    shell(lftp + "mirror -R " + (work / ("lftp" + r)).string() + " up-lftp" + r +
                          "; quit'");
                }));
            });
    }
    down.print("download:", "lftp mirror", files);
    up.print("upload:  ", "lftp mirror -R", files);
}

// A download that follows at once on the removal of a file just written, or on another
// download whose pages are still being written back, ran at about 0.6x: each download
// removes its file and waits for the disk, so every one starts from the same state.
void dropAndSync(const fs::path& file) {
    fs::remove(file);
    ::sync();
}

std::string loadAverage() {
    FILE* file = std::fopen("/proc/loadavg", "r");
    char text[64] = "?";
    if (file != nullptr) {
        if (std::fgets(text, sizeof text, file) == nullptr)
            text[0] = '\0';
        std::fclose(file);
    }
    std::string load(text);
    return load.substr(0, load.find(' ', load.find(' ', load.find(' ') + 1) + 1));
}

// The ratios window/engine of throughput over the rounds: lowest, highest, median.
void printRatios(const char* what, std::vector<double> ratios) {
    std::sort(ratios.begin(), ratios.end());
    std::printf("  %s: window/engine %.2fx to %.2fx, median %.2fx\n", what, ratios.front(),
                ratios.back(), bench::median(ratios));
}

// One big file through the window (progress window showing) and by the engine alone, in
// alternating order after one download that is not counted. Both sides are timed from the
// command (the window: the click on the download button; the engine: TYPE I, then RETR) to
// the file request's completion, when the last byte is on disk and the server has confirmed
// the transfer; that is the figure the ratio is of. Printed apart: the ratio of the part from
// the first byte to the last, the window's start (click to first byte) and its end of the
// batch (the progress window closed and the local pane refilled, and the listing of the start
// directory after that: idle). With `only` ("window" or "engine") one side runs alone, for a
// profiler; the other side's figures are then empty.
void bigFile(Window& window, const test::FtpServer& server, const fs::path& engineTarget,
             std::int64_t mib, int rounds, const std::string& only) {
    test::TransferProgram& p = window.program;
    const double mb = static_cast<double>(mib << 20) / 1e6;
    // Not counted: the first read of the sparse source fills the page cache.
    engineDownload(server, "big.bin", engineTarget.string());
    dropAndSync(engineTarget);
    std::vector<double> ratios, streamRatios, wholeRatios, windowStarts, engineStarts, closings,
        idles;
    for (int round = 0; round < rounds; ++round) {
        BatchMarks ours;
        EngineTimes engine;
        CpuTime engineCpu;
        const std::function<void()> runWindow = [&] {
            window.transfer("FTPView", "big.bin", "SpeedButton2");
            ours = window.marks;
            dropAndSync(p.local() / "big.bin");
        };
        const std::function<void()> runEngine = [&] {
            const CpuTime before = CpuTime::now();
            engine = engineDownload(server, "big.bin", engineTarget.string());
            engineCpu = CpuTime::now() - before;
            dropAndSync(engineTarget);
        };
        const bool windowFirst = round % 2 == 0;
        const std::string load = loadAverage();
        const auto runSide = [&](bool ofWindow) {
            if (only.empty() || only == (ofWindow ? "window" : "engine"))
                (ofWindow ? runWindow : runEngine)();
        };
        runSide(windowFirst);
        runSide(!windowFirst);
        ratios.push_back(engine.lastByte / ours.lastByte);
        streamRatios.push_back((engine.lastByte - engine.firstByte) /
                               (ours.lastByte - ours.firstByte));
        wholeRatios.push_back(engine.lastByte / ours.idle);
        windowStarts.push_back(ours.firstByte * 1e3);
        engineStarts.push_back(engine.firstByte * 1e3);
        closings.push_back((ours.closed - ours.lastByte) * 1e3);
        idles.push_back((ours.idle - ours.lastByte) * 1e3);
        std::printf(
            "%lld MiB round %d (%s first, load %s): window %.0f MB/s (first byte %.1f ms; "
            "after the last: closed %.1f ms, idle %.1f ms; cpu %.3f user + %.3f kernel, %ld "
            "switches), engine %.0f MB/s (first byte %.1f ms; cpu %.3f + %.3f, %ld), "
            "window/engine %.2fx (first to last byte %.2fx, to idle %.2fx)\n",
            static_cast<long long>(mib), round + 1, windowFirst ? "window" : "engine", load.c_str(),
            mb / ours.lastByte, windowStarts.back(), closings.back(), idles.back(),
            window.lastCpu.user, window.lastCpu.system, window.lastCpu.switches,
            mb / engine.lastByte, engineStarts.back(), engineCpu.user, engineCpu.system,
            engineCpu.switches, ratios.back(), streamRatios.back(), wholeRatios.back());
        std::fflush(stdout);
    }
    std::printf("%lld MiB file, %d rounds:\n", static_cast<long long>(mib), rounds);
    printRatios("command to last byte", ratios);
    printRatios("first byte to last byte", streamRatios);
    printRatios("window to idle (start directory listed)", wholeRatios);
    std::printf(
        "  medians: first byte window %.1f ms, engine %.1f ms; after the last byte, window "
        "closed and local pane refilled %.1f ms, idle %.1f ms\n",
        bench::median(windowStarts), bench::median(engineStarts), bench::median(closings),
        bench::median(idles));
}

// Arguments: files of the tree (0: no tree), MiB of the big file, rounds of the big file.
int runBench(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    const std::int64_t mib = argc > 2 ? std::atoll(argv[2]) : 1024;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 4;
    Window window;
    test::TransferProgram& p = window.program;
    test::TempDir work;
    if (files > 0)
        makeTree(p.root() / "tree", files);
    test::makeSparseFile(p.root() / "big.bin", mib << 20);
    test::VsftpdServer server;
    server.start(p.root());
    if (!p.start(server.port(), server.user(), server.password(),
                 "PromptDownLoad=0\nPromptUpLoad=0\nDefPrompt=1\n"))
        throw std::runtime_error("the window does not connect");
    window.watchBatches();
    if (files > 0) {
        treeBothWays(window, server, work.path(), files);
        waitForFreePorts();
    }
    const char* only = std::getenv("TRANSFER_BENCH_ONLY");
    bigFile(window, server, work.path() / "big.bin", mib, rounds, only != nullptr ? only : "");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return quay::bench::runWindowBench(argc, argv, "bench_transfer_window", runBench);
}

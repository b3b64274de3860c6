// The transfer queue of the main window with 1, 2 and 4 connections against lftp's mirror and
// mirror --parallel=4, on one vsftpd on loopback in the same run: a tree down and up, first
// straight to the server, then through a relay that holds each control-connection reply for a
// while (the data connections go to the server directly), which stands for a real network.
#include <sys/resource.h>
#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "../bench_timing.h"
#include "../window_bench_main.h"
#include "delay_relay.h"
#include "ftp_servers.h"
#include "transfer_test_support.h"

namespace {

namespace fs = std::filesystem;
using namespace quay;
using bench::DelayRelay;

int envNumber(const char* name, int absent) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::atoi(text) : absent;
}

// File i of a tree: d<i mod 100>/f<i>, 1 KiB of its own bytes, so a file carried to the wrong
// name shows as well as a short or damaged one.
fs::path treeFile(int i) {
    std::string sub = "d", file = "f";
    sub += std::to_string(i % 100);
    file += std::to_string(i);
    return fs::path(sub) / file;
}
std::string treeBytes(int i) {
    return test::randomBytes(1024, static_cast<unsigned>(i) + 1);
}

void makeTree(const fs::path& dir, int files) {
    for (int i = 0; i < files; ++i)
        test::putFile(dir / treeFile(i), treeBytes(i));
}

// Throws unless dir holds exactly the tree of `files` files, byte for byte.
void checkTree(const fs::path& dir, int files) {
    std::size_t found = 0;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        found += entry.is_regular_file() ? 1 : 0;
    if (found != static_cast<std::size_t>(files))
        throw std::runtime_error(dir.string() + ": " + std::to_string(found) + " files, not " +
                                 std::to_string(files));
    for (int i = 0; i < files; ++i) {
        std::ifstream in(dir / treeFile(i), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        if (bytes != treeBytes(i))
            throw std::runtime_error((dir / treeFile(i)).string() + " differs");
    }
}

void shell(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        throw std::runtime_error("failed: " + command);
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

// Processor seconds (user and system) of this process, or of its children that ended.
double processorSeconds(int who) {
    rusage use{};
    getrusage(who, &use);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(use.ru_utime) + seconds(use.ru_stime);
}

// Sockets of this machine's IPv4 TCP table in TIME_WAIT (state 06 of /proc/net/tcp).
int socketsInTimeWait() {
    std::ifstream table("/proc/net/tcp");
    std::string line;
    int waiting = 0;
    std::getline(table, line);  // the column names
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string slot, local, remote, state;
        fields >> slot >> local >> remote >> state;
        waiting += state == "06" ? 1 : 0;
    }
    return waiting;
}

// A closed data connection holds its port for a minute (TIME_WAIT); each run starts once
// fewer than PARALLEL_BENCH_TIME_WAIT (10,000) sockets wait, so two runs of 10,000 files never
// meet in the 28,000 ports of the loopback's range. Gives up waiting after 90 s.
void waitForFreePorts() {
    const int most = envNumber("PARALLEL_BENCH_TIME_WAIT", 10000);
    for (int second = 0; second < 90 && socketsInTimeWait() >= most; ++second)
        test::TransferProgram::runUntil([] { return false; }, 1000);
}

// Lines for the window's options (section Common) from PARALLEL_BENCH_OPTIONS, such as
// "Log=1\nLogFile=/tmp/bench.log\n" to see each connection's dialogue.
std::string extraOptions() {
    const char* text = std::getenv("PARALLEL_BENCH_OPTIONS");
    return text != nullptr ? text : "";
}

// With PARALLEL_BENCH_PERF_CONTROL naming the control fifo of `perf record -D -1
// --control=fifo:<name>`, the profile holds the sides' runs alone (not the trees made and
// checked).
void profileRuns(bool on) {
    const char* fifo = std::getenv("PARALLEL_BENCH_PERF_CONTROL");
    if (fifo == nullptr || *fifo == '\0')
        return;
    std::ofstream control(fifo);
    control << (on ? "enable" : "disable") << std::endl;
}

// The server, its tree and the port the sides connect to (the server's or the relay's).
struct Bench {
    const test::FtpServer& server;
    fs::path serverRoot;
    fs::path source;  // the local copy of the tree, uploaded by every side
    int files = 0;
    int port = 0;
    const DelayRelay* relay = nullptr;
    std::string treeName() const { return "tree" + std::to_string(files); }
};

enum class Direction { Down, Up };

// What one side reports of one run besides its time.
struct RunNotes {
    int connections = 0;  // most queue connections seen at once (window), 0 when not known
};

// The window with `connections` simultaneous transfers, started afresh for each run (the
// options are read at start); the time runs from the click until the batch and the queue
// have ended.
class WindowSide {
public:
    explicit WindowSide(int connections) : m_connections(connections) {}

    double run(const Bench& bench, Direction direction, const fs::path& target, RunNotes& notes) {
        test::TransferProgram program;
        const fs::path upload = program.local() / "up";
        if (direction == Direction::Up)
            fs::rename(bench.source, upload);
        if (!program.start(bench.port, bench.server.user(), bench.server.password(),
                           "PromptDownLoad=0\nPromptUpLoad=0\nDefPrompt=1\n" + extraOptions() +
                               "[Transfers]\n"
                               "Connections=" +
                               std::to_string(m_connections) + "\n"))
            throw std::runtime_error("the window does not connect");
        const bool down = direction == Direction::Down;
        const std::string name = down ? bench.treeName() : "up";
        if (!(down ? program.selectRemote({name.c_str()}) : program.selectLocal({"up"})) ||
            !program.click(down ? "SpeedButton2" : "SpeedButton1"))
            throw std::runtime_error("cannot start the batch on " + name);
        const double time = bench::seconds([&] { notes.connections = runUntilEnded(program); });
        if (!program.waitIdle())
            throw std::runtime_error("the window did not end its batch");
        if (direction == Direction::Up)
            fs::rename(upload, bench.source);
        else
            fs::rename(program.local() / name, target);
        return time;
    }

private:
    // Runs the loop until neither the batch nor the queue is busy, looking after every turn
    // (a polling timer would wake the loop and count as the window's); returns the most
    // queue connections that were logged in at once.
    static int runUntilEnded(test::TransferProgram& program) {
        SessionController& session = program.controller();
        int most = 0;
        const auto busy = [&] {
            const auto& pool = session.currentTransferPool();
            if (pool)
                most = std::max(most, pool->liveConnections());
            return session.runner().busy() || (pool && pool->busy());
        };
        QTimer wake;
        wake.start(1000);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::hours(1);
        while (busy() && std::chrono::steady_clock::now() < deadline)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        if (busy())
            throw std::runtime_error("the window's batch took over an hour");
        return most;
    }

    int m_connections;
};

double lftpRun(const Bench& bench, Direction direction, const fs::path& target, int parallel) {
    const std::string options = parallel > 1 ? "--parallel=" + std::to_string(parallel) + " " : "";
    const std::string mirror =
        direction == Direction::Down
            ? "mirror " + options + bench.treeName() + " " + target.string()
            : "mirror -R " + options + bench.source.string() + " " + target.filename().string();
    const std::string command = "lftp -u " + bench.server.user() + "," + bench.server.password() +
                                " -p " + std::to_string(bench.port) +
                                " 127.0.0.1 -e 'set ftp:passive-mode on; " + mirror + "; quit'";
    return bench::seconds([&] { shell(command); });
}

struct Side {
    std::string name;
    std::function<double(const Bench&, Direction, const fs::path&, RunNotes&)> run;
};

std::vector<Side> everySide() {
    std::vector<Side> all;
    for (int connections : {1, 2, 4})
        all.push_back({"window " + std::to_string(connections) + " conn",
                       [connections](const Bench& b, Direction d, const fs::path& t, RunNotes& n) {
                           return WindowSide(connections).run(b, d, t, n);
                       }});
    all.push_back({"lftp mirror", [](const Bench& b, Direction d, const fs::path& t, RunNotes&) {
                       return lftpRun(b, d, t, 1);
                   }});
    all.push_back({"lftp mirror --parallel=4", [](const Bench& b, Direction d, const fs::path& t,
                                                  RunNotes&) { return lftpRun(b, d, t, 4); }});
    return all;
}

// Whether PARALLEL_BENCH_<what> (a list of words split by ",") is absent or holds `word`.
bool chosen(const char* what, const std::string& word) {
    const char* text = std::getenv(what);
    if (text == nullptr || *text == '\0')
        return true;
    std::istringstream list(text);
    std::string item;
    while (std::getline(list, item, ','))
        if (item == word)
            return true;
    return false;
}

// Every side, or those PARALLEL_BENCH_SIDES names ("window 4 conn,lftp mirror --parallel=4").
std::vector<Side> sides() {
    std::vector<Side> all = everySide();
    std::erase_if(all, [](const Side& side) { return !chosen("PARALLEL_BENCH_SIDES", side.name); });
    return all;
}

// The times of every side in one direction, by side name.
using Times = std::map<std::string, std::vector<double>>;

// One run of a side: the target is checked byte for byte and removed; through the relay, the
// relay must have carried no more than the control connections' bytes (the data went past it).
void runSide(const Bench& bench, const Side& side, Direction direction, const fs::path& work,
             Times& times, const std::string& label) {
    waitForFreePorts();
    const fs::path target = direction == Direction::Down ? work / "down" : bench.serverRoot / "up";
    const int relayed = bench.relay != nullptr ? bench.relay->connections() : 0;
    const long long relayedBytes = bench.relay != nullptr ? bench.relay->bytesFromServer() : 0;
    const std::string load = loadAverage();
    RunNotes notes;
    const double self = processorSeconds(RUSAGE_SELF);
    const double children = processorSeconds(RUSAGE_CHILDREN);
    profileRuns(true);
    const double time = side.run(bench, direction, target, notes);
    profileRuns(false);
    const double selfUsed = processorSeconds(RUSAGE_SELF) - self;
    const double childrenUsed = processorSeconds(RUSAGE_CHILDREN) - children;
    checkTree(target, bench.files);
    fs::remove_all(target);
    times[side.name].push_back(time);
    std::printf("%s %-26s %8.2f s  load %s  processor: window %.2f s, lftp %.2f s", label.c_str(),
                side.name.c_str(), time, load.c_str(), selfUsed, childrenUsed);
    if (notes.connections > 0)
        std::printf("  queue connections %d", notes.connections);
    if (bench.relay != nullptr) {
        const long long bytes = bench.relay->bytesFromServer() - relayedBytes;
        std::printf("  relay: %d connections, %lld bytes from the server",
                    bench.relay->connections() - relayed, bytes);
        if (direction == Direction::Down && bytes >= 1024LL * bench.files)
            throw std::runtime_error("the data went through the relay");
    }
    std::printf("\n");
    std::fflush(stdout);
}

double best(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

// Best times of each side, and the two ratios the queue is judged by.
void summary(const std::string& what, const Times& times) {
    std::printf("-- %s: best of each side\n", what.c_str());
    for (const auto& [name, runs] : times) {
        std::printf("   %-26s %8.2f s  (rounds", name.c_str(), best(runs));
        for (double time : runs)
            std::printf(" %.2f", time);
        std::printf(")\n");
    }
    // A ratio of two sides, when both ran (PARALLEL_BENCH_SIDES may leave some out).
    const auto ratio = [&](const char* label, const char* slower, const char* faster) {
        if (times.contains(slower) && times.contains(faster))
            std::printf("   %s: %.2fx\n", label, best(times.at(slower)) / best(times.at(faster)));
    };
    ratio("window 4 conn vs lftp mirror --parallel=4", "lftp mirror --parallel=4", "window 4 conn");
    ratio("window 4 conn vs lftp mirror", "lftp mirror", "window 4 conn");
    ratio("window 4 conn vs window 1 conn", "window 1 conn", "window 4 conn");
    ratio("window 2 conn vs window 1 conn", "window 1 conn", "window 2 conn");
    std::fflush(stdout);
}

// Every side down and up, `rounds` times, the order of the sides reversed in every other round
// (whoever runs right after a burst of removals pays for the file system's work).
void compare(const Bench& bench, const fs::path& work, int rounds, const std::string& title) {
    const std::vector<Side> all = sides();
    for (Direction direction : {Direction::Down, Direction::Up}) {
        const std::string way = direction == Direction::Down ? "download" : "upload";
        if (!chosen("PARALLEL_BENCH_DIRECTIONS", way))
            continue;
        Times times;
        for (int round = 0; round < rounds; ++round) {
            std::vector<Side> order = all;
            if (round % 2 == 1)
                std::reverse(order.begin(), order.end());
            for (const Side& side : order)
                runSide(bench, side, direction, work, times,
                        title + " " + way + " round " + std::to_string(round + 1));
        }
        summary(title + ", " + way + " of " + std::to_string(bench.files) + " files", times);
    }
}

// The relay must hold a reply: the server's greeting comes no sooner than the delay.
void checkRelayDelays(const test::FtpServer& server, const DelayRelay& relay,
                      std::chrono::milliseconds delay) {
    const double time = bench::seconds([&] {
        shell("lftp -u " + server.user() + "," + server.password() + " -p " +
              std::to_string(relay.port()) +
              " 127.0.0.1 -e 'set net:max-retries 1; quote NOOP; quit'");
    });
    std::printf("relay check: log-in and NOOP through the relay took %.3f s\n", time);
    if (time < 3 * std::chrono::duration<double>(delay).count())
        throw std::runtime_error("the relay does not hold the replies");
}

// Arguments: files of the straight tree (0: none), files of the tree behind the relay (0:
// none), rounds, milliseconds the relay holds each reply.
int runBench(int argc, char** argv) {
    const int files = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int delayedFiles = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 2;
    const std::chrono::milliseconds delay(argc > 4 ? std::atoi(argv[4]) : 20);
    test::TempDir root, work;
    for (int n : {files, delayedFiles})
        if (n > 0) {
            makeTree(root.path() / ("tree" + std::to_string(n)), n);
            makeTree(work.path() / ("source" + std::to_string(n)), n);
        }
    test::VsftpdServer server;
    server.start(root.path());
    std::printf("load at start %s\n", loadAverage().c_str());
    if (files > 0) {
        const Bench direct{server, root.path(),   work.path() / ("source" + std::to_string(files)),
                           files,  server.port(), nullptr};
        compare(direct, work.path(), rounds, "direct");
    }
    if (delayedFiles > 0) {
        DelayRelay relay(server.port(), delay);
        checkRelayDelays(server, relay, delay);
        const Bench delayed{
            server,       root.path(),  work.path() / ("source" + std::to_string(delayedFiles)),
            delayedFiles, relay.port(), &relay};
        compare(delayed, work.path(), rounds, std::to_string(delay.count()) + " ms relay");
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    return bench::runWindowBench(argc, argv, "bench_parallel_window", runBench);
}

// What one wake-up for a readable socket costs the reading thread on the Qt event loop bridge
// (QtEventLoop, as the main window runs the engine) against PollLoop (the engine alone), in
// alternating order within one run. A writer thread sends small chunks with a pause after each, so
// the reader drains the socket and sleeps again every time; the reader's processor time (its thread
// only) divided by its wake-ups is the figure. A download that keeps up with its server wakes once
// per chunk the server sends, so this cost is paid thousands of times per GiB.
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "../bench_timing.h"
#include "base/poll_loop.h"
#include "ui/qt_event_loop.h"

namespace {

using namespace quay;

constexpr int kChunks = 10000;
constexpr int kChunkBytes = 4096;
constexpr int kRounds = 5;

double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The writer's side: the chunks with a pause after each, then the end of the stream.
void writeChunks(int fd) {
    const std::vector<char> chunk(kChunkBytes, 'x');
    for (int i = 0; i < kChunks; ++i) {
        for (std::size_t sent = 0; sent < chunk.size();) {
            const ssize_t n = ::send(fd, chunk.data() + sent, chunk.size() - sent, 0);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    ::shutdown(fd, SHUT_WR);
}

// Microseconds of the reader's processor time per wake-up; `turn` runs one turn of the loop.
double microsecondsPerWakeup(EventLoop& loop, unsigned events, const std::function<void()>& turn) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, fds) != 0)
        return -1;
    std::vector<char> buffer(256 * 1024);
    long wakeups = 0;
    bool ended = false;
    loop.watch(fds[0], events, [&](unsigned) {
        ++wakeups;
        for (;;) {
            const ssize_t n = ::recv(fds[0], buffer.data(), buffer.size(), 0);
            ended = ended || n == 0;
            if (n <= 0)
                break;
        }
    });
    std::thread writer(writeChunks, fds[1]);
    const double before = threadCpuSeconds();
    while (!ended)
        turn();
    const double cpu = threadCpuSeconds() - before;
    writer.join();
    loop.unwatch(fds[0]);
    ::close(fds[0]);
    ::close(fds[1]);
    return wakeups > 0 ? cpu / static_cast<double>(wakeups) * 1e6 : -1;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // A shown window and a running timer, as the Qt loop has while the main window downloads.
    QWidget window;
    window.resize(400, 300);
    window.show();
    QTimer repaints;
    repaints.start(100);
    const char* const names[] = {"PollLoop", "QtEventLoop"};
    std::vector<double> perWakeup[2];
    PollLoop pollLoop;
    QtEventLoop qtLoop;
    const auto measure = [&](int which) {
        if (which == 0)
            return microsecondsPerWakeup(pollLoop, EventLoop::IoReadable,
                                         [&] { pollLoop.waitAndProcess(std::chrono::seconds(1)); });
        return microsecondsPerWakeup(qtLoop, EventLoop::IoReadable, [] {
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        });
    };
    for (int round = 0; round < kRounds; ++round) {
        for (int i = 0; i < 2; ++i) {
            const int which = (round + i) % 2;
            perWakeup[which].push_back(measure(which));
        }
        std::printf("round %d: per wake-up %s %.2f us, %s %.2f us\n", round + 1, names[0],
                    perWakeup[0].back(), names[1], perWakeup[1].back());
    }
    std::printf("%d wake-ups of %d bytes, medians of %d rounds: %s %.2f us, %s %.2f us\n", kChunks,
                kChunkBytes, kRounds, names[0], quay::bench::median(perWakeup[0]), names[1],
                quay::bench::median(perWakeup[1]));
    return 0;
}

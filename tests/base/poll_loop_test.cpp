#include "base/poll_loop.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace quay {
namespace {

TEST(PollLoop, PostsRunInFifoOrderAndNeverInsideTheCaller) {
    PollLoop loop;
    std::vector<int> order;
    loop.post([&] { order.push_back(1); });
    loop.post([&] {
        order.push_back(2);
        loop.post([&] { order.push_back(4); });
        order.push_back(3);
    });
    EXPECT_TRUE(order.empty());
    loop.processPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
    loop.processPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
}

TEST(PollLoop, ProcessPendingIsReentrantFromAHandler) {
    PollLoop loop;
    std::vector<int> order;
    loop.post([&] {
        order.push_back(1);
        loop.processPending();  // runs the second task inside the first
        order.push_back(3);
    });
    loop.post([&] { order.push_back(2); });
    loop.processPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST(PollLoop, WatchRemovedInsideItsOwnCallbackStopsFiring) {
    PollLoop loop;
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    ASSERT_EQ(write(fds[1], "x", 1), 1);
    int calls = 0;
    loop.watch(fds[0], EventLoop::IoReadable, [&](unsigned events) {
        EXPECT_TRUE(events & EventLoop::IoReadable);
        ++calls;
        loop.unwatch(fds[0]);
    });
    loop.processPending();
    loop.processPending();
    EXPECT_EQ(calls, 1);
    close(fds[0]);
    close(fds[1]);
}

TEST(PollLoop, WritableAndUpdatedWatch) {
    PollLoop loop;
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    unsigned seen = 0;
    loop.watch(fds[0], EventLoop::IoReadable, [&](unsigned events) { seen |= events; });
    loop.processPending();
    EXPECT_EQ(seen, 0u);
    loop.updateWatch(fds[0], EventLoop::IoWritable);
    loop.processPending();
    EXPECT_TRUE(seen & EventLoop::IoWritable);
    close(fds[0]);
    close(fds[1]);
}

TEST(PollLoop, TimerStoppedFromItsOwnCallback) {
    PollLoop loop;
    int fired = 0;
    EventLoop::TimerId id = 0;
    id = loop.startTimer(
        1ms,
        [&] {
            ++fired;
            loop.stopTimer(id);
        },
        true);
    loop.runUntil([&] { return fired > 0; }, 2s);
    loop.runUntil([] { return false; }, 30ms);
    EXPECT_EQ(fired, 1);
}

TEST(PollLoop, SingleShotAndRepeatingTimers) {
    PollLoop loop;
    int once = 0, repeated = 0;
    loop.startTimer(
        5ms, [&] { ++once; }, false);
    auto id = loop.startTimer(
        2ms, [&] { ++repeated; }, true);
    EXPECT_TRUE(loop.runUntil([&] { return repeated >= 3; }, 2s));
    loop.stopTimer(id);
    loop.runUntil([] { return false; }, 20ms);
    EXPECT_EQ(once, 1);
    int after = repeated;
    loop.runUntil([] { return false; }, 20ms);
    EXPECT_EQ(repeated, after);
}

TEST(PollLoop, PostFromAnotherThreadWakesABlockedLoop) {
    PollLoop loop;
    std::atomic<bool> ran{false};
    std::thread other([&] {
        std::this_thread::sleep_for(50ms);
        loop.postFromAnyThread([&] {
            ran = true;
            loop.quit();
        });
    });
    // A lost wake-up must fail the test rather than block it for ever: the only timer is
    // far behind the post, so a loop that ends early was woken by the post.
    bool gaveUp = false;
    loop.startTimer(
        5s,
        [&] {
            gaveUp = true;
            loop.quit();
        },
        false);
    auto start = std::chrono::steady_clock::now();
    loop.run();
    other.join();
    EXPECT_TRUE(ran);
    EXPECT_FALSE(gaveUp);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

TEST(PollLoop, RunUntilTimesOut) {
    PollLoop loop;
    EXPECT_FALSE(loop.runUntil([] { return false; }, 20ms));
    EXPECT_TRUE(loop.runUntil([] { return true; }, 0ms));
}

}  // namespace
}  // namespace quay

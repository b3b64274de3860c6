#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace quay {

// The one loop that drives the core. Everything runs on the loop's thread; only
// postFromAnyThread() may be called from elsewhere.
//
// Contract shared by every implementation:
// - post(): the task runs later on the loop thread, in FIFO order with other posts, never
//   inside the call to post().
// - watch(): level-triggered readiness of a descriptor. The callback receives the ready
//   events (IoReadable/IoWritable, plus IoError/IoHangUp whatever was asked for; a loop may
//   instead report an error or hang-up as the readiness asked for, which the next read,
//   write or SO_ERROR then reveals) and may call unwatch()/updateWatch() for any descriptor,
//   including its own. A report may be stale (the readiness consumed meanwhile): a read or
//   write that would block is no error.
// - Timers use the monotonic clock; a repeating timer may stop itself from its callback.
// - processPending() handles what is ready now and returns without blocking. It is
//   re-entrant: a handler may call it again (the synchronous waits do).
class EventLoop {
public:
    using Task = std::function<void()>;
    using WatchCallback = std::function<void(unsigned events)>;
    using TimerId = std::uint64_t;

    enum IoEvents : unsigned {
        IoReadable = 1,
        IoWritable = 2,
        IoError = 4,
        IoHangUp = 8,
    };

    virtual ~EventLoop() = default;

    virtual void post(Task task) = 0;
    virtual void postFromAnyThread(Task task) = 0;

    // One watch per descriptor: watching a descriptor again replaces the old watch.
    virtual void watch(int fd, unsigned events, WatchCallback callback) = 0;
    virtual void updateWatch(int fd, unsigned events) = 0;
    virtual void unwatch(int fd) = 0;

    virtual TimerId startTimer(std::chrono::milliseconds interval, Task callback, bool repeat) = 0;
    virtual void stopTimer(TimerId id) = 0;

    virtual void processPending() = 0;
    // Like processPending(), but first waits up to maxWait for something to become ready.
    // The synchronous waits use it so that they sleep instead of spinning.
    virtual void waitAndProcess(std::chrono::milliseconds maxWait) = 0;

    // True once the application is quitting; synchronous waits give up when it is.
    virtual bool terminating() const = 0;
};

}  // namespace quay

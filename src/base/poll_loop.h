#pragma once

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "base/event_loop.h"

namespace quay {

// EventLoop on poll(2); an eventfd wakes it for posts from other threads. Drives every core
// test and any program without a toolkit loop.
class PollLoop : public EventLoop {
public:
    PollLoop();
    ~PollLoop() override;
    PollLoop(const PollLoop&) = delete;
    PollLoop& operator=(const PollLoop&) = delete;

    void post(Task task) override;
    void postFromAnyThread(Task task) override;
    void watch(int fd, unsigned events, WatchCallback callback) override;
    void updateWatch(int fd, unsigned events) override;
    void unwatch(int fd) override;
    TimerId startTimer(std::chrono::milliseconds interval, Task callback, bool repeat) override;
    void stopTimer(TimerId id) override;
    void processPending() override;
    void waitAndProcess(std::chrono::milliseconds maxWait) override;
    bool terminating() const override { return m_terminating; }

    // Runs until quit() is called.
    void run();
    void quit() { m_quit = true; }
    // Runs until done() is true or the timeout passes; returns done().
    bool runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    void setTerminating(bool terminating) { m_terminating = terminating; }

private:
    using Clock = std::chrono::steady_clock;

    struct Watch {
        unsigned events;
        std::shared_ptr<WatchCallback> callback;
    };
    struct Timer {
        Clock::time_point due;
        std::chrono::milliseconds interval;
        bool repeat;
        std::shared_ptr<Task> callback;
    };

    void runPosted();
    void pollAndDispatch(int timeoutMs);
    void fireDueTimers();
    int msUntilNextTimer() const;
    void drainWakeup();

    int m_wakeFd;
    std::mutex m_postMutex;
    std::deque<Task> m_posted;
    std::unordered_map<int, Watch> m_watches;
    std::map<TimerId, Timer> m_timers;
    TimerId m_nextTimerId = 1;
    bool m_quit = false;
    bool m_terminating = false;
};

}  // namespace quay

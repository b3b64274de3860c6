#include "base/poll_loop.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace quay {

namespace {

short toPollEvents(unsigned events) {
    short result = 0;
    if (events & EventLoop::IoReadable)
        result |= POLLIN;
    if (events & EventLoop::IoWritable)
        result |= POLLOUT;
    return result;
}

unsigned fromPollEvents(short revents) {
    unsigned result = 0;
    if (revents & POLLIN)
        result |= EventLoop::IoReadable;
    if (revents & POLLOUT)
        result |= EventLoop::IoWritable;
    if (revents & (POLLERR | POLLNVAL))
        result |= EventLoop::IoError;
    if (revents & (POLLHUP | POLLRDHUP))
        result |= EventLoop::IoHangUp;
    return result;
}

}  // namespace

PollLoop::PollLoop() : m_wakeFd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (m_wakeFd < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

PollLoop::~PollLoop() {
    close(m_wakeFd);
}

void PollLoop::post(Task task) {
    std::lock_guard lock(m_postMutex);
    m_posted.push_back(std::move(task));
}

void PollLoop::postFromAnyThread(Task task) {
    post(std::move(task));
    std::uint64_t one = 1;
    // A full counter already guarantees a wake-up, so a failed write loses nothing.
    [[maybe_unused]] auto written = write(m_wakeFd, &one, sizeof one);
}

void PollLoop::watch(int fd, unsigned events, WatchCallback callback) {
    m_watches[fd] = Watch{events, std::make_shared<WatchCallback>(std::move(callback))};
}

void PollLoop::updateWatch(int fd, unsigned events) {
    auto it = m_watches.find(fd);
    if (it != m_watches.end())
        it->second.events = events;
}

void PollLoop::unwatch(int fd) {
    m_watches.erase(fd);
}

EventLoop::TimerId PollLoop::startTimer(std::chrono::milliseconds interval, Task callback,
                                        bool repeat) {
    TimerId id = m_nextTimerId++;
    m_timers[id] = Timer{Clock::now() + interval, interval, repeat,
                         std::make_shared<Task>(std::move(callback))};
    return id;
}

void PollLoop::stopTimer(TimerId id) {
    m_timers.erase(id);
}

void PollLoop::processPending() {
    runPosted();
    pollAndDispatch(0);
    fireDueTimers();
}

void PollLoop::waitAndProcess(std::chrono::milliseconds maxWait) {
    int timeout = static_cast<int>(std::min<long long>(maxWait.count(), INT_MAX));
    {
        std::lock_guard lock(m_postMutex);
        if (!m_posted.empty())
            timeout = 0;
    }
    int timerWait = msUntilNextTimer();
    if (timerWait >= 0 && timerWait < timeout)
        timeout = timerWait;
    runPosted();
    pollAndDispatch(timeout);
    fireDueTimers();
}

void PollLoop::run() {
    m_quit = false;
    while (!m_quit)
        waitAndProcess(std::chrono::milliseconds(INT_MAX));
}

bool PollLoop::runUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return done();
        waitAndProcess(left);
    }
    return true;
}

// Runs only the tasks present on entry, one at a time, so that tasks posted meanwhile wait
// for the next round and a nested call continues with the same queue in order.
void PollLoop::runPosted() {
    std::size_t count;
    {
        std::lock_guard lock(m_postMutex);
        count = m_posted.size();
    }
    while (count-- > 0) {
        Task task;
        {
            std::lock_guard lock(m_postMutex);
            if (m_posted.empty())
                return;
            task = std::move(m_posted.front());
            m_posted.pop_front();
        }
        task();
    }
}

void PollLoop::pollAndDispatch(int timeoutMs) {
    std::vector<pollfd> fds;
    std::vector<std::shared_ptr<WatchCallback>> callbacks;
    fds.reserve(m_watches.size() + 1);
    callbacks.reserve(m_watches.size());
    fds.push_back(pollfd{m_wakeFd, POLLIN, 0});
    for (const auto& [fd, w] : m_watches) {
        fds.push_back(pollfd{fd, toPollEvents(w.events), 0});
        callbacks.push_back(w.callback);
    }
    int ready = poll(fds.data(), fds.size(), timeoutMs);
    if (ready <= 0)
        return;
    if (fds[0].revents)
        drainWakeup();
    for (std::size_t i = 1; i < fds.size(); ++i) {
        if (!fds[i].revents)
            continue;
        // A callback may have removed or replaced this watch meanwhile; then the readiness
        // belongs to a watch that no longer exists.
        auto it = m_watches.find(fds[i].fd);
        if (it == m_watches.end() || it->second.callback != callbacks[i - 1])
            continue;
        auto callback = callbacks[i - 1];
        (*callback)(fromPollEvents(fds[i].revents));
    }
}

void PollLoop::fireDueTimers() {
    const auto now = Clock::now();
    std::vector<TimerId> due;
    for (const auto& [id, timer] : m_timers)
        if (timer.due <= now)
            due.push_back(id);
    for (TimerId id : due) {
        auto it = m_timers.find(id);
        if (it == m_timers.end())
            continue;
        auto callback = it->second.callback;
        if (it->second.repeat)
            it->second.due = now + it->second.interval;
        else
            m_timers.erase(it);
        (*callback)();
    }
}

int PollLoop::msUntilNextTimer() const {
    if (m_timers.empty())
        return -1;
    auto next = Clock::time_point::max();
    for (const auto& entry : m_timers)
        next = std::min(next, entry.second.due);
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(next - Clock::now()).count();
    if (left <= 0)
        return 0;
    // Round up so that a timer due in less than a millisecond is not polled for in a busy loop.
    return static_cast<int>(std::min<long long>(left + 1, INT_MAX));
}

void PollLoop::drainWakeup() {
    std::uint64_t value;
    [[maybe_unused]] auto got = read(m_wakeFd, &value, sizeof value);
}

}  // namespace quay

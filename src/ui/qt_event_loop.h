#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <map>
#include <memory>

#include "base/event_loop.h"

namespace quay {

// EventLoop on the Qt event loop, so that the core keeps running inside modal dialogs and
// any other nested Qt loop. Posts are queued invocations on a context object (FIFO, never
// inside the caller); descriptors are watched with QSocketNotifier and their readiness is
// read back with poll(2), so callbacks see the same level-triggered events as on PollLoop,
// including error and hang-up (reported while readability or writability is watched);
// timers are QTimers. Must be created and used on the thread
// of the QCoreApplication; only postFromAnyThread() may be called from other threads.
class QtEventLoop : public EventLoop {
public:
    QtEventLoop();
    ~QtEventLoop() override;
    QtEventLoop(const QtEventLoop&) = delete;
    QtEventLoop& operator=(const QtEventLoop&) = delete;

    void post(Task task) override;
    void postFromAnyThread(Task task) override;
    void watch(int fd, unsigned events, WatchCallback callback) override;
    void updateWatch(int fd, unsigned events) override;
    void unwatch(int fd) override;
    TimerId startTimer(std::chrono::milliseconds interval, Task callback, bool repeat) override;
    void stopTimer(TimerId id) override;
    void processPending() override;
    void waitAndProcess(std::chrono::milliseconds maxWait) override;
    bool terminating() const override;

private:
    struct Watch {
        unsigned events = 0;
        std::shared_ptr<WatchCallback> callback;
        std::unique_ptr<QSocketNotifier> read;
        std::unique_ptr<QSocketNotifier> write;
    };

    void dispatch(int fd, const std::shared_ptr<WatchCallback>& callback);
    void enableNotifiers(Watch& watch);
    // Notifiers may be destroyed from inside their own activation: hand them to Qt to delete.
    static void retire(std::unique_ptr<QSocketNotifier>& notifier);
    void retireTimer(std::map<TimerId, QTimer*>::iterator it);

    QObject m_context;
    std::map<int, Watch> m_watches;
    std::map<TimerId, QTimer*> m_timers;
    TimerId m_nextTimerId = 1;
    QTimer m_wakeTimer;
    bool m_terminating = false;
};

}  // namespace quay

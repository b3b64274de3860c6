#pragma once

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "base/event_loop.h"

namespace quay {

// EventLoop on the Qt event loop, so that the core keeps running inside modal dialogs and
// any other nested Qt loop. Posts are queued invocations on a context object (FIFO, never
// inside the caller); descriptors are watched with QSocketNotifier, and a callback gets the
// readiness of the notifier that fired (IoReadable or IoWritable): an error or hang-up shows as
// that readiness and the socket's own read, send or SO_ERROR finds it, as the EventLoop contract
// allows; timers are timers of the context object. Must be created and used on the thread
// of the QCoreApplication; only postFromAnyThread() may be called from other threads.
//
// A transfer of many small files watches a new data connection and runs a request timer for
// every file. Neither makes or deletes a Qt object each time: timers are plain timer ids, and
// the notifiers of a descriptor no longer watched are kept for the next one.
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

    struct Timer {
        int qtId = 0;
        bool repeat = false;
        std::shared_ptr<Task> task;
    };
    // Receives the queued invocations and the timer events.
    class Context : public QObject {
    public:
        std::function<void(int qtId)> onTimer;

    protected:
        void timerEvent(QTimerEvent* event) override;
    };

    void dispatch(int fd, const std::shared_ptr<WatchCallback>& callback, unsigned ready);
    void timerFired(int qtId);
    std::unique_ptr<QSocketNotifier> disabledNotifier(int fd, QSocketNotifier::Type type);
    void enableNotifiers(Watch& watch);
    // Notifiers may be retired from inside their own activation: they are switched off and
    // kept for reuse, or handed to Qt to delete.
    void retire(std::unique_ptr<QSocketNotifier>& notifier);

    Context m_context;
    std::map<int, Watch> m_watches;
    std::vector<std::unique_ptr<QSocketNotifier>> m_spareNotifiers;
    std::map<TimerId, Timer> m_timers;
    std::map<int, TimerId> m_timerIds;  // Qt's timer id to ours
    TimerId m_nextTimerId = 1;
    QTimer m_wakeTimer;
    bool m_terminating = false;
};

}  // namespace quay

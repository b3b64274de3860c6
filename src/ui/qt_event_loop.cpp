#include "ui/qt_event_loop.h"

#include <poll.h>

#include <QCoreApplication>

namespace quay {

QtEventLoop::QtEventLoop() {
    m_wakeTimer.setSingleShot(true);
    if (auto* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, &m_context,
                         [this] { m_terminating = true; });
}

QtEventLoop::~QtEventLoop() {
    for (auto& [fd, watch] : m_watches) {
        retire(watch.read);
        retire(watch.write);
    }
    for (auto& [id, timer] : m_timers)
        delete timer;
}

void QtEventLoop::post(Task task) {
    QMetaObject::invokeMethod(&m_context, std::move(task), Qt::QueuedConnection);
}

void QtEventLoop::postFromAnyThread(Task task) {
    // A queued invocation is thread-safe: it posts an event to the context's thread.
    QMetaObject::invokeMethod(&m_context, std::move(task), Qt::QueuedConnection);
}

void QtEventLoop::watch(int fd, unsigned events, WatchCallback callback) {
    unwatch(fd);
    Watch& watch = m_watches[fd];
    watch.events = events;
    watch.callback = std::make_shared<WatchCallback>(std::move(callback));
    auto cb = watch.callback;
    watch.read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    watch.write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    QObject::connect(watch.read.get(), &QSocketNotifier::activated, &m_context,
                     [this, fd, cb] { dispatch(fd, cb); });
    QObject::connect(watch.write.get(), &QSocketNotifier::activated, &m_context,
                     [this, fd, cb] { dispatch(fd, cb); });
    enableNotifiers(watch);
}

void QtEventLoop::enableNotifiers(Watch& watch) {
    // Qt activates either notifier on an error or hang-up, so each one is on only for the
    // readiness asked for: a notifier on for more would fire for ever on readiness that the
    // poll below does not report. With nothing asked, errors wait until something is asked.
    watch.read->setEnabled((watch.events & IoReadable) != 0);
    watch.write->setEnabled((watch.events & IoWritable) != 0);
}

void QtEventLoop::updateWatch(int fd, unsigned events) {
    auto it = m_watches.find(fd);
    if (it == m_watches.end())
        return;
    it->second.events = events;
    enableNotifiers(it->second);
}

void QtEventLoop::unwatch(int fd) {
    auto it = m_watches.find(fd);
    if (it == m_watches.end())
        return;
    retire(it->second.read);
    retire(it->second.write);
    m_watches.erase(it);
}

void QtEventLoop::retire(std::unique_ptr<QSocketNotifier>& notifier) {
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier->disconnect();
    notifier.release()->deleteLater();
}

void QtEventLoop::dispatch(int fd, const std::shared_ptr<WatchCallback>& callback) {
    auto it = m_watches.find(fd);
    // A notification queued before the watch was replaced or removed is stale.
    if (it == m_watches.end() || it->second.callback != callback)
        return;
    pollfd p{fd, 0, 0};
    if (it->second.events & IoReadable)
        p.events |= POLLIN;
    if (it->second.events & IoWritable)
        p.events |= POLLOUT;
    if (::poll(&p, 1, 0) <= 0)
        return;
    unsigned ready = 0;
    if (p.revents & POLLIN)
        ready |= IoReadable;
    if (p.revents & POLLOUT)
        ready |= IoWritable;
    if (p.revents & (POLLERR | POLLNVAL))
        ready |= IoError;
    if (p.revents & POLLHUP)
        ready |= IoHangUp;
    if (ready != 0)
        (*callback)(ready);
}

EventLoop::TimerId QtEventLoop::startTimer(std::chrono::milliseconds interval, Task callback,
                                           bool repeat) {
    const TimerId id = m_nextTimerId++;
    auto* timer = new QTimer;
    timer->setSingleShot(!repeat);
    timer->setInterval(interval);
    auto task = std::make_shared<Task>(std::move(callback));
    QObject::connect(timer, &QTimer::timeout, &m_context, [this, id, repeat, task] {
        if (!repeat)
            stopTimer(id);
        (*task)();
    });
    m_timers[id] = timer;
    timer->start();
    return id;
}

void QtEventLoop::stopTimer(TimerId id) {
    auto it = m_timers.find(id);
    if (it != m_timers.end())
        retireTimer(it);
}

void QtEventLoop::retireTimer(std::map<TimerId, QTimer*>::iterator it) {
    QTimer* timer = it->second;
    m_timers.erase(it);
    timer->stop();
    timer->disconnect();
    timer->deleteLater();
}

void QtEventLoop::processPending() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventLoop::waitAndProcess(std::chrono::milliseconds maxWait) {
    // The wake timer bounds the wait: WaitForMoreEvents alone could sleep for ever.
    m_wakeTimer.start(maxWait);
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    m_wakeTimer.stop();
}

bool QtEventLoop::terminating() const {
    return m_terminating || QCoreApplication::closingDown();
}

}  // namespace quay

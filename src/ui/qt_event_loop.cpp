#include "ui/qt_event_loop.h"

#include <QCoreApplication>
#include <QTimerEvent>

namespace quay {

namespace {

// Notifiers kept for reuse: a session has a control and a data connection, and a listening
// socket in active mode.
constexpr std::size_t kSpareNotifiers = 8;

}  // namespace

void QtEventLoop::Context::timerEvent(QTimerEvent* event) {
    if (onTimer)
        onTimer(event->timerId());
}

QtEventLoop::QtEventLoop() {
    m_context.onTimer = [this](int qtId) { timerFired(qtId); };
    m_wakeTimer.setSingleShot(true);
    if (auto* app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, &m_context,
                         [this] { m_terminating = true; });
}

// The loop may go from inside a notifier's activation: every notifier is handed to Qt to
// delete.
QtEventLoop::~QtEventLoop() {
    for (auto& [fd, watch] : m_watches) {
        retire(watch.read);
        retire(watch.write);
    }
    for (auto& notifier : m_spareNotifiers)
        notifier.release()->deleteLater();
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
    watch.read = disabledNotifier(fd, QSocketNotifier::Read);
    watch.write = disabledNotifier(fd, QSocketNotifier::Write);
    QObject::connect(watch.read.get(), &QSocketNotifier::activated, &m_context,
                     [this, fd, cb] { dispatch(fd, cb, IoReadable); });
    QObject::connect(watch.write.get(), &QSocketNotifier::activated, &m_context,
                     [this, fd, cb] { dispatch(fd, cb, IoWritable); });
    enableNotifiers(watch);
}

// A spare notifier, or a new one made without a socket, so it is not switched on and off
// again before enableNotifiers() sets it: each switch changes the set of descriptors the loop
// polls and wakes the loop.
std::unique_ptr<QSocketNotifier> QtEventLoop::disabledNotifier(int fd, QSocketNotifier::Type type) {
    std::unique_ptr<QSocketNotifier> notifier;
    for (auto it = m_spareNotifiers.begin(); it != m_spareNotifiers.end(); ++it) {
        if ((*it)->type() == type) {
            notifier = std::move(*it);
            m_spareNotifiers.erase(it);
            break;
        }
    }
    if (!notifier)
        notifier = std::make_unique<QSocketNotifier>(type);
    notifier->setSocket(fd);
    return notifier;
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
    if (m_spareNotifiers.size() < kSpareNotifiers)
        m_spareNotifiers.push_back(std::move(notifier));
    else
        notifier.release()->deleteLater();
}

// The notifier's activation is the loop's own poll result: Qt activates the read notifier on
// readable, hang-up or error, the write notifier on writable or error. The socket finds an
// error or the end of the stream when it reads, writes or asks for the connect's outcome, so
// the readiness is handed on as the notifier's type. Asking the descriptor again with poll(2)
// cost one system call per event, several per file of a tree.
void QtEventLoop::dispatch(int fd, const std::shared_ptr<WatchCallback>& callback, unsigned ready) {
    auto it = m_watches.find(fd);
    // A notification queued before the watch was replaced or removed is stale, as is one for
    // readiness the watch no longer asks for.
    if (it == m_watches.end() || it->second.callback != callback ||
        (it->second.events & ready) == 0)
        return;
    (*callback)(ready);
}

EventLoop::TimerId QtEventLoop::startTimer(std::chrono::milliseconds interval, Task callback,
                                           bool repeat) {
    const TimerId id = m_nextTimerId++;
    const int qtId = m_context.startTimer(interval);
    m_timers[id] = Timer{qtId, repeat, std::make_shared<Task>(std::move(callback))};
    m_timerIds[qtId] = id;
    return id;
}

void QtEventLoop::stopTimer(TimerId id) {
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    m_context.killTimer(it->second.qtId);
    m_timerIds.erase(it->second.qtId);
    m_timers.erase(it);
}

void QtEventLoop::timerFired(int qtId) {
    auto id = m_timerIds.find(qtId);
    if (id == m_timerIds.end())
        return;
    auto timer = m_timers.find(id->second);
    // The task may stop its own timer or free what it belongs to.
    const std::shared_ptr<Task> task = timer->second.task;
    if (!timer->second.repeat)
        stopTimer(id->second);
    (*task)();
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

#include "session/operation_runner.h"

#include <utility>

namespace quay {

void Operation::finish() {
    if (m_finished)
        return;
    m_finished = true;
    if (m_runner)
        m_runner->finished(*this);
}

OperationRunner::OperationRunner(EventLoop& loop, Hooks hooks)
    : m_loop(loop), m_hooks(std::move(hooks)) {}

OperationRunner::~OperationRunner() {
    *m_alive = false;
}

void OperationRunner::log(const std::string& line) {
    if (m_hooks.addLog)
        m_hooks.addLog(line);
}

bool OperationRunner::run(std::unique_ptr<Operation> operation) {
    if (!m_current) {
        begin(std::move(operation));
        return true;
    }
    if (m_current->queuesOthers() && !m_waiting) {
        m_waiting = std::move(operation);
        return true;
    }
    log("! " + operation->name() + " not started: " + m_current->name() + " is running");
    return false;
}

void OperationRunner::runAfter(std::unique_ptr<Operation> operation) {
    if (!m_current) {
        begin(std::move(operation));
        return;
    }
    m_linedUp.push_back(std::move(operation));
}

void OperationRunner::dropLinedUp(const std::string& why) {
    // Taken out first: an operation's destructor may tell others (the transfer queue).
    std::deque<std::unique_ptr<Operation>> dropped = std::move(m_linedUp);
    m_linedUp.clear();
    for (const auto& operation : dropped)
        log("! " + operation->name() + " not started: " + why);
}

void OperationRunner::begin(std::unique_ptr<Operation> operation) {
    m_stopRequested = false;
    m_current = std::move(operation);
    m_current->attach(*this);
    setBusy(true);
    m_current->start();
}

void OperationRunner::finished(Operation& operation) {
    if (m_current.get() != &operation)
        return;
    m_stopRequested = false;
    m_ended.push_back(std::move(m_current));
    m_loop.post([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (auto a = alive.lock(); a && *a)
            m_ended.clear();
    });
    if (m_waiting) {
        begin(std::move(m_waiting));
        return;
    }
    if (!m_linedUp.empty()) {
        std::unique_ptr<Operation> next = std::move(m_linedUp.front());
        m_linedUp.pop_front();
        begin(std::move(next));
        return;
    }
    setBusy(false);
    if (m_hooks.onIdle)
        m_hooks.onIdle();
}

void OperationRunner::requestDone(FtpRequest request, int error) {
    if (m_current)
        m_current->requestDone(request, error);
    else if (m_hooks.onStrayCompletion)
        m_hooks.onStrayCompletion(request, error);
}

void OperationRunner::sessionClosed() {
    if (m_waiting)
        log("! " + m_waiting->name() + " not started: the session has ended");
    m_waiting.reset();
    dropLinedUp("the session has ended");
    if (m_current)
        m_current->sessionClosed();
}

void OperationRunner::stop() {
    if (!m_current)
        return;
    m_stopRequested = true;
    dropLinedUp("stopped");
    m_current->stop();
}

void OperationRunner::setBusy(bool busy) {
    if (m_busy == busy)
        return;
    m_busy = busy;
    if (m_hooks.onBusyChanged)
        m_hooks.onBusyChanged(busy);
}

}  // namespace quay

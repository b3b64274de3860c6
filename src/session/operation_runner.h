#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/event_loop.h"
#include "session/operation.h"

namespace quay {

// Runs the session's operations one at a time and is the only listener to the client's
// completions: each goes to the running operation. A completion that arrives while nothing
// runs (the request of an operation that ended with the session) goes to onStrayCompletion.
//
// The runner owns the busy state and the stop request. An operation asked for while another
// runs waits behind it when the running one lets others queue (the keep-alive), else it is
// refused with a "! " line naming what runs. A transfer batch whose files go to the transfer
// queue lets further batches line up behind it (runAfter()): they start one after the other,
// each when the one before has ended; Stop and the end of the session drop them, each with a
// "! " line. The stop request belongs to the running operation and is forgotten with it; with
// nothing running, stop() does nothing.
class OperationRunner {
public:
    struct Hooks {
        std::function<void(const std::string& line)> addLog;
        // The busy state changed: true when an operation starts, false when the last ends.
        std::function<void(bool busy)> onBusyChanged;
        // An operation ended and nothing waits: the session is idle again.
        std::function<void()> onIdle;
        std::function<void(FtpRequest request, int error)> onStrayCompletion;
    };

    OperationRunner(EventLoop& loop, Hooks hooks);
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;
    ~OperationRunner();

    // Starts operation, or queues or refuses it (see above). Returns false when refused.
    bool run(std::unique_ptr<Operation> operation);
    // Starts operation when nothing runs, else lines it up behind the running operation and
    // those lined up before it.
    void runAfter(std::unique_ptr<Operation> operation);
    // The client's onRequestDone.
    void requestDone(FtpRequest request, int error);
    // The client's onSessionClosed: told to the running operation.
    void sessionClosed();
    // The user's stop command.
    void stop();
    // The client's progress report: told to the running operation.
    void progress(std::int64_t bytes) {
        if (m_current)
            m_current->progress(bytes);
    }

    // Marks a question of a command that runs outside any operation (a prompt before it
    // starts one, Preferences) as open for as long as the returned object lives.
    class Question {
    public:
        explicit Question(int& open) : m_open(open) { ++m_open; }
        Question(const Question&) = delete;
        Question& operator=(const Question&) = delete;
        ~Question() { --m_open; }

    private:
        int& m_open;
    };
    [[nodiscard]] Question question() { return Question(m_questionsOpen); }
    // Whether the keep-alive has to wait: an operation runs or a question is open.
    bool keepAliveWaits() const { return busy() || m_questionsOpen > 0; }

    bool busy() const { return m_current != nullptr; }
    const Operation* current() const { return m_current.get(); }
    bool stopRequested() const { return m_stopRequested; }
    // Whether the running data transfer is to be aborted (the client's progress report).
    bool abortsData() const { return m_current && m_current->abortsData(); }

    // Called by Operation::finish().
    void finished(Operation& operation);

private:
    void begin(std::unique_ptr<Operation> operation);
    void setBusy(bool busy);
    void log(const std::string& line);
    // Drops the operations lined up by runAfter(), each with a "! " line saying why.
    void dropLinedUp(const std::string& why);

    EventLoop& m_loop;
    Hooks m_hooks;
    std::unique_ptr<Operation> m_current;
    std::unique_ptr<Operation> m_waiting;
    // Operations lined up by runAfter(), in order.
    std::deque<std::unique_ptr<Operation>> m_linedUp;
    // Ended operations, dropped from the loop: one may still be inside its own method.
    std::vector<std::unique_ptr<Operation>> m_ended;
    bool m_stopRequested = false;
    int m_questionsOpen = 0;
    bool m_busy = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace quay

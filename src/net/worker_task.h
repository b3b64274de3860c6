#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "base/event_loop.h"

namespace quay {

// Blocking work (a name lookup) on a short-lived worker thread, its result handed to `done` on
// the loop thread unless cancel() came first: after cancel() returns, `done` never runs and the
// worker never touches the loop again, so the owner may go away at once. A resolver call cannot
// be interrupted, so a cancelled worker runs to its end on its own and its result is dropped.
template <typename Result>
class WorkerTask : public std::enable_shared_from_this<WorkerTask<Result>> {
public:
    using Work = std::function<Result()>;
    using Done = std::function<void(Result)>;

    // Throws std::system_error when no thread can be started.
    static std::shared_ptr<WorkerTask> start(EventLoop& loop, Work work, Done done) {
        std::shared_ptr<WorkerTask> task(new WorkerTask(loop, std::move(done)));
        std::thread([task, work = std::move(work)] { task->run(work); }).detach();
        return task;
    }

    void cancel() {
        std::lock_guard lock(m_mutex);
        m_cancelled = true;
        m_done = nullptr;
    }

private:
    WorkerTask(EventLoop& loop, Done done) : m_loop(loop), m_done(std::move(done)) {}

    void run(const Work& work) {
        Result result = work();
        // Held while posting so that cancel() cannot return between the check and the post,
        // after which the loop may no longer exist.
        std::lock_guard lock(m_mutex);
        if (m_cancelled)
            return;
        m_loop.postFromAnyThread([self = this->shared_from_this(), result = std::move(result)] {
            self->deliver(result);
        });
    }

    void deliver(const Result& result) {
        Done done;
        {
            std::lock_guard lock(m_mutex);
            if (m_cancelled)
                return;
            m_cancelled = true;
            done = std::move(m_done);
        }
        done(result);
    }

    EventLoop& m_loop;
    std::mutex m_mutex;
    bool m_cancelled = false;
    Done m_done;
};

}  // namespace quay

#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "base/event_loop.h"
#include "session/transfer_job.h"
#include "session/transfer_worker.h"

namespace quay {

// The transfer queue with its extra connections: files of download and upload batches are
// handed to it in order and carried by up to connections() connections to the session's server
// (each a TransferWorker with its own client and log-in), while the session itself stays free.
// Workers are opened as files wait and closed once the queue is empty and no batch is still
// being walked. Files start in queue order, but one whose target a running file writes waits
// for it.
//
// A log-in the server refuses (a per-address connection limit) drops that connection and caps
// the pool at the connections it has; when none logs in, the waiting files fail with the
// server's reason. A file whose connection drops or times out, or whose data connection breaks
// or ends short, is tried again (on a new connection when its own is gone), resuming behind the
// bytes already there, up to the retry count; then it fails and the queue goes on. Nothing runs
// nested in a caller: workers are started and destroyed from tasks posted to the loop.
//
// Every line of a connection's dialogue goes to Hooks::log prefixed "[<number>] " (the session
// is connection 1), a PASS command masked.
class TransferPool {
public:
    struct Hooks {
        std::function<void(const std::string& line)> log;
        // A file was added or its state, position or rate changed (index into jobs()).
        std::function<void(std::size_t index)> changed;
        // The queue ran empty and every batch handed to it was walked.
        std::function<void()> idle;
    };

    TransferPool(EventLoop& loop, WorkerSettings settings, int connections, int retries,
                 Hooks hooks);
    ~TransferPool();
    TransferPool(const TransferPool&) = delete;
    TransferPool& operator=(const TransferPool&) = delete;

    // The options as they are now: they hold for connections opened from now on.
    void reconfigure(WorkerSettings settings, int connections, int retries);

    // A new batch; its files follow through add(), its walk ends with batchWalked().
    int beginBatch();
    void batchWalked(int batch);
    // Queues a file of batch (its id and state are set here); returns its id.
    int add(TransferJob job);

    // Stop: the waiting files fail as stopped, running ones are aborted.
    void stopFile(int id);
    void stopBatch(int batch);
    void stopAll();
    // Queues every failed file again, resuming those whose target holds bytes of theirs.
    void retryFailed();

    // The names of the files uploads are sending, or are to send, into the remote directory
    // dir (ending in "/"): a listing of dir may not show them yet.
    std::vector<std::string> uploadsUnderway(const std::string& dir) const;
    // Whether a download writes, or is to write, the local file at path: it may not be on
    // disk yet.
    bool downloadUnderway(const std::string& path) const;
    // Every file queued, in order, with its state.
    const std::vector<TransferJob>& jobs() const { return m_jobs; }
    // Whether nothing waits or runs and no batch is being walked.
    bool idle() const;
    bool busy() const { return !idle(); }
    // The files of batch and the bytes: done and all.
    struct Totals {
        int files = 0;
        int filesDone = 0;
        int filesFailed = 0;
        std::int64_t bytes = 0;
        std::int64_t bytesDone = 0;
    };
    Totals totals(int batch) const;
    // Connections logged in now.
    int liveConnections() const;

private:
    void schedule();
    void dispatch();
    void openConnections();
    // Whether a running file writes the target candidate writes.
    bool targetBusy(const TransferJob& candidate);
    // Hands the first waiting file whose target is free to the idle worker; false when none is.
    bool runNext(TransferWorker& worker);
    void loggedIn(TransferWorker& worker, int error);
    void fileEnded(TransferWorker& worker, TransferWorker::Outcome outcome,
                   const std::string& reason);
    void retryOrFail(TransferJob& job, int worker, const std::string& reason);
    void failWaiting(const std::string& reason,
                     const std::function<bool(const TransferJob&)>& which);
    void drop(TransferWorker& worker);
    void closeWhenIdle();
    void log(int number, const std::string& line);
    void changed(const TransferJob& job);
    // Every change of a file's state goes through here, which keeps m_downloadTargets right.
    void setState(TransferJob& job, TransferJob::State state);
    void countDownloadTarget(const TransferJob& job, int change);
    TransferJob* job(int id);
    std::size_t running() const { return m_running; }

    EventLoop& m_loop;
    WorkerSettings m_settings;
    int m_connections;
    int m_retries;
    Hooks m_hooks;
    std::vector<TransferJob> m_jobs;
    std::deque<int> m_waiting;
    // The local targets (lexically normal) of the downloads waiting or running, each with the
    // number of such downloads: the overwrite check asks for each file of a batch.
    std::unordered_map<std::string, int> m_downloadTargets;
    // Files in the state Running.
    std::size_t m_running = 0;
    std::vector<std::unique_ptr<TransferWorker>> m_workers;
    std::vector<std::unique_ptr<TransferWorker>> m_ended;
    std::vector<int> m_walking;
    int m_nextNumber = 2;
    int m_nextBatch = 1;
    // Once a log-in was refused, no more connections than were up then.
    int m_ceiling;
    // Why the last log-in was refused: the reason of the files no connection can carry.
    std::string m_refusal;
    bool m_scheduled = false;
    // A file is being handed to the connection that has just ended one.
    bool m_handingOn = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace quay

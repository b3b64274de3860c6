#include "session/transfer_pool.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "listing/listing_walkers.h"
#include "session/log_mask.h"

namespace quay {

namespace {

bool underway(const TransferJob& job) {
    return job.state == TransferJob::State::Waiting || job.state == TransferJob::State::Running;
}

// A local path as the queue compares targets: "/d/./x" and "/d/x" are one file. (Folding ".."
// may take two files for one behind a link; that errs towards asking and waiting.)
std::string localTarget(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

// What a file of the queue writes: its remote path, or its local one compared as above.
std::string targetOf(const TransferJob& job) {
    return job.upload ? job.remote : localTarget(job.local);
}

}  // namespace

TransferPool::TransferPool(EventLoop& loop, WorkerSettings settings, int connections, int retries,
                           Hooks hooks)
    : m_loop(loop),
      m_settings(std::move(settings)),
      m_connections(std::clamp(connections, 1, 10)),
      m_retries(std::max(retries, 0)),
      m_hooks(std::move(hooks)),
      m_ceiling(m_connections) {}

void TransferPool::reconfigure(WorkerSettings settings, int connections, int retries) {
    m_settings = std::move(settings);
    m_connections = std::clamp(connections, 1, 10);
    m_retries = std::max(retries, 0);
    if (m_workers.empty())
        m_ceiling = m_connections;
}

TransferPool::~TransferPool() {
    *m_alive = false;
}

int TransferPool::beginBatch() {
    m_walking.push_back(m_nextBatch);
    return m_nextBatch++;
}

void TransferPool::batchWalked(int batch) {
    std::erase(m_walking, batch);
    schedule();
}

int TransferPool::add(TransferJob job) {
    job.id = static_cast<int>(m_jobs.size()) + 1;
    job.state = TransferJob::State::Waiting;
    m_jobs.push_back(std::move(job));
    if (!m_jobs.back().upload)
        countDownloadTarget(m_jobs.back(), 1);
    m_waiting.push_back(m_jobs.back().id);
    changed(m_jobs.back());
    schedule();
    return m_jobs.back().id;
}

std::vector<std::string> TransferPool::uploadsUnderway(const std::string& dir) const {
    std::vector<std::string> names;
    for (const TransferJob& queued : m_jobs) {
        if (underway(queued) && queued.upload && queued.remote.starts_with(dir) &&
            queued.remote.find('/', dir.size()) == std::string::npos)
            names.push_back(queued.remote.substr(dir.size()));
    }
    return names;
}

bool TransferPool::downloadUnderway(const std::string& path) const {
    return m_downloadTargets.contains(localTarget(path));
}

void TransferPool::setState(TransferJob& job, TransferJob::State state) {
    const bool wasUnderway = underway(job);
    job.state = state;
    if (!job.upload && wasUnderway != underway(job))
        countDownloadTarget(job, wasUnderway ? -1 : 1);
}

void TransferPool::countDownloadTarget(const TransferJob& job, int change) {
    const std::string target = targetOf(job);
    if ((m_downloadTargets[target] += change) <= 0)
        m_downloadTargets.erase(target);
}

int TransferPool::liveConnections() const {
    return static_cast<int>(std::count_if(m_workers.begin(), m_workers.end(), [](const auto& w) {
        return !w->lost() && (w->idle() || w->jobId() != 0);
    }));
}

bool TransferPool::idle() const {
    return m_waiting.empty() && running() == 0 && m_walking.empty();
}

TransferJob* TransferPool::job(int id) {
    if (id < 1 || static_cast<std::size_t>(id) > m_jobs.size())
        return nullptr;
    return &m_jobs[static_cast<std::size_t>(id) - 1];
}

void TransferPool::changed(const TransferJob& changedJob) {
    if (m_hooks.changed)
        m_hooks.changed(static_cast<std::size_t>(changedJob.id) - 1);
}

void TransferPool::log(int number, const std::string& line) {
    // Appended piece by piece: GCC 12 takes "[" + std::to_string(n) for an overlapping copy.
    std::string prefixed = "[";
    prefixed += std::to_string(number);
    prefixed += "] ";
    if (isPassCommandLine(line)) {
        prefixed += "> PASS ";
        prefixed += kPasswordMask;
    } else {
        prefixed += line;
    }
    m_hooks.log(prefixed);
}

void TransferPool::schedule() {
    if (m_scheduled)
        return;
    m_scheduled = true;
    m_loop.post([this, alive = std::weak_ptr<bool>(m_alive)] {
        auto a = alive.lock();
        if (!a || !*a)
            return;
        m_scheduled = false;
        dispatch();
    });
}

void TransferPool::dispatch() {
    m_ended.clear();
    // A connection the server closed between files, or lost under a stopped file, is replaced.
    for (auto& worker : m_workers)
        if (worker->gone())
            m_ended.push_back(std::move(worker));
    std::erase(m_workers, nullptr);
    if (m_workers.empty() && m_ceiling == 0)
        failWaiting(m_refusal, [](const TransferJob&) { return true; });
    openConnections();
    std::vector<TransferWorker*> ready;
    for (const auto& worker : m_workers)
        if (worker->idle() && !worker->lost())
            ready.push_back(worker.get());
    for (TransferWorker* worker : ready) {
        if (!runNext(*worker))
            break;
    }
    closeWhenIdle();
}

// Two transfers into one target would mix their bytes: a file the user chose to overwrite with a
// later one of the queue waits until the earlier has ended.
bool TransferPool::targetBusy(const TransferJob& candidate) {
    const std::string target = targetOf(candidate);
    for (const auto& worker : m_workers) {
        const TransferJob* running = job(worker->jobId());
        if (running != nullptr && running->state == TransferJob::State::Running &&
            running->upload == candidate.upload && targetOf(*running) == target)
            return true;
    }
    return false;
}

bool TransferPool::runNext(TransferWorker& worker) {
    const auto startable = std::find_if(m_waiting.begin(), m_waiting.end(),
                                        [this](int id) { return !targetBusy(*job(id)); });
    if (startable == m_waiting.end())
        return false;
    TransferJob& next = *job(*startable);
    m_waiting.erase(startable);
    setState(next, TransferJob::State::Running);
    ++m_running;
    next.done = 0;
    next.rate = 0;
    changed(next);
    worker.run(next);
    return true;
}

void TransferPool::openConnections() {
    const std::size_t wanted =
        std::min<std::size_t>(static_cast<std::size_t>(m_ceiling), m_waiting.size() + running());
    while (m_workers.size() < wanted) {
        TransferWorker::Hooks hooks;
        const int number = m_nextNumber++;
        hooks.log = [this, number](const std::string& line) { log(number, line); };
        hooks.loggedIn = [this](TransferWorker& worker, int error) { loggedIn(worker, error); };
        hooks.fileEnded = [this](TransferWorker& worker, TransferWorker::Outcome outcome,
                                 const std::string& reason) { fileEnded(worker, outcome, reason); };
        hooks.progress = [this](TransferWorker& worker, std::int64_t bytes) {
            if (TransferJob* current = job(worker.jobId())) {
                current->done = bytes;
                changed(*current);
            }
        };
        m_workers.push_back(
            std::make_unique<TransferWorker>(m_loop, number, m_settings, std::move(hooks)));
        m_workers.back()->start();
    }
}

// A refused log-in (a server's limit of connections per address: "421 Too many connections")
// leaves the pool with the connections it has; with none at all, the waiting files fail with
// the server's words.
void TransferPool::loggedIn(TransferWorker& worker, int error) {
    if (error == 0) {
        schedule();
        return;
    }
    const std::string reason = worker.reason();
    log(worker.number(), "! Connection not used: " + reason);
    drop(worker);
    m_ceiling = static_cast<int>(m_workers.size());
    m_refusal = "Log-in refused: " + reason;
    schedule();
}

void TransferPool::fileEnded(TransferWorker& worker, TransferWorker::Outcome outcome,
                             const std::string& reason) {
    TransferJob* ended = job(worker.jobId());
    if (ended == nullptr || ended->state != TransferJob::State::Running)
        return;
    --m_running;
    ended->rate = 0;
    // Only a target that holds this file's bytes is resumed: before the server took the file, a
    // download's target may still hold an older file that the user chose to overwrite.
    ended->resume = ended->resume || worker.targetWritten();
    switch (outcome) {
        case TransferWorker::Outcome::Done:
            setState(*ended, TransferJob::State::Done);
            ended->done = std::max(ended->done, ended->size);
            ended->reason.clear();
            break;
        case TransferWorker::Outcome::Failed:
        case TransferWorker::Outcome::Stopped:
            setState(*ended, TransferJob::State::Failed);
            ended->reason = reason.empty() ? "Failed" : reason;
            log(worker.number(),
                "! Transfer of " + printableName(ended->remote) + " failed: " + ended->reason);
            break;
        case TransferWorker::Outcome::Dropped:
            if (worker.gone())
                drop(worker);
            retryOrFail(*ended, worker.number(), reason);
            break;
    }
    changed(*ended);
    // The connection takes the next file at once: through the loop it cost a turn per file. A
    // file that ends inside run() (it could not start) leaves the next one to the loop.
    if (!m_handingOn && worker.idle() && !worker.lost() && !m_waiting.empty()) {
        m_handingOn = true;
        const bool handedOn = runNext(worker);
        m_handingOn = false;
        if (handedOn)
            return;
    }
    schedule();
}

void TransferPool::retryOrFail(TransferJob& dropped, int worker, const std::string& reason) {
    const std::string name = printableName(dropped.remote);
    if (dropped.retries >= m_retries) {
        setState(dropped, TransferJob::State::Failed);
        dropped.reason = "Connection lost: " + reason;
        log(worker, "! Transfer of " + name + " failed: " + dropped.reason);
        return;
    }
    ++dropped.retries;
    setState(dropped, TransferJob::State::Waiting);
    m_waiting.push_front(dropped.id);
    log(worker, "! Connection lost during " + name + " (" + reason + "); tried again (" +
                    std::to_string(dropped.retries) + " of " + std::to_string(m_retries) +
                    (dropped.resume ? "), resuming" : "), from the start"));
}

void TransferPool::failWaiting(const std::string& reason,
                               const std::function<bool(const TransferJob&)>& which) {
    std::deque<int> kept;
    for (int id : m_waiting) {
        TransferJob& waiting = *job(id);
        if (!which(waiting)) {
            kept.push_back(id);
            continue;
        }
        setState(waiting, TransferJob::State::Failed);
        waiting.reason = reason;
        changed(waiting);
    }
    m_waiting = std::move(kept);
}

// The worker is destroyed from the loop: this may run inside its own completion.
void TransferPool::drop(TransferWorker& worker) {
    auto it = std::find_if(m_workers.begin(), m_workers.end(),
                           [&](const auto& w) { return w.get() == &worker; });
    if (it == m_workers.end())
        return;
    m_ended.push_back(std::move(*it));
    m_workers.erase(it);
    schedule();
}

void TransferPool::closeWhenIdle() {
    if (!idle())
        return;
    const bool hadWork = !m_workers.empty() || !m_jobs.empty();
    for (auto& worker : m_workers) {
        worker->quit();
        m_ended.push_back(std::move(worker));
    }
    m_workers.clear();
    m_ceiling = m_connections;
    if (hadWork && m_hooks.idle)
        m_hooks.idle();
}

void TransferPool::stopFile(int id) {
    TransferJob* stopped = job(id);
    if (stopped == nullptr)
        return;
    if (stopped->state == TransferJob::State::Waiting) {
        failWaiting("Stopped", [id](const TransferJob& j) { return j.id == id; });
        schedule();
        return;
    }
    for (const auto& worker : m_workers)
        if (worker->jobId() == id && !worker->idle())
            worker->stop();
}

void TransferPool::stopBatch(int batch) {
    failWaiting("Stopped", [batch](const TransferJob& j) { return j.batch == batch; });
    for (const auto& worker : m_workers) {
        const TransferJob* current = job(worker->jobId());
        if (current != nullptr && current->batch == batch && !worker->idle())
            worker->stop();
    }
    schedule();
}

void TransferPool::stopAll() {
    failWaiting("Stopped", [](const TransferJob&) { return true; });
    for (const auto& worker : m_workers)
        worker->stop();
    schedule();
}

void TransferPool::retryFailed() {
    for (TransferJob& failed : m_jobs) {
        if (failed.state != TransferJob::State::Failed)
            continue;
        setState(failed, TransferJob::State::Waiting);
        failed.retries = 0;
        failed.reason.clear();
        m_waiting.push_back(failed.id);
        changed(failed);
    }
    schedule();
}

TransferPool::Totals TransferPool::totals(int batch) const {
    Totals sum;
    for (const TransferJob& j : m_jobs) {
        if (batch != 0 && j.batch != batch)
            continue;
        ++sum.files;
        sum.bytes += j.size;
        if (j.state == TransferJob::State::Done)
            ++sum.filesDone;
        if (j.state == TransferJob::State::Failed)
            ++sum.filesFailed;
        sum.bytesDone += j.state == TransferJob::State::Done ? std::max(j.done, j.size) : j.done;
    }
    return sum;
}

}  // namespace quay

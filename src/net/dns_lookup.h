#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/event_loop.h"

namespace quay {

// One name lookup on a short-lived worker thread. The result is posted back to the loop and
// handed to `done` there, unless cancel() came first: after cancel() returns, `done` never
// runs and the worker never touches the loop again, so the owner may go away at once.
class DnsLookupTask : public std::enable_shared_from_this<DnsLookupTask> {
public:
    // error: 0 or a socket-layer code (11001...); results: the numeric addresses of both
    // families ("127.0.0.1", "::1") in the resolver's order, each once (forward), or the one
    // host name (reverse).
    using Done = std::function<void(int error, std::vector<std::string> results)>;

    // Throws std::system_error when no thread can be started.
    static std::shared_ptr<DnsLookupTask> start(EventLoop& loop, const std::string& query,
                                                bool reverse, Done done);
    void cancel();

private:
    DnsLookupTask(EventLoop& loop, Done done) : m_loop(loop), m_done(std::move(done)) {}
    void run(const std::string& query, bool reverse);
    void deliver(int error, std::vector<std::string> results);

    EventLoop& m_loop;
    Done m_done;
    std::mutex m_mutex;
    bool m_cancelled = false;
};

// Blocking lookups used by the worker.
int lookupAddresses(const std::string& name, std::vector<std::string>& addresses);
int lookupHostName(const std::string& dottedAddress, std::vector<std::string>& names);

}  // namespace quay

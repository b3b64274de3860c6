#pragma once

#include <functional>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/event_loop.h"
#include "net/worker_task.h"

namespace quay {

// error: 0 or a socket-layer code (11001...); results: the numeric addresses of both families
// ("127.0.0.1", "::1") in the resolver's order, each once (forward), or the one host name
// (reverse).
struct LookupReply {
    int error = 0;
    std::vector<std::string> results;
};

using DnsLookupTask = WorkerTask<LookupReply>;

// One name lookup on a worker thread (see WorkerTask for cancelling). Throws std::system_error
// when no thread can be started.
std::shared_ptr<DnsLookupTask> startDnsLookup(EventLoop& loop, const std::string& query,
                                              bool reverse, DnsLookupTask::Done done);

// "<name>: can't start DNS lookup, error #<code>": no worker thread could be started.
std::string lookupStartFailure(const std::string& name, const std::system_error& error);

// Blocking lookups used by the worker.
int lookupAddresses(const std::string& name, std::vector<std::string>& addresses);
int lookupHostName(const std::string& dottedAddress, std::vector<std::string>& names);

}  // namespace quay

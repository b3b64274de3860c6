#pragma once

#include <cstdint>
#include <string>

#include "ftp/ftp_client_base.h"

namespace quay {

class OperationRunner;

// One user operation (log-in, navigation, a command, a batch, the keep-alive) run by the
// OperationRunner. The operation owns everything it needs while it runs and is discarded when
// it has ended. It starts at most one request of the client at a time and hears that
// request's completion in requestDone(); it never pumps the event loop. It ends by calling
// finish() exactly once (done, failed or stopped); after that the runner drops it at the
// next turn of the loop, so finish() may be the last thing a method of it does.
class Operation {
public:
    explicit Operation(std::string name) : m_name(std::move(name)) {}
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;
    virtual ~Operation() = default;

    // What the user sees named in a refusal ("Refresh", "Download", ...).
    const std::string& name() const { return m_name; }
    bool finished() const { return m_finished; }

    // Called once by the runner when the operation's turn has come.
    virtual void start() = 0;
    // The completion of a request this operation started.
    virtual void requestDone(FtpRequest request, int error) = 0;
    // The user's stop request: the operation ends as soon as its running request has ended
    // (a data transfer is aborted at its next progress report, see abortsData()).
    virtual void stop() = 0;
    // The control connection was closed. The pending request still ends with an error.
    virtual void sessionClosed() = 0;
    // Whether a running data transfer of this operation is to be aborted now.
    virtual bool abortsData() const { return false; }
    // The client's progress report of the running data transfer (bytes so far).
    virtual void progress(std::int64_t bytes) { (void)bytes; }
    // Whether another operation may wait behind this one instead of being refused.
    virtual bool queuesOthers() const { return false; }

    void attach(OperationRunner& runner) { m_runner = &runner; }

protected:
    // Tells the runner that the operation has ended.
    void finish();

private:
    std::string m_name;
    OperationRunner* m_runner = nullptr;
    bool m_finished = false;
};

}  // namespace quay

#pragma once

#include <functional>
#include <memory>

#include "base/event_loop.h"
#include "session/operation.h"

namespace quay {

class SessionController;

// A delete, rename or make-directory batch run by RemoteOperations, which still chains their
// requests through the session's request-done handler. The operation holds the runner busy from the
// command until the chain has run out: no request of the client pending. Completions delivered
// inside a synchronous call of the driver (TYPE) are handed on like the others but do not end the
// batch. The stop request goes to the driver, which owns its stop.
class BatchOperation : public Operation {
public:
    BatchOperation(SessionController& session, EventLoop& loop, std::string name,
                   std::function<void()> command);

    void start() override;
    void requestDone(FtpRequest request, int error) override;
    void stop() override;
    void sessionClosed() override;

private:
    bool requestPending() const;
    // Ends the operation once the chain has run out.
    void checkEnded();

    SessionController& m_session;
    EventLoop& m_loop;
    std::function<void()> m_command;
    int m_depth = 0;
};

}  // namespace quay

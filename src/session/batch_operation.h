#pragma once

#include <functional>
#include <memory>

#include "base/event_loop.h"
#include "session/operation.h"

namespace quay {

class SessionController;

// A transfer batch run by the transfer driver (TransferDriver), which still chains its
// requests through the session's request-done handler. The operation holds the runner busy from the
// command until the chain has run out: no request of the client pending, no batch step waiting in
// the loop. Completions delivered inside a synchronous call of the driver (TYPE) are handed on like
// the others but do not end the batch. The stop request goes to the driver, which owns its stop.
class BatchOperation : public Operation {
public:
    BatchOperation(SessionController& session, EventLoop& loop, std::string name,
                   std::function<void()> command);
    ~BatchOperation() override;

    void start() override;
    void requestDone(FtpRequest request, int error) override;
    void stop() override;
    void sessionClosed() override;

private:
    bool requestPending() const;
    // Ends the operation once the chain has run out; a step of a transfer batch waiting in
    // the loop is looked at again shortly.
    void checkEnded();

    SessionController& m_session;
    EventLoop& m_loop;
    std::function<void()> m_command;
    int m_depth = 0;
    EventLoop::TimerId m_recheck = 0;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace quay

#include "session/batch_operation.h"

#include "session/session_controller.h"

namespace quay {

BatchOperation::BatchOperation(SessionController& session, EventLoop& loop, std::string name,
                               std::function<void()> command)
    : Operation(std::move(name)), m_session(session), m_loop(loop), m_command(std::move(command)) {}

void BatchOperation::start() {
    ++m_depth;
    m_command();
    --m_depth;
    checkEnded();
}

void BatchOperation::requestDone(FtpRequest request, int error) {
    ++m_depth;
    m_session.driverRequestDone(request, error);
    --m_depth;
    if (m_depth == 0)
        checkEnded();
}

void BatchOperation::stop() {
    m_session.stopDrivers();
}

void BatchOperation::sessionClosed() {
    finish();
}

bool BatchOperation::requestPending() const {
    const FtpState state = m_session.ftp().state();
    return state != FtpState::fsReady && state != FtpState::fsNotConnected;
}

void BatchOperation::checkEnded() {
    if (!finished() && !requestPending())
        finish();
}

}  // namespace quay

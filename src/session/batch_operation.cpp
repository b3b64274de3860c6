#include "session/batch_operation.h"

#include <chrono>

#include "session/session_controller.h"

namespace quay {

namespace {

// How often a batch whose next step waits in the loop (a file it could not start) is looked
// at again.
constexpr std::chrono::milliseconds kRecheck{100};

}  // namespace

BatchOperation::BatchOperation(SessionController& session, EventLoop& loop, std::string name,
                               std::function<void()> command)
    : Operation(std::move(name)), m_session(session), m_loop(loop), m_command(std::move(command)) {}

BatchOperation::~BatchOperation() {
    *m_alive = false;
    if (m_recheck != 0)
        m_loop.stopTimer(m_recheck);
}

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
    m_session.transfers().sessionClosed();
    finish();
}

bool BatchOperation::requestPending() const {
    const FtpState state = m_session.ftp().state();
    return state != FtpState::fsReady && state != FtpState::fsNotConnected;
}

void BatchOperation::checkEnded() {
    if (finished() || requestPending())
        return;
    if (!m_session.transfers().running()) {
        finish();
        return;
    }
    // A step of the transfer batch was posted to the loop instead of a request.
    if (m_recheck == 0)
        m_recheck = m_loop.startTimer(
            kRecheck,
            [this, alive = std::weak_ptr<bool>(m_alive)] {
                if (auto a = alive.lock(); a && *a) {
                    m_recheck = 0;
                    checkEnded();
                }
            },
            false);
}

}  // namespace quay

#include "session/command_operation.h"

#include "session/session_controller.h"

namespace quay {

CommandOperation::CommandOperation(SessionController& session, std::string name, std::string line,
                                   bool keepAlive)
    : ListingOperation(std::move(name), session), m_line(std::move(line)), m_keepAlive(keepAlive) {}

void CommandOperation::start() {
    m_ftp.setLocalFileName(m_line);
    m_quoteRunning = send(&FtpClientBase::quoteAsync);
    if (!m_quoteRunning)
        finish();
}

void CommandOperation::requestDone(FtpRequest request, int error) {
    if (!m_quoteRunning) {
        listingStepDone(request, error);
        return;
    }
    m_quoteRunning = false;
    if (error != 0) {
        logFailure();
        finish();
    } else if (stopped()) {
        finish();
    } else {
        enterAndList(m_ftp.hostDirName());
    }
}

}  // namespace quay

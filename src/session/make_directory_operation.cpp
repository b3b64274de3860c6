#include "session/make_directory_operation.h"

#include "session/dialogs.h"
#include "session/session_controller.h"

namespace quay {

namespace {

constexpr std::size_t kNameLimit = 255;

}  // namespace

MakeDirectoryOperation::MakeDirectoryOperation(SessionController& session)
    : ListingOperation("Make directory", session) {}

void MakeDirectoryOperation::start() {
    std::string name;
    // The session may have ended while the prompt was open.
    Dialogs& dialogs = m_session.dialogs();
    if (!dialogs.showInputForm(dialogs.text(Message::RemoteMakeDirectoryTitle),
                               dialogs.text(Message::RemoteMakeDirectoryPrompt), name, false,
                               kNameLimit) ||
        !m_ftp.connected()) {
        finish();
        return;
    }
    m_ftp.setHostFileName(name);
    m_mkdRunning = send(&FtpClientBase::mkdAsync);
    if (!m_mkdRunning)
        finish();
}

void MakeDirectoryOperation::requestDone(FtpRequest request, int error) {
    if (!m_mkdRunning) {
        listingStepDone(request, error);
        return;
    }
    m_mkdRunning = false;
    if (error != 0)
        logFailure();
    if (error != 0 || m_stopRequested)
        finish();
    else
        listCurrentDir();
}

void MakeDirectoryOperation::stop() {
    if (m_mkdRunning)
        m_stopRequested = true;
    else
        ListingOperation::stop();
}

}  // namespace quay

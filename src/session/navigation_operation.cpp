#include "session/navigation_operation.h"

#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

std::unique_ptr<Operation> NavigationOperation::refresh(SessionController& session) {
    return std::unique_ptr<Operation>(
        new NavigationOperation(session, "Refresh", Move::Refresh, ""));
}

std::unique_ptr<Operation> NavigationOperation::enter(SessionController& session, std::string name,
                                                      std::string dir) {
    return std::unique_ptr<Operation>(
        new NavigationOperation(session, std::move(name), Move::Enter, std::move(dir)));
}

std::unique_ptr<Operation> NavigationOperation::up(SessionController& session) {
    return std::unique_ptr<Operation>(
        new NavigationOperation(session, "Up one level", Move::Up, ""));
}

NavigationOperation::NavigationOperation(SessionController& session, std::string name, Move move,
                                         std::string dir)
    : ListingOperation(std::move(name), session), m_move(move), m_dir(std::move(dir)) {}

void NavigationOperation::start() {
    switch (m_move) {
        case Move::Refresh:
            listCurrentDir();
            return;
        case Move::Enter:
            enterAndList(m_dir);
            return;
        case Move::Up:
            goUp();
            return;
    }
}

// A virtual host's first level is entered by its name: the way up from it is asked from the
// server rather than sent as CDUP.
void NavigationOperation::goUp() {
    const std::string parent = parentRemoteDir(m_ftp.hostDirName());
    if (parent == "/" && m_session.currentServer().CheckVHost) {
        m_ftp.setHostDirName("");
        readDirAndList();
        return;
    }
    m_dirBefore = m_ftp.hostDirName();
    m_ftp.setHostDirName(parent);
    m_cdupRunning = send(&FtpClientBase::cDupAsync);
    if (!m_cdupRunning) {
        m_ftp.setHostDirName(m_dirBefore);
        finish();
    }
}

void NavigationOperation::requestDone(FtpRequest request, int error) {
    if (!m_cdupRunning) {
        listingStepDone(request, error);
        return;
    }
    m_cdupRunning = false;
    if (error != 0) {
        // The client stays where it was, which is what the pane shows.
        logFailure();
        m_ftp.setHostDirName(m_dirBefore);
        finish();
    } else if (stopped()) {
        endUnlisted();
    } else {
        listCurrentDir();
    }
}

}  // namespace quay

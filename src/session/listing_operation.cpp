#include "session/listing_operation.h"

#include "session/server_address.h"
#include "session/session_controller.h"

namespace quay {

ListingOperation::ListingOperation(std::string name, SessionController& session)
    : Operation(std::move(name)), m_session(session), m_ftp(session.ftp()) {}

bool ListingOperation::send(void (FtpClientBase::*request)()) {
    try {
        (m_ftp.*request)();
        return true;
    } catch (const std::exception& e) {
        m_session.addLog(std::string("! ") + e.what());
        return false;
    }
}

void ListingOperation::logFailure() {
    m_session.addLog("Error " + m_ftp.errorMessage());
}

void ListingOperation::endUnlisted() {
    m_step = Step::None;
    m_session.showUnlisted();
    finish();
}

void ListingOperation::enterAndList(const std::string& dir) {
    m_dirBefore = m_ftp.hostDirName();
    m_ftp.setHostDirName(dir);
    m_step = Step::Cwd;
    if (!send(&FtpClientBase::cwdAsync)) {
        m_ftp.setHostDirName(m_dirBefore);
        endUnlisted();
    }
}

void ListingOperation::readDirAndList() {
    m_step = Step::Pwd;
    if (!send(&FtpClientBase::pwdAsync))
        endUnlisted();
}

void ListingOperation::listCurrentDir() {
    m_ftp.setHostFileName("");
    m_ftp.setLocalFileName(m_session.options().dirListFile);
    m_step = Step::TypeForList;
    if (!send(&FtpClientBase::typeAsciiAsync))
        endUnlisted();
}

bool ListingOperation::listingStepDone(FtpRequest, int error) {
    const Step step = m_step;
    m_step = Step::None;
    switch (step) {
        case Step::None:
            return false;
        case Step::Cwd:
            cwdDone(error);
            return true;
        case Step::TypeForPwd:
            // Where the refused CWD left the client is read from the server.
            m_ftp.setHostFileName("");
            m_ftp.setHostDirName(dirAfterRefusedCwd());
            readDirAndList();
            return true;
        case Step::Pwd:
            pwdDone(error);
            return true;
        case Step::TypeForList:
            m_step = Step::List;
            m_session.showListingActivity(m_ftp.hostDirName());
            if (m_stopped || !send(m_session.listingRequest()))
                endUnlisted();
            return true;
        case Step::List:
            if (error != 0 && !m_stopped && m_session.mlsdRefused(error)) {
                m_step = Step::List;
                if (!send(m_session.listingRequest()))
                    endUnlisted();
                return true;
            }
            if (error != 0) {
                logFailure();
                endUnlisted();
                return true;
            }
            m_session.showListing();
            finish();
            return true;
    }
    return false;
}

void ListingOperation::stop() {
    m_stopped = true;
    m_ftp.abortTransfer();
}

void ListingOperation::cwdDone(int error) {
    if (error != 0 && m_stopped)
        m_ftp.setHostDirName(m_dirBefore);
    if (m_stopped) {
        endUnlisted();
    } else if (error == 0) {
        listCurrentDir();
    } else {
        recoverFromRefusedCwd(m_dirBefore);
    }
}

void ListingOperation::recoverFromRefusedCwd(const std::string& dirBefore) {
    m_step = Step::TypeForPwd;
    if (!send(&FtpClientBase::typeAsciiAsync)) {
        m_ftp.setHostDirName(dirBefore);
        endUnlisted();
    }
}

std::string ListingOperation::dirAfterRefusedCwd() const {
    return m_session.state().startRemoteDir;
}

void ListingOperation::pwdDone(int error) {
    if (error != 0) {
        logFailure();
        endUnlisted();
        return;
    }
    if (m_ftp.statusCode() == 257)
        if (std::optional<std::string> dir = quotedDirectory(m_ftp.lastResponse()))
            m_ftp.setHostDirName(*dir);
    if (m_stopped)
        endUnlisted();
    else
        listCurrentDir();
}

}  // namespace quay

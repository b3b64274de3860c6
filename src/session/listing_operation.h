#pragma once

#include <string>

#include "session/operation.h"

namespace quay {

class FtpClient;
class SessionController;

// The steps every operation that ends in a fresh remote pane shares: entering a directory
// (CWD; when it is refused, TYPE A and PWD read where the client is), reading the current
// directory (PWD), and listing it (TYPE A, then LIST or MLSD into the listing file, then the
// pane; an MLSD the server refuses is followed by LIST).
// Whatever ends the operation, the pane shows the directory the client is in: its listing,
// or, when that could not be had, that directory empty with a "! " line.
class ListingOperation : public Operation {
public:
    // A listing under way ends at once, also when the server sends nothing.
    void stop() override;
    void sessionClosed() override { finish(); }
    bool abortsData() const override { return m_stopped; }

protected:
    ListingOperation(std::string name, SessionController& session);

    // CWD dir, then the listing; a refused CWD reads the current directory instead.
    void enterAndList(const std::string& dir);
    // PWD, then the listing.
    void readDirAndList();
    // TYPE A, then LIST or MLSD (SessionController::listingRequest), then the pane.
    void listCurrentDir();
    // Hands a completion to the shared steps; false when none of them runs.
    bool listingStepDone(FtpRequest request, int error);
    // Starts a request; false (with a "! " line) when the client refuses to start it.
    bool send(void (FtpClientBase::*request)());
    // Logs "Error" with the failure of the request that just ended.
    void logFailure();
    // Ends with the pane showing the client's directory (see SessionController::showUnlisted).
    void endUnlisted();
    // After a refused CWD of the operation's own: TYPE A and PWD read where the client is,
    // then that directory is listed. When TYPE A cannot start, the client's directory is
    // taken to be dirBefore.
    void recoverFromRefusedCwd(const std::string& dirBefore);
    // The directory the client is taken to be in when the PWD after a refused CWD says
    // nothing usable.
    virtual std::string dirAfterRefusedCwd() const;
    // Whether one of the shared steps runs (its completion goes to listingStepDone).
    bool listingStepRunning() const { return m_step != Step::None; }
    bool stopped() const { return m_stopped; }

    SessionController& m_session;
    FtpClient& m_ftp;

private:
    enum class Step { None, Cwd, TypeForPwd, Pwd, TypeForList, List };

    void cwdDone(int error);
    void pwdDone(int error);

    Step m_step = Step::None;
    bool m_stopped = false;
    // The client's directory before the CWD, kept again when the CWD is refused.
    std::string m_dirBefore;
};

}  // namespace quay

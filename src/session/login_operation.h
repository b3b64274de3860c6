#pragma once

#include <memory>

#include "session/dialogs.h"
#include "session/listing_operation.h"
#include "session/trusted_certificates.h"
#include "sites/server_info.h"

namespace quay {

// Logging in to a server of the list: the password prompt (unless saved), the log-in request
// with the retry rule, FEAT (read once per session: MLST makes the listings MLSD, UTF8 sends
// "OPTS UTF8 ON"), SYST, then CWD to the record's start directory (PWD without one), then
// the first listing. A close of the connection while the log-in request runs is handled when
// that request ends, so each attempt counts once. Stop during the log-in request ends the
// attempt without a retry; the session goes back to the server list.
class LoginOperation : public ListingOperation {
public:
    LoginOperation(SessionController& session, FtpServerInfo server);

    void start() override;
    void requestDone(FtpRequest request, int error) override;
    void stop() override;
    void sessionClosed() override;

private:
    enum class Step { Connect, Feat, Utf8, Syst, Listing };

    void connect();
    void connectDone(int error);
    void featDone(int error);
    // Starts the next step of the log-in, unless it was stopped.
    void next(Step step, void (FtpClientBase::*request)());
    // The server's certificate is not trusted: the user is asked from a task of the loop (not
    // from inside the engine's completion) and the log-in goes on, or ends with nothing more
    // sent.
    void askAboutCertificate();
    void certificateAnswered(Dialogs::CertificateAnswer answer);
    // host:port as the trust file keys it.
    std::string trustPort() const;
    void systDone(int error);
    // The log-in request failed or could not start: retries it, or goes back to the list.
    void attemptEnded();

    FtpServerInfo m_server;
    std::unique_ptr<TrustedCertificates> m_trusted;
    // Tells a posted question that the operation is gone.
    std::shared_ptr<int> m_life = std::make_shared<int>(0);
    Step m_step = Step::Connect;
    bool m_connecting = false;
    bool m_cancelled = false;
};

}  // namespace quay

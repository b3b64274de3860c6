#include "session/login_operation.h"

#include "session/server_features.h"
#include "session/session_controller.h"

namespace quay {

LoginOperation::LoginOperation(SessionController& session, FtpServerInfo server)
    : ListingOperation("Connect", session), m_server(std::move(server)) {}

void LoginOperation::start() {
    if (!m_session.prepareLogin(m_server)) {
        finish();
        return;
    }
    m_session.addLog("Connecting to " + m_ftp.hostName());
    m_session.showActivity(Message::StatusConnecting, {m_ftp.hostName()});
    m_session.state().connectAttempt = 0;
    m_session.state().listWithMlsd = false;
    m_trusted = std::make_unique<TrustedCertificates>(m_session.dataDir());
    m_ftp.setTrustedFingerprint(m_trusted->fingerprintFor(m_ftp.hostName(), trustPort()));
    connect();
}

void LoginOperation::connect() {
    m_ftp.setTimeout(0);
    m_step = Step::Connect;
    m_connecting = send(&FtpClientBase::connectAsync);
    if (!m_connecting)
        attemptEnded();
}

void LoginOperation::requestDone(FtpRequest request, int error) {
    switch (m_step) {
        case Step::Connect:
            connectDone(error);
            return;
        case Step::Feat:
            featDone(error);
            return;
        case Step::Utf8:
            m_ftp.setHostFileName("");
            next(Step::Syst, &FtpClientBase::systAsync);
            return;
        case Step::Syst:
            systDone(error);
            return;
        case Step::Listing:
            listingStepDone(request, error);
            return;
    }
}

std::string LoginOperation::trustPort() const {
    return m_ftp.serverPort();
}

void LoginOperation::connectDone(int error) {
    if (error == kFtpCertificateNotTrusted && !stopped()) {
        m_session.loop().post([this, life = std::weak_ptr<int>(m_life)] {
            if (!life.expired())
                askAboutCertificate();
        });
        return;
    }
    if (error != 0) {
        m_session.addLog(m_ftp.lastResponse());
        m_ftp.setTimeout(1);
        // The abort may report the close at once; the attempt is still this request's.
        m_ftp.abortAsync();
        m_connecting = false;
        attemptEnded();
        return;
    }
    m_connecting = false;
    m_session.showEncryption();
    next(Step::Feat, &FtpClientBase::featAsync);
}

// A server that refuses FEAT (500, 502) offers nothing beyond RFC 959: the session goes on
// with LIST exactly as without the question. Names are sent as the bytes the listing gave,
// whatever the answer to "OPTS UTF8 ON".
void LoginOperation::featDone(int error) {
    ServerFeatures features;
    if (error == 0) {
        features = parseFeatures(m_ftp.replyLines());
        m_session.addLog(featuresLogLine(features));
    }
    m_session.state().listWithMlsd = features.mlst;
    if (features.utf8) {
        m_ftp.setHostFileName("UTF8 ON");
        next(Step::Utf8, &FtpClientBase::optsAsync);
    } else {
        next(Step::Syst, &FtpClientBase::systAsync);
    }
}

void LoginOperation::next(Step step, void (FtpClientBase::*request)()) {
    if (stopped()) {
        endUnlisted();
        return;
    }
    m_step = step;
    if (!send(request))
        endUnlisted();
}

void LoginOperation::askAboutCertificate() {
    if (stopped() || !m_ftp.connected()) {
        certificateAnswered(Dialogs::CertificateAnswer::Refuse);
        return;
    }
    Dialogs::CertificateQuestion question;
    question.server = m_ftp.hostName() + ":" + trustPort();
    question.certificate = m_ftp.peerCertificate();
    question.changed = !m_ftp.trustedFingerprint().empty();
    certificateAnswered(m_session.dialogs().askCertificate(question));
}

void LoginOperation::certificateAnswered(Dialogs::CertificateAnswer answer) {
    const std::string fingerprint = m_ftp.peerCertificate().sha256;
    switch (answer) {
        case Dialogs::CertificateAnswer::Refuse:
            m_session.addLog("! Certificate refused; the session is closed");
            m_cancelled = true;
            m_ftp.abortAsync();
            m_connecting = false;
            attemptEnded();
            return;
        case Dialogs::CertificateAnswer::AlwaysTrust:
            if (!m_trusted->trust(m_ftp.hostName(), trustPort(), fingerprint))
                m_session.addLog("! Could not store the trusted certificate");
            break;
        case Dialogs::CertificateAnswer::AcceptOnce:
            break;
    }
    m_connecting = send(&FtpClientBase::continueLoginAsync);
    if (!m_connecting) {
        m_ftp.abortAsync();
        attemptEnded();
    }
}

void LoginOperation::systDone(int error) {
    m_step = Step::Listing;
    if (error != 0) {
        logFailure();
        endUnlisted();
    } else if (stopped()) {
        endUnlisted();
    } else if (!m_ftp.hostDirName().empty() && m_ftp.hostDirName() != "/") {
        enterAndList(m_ftp.hostDirName());
    } else {
        readDirAndList();
    }
}

// A connection that fails before any TCP connection is made reports no session-closed event
// of the client; the failed log-in request ends the attempt instead, so the retry counts
// refused and unreachable servers as well as silent ones. Once connected, no retry is made.
void LoginOperation::attemptEnded() {
    SessionState& state = m_session.state();
    const int retry = m_session.options().retry;
    if (!m_cancelled && retry > 0 && state.connectAttempt >= 0 && state.connectAttempt <= retry) {
        ++state.connectAttempt;
        m_session.addLog("Connecting to " + m_ftp.hostName() + " [Attempt " +
                         std::to_string(state.connectAttempt + 1) + "]");
        connect();
        return;
    }
    m_session.backToServerList();
    finish();
}

void LoginOperation::stop() {
    ListingOperation::stop();
    if (!m_connecting)
        return;
    m_cancelled = true;
    m_ftp.abortAsync();
}

void LoginOperation::sessionClosed() {
    if (!m_connecting)
        finish();
}

}  // namespace quay

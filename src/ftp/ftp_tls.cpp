#include "ftp/ftp_client_base.h"
#include "net/tls_layer.h"

namespace quay {

namespace {

bool isExplicit(FtpSecurity security) {
    return security == FtpSecurity::ftpTlsIfOffered || security == FtpSecurity::ftpTlsRequired;
}

}  // namespace

std::string FtpClientBase::tlsVersion() const {
    const TlsLayer* tls = m_control->tls();
    return tls && m_control->state() == SocketState::wsConnected ? tls->version() : std::string();
}

void FtpClientBase::noteTlsConnection() {
    const TlsLayer& tls = *m_control->tls();
    display("! TLS connection: " + tls.version() + ", " + tls.cipher());
}

bool FtpClientBase::tlsStepWanted(FtpStep step) const {
    switch (step) {
        case FtpStep::fctAuth:
            return isExplicit(m_security);
        case FtpStep::fctPbsz:
        case FtpStep::fctProt:
            return m_control->tls() != nullptr;
        default:
            return true;
    }
}

void FtpClientBase::checkSecurityPath() {
    if (m_security == FtpSecurity::ftpPlain || m_connectionType != FtpConnectionType::ftpProxy)
        return;
    const std::string text = "FTPS cannot pass through an FTP proxy; not connecting";
    display("! " + text);
    handleError(text);
}

std::string FtpClientBase::serverPort() const {
    if (m_security == FtpSecurity::ftpTlsImplicit &&
        (m_port.empty() || m_port == "21" || m_port == "ftp"))
        return "990";
    return m_port;
}

TlsSettings FtpClientBase::tlsSettings(std::shared_ptr<TlsSession> resume) {
    if (!m_tlsContext)
        m_tlsContext = TlsContext::client();
    return {m_tlsContext, m_hostName, std::move(resume)};
}

void FtpClientBase::prepareControlTls() {
    m_certificateAccepted = false;
    m_dataProtected = false;
    m_peerCertificate = {};
    m_control->setTls(m_security == FtpSecurity::ftpTlsImplicit
                          ? std::make_shared<TlsSettings>(tlsSettings(nullptr))
                          : nullptr);
}

// A passive connection starts TLS once connected (startDataTls), not before reporting the
// connection: vsftpd and pure-ftpd answer the handshake only once they handle STOR or RETR,
// which an upload sends after the connection is made. An accepted active one starts it at once.
void FtpClientBase::prepareDataTls() {
    const TlsLayer* control = m_control->tls();
    // The session is taken now, not at the handshake: TLS 1.3 sends its tickets later.
    m_dataTls = m_dataProtected && control
                    ? std::make_shared<TlsSettings>(tlsSettings(control->session()))
                    : nullptr;
    m_data->setTls(m_passive ? nullptr : m_dataTls);
}

void FtpClientBase::startDataTls() {
    if (!m_passive || !m_dataTls || m_data->state() != SocketState::wsConnected)
        return;
    try {
        m_data->startTls(*m_dataTls);
    } catch (const std::exception& e) {
        display(std::string("! Data: TLS: ") + e.what());
        m_data->close();
    }
}

void FtpClientBase::authStep() {
    m_currentStep = FtpStep::fctAuth;
    executeCommand(FtpRequest::ConnectAsync, "AUTH TLS", {234}, &FtpClientBase::authReplied);
}

void FtpClientBase::authReplied() {
    if (m_statusCode == 234) {
        m_control->onTlsStarted = [this](int error) { controlTlsStarted(error); };
        try {
            m_control->startTls(tlsSettings(nullptr));
        } catch (const std::exception& e) {
            display(std::string("! TLS: ") + e.what());
            m_control->close();
        }
        return;
    }
    const bool refused = m_statusCode >= 400 && m_statusCode < 600;
    if (refused && m_security == FtpSecurity::ftpTlsIfOffered) {
        display("! The server refused AUTH TLS; logging in without encryption");
        m_requestResult = 0;
        m_errorMessage.clear();
        triggerRequestDone(0);
        return;
    }
    display("! The server did not accept AUTH TLS; FTPS is required, so the log-in stops here");
    if (m_requestResult == 0)
        m_requestResult = m_statusCode;
    triggerRequestDone(m_requestResult);
}

// A failure after the server accepted AUTH TLS never falls back to plain FTP: the socket
// closes right after this, which ends the step.
void FtpClientBase::controlTlsStarted(int error) {
    m_control->onTlsStarted = nullptr;
    const TlsLayer* tls = m_control->tls();
    if (error != 0) {
        const std::string reason =
            tls && !tls->errorText().empty() ? tls->errorText() : socketErrorText(error);
        display("! TLS handshake failed: " + reason);
        m_statusCode = m_requestResult = error;
        setErrorMessageOnce("500 TLS handshake failed: " + reason);
        return;
    }
    noteTlsConnection();
    m_peerCertificate = tls->peerCertificate();
    triggerRequestDone(0);
}

bool FtpClientBase::certificateStopsLogin() {
    const TlsLayer* tls = m_control->tls();
    if (!tls || m_certificateAccepted)
        return false;
    if (m_peerCertificate.sha256.empty())
        m_peerCertificate = tls->peerCertificate();
    if (m_peerCertificate.verified() ||
        (!m_trustedFingerprint.empty() && m_trustedFingerprint == m_peerCertificate.sha256))
        return false;
    m_currentStep = FtpStep::fctUser;
    if (!m_sequence)
        m_requestType = FtpRequest::UserAsync;
    display("! The server's certificate is not trusted (" + m_peerCertificate.reason +
            "); nothing more is sent until it is accepted");
    m_statusCode = m_requestResult = kFtpCertificateNotTrusted;
    setErrorMessageOnce("Certificate not trusted: " + m_peerCertificate.reason);
    m_requestDone = false;
    triggerRequestDone(kFtpCertificateNotTrusted);
    return true;
}

void FtpClientBase::pbszStep() {
    m_currentStep = FtpStep::fctPbsz;
    executeCommand(FtpRequest::ConnectAsync, "PBSZ 0", {200});
}

void FtpClientBase::protStep() {
    m_currentStep = FtpStep::fctProt;
    executeCommand(FtpRequest::ConnectAsync, "PROT P", {200}, &FtpClientBase::protReplied);
}

void FtpClientBase::protReplied() {
    m_dataProtected = m_requestResult == 0;
    triggerRequestDone(m_requestResult);
}

}  // namespace quay

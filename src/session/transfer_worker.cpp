#include "session/transfer_worker.h"

#include <utility>

#include "ftp/local_file.h"
#include "session/overwrite_check.h"

namespace quay {

TransferWorker::TransferWorker(EventLoop& loop, int number, const WorkerSettings& settings,
                               Hooks hooks)
    : m_number(number), m_hooks(std::move(hooks)), m_settings(settings), m_ftp(loop) {
    copySettings(settings);
    m_ftp.onDisplay = [this](std::string& line) { m_hooks.log(line); };
    m_ftp.onSessionClosed = [this](int) { m_lost = true; };
    m_ftp.onRequestDone = [this](FtpRequest request, int error) { requestDone(request, error); };
    m_ftp.onResponse = [this] { noteAccepted(); };
    m_ftp.onProgress = [this](std::int64_t count, bool&) {
        m_job.done = count;
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - m_fileStart).count();
        m_job.rate = seconds > 0 ? static_cast<double>(count) / seconds : 0;
        if (m_hooks.progress)
            m_hooks.progress(*this, count);
    };
    m_ftp.onBgException = [this](const std::exception& e, bool&) {
        m_hooks.log(std::string("! ") + e.what());
    };
}

TransferWorker::~TransferWorker() {
    m_ftp.onDisplay = nullptr;
    m_ftp.onSessionClosed = nullptr;
    m_ftp.onRequestDone = nullptr;
    m_ftp.onResponse = nullptr;
    m_ftp.onProgress = nullptr;
    m_ftp.abortAsync();
}

void TransferWorker::copySettings(const WorkerSettings& settings) {
    const FtpClient& session = *settings.session;
    m_ftp.setConnectionType(session.connectionType());
    m_ftp.setProxyServer(session.proxyServer());
    m_ftp.setProxyPort(session.proxyPort());
    m_ftp.setSocksServer(session.socksServer());
    m_ftp.setSocksPort(session.socksPort());
    m_ftp.setSocksUserCode(session.socksUserCode());
    m_ftp.setSocksPassword(session.socksPassword());
    m_ftp.setHostName(session.hostName());
    m_ftp.setPort(session.port());
    m_ftp.setUserName(session.userName());
    m_ftp.setPassWord(session.passWord());
    m_ftp.setPassive(session.passive());
    m_ftp.setSecurity(session.security());
    m_ftp.setTrustedFingerprint(session.trustedFingerprint());
    m_ftp.setIdleTimeout(session.idleTimeout());
    m_ftp.setOptions(session.options());
    m_ftp.setShareMode(session.shareMode());
    m_ftp.setTimeout(0);
    // The server starts in ASCII (RFC 959): the first file sends the TYPE it needs.
    m_ftp.setBinary(false);
    m_sessionFingerprint = session.peerCertificate().sha256;
}

std::string TransferWorker::reason() const {
    return m_ftp.errorMessage().empty() ? m_ftp.lastResponse() : m_ftp.errorMessage();
}

void TransferWorker::start() {
    m_step = Step::Connecting;
    try {
        m_ftp.connectAsync();
    } catch (const std::exception& e) {
        m_hooks.log(std::string("! ") + e.what());
        m_step = Step::Gone;
        m_hooks.loggedIn(*this, -1);
    }
}

void TransferWorker::requestDone(FtpRequest request, int error) {
    switch (m_step) {
        case Step::Connecting:
            connected(error);
            return;
        case Step::Type:
            typed(error);
            return;
        case Step::Size:
            sizeKnown(error);
            return;
        case Step::Transfer:
            transferred(request, error);
            return;
        case Step::Idle:
        case Step::Quit:
        case Step::Gone:
            return;
    }
}

// The user accepted the session's certificate (once or for good): the same certificate on the
// same server is accepted for the extra connections too, and no other.
void TransferWorker::connected(int error) {
    if (error == kFtpCertificateNotTrusted && !m_sessionFingerprint.empty() &&
        m_ftp.peerCertificate().sha256 == m_sessionFingerprint) {
        m_ftp.continueLoginAsync();
        return;
    }
    if (error != 0) {
        m_step = Step::Gone;
        m_ftp.abortAsync();
    } else {
        m_step = Step::Idle;
    }
    m_hooks.loggedIn(*this, error);
}

void TransferWorker::run(const TransferJob& job) {
    m_job = job;
    m_job.done = 0;
    m_job.rate = 0;
    m_stopped = false;
    m_targetWritten = false;
    m_fileStart = std::chrono::steady_clock::now();
    m_ftp.setHostFileName(job.remote);
    m_ftp.setLocalFileName(job.local);
    try {
        switch (
            transferTypeFor(m_settings.transferMode, m_settings.ext, job.local, m_ftp.binary())) {
            case TypeChange::Ascii:
                m_step = Step::Type;
                m_ftp.typeAsciiAsync();
                return;
            case TypeChange::Binary:
                m_step = Step::Type;
                m_ftp.typeBinaryAsync();
                return;
            case TypeChange::None:
                typed(0);
                return;
        }
    } catch (const std::exception& e) {
        end(Outcome::Failed, e.what());
    }
}

bool TransferWorker::endedBy(int error) {
    if (m_stopped)
        end(Outcome::Stopped, "Stopped");
    else if (error != 0)
        end(failure(), reason());
    return m_stopped || error != 0;
}

void TransferWorker::typed(int error) {
    if (endedBy(error))
        return;
    if (!m_job.upload) {
        transferStart([this] {
            if (m_job.resume)
                m_ftp.restGetAsync();
            else
                m_ftp.getAsync();
        });
    } else if (m_job.resume) {
        // Resuming appends to the very file the upload goes to: its size comes from the server.
        m_step = Step::Size;
        try {
            m_ftp.sizeAsync();
        } catch (const std::exception& e) {
            end(Outcome::Failed, e.what());
        }
    } else {
        transferStart([this] { m_ftp.putAsync(); });
    }
}

void TransferWorker::sizeKnown(int error) {
    if (m_stopped) {
        end(Outcome::Stopped, "Stopped");
        return;
    }
    if (error != 0 && failure() == Outcome::Dropped) {
        end(Outcome::Dropped, reason());
        return;
    }
    const std::int64_t there = error == 0 ? m_ftp.sizeResult() : 0;
    const std::int64_t have = LocalFile::sizeOf(m_job.local);
    if (there > 0 && there == have) {
        m_hooks.log("! " + m_job.remote + " holds all " + std::to_string(have) + " bytes already");
        end(Outcome::Done);
        return;
    }
    transferStart([this, there, have] {
        if (there > 0 && there < have) {
            m_ftp.setResumeAt(there);
            m_ftp.restPutAsync();
        } else {
            m_ftp.putAsync();
        }
    });
}

void TransferWorker::transferStart(const std::function<void()>& request) {
    m_step = Step::Transfer;
    try {
        request();
    } catch (const std::exception& e) {
        end(Outcome::Failed, e.what());
    }
}

// The server's first reply to RETR or STOR (150 or 125) says it took the file: from then on the
// target holds this file's bytes from its start (emptied first unless resumed).
void TransferWorker::noteAccepted() {
    const std::string& line = m_ftp.lastResponse();
    if (m_step == Step::Transfer && (line.starts_with("150") || line.starts_with("125")))
        m_targetWritten = true;
}

void TransferWorker::transferred(FtpRequest request, int error) {
    if (error != 0 && !m_stopped && dataConnectionBroke()) {
        end(Outcome::Dropped, reason());
        return;
    }
    if (endedBy(error))
        return;
    if (m_job.upload) {
        end(Outcome::Done);
        return;
    }
    std::string shortfall;
    const Outcome outcome = downloadChecked(request == FtpRequest::RestGetAsync, shortfall);
    end(outcome, shortfall);
}

// A data connection that could not be made or broke under the file, while the control
// connection stayed, ends it as dropped too: the engine names the socket error ("426 Data
// connection: Connection reset by peer"), or the server's final reply is its own 426 ("426
// Failure writing network stream.", RFC 959's "Connection closed; transfer aborted").
bool TransferWorker::dataConnectionBroke() const {
    return m_ftp.dataError() != 0 ||
           (m_ftp.statusCode() == 426 && m_ftp.lastResponse().starts_with("426"));
}

// A file is done only when it holds the listed size: shorter means its data connection ended
// early (a text transfer may add CRs, never drop bytes), which a new try resumes; a resumed
// binary file that ends longer was sent again from its start by a server that ignored REST.
TransferWorker::Outcome TransferWorker::downloadChecked(bool resumed, std::string& reason) const {
    if (m_job.size <= 0)
        return Outcome::Done;
    const std::int64_t received = LocalFile::sizeOf(m_job.local);
    const std::string listed = std::to_string(m_job.size);
    if (received < m_job.size) {
        reason = std::to_string(received) + " of " + listed + " bytes received";
        return Outcome::Dropped;
    }
    if (resumed && m_ftp.binary() && received > m_job.size) {
        reason = std::to_string(received) + " bytes, but the listing shows " + listed +
                 "; the file is kept";
        return Outcome::Failed;
    }
    return Outcome::Done;
}

TransferWorker::Outcome TransferWorker::failure() const {
    return m_lost || !m_ftp.connected() ? Outcome::Dropped : Outcome::Failed;
}

// A connection whose data connection alone broke stays for the next file.
void TransferWorker::end(Outcome outcome, const std::string& reason) {
    m_step = m_lost || !m_ftp.connected() ? Step::Gone : Step::Idle;
    m_hooks.fileEnded(*this, outcome, reason);
}

void TransferWorker::stop() {
    if (m_step == Step::Idle || m_step == Step::Gone || m_step == Step::Quit)
        return;
    m_stopped = true;
    m_ftp.abortTransfer();
}

void TransferWorker::quit() {
    if (m_step != Step::Idle || !m_ftp.connected()) {
        m_step = Step::Gone;
        return;
    }
    m_step = Step::Quit;
    try {
        m_ftp.quitAsync();
    } catch (const std::exception&) {
        // Nothing was sent; the connection is closed when the worker goes.
        m_step = Step::Gone;
    }
}

}  // namespace quay

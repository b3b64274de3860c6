#include "ftp/ftp_client_base.h"
#include "ftp/reply_text.h"

namespace quay {

void FtpClientBase::runSingle(FtpStep step, FtpRequest request, const std::string& cmd,
                              std::initializer_list<int> accepted, Handler finish) {
    m_currentStep = step;
    executeCommand(request, cmd, accepted, finish);
}

void FtpClientBase::userAsync() {
    if (m_userName.empty())
        handleError("UserName emtpy");
    if (certificateStopsLogin())
        return;
    const std::string line = m_connectionType == FtpConnectionType::ftpProxy
                                 ? proxyUserLine(m_userName, m_hostName, m_port)
                                 : "USER " + m_userName;
    runSingle(FtpStep::fctUser, FtpRequest::UserAsync, line, {331, 230});
}

void FtpClientBase::passAsync() {
    if (m_passWord.empty())
        handleError("Password emtpy");
    runSingle(FtpStep::fctPass, FtpRequest::PassAsync, "PASS " + m_passWord, {230});
}

void FtpClientBase::cwdAsync() {
    if (m_hostDirName.empty())
        handleError("HostDirName emtpy");
    runSingle(FtpStep::fctCwd, FtpRequest::CwdAsync, "CWD " + m_hostDirName, {200, 250, 257});
}

void FtpClientBase::systAsync() {
    runSingle(FtpStep::fctSyst, FtpRequest::SystAsync, "SYST", {215});
}

void FtpClientBase::quitFinish() {
    m_control->close();
}

void FtpClientBase::quitAsync() {
    freeStream();
    runSingle(FtpStep::fctQuit, FtpRequest::QuitAsync, "QUIT", {221}, &FtpClientBase::quitFinish);
}

void FtpClientBase::sizeAsync() {
    m_sizeResult = 0;
    runSingle(FtpStep::fctSize, FtpRequest::SizeAsync, "SIZE " + m_hostFileName, {213});
}

void FtpClientBase::mkdAsync() {
    runSingle(FtpStep::fctMkd, FtpRequest::MkdAsync, "MKD " + m_hostFileName, {257});
}

void FtpClientBase::rmdAsync() {
    runSingle(FtpStep::fctRmd, FtpRequest::RmdAsync, "RMD " + m_hostFileName, {250, 257});
}

void FtpClientBase::deleAsync() {
    runSingle(FtpStep::fctDele, FtpRequest::DeleAsync, "DELE " + m_hostFileName, {250, 257});
}

void FtpClientBase::renToAsync() {
    runSingle(FtpStep::fctRenTo, FtpRequest::RenToAsync, "RNTO " + m_localFileName,
              {200, 250, 257});
}

void FtpClientBase::renFromAsync() {
    runSingle(FtpStep::fctRenFrom, FtpRequest::RenFromAsync, "RNFR " + m_hostFileName, {350});
}

void FtpClientBase::pwdAsync() {
    runSingle(FtpStep::fctPwd, FtpRequest::PwdAsync, "PWD", {250, 257});
}

void FtpClientBase::quoteAsync() {
    runSingle(FtpStep::fctQuote, FtpRequest::QuoteAsync, m_localFileName, {});
}

void FtpClientBase::featAsync() {
    runSingle(FtpStep::fctFeat, FtpRequest::FeatAsync, "FEAT", {211});
}

void FtpClientBase::optsAsync() {
    runSingle(FtpStep::fctOpts, FtpRequest::OptsAsync, "OPTS " + m_hostFileName, {200});
}

void FtpClientBase::cDupAsync() {
    runSingle(FtpStep::fctCDup, FtpRequest::CDupAsync, "CDUP", {250});
}

void FtpClientBase::typeSetAsync() {
    runSingle(FtpStep::fctTypeSet, FtpRequest::TypeSetAsync, std::string("TYPE ") + m_typeChar,
              {200});
}

void FtpClientBase::typeBinaryAsync() {
    setBinary(true);
    typeSetAsync();
}

void FtpClientBase::typeAsciiAsync() {
    setBinary(false);
    typeSetAsync();
}

void FtpClientBase::restAsync() {
    checkReady();
    const bool uploadResume =
        m_requestType == FtpRequest::RestPutAsync || m_requestType == FtpRequest::RestartPutAsync;
    if (!uploadResume && !(m_options & ftpNoAutoResumeAt))
        m_resumeAt = LocalFile::sizeOf(m_localFileName);
    m_currentStep = FtpStep::fctRest;
    if (m_resumeAt >= 1) {
        executeCommand(FtpRequest::RestAsync, "REST " + std::to_string(m_resumeAt), {});
        return;
    }
    // Nothing to resume: no REST is sent and a sequence goes straight on.
    if (!m_sequence)
        m_requestType = FtpRequest::RestAsync;
    m_requestDone = false;
    m_replyHandler = &FtpClientBase::genericReplyHandler;
    m_finishHandler = nullptr;
    triggerRequestDone(0);
}

}  // namespace quay

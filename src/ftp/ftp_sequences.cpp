#include "ftp/ftp_client_base.h"

namespace quay {

namespace {

// The fixed order in which the steps of a sequence are taken, whatever the set.
constexpr FtpStep kStepOrder[] = {
    FtpStep::fctOpen,  FtpStep::fctAuth, FtpStep::fctUser, FtpStep::fctPass,    FtpStep::fctPbsz,
    FtpStep::fctProt,  FtpStep::fctCwd,  FtpStep::fctCDup, FtpStep::fctTypeSet, FtpStep::fctPort,
    FtpStep::fctRest,  FtpStep::fctGet,  FtpStep::fctPut,  FtpStep::fctAppend,  FtpStep::fctDir,
    FtpStep::fctLs,    FtpStep::fctSyst, FtpStep::fctMkd,  FtpStep::fctRmd,     FtpStep::fctRenFrom,
    FtpStep::fctRenTo, FtpStep::fctSize, FtpStep::fctDele, FtpStep::fctPwd,     FtpStep::fctQuote,
    FtpStep::fctQuit,  FtpStep::fctMlsd, FtpStep::fctFeat, FtpStep::fctOpts,
};

using S = FtpStep;
using R = FtpRequest;

}  // namespace

void FtpClientBase::runSequence(FtpRequest request, std::initializer_list<FtpStep> steps) {
    FtpSteps set = 0;
    for (FtpStep step : steps)
        set |= stepBit(step);
    // A log-in protects the connection first (each step is skipped when not wanted).
    if (set & stepBit(FtpStep::fctUser))
        set |= stepBit(FtpStep::fctPbsz) | stepBit(FtpStep::fctProt);
    if (set & stepBit(FtpStep::fctOpen))
        set |= stepBit(FtpStep::fctAuth);
    if (m_connected && (set & stepBit(FtpStep::fctOpen)))
        handleError("Quayside is already connected");
    checkReady();
    m_lastResponseSave = m_lastResponse;
    m_statusCodeSave = -1;
    m_requestType = request;
    m_requestResult = 0;
    m_steps = set;
    m_currentStep = FtpStep::none;
    m_sequenceResult = 0;
    m_sequence = true;
    m_stopBeforeTransfer = false;
    m_lastResponse.clear();
    m_errorMessage.clear();
    try {
        nextSequenceStep();
    } catch (...) {
        // The first step could not start: no request is pending.
        m_sequence = false;
        m_nextStepHandler = nullptr;
        m_steps = 0;
        throw;
    }
}

void FtpClientBase::nextSequenceStep() {
    if (m_state == FtpState::fsAbort) {
        m_steps = 0;
        m_sequenceResult = 426;
        m_errorMessage = "426 Operation aborted.";
    }
    m_nextStepHandler = &FtpClientBase::nextSequenceStep;
    if (m_stopBeforeTransfer && m_requestResult == 0) {
        m_stopBeforeTransfer = false;
        m_statusCode = m_requestResult = 426;
        setErrorMessageOnce("426 Transfer aborted");
        display("! Abort requested");
    }
    if (m_requestResult != 0) {
        m_sequenceResult = m_requestResult;
        const bool quitLeft = (m_steps & stepBit(FtpStep::fctQuit)) != 0;
        m_steps = (m_currentStep == FtpStep::fctQuit || !quitLeft) ? 0 : stepBit(FtpStep::fctQuit);
    }
    for (FtpStep step : kStepOrder) {
        if (!(m_steps & stepBit(step)))
            continue;
        m_steps &= ~stepBit(step);
        if (step == FtpStep::fctPass && m_currentStep == FtpStep::fctUser && m_statusCode != 331)
            continue;
        if (step == FtpStep::fctCwd && m_hostDirName.empty())
            continue;
        if (!tlsStepWanted(step))
            continue;
        // A transfer starts inside the file only right behind a REST the server accepted with
        // 350. An upload follows the same rule as a download: behind a REST that was not
        // honoured, or with an offset left over from an earlier failed request, STOR would
        // replace the remote file with the tail of the local one. A listing always starts at 0.
        if ((step == FtpStep::fctGet || step == FtpStep::fctPut || step == FtpStep::fctAppend ||
             step == FtpStep::fctDir || step == FtpStep::fctLs || step == FtpStep::fctMlsd) &&
            !(m_currentStep == FtpStep::fctRest && m_resumeAt >= 0 && m_statusCode == 350))
            m_resumeAt = 0;
        if (step == FtpStep::fctQuit) {
            m_lastResponseSave = m_lastResponse;
            m_statusCodeSave = m_statusCode;
        }
        m_currentStep = step;
        runStep(step);
        return;
    }
    m_steps = 0;
    m_nextStepHandler = nullptr;
    m_requestDone = false;
    triggerRequestDone(m_sequenceResult);
}

void FtpClientBase::runStep(FtpStep step) {
    switch (step) {
        case S::fctOpen:
            return openAsync();
        case S::fctUser:
            return userAsync();
        case S::fctPass:
            return passAsync();
        case S::fctCwd:
            return cwdAsync();
        case S::fctSize:
            return sizeAsync();
        case S::fctMkd:
            return mkdAsync();
        case S::fctRmd:
            return rmdAsync();
        case S::fctRenFrom:
            return renFromAsync();
        case S::fctRenTo:
            return renToAsync();
        case S::fctGet:
            return receiveStep(R::GetAsync);
        case S::fctDir:
            return receiveStep(R::DirAsync);
        case S::fctQuit:
            return quitAsync();
        case S::fctSyst:
            return systAsync();
        case S::fctDele:
            return deleAsync();
        case S::fctPwd:
            return pwdAsync();
        case S::fctQuote:
            return quoteAsync();
        case S::fctPut:
            return sendStep(false);
        case S::fctTypeSet:
            return typeSetAsync();
        case S::fctRest:
            return restAsync();
        case S::fctCDup:
            return cDupAsync();
        case S::fctLs:
            return receiveStep(R::LsAsync);
        case S::fctAppend:
            return sendStep(true);
        case S::fctPort:
            return portAsync();
        case S::fctMlsd:
            return receiveStep(R::MlsdAsync);
        case S::fctFeat:
            return featAsync();
        case S::fctOpts:
            return optsAsync();
        case S::fctAuth:
            return authStep();
        case S::fctPbsz:
            return pbszStep();
        case S::fctProt:
            return protStep();
        case S::none:
            return;
    }
}

void FtpClientBase::connectAsync() {
    runSequence(R::ConnectAsync, {S::fctOpen, S::fctUser, S::fctPass});
}
void FtpClientBase::continueLoginAsync() {
    m_certificateAccepted = true;
    runSequence(R::ConnectAsync, {S::fctUser, S::fctPass});
}
void FtpClientBase::receiveAsync() {
    runSequence(R::ReceiveAsync, {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctTypeSet,
                                  S::fctPort, S::fctGet, S::fctQuit});
}
void FtpClientBase::dirAsync() {
    runSequence(R::DirAsync, {S::fctPort, S::fctDir});
}
void FtpClientBase::mlsdAsync() {
    runSequence(R::MlsdAsync, {S::fctPort, S::fctMlsd});
}
void FtpClientBase::lsAsync() {
    runSequence(R::LsAsync, {S::fctPort, S::fctLs});
}
void FtpClientBase::getAsync() {
    runSequence(R::GetAsync, {S::fctPort, S::fctGet});
}
void FtpClientBase::directoryAsync() {
    runSequence(R::DirectoryAsync,
                {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctPort, S::fctDir, S::fctQuit});
}
void FtpClientBase::listAsync() {
    runSequence(R::ListAsync,
                {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctPort, S::fctLs, S::fctQuit});
}
void FtpClientBase::systemAsync() {
    runSequence(R::SystemAsync, {S::fctOpen, S::fctUser, S::fctPass, S::fctSyst, S::fctQuit});
}
void FtpClientBase::fileSizeAsync() {
    runSequence(R::SizeAsync,
                {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctSize, S::fctQuit});
}
void FtpClientBase::putAsync() {
    runSequence(R::PutAsync, {S::fctPort, S::fctPut});
}
void FtpClientBase::appendAsync() {
    runSequence(R::AppendAsync, {S::fctPort, S::fctAppend});
}
void FtpClientBase::renameAsync() {
    runSequence(R::RenameAsync, {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctRenFrom,
                                 S::fctRenTo, S::fctQuit});
}
void FtpClientBase::renAsync() {
    runSequence(R::RenAsync, {S::fctRenFrom, S::fctRenTo});
}
void FtpClientBase::deleteAsync() {
    runSequence(R::DeleteAsync,
                {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctDele, S::fctQuit});
}
void FtpClientBase::mkdirAsync() {
    runSequence(R::MkdirAsync,
                {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctMkd, S::fctQuit});
}
void FtpClientBase::rmdirAsync() {
    runSequence(R::RmdirAsync,
                {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctRmd, S::fctQuit});
}
void FtpClientBase::doQuoteAsync() {
    runSequence(R::DoQuoteAsync,
                {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctQuote, S::fctQuit});
}
void FtpClientBase::transmitAsync() {
    runSequence(R::TransmitAsync, {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctTypeSet,
                                   S::fctPort, S::fctPut, S::fctQuit});
}
void FtpClientBase::appendFileAsync() {
    runSequence(R::TransmitAsync, {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctTypeSet,
                                   S::fctPort, S::fctAppend, S::fctQuit});
}
void FtpClientBase::restGetAsync() {
    runSequence(R::RestGetAsync, {S::fctPort, S::fctRest, S::fctGet});
}
void FtpClientBase::restartGetAsync() {
    runSequence(R::RestartGetAsync, {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctTypeSet,
                                     S::fctPort, S::fctRest, S::fctGet, S::fctQuit});
}
void FtpClientBase::restPutAsync() {
    checkUploadResume();
    runSequence(R::RestPutAsync, {S::fctPort, S::fctRest, S::fctPut});
}
void FtpClientBase::restartPutAsync() {
    checkUploadResume();
    runSequence(R::RestartPutAsync, {S::fctOpen, S::fctUser, S::fctPass, S::fctCwd, S::fctTypeSet,
                                     S::fctPort, S::fctRest, S::fctPut, S::fctQuit});
}

}  // namespace quay

#include <algorithm>
#include <limits>

#include "ftp/ftp_client_base.h"
#include "ftp/listing_limit.h"
#include "ftp/reply_text.h"

namespace quay {

namespace {

// Receive chunk of the data connection: tuning only; progress still comes once per chunk.
constexpr std::int64_t kReceiveChunk = 256 * 1024;

std::string commandFor(FtpRequest request) {
    switch (request) {
        case FtpRequest::DirAsync:
            return "LIST";
        case FtpRequest::LsAsync:
            return "NLST";
        case FtpRequest::MlsdAsync:
            return "MLSD";
        default:
            return "RETR";
    }
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

void FtpClientBase::receiveStep(FtpRequest request) {
    const std::string cmd = commandFor(request);
    if (!m_connected)
        handleError(cmd + ": not connected");
    if (m_localFileName.empty() && !m_displayFileFlag)
        handleError("LocalFileName empty");
    checkLine(m_hostFileName);
    if (!m_sequence)
        m_requestType = request;
    m_finalReply = m_dataClosed = m_requestDone = m_sending = false;
    m_localFileError = m_transferAborted = m_started = m_transferCommandSent = false;
    m_byteCount = 0;
    m_dataError = 0;
    // Checked before the local file is touched, so a broken reply never truncates it.
    if (m_passive && !preparePassive()) {
        failTransfer(550, "550 Unusable passive reply: " + m_passiveReply, false);
        return;
    }
    if (!m_displayFileFlag) {
        try {
            m_stream.openForWrite(m_localFileName, m_resumeAt <= 0, m_resumeAt);
        } catch (const std::exception& e) {
            const std::string text =
                "Unable to open local file " + m_localFileName + ": " + e.what();
            display("! " + text);
            failTransfer(550, text, true);
            return;
        }
    }
    if (m_passive) {
        m_data->onSessionConnected = [this](int error) { receiveConnect(error); };
        try {
            m_data->connect();
        } catch (const std::exception& e) {
            failTransfer(550, "550 " + exceptionClassName(e) + ": " + e.what(), true);
            return;
        }
    }
    bindAccept(&FtpClientBase::receiveAccept);
    setState(FtpState::fsWaitingResponse);
    m_replyHandler = &FtpClientBase::downloadFirstReply;
    m_transferCommandSent = true;
    sendCommand(m_hostFileName.empty() ? cmd : cmd + " " + m_hostFileName);
}

void FtpClientBase::receiveAccept(int) {
    int error = 0;
    const SocketHandle handle = acceptData(error);
    m_data->onSessionClosed = [this](int error) { transferClosed(error); };
    m_data->onDataAvailable = [this](int error) { receiveData(error); };
    m_data->onDataSent = nullptr;
    if (handle == InvalidSocket) {
        transferClosed(error);
        return;
    }
    m_data->dup(handle);
    m_startTime = std::chrono::steady_clock::now();
    m_started = true;
}

void FtpClientBase::receiveConnect(int error) {
    m_data->onSessionClosed = [this](int code) { transferClosed(code); };
    m_data->onDataAvailable = [this](int code) { receiveData(code); };
    m_data->onDataSent = nullptr;
    m_startTime = std::chrono::steady_clock::now();
    m_started = true;
    if (error != 0)
        dataConnectFailed(error);
    else
        startDataTls();
}

void FtpClientBase::downloadFirstReply() {
    displayLastResponse();
    if (m_statusCode == 150 || m_statusCode == 125) {
        m_replyHandler = &FtpClientBase::downloadSecondReply;
        // The server has taken the request: only now may the old content of the local file
        // go (an empty remote file must give an empty local one).
        emptyLocalFile();
        return;
    }
    firstReplyRefused();
}

void FtpClientBase::downloadSecondReply() {
    displayLastResponse();
    if (m_statusCode == 125 || m_statusCode == 226 || m_statusCode == 250) {
        m_finalReply = true;
        acceptLate(&FtpClientBase::receiveAccept);
        checkTransferEnd();
        return;
    }
    finalReplyRefused("! RETR/LIST/NLST Failed");
}

void FtpClientBase::receiveData(int) {
    if (!progressCheck())
        return;
    if (m_chunk.size() < static_cast<std::size_t>(kReceiveChunk))
        m_chunk.resize(static_cast<std::size_t>(kReceiveChunk));
    const std::int64_t received = m_data->receive(m_chunk.data(), kReceiveChunk);
    if (received > 0) {
        const std::int64_t n = std::min(received, receiveRoom());
        m_byteCount += n;
        if (m_stream.isOpen()) {
            try {
                m_stream.write(m_chunk.data(), n);
            } catch (const std::exception&) {
                localWriteFailed();
            }
        }
        if (m_displayFileFlag)
            displayFileLines(m_chunk.data(), n);
        if (n < received)
            listingTooLong();
        return;
    }
    if (received < 0 && m_data->state() == SocketState::wsConnected &&
        m_data->lastError() != sockerr::WouldBlock) {
        m_dataError = m_data->lastError();
        display("! Data: Receive error: " + socketErrorWords(m_dataError));
        m_data->shutDown(2);
    }
}

std::int64_t FtpClientBase::receiveRoom() const {
    if (m_currentStep != FtpStep::fctDir && m_currentStep != FtpStep::fctLs &&
        m_currentStep != FtpStep::fctMlsd)
        return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(kMaxListingBytes) - m_byteCount;
}

// A listing that never ends would fill the disk; what lies past the limit would not be read.
void FtpClientBase::listingTooLong() {
    const std::string limit = std::to_string(kMaxListingBytes);
    display("! Listing longer than " + limit + " bytes; the rest is not received");
    endTransferNow("426 Listing longer than " + limit + " bytes", 426);
}

void FtpClientBase::emptyLocalFile() {
    if (!m_stream.isOpen())
        return;
    try {
        m_stream.emptyIfPending();
    } catch (const std::exception&) {
        localWriteFailed();
    }
}

void FtpClientBase::localWriteFailed() {
    m_localFileError = true;
    freeStream();
    display("! Error writing local file");
    if (m_data->state() == SocketState::wsConnected)
        m_data->shutDown(2);
}

void FtpClientBase::displayFileLines(const char* data, std::int64_t len) {
    std::int64_t i = 0;
    while (i < len) {
        std::int64_t j = i;
        while (j < len && !isLineEnd(data[j]))
            ++j;
        std::string line(data + i, static_cast<std::size_t>(j - i));
        if (onDisplayFile)
            onDisplayFile(line);
        while (j < len && isLineEnd(data[j]))
            ++j;
        i = j;
    }
}

}  // namespace quay

#include "ftp/ftp_client_base.h"
#include "ftp/reply_text.h"

namespace quay {

namespace {

// Read block of an upload and send-queue block size of the data socket: tuning only (over
// FTPS 1 MiB kept up with curl and lftp where 256 KiB did not, see bench/ftp); progress still
// comes once per block.
constexpr std::int64_t kSendBlock = 1024 * 1024;

}  // namespace

// An upload resumed at or behind the end of the local file has nothing to send, yet STOR would
// succeed and report the file done, whatever the remote file holds.
void FtpClientBase::checkUploadResume() {
    checkReady();
    if (m_resumeAt <= 0)
        return;
    const std::int64_t localSize = LocalFile::sizeOf(m_localFileName);
    if (localSize < 0 || m_resumeAt < localSize)
        return;
    const std::int64_t offset = m_resumeAt;
    m_resumeAt = 0;
    handleError("Not sent: the upload would resume at byte " + std::to_string(offset) +
                ", but the local file holds " + std::to_string(localSize) + " bytes");
}

void FtpClientBase::sendStep(bool append) {
    if (!m_connected)
        handleError("STOR/APPE: not connected");
    if (m_localFileName.empty())
        handleError("LocalFileName empty");
    checkLine(m_hostFileName);
    m_requestType = append ? FtpRequest::AppendAsync : FtpRequest::PutAsync;
    m_append = append;
    m_finalReply = m_dataClosed = m_requestDone = false;
    m_sending = true;
    m_uploadAnswer = m_uploadSession = m_started = false;
    m_localFileError = m_transferAborted = m_transferCommandSent = false;
    m_byteCount = 0;
    m_dataError = 0;
    noteActivity();
    bool cancel = false;
    if (onReadyToTransmit)
        onReadyToTransmit(cancel);
    if (cancel) {
        failTransfer(426, "426 Transmit cancelled by application", false);
        return;
    }
    if (m_passive && !preparePassive()) {
        failTransfer(426, "426 Unusable passive reply: " + m_passiveReply, false);
        return;
    }
    try {
        m_stream.openForRead(m_localFileName, m_resumeAt);
    } catch (const std::exception& e) {
        failTransfer(426, "426 Unable to open local file " + m_localFileName + ": " + e.what(),
                     false);
        return;
    }
    m_endOfFile = false;
    m_data->setBufSize(kSendBlock);
    // A passive upload sends STOR while its data connection is being made, as a download
    // sends RETR: waiting for the connection first cost a turn of the loop on every file. The
    // data goes once both the connection and the server's 150 are there, in whichever order.
    if (m_passive) {
        m_data->onSessionConnected = [this](int error) { sendConnect(error); };
        try {
            m_data->connect();
        } catch (const std::exception& e) {
            m_lastResponse = "426 " + exceptionClassName(e) + ": " + e.what();
            failTransfer(426, m_lastResponse, true);
            return;
        }
    }
    bindAccept(&FtpClientBase::sendAccept);
    sendTransferCommand();
}

void FtpClientBase::sendTransferCommand() {
    setState(FtpState::fsWaitingResponse);
    m_replyHandler = &FtpClientBase::uploadFirstReply;
    m_transferCommandSent = true;
    sendCommand((m_append ? "APPE " : "STOR ") + m_hostFileName);
}

// The passive data connection is made (or failed) after STOR went out; a failure is a
// download's: ABOR and the server's late replies taken off (dataConnectFailed).
void FtpClientBase::sendConnect(int error) {
    m_data->onSessionClosed = [this](int code) { transferClosed(code); };
    m_data->onDataAvailable = nullptr;
    if (!m_uploadAnswer)
        m_data->onDataSent = nullptr;
    m_uploadSession = true;
    m_startTime = std::chrono::steady_clock::now();
    m_started = true;
    if (error != 0) {
        dataConnectFailed(error);
        return;
    }
    startDataTls();
    if (m_uploadAnswer)
        sendData(0);
}

void FtpClientBase::sendAccept(int) {
    int error = 0;
    const SocketHandle handle = acceptData(error);
    m_data->onSessionClosed = [this](int code) { transferClosed(code); };
    m_data->onDataAvailable = [this](int) {
        char discard[2048];
        m_data->receive(discard, sizeof discard);
    };
    m_data->onDataSent = [this](int code) { sendData(code); };
    if (handle == InvalidSocket) {
        transferClosed(error);
        return;
    }
    m_data->dup(handle);
    m_data->setLingerOnOff(SocketLingerOnOff::wsLingerOff);
    m_data->setLingerTimeout(10);
    m_data->applyLinger();
    m_uploadSession = true;
    if (m_uploadAnswer && !m_started)
        postUploadStart();
}

// Over TLS the upload ends with close_notify and a half close, and the connection is closed
// once the server has closed its side: closing at once could leave the server's last record
// unread, and the reset that a close with unread bytes sends makes vsftpd lose the file's tail
// ("426 Failure reading network stream").
void FtpClientBase::endUploadStream() {
    if (m_data->tls())
        m_data->shutDown(1);
    else
        m_data->close();
}

void FtpClientBase::postUploadStart() {
    postGuarded([this] {
        if (m_started || !m_uploadSession || m_requestDone)
            return;
        m_startTime = std::chrono::steady_clock::now();
        m_started = true;
        sendData(0);
    });
}

void FtpClientBase::uploadFirstReply() {
    displayLastResponse();
    if (m_statusCode == 150 || m_statusCode == 125) {
        m_uploadAnswer = true;
        m_replyHandler = &FtpClientBase::uploadSecondReply;
        if (m_passive) {
            m_data->onDataSent = [this](int code) { sendData(code); };
            sendData(0);
        } else if (m_uploadSession && !m_started) {
            postUploadStart();
        }
        return;
    }
    firstReplyRefused();
}

void FtpClientBase::sendData(int error) {
    if (m_stream.isOpen() && (!progressCheck() || !m_stream.isOpen()))
        return;
    if (error != 0) {
        display("! Error sending data: " + socketErrorWords(error));
        m_dataError = error;
        m_data->close();
        return;
    }
    // Reading on while a block still waits in the send queue could close the connection
    // behind unsent bytes at the end of the file.
    if (m_endOfFile || !m_uploadAnswer || !m_uploadSession || !m_stream.isOpen() ||
        m_data->sendQueueBytes() > 0)
        return;
    if (m_chunk.size() < static_cast<std::size_t>(kSendBlock))
        m_chunk.resize(static_cast<std::size_t>(kSendBlock));
    const std::int64_t n = sendNextBlock();
    // A short read is, as a rule, the end of the file: when the block went out whole, the end
    // is read now rather than at the next write notification, a turn of the loop less a file.
    if (n > 0 && n < kSendBlock && m_data->state() == SocketState::wsConnected &&
        m_data->sendQueueBytes() == 0 && m_stream.isOpen())
        sendNextBlock();
}

// Reads the next block of the file and sends it, or ends the stream at the end of the file;
// returns the bytes read (0 at the end or when the read failed).
std::int64_t FtpClientBase::sendNextBlock() {
    std::int64_t n = 0;
    try {
        n = m_stream.read(m_chunk.data(), kSendBlock);
    } catch (const std::exception&) {
        m_localFileError = true;
        display("! Error reading file");
        m_data->close();
        return 0;
    }
    if (n == 0) {
        m_endOfFile = true;
        endUploadStream();
        return 0;
    }
    m_byteCount += n;
    m_data->send(m_chunk.data(), n);
    return n;
}

void FtpClientBase::uploadSecondReply() {
    displayLastResponse();
    if (m_statusCode == 226 || m_statusCode == 250) {
        m_finalReply = true;
        acceptLate(&FtpClientBase::sendAccept);
        checkTransferEnd();
        return;
    }
    finalReplyRefused("! STOR Failed");
}

}  // namespace quay

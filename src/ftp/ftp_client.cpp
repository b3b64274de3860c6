#include "ftp/ftp_client.h"

#include <algorithm>

namespace quay {

FtpClient::FtpClient(EventLoop& loop) : FtpClientBase(loop) {}

FtpConnectionType FtpClient::connectionType() const {
    return static_cast<unsigned>(m_connectionType) <= 4 ? m_connectionType
                                                        : FtpConnectionType::ftpDirect;
}

void FtpClient::setSocksLevelAndAuthentication(const std::string& level, SocksAuthentication auth) {
    m_socksLevel = level;
    for (Socket* socket : {m_control.get(), m_data.get()}) {
        if (!level.empty())
            socket->setSocksLevel(level);
        socket->setSocksAuthentication(auth);
    }
}

void FtpClient::setConnectionType(FtpConnectionType type) {
    if (m_connected)
        handleError("Quayside is connected");
    switch (type) {
        case FtpConnectionType::ftpProxy:
            m_connectionType = type;
            m_passive = true;
            setSocksLevelAndAuthentication("", SocksAuthentication::socksNoAuthentication);
            return;
        case FtpConnectionType::ftpSocks4:
        case FtpConnectionType::ftpSocks4A:
        case FtpConnectionType::ftpSocks5:
            m_connectionType = type;
            m_passive = true;
            setSocksLevelAndAuthentication(type == FtpConnectionType::ftpSocks4    ? "4"
                                           : type == FtpConnectionType::ftpSocks4A ? "4A"
                                                                                   : "5",
                                           SocksAuthentication::socksAuthenticateUsercode);
            return;
        default:
            m_connectionType = FtpConnectionType::ftpDirect;
            setSocksLevelAndAuthentication("", SocksAuthentication::socksNoAuthentication);
    }
}

void FtpClient::setPassive(bool value) {
    m_passive = m_connectionType == FtpConnectionType::ftpDirect ? value : true;
}

void FtpClient::setSocksServer(const std::string& value) {
    m_socksServer = value;
    m_control->setSocksServer(value);
    m_data->setSocksServer(value);
}

void FtpClient::setSocksPort(const std::string& value) {
    m_socksPort = value;
    m_control->setSocksPort(value);
    m_data->setSocksPort(value);
}

void FtpClient::setSocksUserCode(const std::string& value) {
    m_control->setSocksUsercode(value);
    m_data->setSocksUsercode(value);
}

void FtpClient::setSocksPassword(const std::string& value) {
    m_control->setSocksPassword(value);
    m_data->setSocksPassword(value);
}

void FtpClient::progressTouched() {
    if (m_timeout > 0)
        m_deadline = std::chrono::steady_clock::now() + std::chrono::seconds(m_timeout);
}

void FtpClient::completionDelivered(std::uint64_t serial, int error) {
    for (Awaited* awaited : m_awaited)
        if (awaited->serial == serial) {
            awaited->delivered = true;
            awaited->error = error;
        }
}

bool FtpClient::waitForCompletion(Awaited& awaited) {
    using Clock = std::chrono::steady_clock;
    m_deadline = Clock::now() + std::chrono::seconds(m_timeout);
    while (!awaited.delivered) {
        if (m_loop.terminating() || (m_timeout > 0 && Clock::now() > m_deadline)) {
            abortAsync();
            m_errorMessage = "426 Timeout";
            m_statusCode = 426;
            // The abort ended the request; its completion is already posted and is delivered
            // before the call returns, like any other.
            for (int round = 0; round < 100 && !awaited.delivered; ++round)
                m_loop.processPending();
            return false;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
        m_loop.waitAndProcess(
            std::clamp(left, std::chrono::milliseconds(1), std::chrono::milliseconds(50)));
    }
    return awaited.error == 0;
}

bool FtpClient::synchronize(void (FtpClientBase::*operation)()) {
    Awaited awaited;
    awaited.serial = m_completionsPosted + 1;
    try {
        (this->*operation)();
    } catch (const std::exception&) {
        return false;
    }
    m_awaited.push_back(&awaited);
    const bool ok = waitForCompletion(awaited);
    m_awaited.erase(std::find(m_awaited.begin(), m_awaited.end(), &awaited));
    return ok;
}

bool FtpClient::cwd() {
    return synchronize(&FtpClientBase::cwdAsync);
}

bool FtpClient::typeSet() {
    return synchronize(&FtpClientBase::typeSetAsync);
}

bool FtpClient::typeBinary() {
    setBinary(true);
    return typeSet();
}

bool FtpClient::typeAscii() {
    setBinary(false);
    return typeSet();
}

}  // namespace quay

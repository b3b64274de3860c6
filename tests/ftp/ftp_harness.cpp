#include "ftp_harness.h"

#include <algorithm>

namespace quay::test {

FtpHarness::FtpHarness() {
    ftp.onDisplay = [this](std::string& msg) { log.push_back(msg); };
    ftp.onDisplayFile = [this](std::string& line) { displayedFileLines.push_back(line); };
    ftp.onRequestDone = [this](FtpRequest request, int error) { done.push_back({request, error}); };
    ftp.onSessionConnected = [this](int) { ++sessionConnected; };
    ftp.onSessionClosed = [this](int) { ++sessionClosed; };
}

int FtpHarness::run(const std::function<void()>& operation, std::chrono::milliseconds timeout) {
    const std::size_t before = done.size();
    operation();
    EXPECT_EQ(done.size(), before) << "onRequestDone fired inside the call";
    if (!loop.runUntil([&] { return done.size() > before; }, timeout)) {
        ADD_FAILURE() << "request did not complete; log:\n" << logText();
        return -1;
    }
    EXPECT_EQ(done.size(), before + 1);
    return done.back().error;
}

// Short slices, because pred may depend on a server thread that does not wake the loop.
bool FtpHarness::pumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        loop.waitAndProcess(std::chrono::milliseconds(10));
    }
    return true;
}

void FtpHarness::stopAfterCommand(const std::string& prefix) {
    m_stopped = false;
    ftp.onCommand = [this, prefix, armed = true](std::string& cmd) mutable {
        if (!armed || cmd.rfind(prefix, 0) != 0)
            return;
        armed = false;
        loop.post([this] { m_stopped = ftp.abortTransfer(); });
    };
}

void FtpHarness::target(int port, const std::string& user, const std::string& password) {
    ftp.setHostName("127.0.0.1");
    ftp.setPort(std::to_string(port));
    ftp.setUserName(user);
    ftp.setPassWord(password);
}

int FtpHarness::loggedCount(const std::string& line) const {
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}

int FtpHarness::loggedStarting(const std::string& prefix) const {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
        return line.rfind(prefix, 0) == 0;
    }));
}

std::string FtpHarness::logText() const {
    std::string text;
    for (const auto& line : log)
        text += line + "\n";
    return text;
}

std::string thrownMessage(const std::function<void()>& op) {
    try {
        op();
    } catch (const FtpException& e) {
        return e.what();
    }
    return "no exception";
}

}  // namespace quay::test

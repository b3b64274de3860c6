#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "base/poll_loop.h"
#include "ftp/ftp_client.h"

namespace quay::test {

// One FtpClient on a PollLoop with everything it reports recorded.
class FtpHarness {
public:
    struct Done {
        FtpRequest request;
        int error;
    };

    FtpHarness();

    // Starts the operation, checks that it did not complete inside the call, and pumps until
    // its onRequestDone; returns its error (-1 after a time-out, which fails the test).
    int run(const std::function<void()>& operation,
            std::chrono::milliseconds timeout = std::chrono::seconds(30));
    // Pumps until pred() holds (checked at least every 10 ms); false on time-out.
    bool pumpUntil(const std::function<bool()>& pred,
                   std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Calls abortTransfer() from the loop's next turn once a command starting with prefix has
    // been sent, before any reply to it is read; stopped() tells whether it stopped anything.
    void stopAfterCommand(const std::string& prefix);
    bool stopped() const { return m_stopped; }
    // Sets host 127.0.0.1, the port, user and password.
    void target(int port, const std::string& user, const std::string& password);

    bool logged(const std::string& line) const { return loggedCount(line) > 0; }
    int loggedCount(const std::string& line) const;
    // The number of log lines that start with prefix.
    int loggedStarting(const std::string& prefix) const;
    std::string logText() const;

    PollLoop loop;
    FtpClient ftp{loop};
    std::vector<std::string> log;
    std::vector<Done> done;
    std::vector<std::string> displayedFileLines;
    int sessionConnected = 0;
    int sessionClosed = 0;

private:
    bool m_stopped = false;
};

// The text of the FtpException op throws, or "no exception".
std::string thrownMessage(const std::function<void()>& op);

}  // namespace quay::test

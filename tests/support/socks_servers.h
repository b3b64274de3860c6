#pragma once

#include <string>

#include "test_support.h"

namespace quay::test {

// microsocks (SOCKS 5) on a free port of 127.0.0.1; with a user name it requires that user
// name and password.
class MicrosocksServer {
public:
    void start(const std::string& user = {}, const std::string& password = {});
    void stop() { m_process.stop(); }
    int port() const { return m_port; }

private:
    ChildProcess m_process;
    int m_port = 0;
};

// dante's danted (SOCKS 4, and SOCKS 5 with or without a user name and password, which it
// checks through the PAM service quayside-test: quaytest/quaytest, see writeTestPasswords) on a
// free port of 127.0.0.1, allowing connections from 127.0.0.0/8 to 127.0.0.0/8 and ::1 only.
// Runs as root.
class DantedServer {
public:
    void start();
    void stop() { m_process.stop(); }
    int port() const { return m_port; }
    std::string log() const;

private:
    TempDir m_work;
    ChildProcess m_process;
    int m_port = 0;
};

}  // namespace quay::test

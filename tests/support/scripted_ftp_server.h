#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quay::test {

// Thrown inside a script when the client does not do what the script expects.
class ScriptError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One control connection of the scripted server, as seen by its script. Every wait is bounded
// (ioTimeout) and gives up early when the server is being destroyed; a wait that fails throws
// ScriptError, which ends the script and is kept as the server's failure().
class ScriptedFtpSession {
public:
    ScriptedFtpSession(int controlFd, const std::atomic<bool>& stopping,
                       std::function<void(const std::string&)> onCommand);
    ~ScriptedFtpSession();
    ScriptedFtpSession(const ScriptedFtpSession&) = delete;
    ScriptedFtpSession& operator=(const ScriptedFtpSession&) = delete;

    // Sends bytes as they are / a line followed by CR LF.
    void send(std::string_view bytes);
    void reply(std::string_view line);
    // The next command line without its line end.
    std::string readCommand();
    // Reads a command and checks that it starts with prefix; returns the whole line.
    std::string expect(std::string_view prefix);
    // Waits until the client closes the control connection; false on time-out.
    bool waitForClose(std::chrono::milliseconds timeout);
    void closeControl();

    // Passive mode: opens a listening data socket on 127.0.0.1 and returns its port.
    int listenData();
    void acceptData();
    // Active mode: connects to the address of a "PORT h1,h2,h3,h4,p1,p2" line.
    void connectData(const std::string& portLine);
    void sendData(std::string_view bytes);
    // Everything the client sends on the data connection until it closes it.
    std::string receiveData();
    // True when the client closes (or resets) the data connection within the time-out.
    bool waitForDataClose(std::chrono::milliseconds timeout);
    void closeData();
    // Closes the data connection with a reset instead of an orderly close.
    void resetData();

    std::chrono::milliseconds ioTimeout{10000};
    // Answers EPSV with 502 inside readCommand(), as a server of before RFC 2428 does, so a
    // script sees the PASV the client sends next (the EPSV is still among the commands).
    bool refuseEpsv = true;

private:
    bool waitReadable(int fd, std::chrono::milliseconds timeout);
    void sendAll(int fd, std::string_view bytes);

    int m_control;
    int m_dataListener = -1;
    int m_data = -1;
    std::string m_pending;
    const std::atomic<bool>& m_stopping;
    std::function<void(const std::string&)> m_onCommand;
};

// An FTP server on 127.0.0.1 that runs a test's script for each control connection, one after
// the other, on a thread of its own. It exists for what real servers will not do: odd replies,
// stalls, closes in the middle of a transfer.
class ScriptedFtpServer {
public:
    using Script = std::function<void(ScriptedFtpSession&)>;

    explicit ScriptedFtpServer(Script script);
    ~ScriptedFtpServer();
    ScriptedFtpServer(const ScriptedFtpServer&) = delete;
    ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

    int port() const { return m_port; }
    // Every command line received so far, in order.
    std::vector<std::string> commands() const;
    // The first script failure ("" when none).
    std::string failure() const;
    // The number of sessions whose script has returned (or failed).
    int finishedSessions() const { return m_finished; }

    // "229 Entering Extended Passive Mode (|||port|)".
    static std::string extendedPassiveReply(int port);
    // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)." for a data port.
    static std::string passiveReply(int port, const std::string& host = "127,0,0,1");

private:
    void serve();

    Script m_script;
    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stopping{false};
    std::atomic<int> m_finished{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_commands;
    std::string m_failure;
    std::thread m_thread;
};

}  // namespace quay::test

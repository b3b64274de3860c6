#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quay::fuzz {

// The server side of a fuzzed FTP session, on 127.0.0.1 in the fuzzer's own thread. It is
// stepped by the harness between rounds of the client's loop and never blocks.
//
// Control: the first reply is sent when the client connects, each further one when a command
// line arrives; with no reply left the control connection is closed. In a reply, "%PORT%"
// becomes the six numbers of a passive data port the peer opens when the command was PASV.
// EPSV takes the next reply only when it is a 229 (its "%PORT%" becomes the port number, the
// data port opened as for PASV); otherwise the peer refuses it with 502 and keeps the reply,
// so the inputs made for PASV still reach their transfers.
// PORT makes the peer connect to the port named, on 127.0.0.1 only.
// TLS: after a reply starting with "234" (AUTH TLS accepted), or a greeting that does not
// start with a digit (implicit FTPS), the client speaks TLS: once its first bytes arrive the
// replies still left are sent at once, as the server's side of the handshake, and the
// client's bytes are dropped.
// Data: each data connection gets the next data chunk, then the peer's half is shut and what
// the client sends (an upload) is read and dropped until it closes.
class FuzzPeer {
public:
    FuzzPeer(std::vector<std::string> replies, std::vector<std::string> dataChunks);
    ~FuzzPeer();
    FuzzPeer(const FuzzPeer&) = delete;
    FuzzPeer& operator=(const FuzzPeer&) = delete;

    int port() const { return m_port; }
    // Does what can be done without waiting; true when anything happened.
    bool step();
    // The client waits for something the peer will not send: closes the data side first, then
    // the control connection. False when nothing is left to close.
    bool giveUp();

private:
    void acceptControl();
    void readCommands();
    void answer(std::string_view command);
    void openPassive();
    void connectActive(std::string_view command);
    void serveData();
    bool flush(int fd, std::string& out);
    static void closeFd(int& fd);

    std::vector<std::string> m_replies;
    std::vector<std::string> m_dataChunks;
    std::size_t m_nextReply = 0;
    std::size_t m_nextData = 0;
    int m_listener = -1;
    int m_port = 0;
    int m_control = -1;
    int m_dataListener = -1;
    int m_passivePort = 0;
    int m_data = -1;
    bool m_dataLoaded = false;
    bool m_dataShut = false;
    std::string m_commandBytes;
    std::string m_controlOut;
    std::string m_dataOut;
    bool m_progress = false;
    bool m_rawReplies = false;
};

}  // namespace quay::fuzz

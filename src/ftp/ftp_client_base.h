#pragma once

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "base/event_loop.h"
#include "ftp/ftp_types.h"
#include "ftp/local_file.h"
#include "ftp/reply_buffer.h"
#include "ftp/reply_framer.h"
#include "net/socket.h"

namespace quay {

// The FTP client engine: one control connection, one data connection, asynchronous requests.
//
// Every operation checks its preconditions, sends at most one command and returns. A request
// that cannot start throws FtpException (nothing is sent, no onRequestDone follows). Every
// request that started ends with exactly one onRequestDone, always delivered from a task
// posted to the loop, never from inside the call that started it. There is no queue of
// requests: a new one may start once state() is fsReady or fsInternalReady.
//
// Ownership: the client owns its two sockets. Events are fired on the loop thread, from
// socket events and from posted tasks; a handler may start the next request. The client must
// not be destroyed from inside one of its own event handlers other than onRequestDone.
//
// Events (empty = not set):
// - onDisplay(msg): "> " + each command sent, "< " + reply lines, "! " + local notes and the
//   transfer summary.
// - onDisplayFile(line): each line of received data while displayFileFlag() is set.
// - onCommand(cmd): just before a command is displayed and sent; may change it.
// - onResponse(): each complete control line, after lastResponse() holds it.
// - onProgress(count, abort): once per received chunk or sent block; count is the position
//   reached in the file; setting abort closes the data connection.
// - onSessionConnected(error): the 220 greeting has been read.
// - onSessionClosed(error): the control connection closed while connected.
// - onRequestDone(request, error): once per request; error 0 is success.
// - onStateChange(): state() changed.
// - onReadyToTransmit(cancel): before an upload starts; cancel refuses it.
// - onBgException(e, canClose): an exception escaped onRequestDone.
//
// Connecting: the host name (or the FTP proxy's) is looked up to all its IPv6 and IPv4
// addresses, which are tried in the resolver's order until one connects; each that fails is
// one "! " line, and the open request fails once, with the last address's error. An address
// that does not connect within the idle time-out is given up for the next one. Through SOCKS 4A
// and 5 the host name is never looked up here: it goes to the SOCKS server as it is, and the
// SOCKS server's own name is the one looked up and whose addresses are tried (SOCKS 4 has no
// room for a name, so there the host's addresses are tried through the SOCKS server).
//
// Data connections: passive mode sends EPSV (RFC 2428) on every session; a server that refuses
// it with 500 or 502 on an IPv4 session gets PASV instead, for the rest of the session. Active
// mode sends EPRT on IPv6 and PORT on IPv4. A passive data connection goes to the control
// connection's peer whatever address a reply names (through SOCKS: the same destination, the
// host name for SOCKS 4A and 5, through the SOCKS server address the control connection
// reached); a reply without a usable port fails the transfer ("Unusable passive reply").
//
// Idle time-out (15 seconds unless set): with idleTimeout() above 0, a pending request
// (connecting included) fails with 426, a "! " line naming the time-out, and the session closed
// (onSessionClosed fires when the TCP connection had been made) when for that many seconds
// neither a reply was completed nor data moved. A reply's time counts from the start of the
// wait for it (the command sent, or the start of connecting for the greeting), not from its
// last byte, so a reply trickled a byte at a time still ends in time.
class FtpClientBase {
public:
    explicit FtpClientBase(EventLoop& loop);
    virtual ~FtpClientBase();
    FtpClientBase(const FtpClientBase&) = delete;
    FtpClientBase& operator=(const FtpClientBase&) = delete;

    std::function<void(std::string& msg)> onDisplay;
    std::function<void(std::string& line)> onDisplayFile;
    std::function<void(std::string& cmd)> onCommand;
    std::function<void()> onResponse;
    std::function<void(std::int64_t count, bool& abort)> onProgress;
    std::function<void(int error)> onSessionConnected;
    std::function<void(int error)> onSessionClosed;
    std::function<void(FtpRequest request, int error)> onRequestDone;
    std::function<void()> onStateChange;
    std::function<void(bool& cancel)> onReadyToTransmit;
    std::function<void(const std::exception& e, bool& canClose)> onBgException;

    // --- properties
    const std::string& hostName() const { return m_hostName; }
    void setHostName(const std::string& v) { m_hostName = v; }
    const std::string& port() const { return m_port; }
    void setPort(const std::string& v) { m_port = v; }
    const std::string& userName() const { return m_userName; }
    void setUserName(const std::string& v) { m_userName = v; }
    const std::string& passWord() const { return m_passWord; }
    void setPassWord(const std::string& v) { m_passWord = v; }
    const std::string& hostDirName() const { return m_hostDirName; }
    void setHostDirName(const std::string& v) { m_hostDirName = v; }
    const std::string& hostFileName() const { return m_hostFileName; }
    void setHostFileName(const std::string& v) { m_hostFileName = v; }
    // Also the new name of RNTO and the whole command line of quoteAsync.
    const std::string& localFileName() const { return m_localFileName; }
    void setLocalFileName(const std::string& v) { m_localFileName = v; }
    bool displayFileFlag() const { return m_displayFileFlag; }
    void setDisplayFileFlag(bool v) { m_displayFileFlag = v; }
    bool binary() const { return m_typeChar == 'I'; }
    void setBinary(bool v) { m_typeChar = v ? 'I' : 'A'; }
    const std::string& errorMessage() const { return m_errorMessage; }
    FtpShareMode shareMode() const;
    void setShareMode(FtpShareMode mode);
    FtpOptions options() const { return m_options; }
    void setOptions(FtpOptions v) { m_options = v; }
    const std::string& proxyServer() const { return m_proxyServer; }
    void setProxyServer(const std::string& v) { m_proxyServer = v; }
    // The FTP proxy's port; the program leaves it at "ftp".
    const std::string& proxyPort() const { return m_proxyPort; }
    void setProxyPort(const std::string& v) { m_proxyPort = v; }

    FtpState state() const { return m_state; }
    int statusCode() const { return m_statusCode; }
    const std::string& lastResponse() const { return m_lastResponse; }
    // Every line of the reply lastResponse() ends (one line unless it was a multi-line reply),
    // such as the feature lines of a FEAT reply. Bounded as the reply is (ReplyFramer).
    const std::vector<std::string>& replyLines() const { return m_replyLines; }
    std::int64_t resumeAt() const { return m_resumeAt; }
    void setResumeAt(std::int64_t v) { m_resumeAt = v; }
    std::int64_t sizeResult() const { return m_sizeResult; }
    // What broke the data connection of the last transfer: a socket-layer code (or 426 when the
    // server never connected in active mode); 0 when it did not fail.
    int dataError() const { return m_dataError; }
    const std::string& dirResult() const { return m_dirResult; }
    bool passive() const { return m_passive; }
    // True while the control socket is not closed.
    bool connected() const;
    FtpRequest requestType() const { return m_requestType; }
    // Seconds a pending request may hear nothing before it fails; 0 or less: no limit.
    int idleTimeout() const { return m_idleTimeout; }
    void setIdleTimeout(int seconds) { m_idleTimeout = seconds; }

    // --- FTPS (ftp_tls.cpp)
    // Plain FTP unless set. ftpTlsIfOffered and ftpTlsRequired send AUTH TLS after the
    // greeting, ftpTlsImplicit speaks TLS from the first byte (on port 990 when port() is
    // empty, "21" or "ftp"); once protected, PBSZ 0 and PROT P follow the log-in and every
    // data connection, passive or active, is TLS resuming the control connection's session.
    // With the FTP proxy connection type a secure mode refuses to start (FtpException, after
    // a "! " line), as the proxy would see everything in clear.
    FtpSecurity security() const { return m_security; }
    void setSecurity(FtpSecurity value) { m_security = value; }
    // The SHA-256 fingerprint the user trusts for this server ("AB:CD:..."), or empty. A
    // certificate that does not verify stops the log-in before USER with
    // kFtpCertificateNotTrusted unless it has this fingerprint.
    const std::string& trustedFingerprint() const { return m_trustedFingerprint; }
    void setTrustedFingerprint(const std::string& value) { m_trustedFingerprint = value; }
    // The server's certificate of the current connection (empty fields while plain).
    const TlsCertificate& peerCertificate() const { return m_peerCertificate; }
    // The server's port the control connection uses (990 for implicit FTPS on a default port).
    std::string serverPort() const;
    // "TLSv1.3" etc. while the control connection is encrypted, else empty.
    std::string tlsVersion() const;
    // Goes on with a log-in that stopped with kFtpCertificateNotTrusted (the user accepted the
    // certificate): USER, PASS, PBSZ 0, PROT P; completes as ConnectAsync.
    void continueLoginAsync();

    Socket& controlSocket() { return *m_control; }
    Socket& dataSocket() { return *m_data; }

    // --- single commands
    void openAsync();
    void userAsync();
    void passAsync();
    void cwdAsync();
    void portAsync();
    void systAsync();
    void quitAsync();
    void sizeAsync();
    void mkdAsync();
    void rmdAsync();
    void deleAsync();
    void renToAsync();
    void renFromAsync();
    void pwdAsync();
    void quoteAsync();
    void cDupAsync();
    void typeSetAsync();
    void typeBinaryAsync();
    void typeAsciiAsync();
    void restAsync();
    // FEAT, accepting 211; the features are the lines of replyLines() between its first and
    // last line.
    void featAsync();
    // "OPTS " + hostFileName() (such as "UTF8 ON"), accepting 200.
    void optsAsync();

    // --- sequences
    void connectAsync();
    void receiveAsync();
    void dirAsync();
    void lsAsync();
    // MLSD (RFC 3659) into localFileName(), as dirAsync does with LIST.
    void mlsdAsync();
    void getAsync();
    void directoryAsync();
    void listAsync();
    void systemAsync();
    void fileSizeAsync();
    void putAsync();
    void appendAsync();
    void renameAsync();
    void renAsync();
    void deleteAsync();
    void mkdirAsync();
    void rmdirAsync();
    void doQuoteAsync();
    void transmitAsync();
    void appendFileAsync();
    void restGetAsync();
    void restartGetAsync();
    void restPutAsync();
    void restartPutAsync();

    // Closes both connections at once; sends nothing.
    void abortAsync();
    // Stops the pending transfer at once, whether or not data is arriving: the data connection
    // is closed, ABOR is sent when the server still owes the transfer's final reply, and the
    // request fails with 426 "Transfer aborted" (its onRequestDone posted as usual). The next
    // request may start at once, but its first command is held back until the server has
    // answered ABOR (within the idle time-out; without an answer the connection is closed).
    // The server's answers to the transfer and to ABOR are shown but never taken as the answer
    // to a later command. While another step of a sequence holding a transfer is pending, the
    // sequence ends before the transfer starts. False when nothing was to be stopped.
    bool abortTransfer();

protected:
    using Handler = void (FtpClientBase::*)();

    // Called on every progress check (once per chunk or block).
    virtual void progressTouched() {}
    // Called with a serial number (1, 2, ... in start order) and the error of each request's
    // completion, just before onRequestDone fires for it.
    virtual void completionDelivered(std::uint64_t serial, int error) {
        (void)serial;
        (void)error;
    }
    [[noreturn]] void handleError(const std::string& message);
    void setState(FtpState state);
    void display(std::string msg);
    void setErrorMessageOnce(const std::string& text);

    EventLoop& m_loop;
    // Serial number of the last completion posted (see completionDelivered()).
    std::uint64_t m_completionsPosted = 0;
    std::unique_ptr<Socket> m_control;
    std::unique_ptr<Socket> m_data;
    FtpState m_state = FtpState::fsReady;
    int m_statusCode = 0;
    int m_requestResult = 0;
    std::string m_errorMessage;
    bool m_connected = false;
    bool m_passive = false;
    FtpConnectionType m_connectionType = FtpConnectionType::ftpDirect;
    // SOCKS settings written into both sockets before each connection they make.
    std::string m_socksServer;
    std::string m_socksPort;
    std::string m_socksLevel = "5";

private:
    // control session (ftp_client_base.cpp)
    void checkReady();
    void checkLine(const std::string& cmd);
    // Sends cmd, or holds it back while the answer to an ABOR is awaited.
    void sendCommand(std::string cmd);
    // Displays and sends cmd at once.
    void writeCommand(std::string cmd);
    void displayLastResponse();
    void executeCommand(FtpRequest request, const std::string& cmd,
                        std::initializer_list<int> accepted, Handler finish = nullptr);
    void endUnsentCommand(const std::string& cmd);
    void genericReplyHandler();
    void triggerRequestDone(int error);
    void runNextStep();
    // Runs task later on the loop, unless the client is gone by then; an exception it raises
    // goes to onBgException.
    void postGuarded(std::function<void()> task);
    void applySocksSettings(Socket& socket);
    // SOCKS 4A or 5 with a SOCKS server: the SOCKS server looks up the host name.
    bool socksResolvesHost() const;
    // The name looked up to connect: the FTP proxy's, the SOCKS server's or the host's.
    const std::string& nameToLookUp() const;
    // The host as it goes to a SOCKS server that looks it up: an address in its plain form,
    // a name trimmed.
    std::string socksDestination() const;
    std::string lookupFailureText(int error) const;
    // The attempt the "! " line of a failed address names.
    std::string attemptLabel() const;
    void controlDnsLookupDone(int error);
    void connectNextAddress();
    bool tryNextAddress(const std::string& reason);
    std::string connectFailureReason(int error) const;
    void controlSessionConnected(int error);
    void controlDataAvailable(int error);
    bool interpretLine(int error);
    void replyLineTooLong();
    void endSessionForReply(const std::string& note, const std::string& error);
    void controlSessionClosed(int error);
    void quitFinish();
    // FTPS (ftp_tls.cpp)
    bool tlsStepWanted(FtpStep step) const;
    // The log line of an encrypted control connection: its TLS version and cipher.
    void noteTlsConnection();
    void authStep();
    void authReplied();
    void controlTlsStarted(int error);
    void pbszStep();
    void protStep();
    void protReplied();
    // Ends the USER step with kFtpCertificateNotTrusted when the certificate is not trusted.
    bool certificateStopsLogin();
    TlsSettings tlsSettings(std::shared_ptr<TlsSession> resume);
    // Chooses the control connection's stack before it connects (TLS for implicit FTPS).
    void prepareControlTls();
    // Chooses the data connection's stack: TLS resuming the control session once PROT P holds.
    void prepareDataTls();
    // Starts TLS on a passive data connection that has just been made, when protected.
    void startDataTls();
    // Refuses a secure mode through an FTP proxy before anything is sent.
    void checkSecurityPath();

    // idle time-out (ftp_idle_timeout.cpp)
    void noteActivity();
    void checkIdle();
    void idleTimedOut();
    void stopIdleTimer();

    void runSingle(FtpStep step, FtpRequest request, const std::string& cmd,
                   std::initializer_list<int> accepted, Handler finish = nullptr);

    // sequences (ftp_sequences.cpp)
    void runSequence(FtpRequest request, std::initializer_list<FtpStep> steps);
    void nextSequenceStep();
    void runStep(FtpStep step);

    // data connections (ftp_data.cpp, ftp_download.cpp, ftp_upload.cpp)
    bool preparePassive();
    void epsvFinish();
    // The control connection goes to an IPv6 address (of the server or the FTP proxy).
    bool ipv6Session() const;
    void failTransfer(int code, const std::string& message, bool toLastResponse);
    // Ends the transfer whose data connection could not be made (550).
    void dataConnectFailed(int error);
    bool progressCheck();
    void acceptLate(void (FtpClientBase::*handler)(int));
    SocketHandle acceptData(int& error);
    void bindAccept(void (FtpClientBase::*handler)(int));
    int transferResult(int dataError);
    void freeStream() { m_stream.close(); }
    void receiveStep(FtpRequest request);
    void receiveAccept(int error);
    void receiveConnect(int error);
    void downloadFirstReply();
    void downloadSecondReply();
    void receiveData(int error);
    void displayFileLines(const char* data, std::int64_t len);
    void emptyLocalFile();
    void localWriteFailed();

    // Throws when the upload would resume at or behind the end of the local file.
    void checkUploadResume();
    void sendStep(bool append);
    void sendAccept(int error);
    void sendConnect(int error);
    void sendTransferCommand();
    void postUploadStart();
    void uploadFirstReply();
    void uploadSecondReply();
    void sendData(int error);
    std::int64_t sendNextBlock();
    void endUploadStream();
    void transferClosed(int error);
    void checkTransferEnd();
    void firstReplyRefused();
    void finalReplyRefused(const std::string& note);
    void finishTransfer();
    // Ends the pending transfer step now with code and error (see abortTransfer()).
    void endTransferNow(const std::string& error, int code);
    // True when the reply (code) answers an aborted transfer, its ABOR or the NOOP that tells
    // a lone success reply apart.
    bool takeStaleReply(int code);
    // The answer to ABOR is in: the command held back meanwhile goes out.
    void endAbortWait();
    // Forgets the replies still awaited after ABOR and the command held back for them.
    void dropAbortWait();
    // A request is pending or the answer to an ABOR is awaited.
    bool awaitingReply() const;
    // Bytes the pending download may still receive: a listing stops at kMaxListingBytes.
    std::int64_t receiveRoom() const;
    void listingTooLong();

    std::shared_ptr<int> m_life = std::make_shared<int>(0);

    std::string m_hostName;
    std::string m_port = "ftp";
    std::string m_userName;
    std::string m_passWord;
    std::string m_hostDirName;
    std::string m_hostFileName;
    std::string m_localFileName;
    bool m_displayFileFlag = false;
    char m_typeChar = 'I';
    int m_shareFlags = 16;
    FtpOptions m_options = ftpAcceptLF;
    std::string m_proxyServer;
    std::string m_proxyPort = "ftp";
    std::string m_lastResponse;
    std::vector<std::string> m_replyLines;
    std::int64_t m_resumeAt = 0;
    std::int64_t m_sizeResult = 0;
    std::string m_dirResult;

    FtpRequest m_requestType = FtpRequest::none;
    bool m_requestDone = true;
    std::vector<int> m_acceptedCodes;
    Handler m_replyHandler = nullptr;
    Handler m_finishHandler = nullptr;
    Handler m_nextStepHandler = nullptr;
    ReplyBuffer m_replyBuffer;
    ReplyFramer m_replyFramer;
    // The address tried: the host's, the FTP proxy's or (socksResolvesHost()) the SOCKS server's.
    std::string m_dnsResult;
    // Addresses still to try when connecting to the current one fails.
    std::vector<std::string> m_addressesLeft;
    // The SOCKS server as the sockets are given it: the address the control connection tries
    // (and then reached, for the data connections) when it was looked up here, else its name.
    std::string m_socksAddress;
    // Why the SOCKS server refused the current attempt (onSocksError), empty when it did not.
    std::string m_socksRefusal;
    bool m_closingFailedAddress = false;
    // The server refused EPSV on this (IPv4) session: PASV for the rest of it.
    bool m_epsvRefused = false;

    FtpSteps m_steps = 0;
    FtpStep m_currentStep = FtpStep::none;
    bool m_sequence = false;
    int m_sequenceResult = 0;
    std::string m_lastResponseSave;
    int m_statusCodeSave = -1;

    std::string m_passiveReply;
    LocalFile m_stream;
    bool m_append = false;
    bool m_acceptPending = false;
    std::int64_t m_byteCount = 0;
    std::chrono::steady_clock::time_point m_startTime{};
    bool m_started = false;
    bool m_finalReply = false;
    bool m_sending = false;
    bool m_dataClosed = false;
    int m_dataError = 0;
    bool m_uploadAnswer = false;
    bool m_uploadSession = false;
    bool m_endOfFile = false;
    bool m_localFileError = false;
    bool m_transferAborted = false;
    // The transfer command (RETR, LIST, STOR, ...) of the pending step has been sent.
    bool m_transferCommandSent = false;
    // abortTransfer() came while a step before the transfer of a sequence was pending.
    bool m_stopBeforeTransfer = false;
    // Which reply after ABOR is awaited (see takeStaleReply()).
    enum class AbortWait { none, transferReply, aborReply, noopReply };
    AbortWait m_abortWait = AbortWait::none;
    // The command of the next request, held back until the server has answered ABOR.
    std::string m_heldCommand;
    // The wait for ABOR's answer has ended, and a second answer to it may still come.
    bool m_lateAborReply = false;
    std::vector<char> m_chunk;

    FtpSecurity m_security = FtpSecurity::ftpPlain;
    std::shared_ptr<TlsContext> m_tlsContext;
    std::string m_trustedFingerprint;
    TlsCertificate m_peerCertificate;
    // The user accepted the current connection's certificate (continueLoginAsync).
    bool m_certificateAccepted = false;
    // PROT P holds: data connections are TLS.
    bool m_dataProtected = false;
    // The TLS of the next data connection, or null for plain.
    std::shared_ptr<const TlsSettings> m_dataTls;

    int m_idleTimeout = 15;
    std::chrono::steady_clock::time_point m_lastActivity{};
    EventLoop::TimerId m_idleTimer = 0;
};

}  // namespace quay

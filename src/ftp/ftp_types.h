#pragma once

#include <cstdint>
#include <stdexcept>

namespace quay {

// Raised when a request cannot start; nothing is sent and no onRequestDone follows.
class FtpException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The request type reported with onRequestDone; each value is named after the operation that
// reports it.
enum class FtpRequest : std::uint8_t {
    none = 0,
    OpenAsync = 1,
    UserAsync = 2,
    PassAsync = 3,
    CwdAsync = 4,
    ConnectAsync = 5,
    ReceiveAsync = 6,
    DirAsync = 7,
    LsAsync = 8,
    PortAsync = 9,
    GetAsync = 10,
    DirectoryAsync = 11,
    ListAsync = 12,
    SystemAsync = 13,
    SystAsync = 14,
    QuitAsync = 15,
    SizeAsync = 16,
    PutAsync = 17,
    AppendAsync = 18,
    FileSizeAsync = 19,
    RqAbort = 20,
    MkdAsync = 21,
    RmdAsync = 22,
    RenameAsync = 23,
    DeleAsync = 24,
    RenAsync = 25,
    RenToAsync = 26,
    RenFromAsync = 27,
    DeleteAsync = 28,
    MkdirAsync = 29,
    RmdirAsync = 30,
    PwdAsync = 31,
    QuoteAsync = 32,
    CDupAsync = 33,
    DoQuoteAsync = 34,
    TransmitAsync = 35,
    TypeSetAsync = 36,
    RestAsync = 37,
    RestGetAsync = 38,
    RestartGetAsync = 39,
    RestPutAsync = 40,
    RestartPutAsync = 41,
    MlsdAsync = 42,
    FeatAsync = 43,
    OptsAsync = 44,
};

enum class FtpState : std::uint8_t {
    fsNotConnected = 0,
    fsReady = 1,
    fsInternalReady = 2,
    fsDnsLookup = 3,
    fsConnected = 4,
    fsAbort = 5,
    fsWaitingBanner = 7,
    fsWaitingResponse = 8,
};

enum class FtpConnectionType : std::uint8_t {
    ftpDirect = 0,
    ftpProxy = 1,
    ftpSocks4 = 2,
    ftpSocks4A = 3,
    ftpSocks5 = 4,
};

// How the connection is protected; the values are those of the server record's "Security=".
enum class FtpSecurity : std::uint8_t {
    ftpPlain = 0,
    // AUTH TLS, falling back to plain FTP only when the server refuses it (4xx/5xx).
    ftpTlsIfOffered = 1,
    // AUTH TLS, or no log-in at all.
    ftpTlsRequired = 2,
    // TLS from the first byte (port 990 by default).
    ftpTlsImplicit = 3,
};

// The log-in stopped before USER: the server's certificate did not verify and its fingerprint
// is not the trusted one (see FtpClientBase::peerCertificate, continueLoginAsync).
inline constexpr int kFtpCertificateNotTrusted = 12110;

enum class FtpShareMode : std::uint8_t {
    ftpShareCompat,
    ftpShareExclusive,
    ftpShareDenyWrite,
    ftpShareDenyRead,
    ftpShareDenyNone,
};

// A set of options, as bits.
enum FtpOption : unsigned {
    ftpAcceptLF = 1,
    ftpNoAutoResumeAt = 2,
};
using FtpOptions = unsigned;

// The steps a sequence is made of.
enum class FtpStep : std::uint8_t {
    none = 0,
    fctOpen = 1,
    fctUser = 2,
    fctPass = 3,
    fctCwd = 4,
    fctSize = 5,
    fctMkd = 6,
    fctRmd = 7,
    fctRenFrom = 8,
    fctRenTo = 9,
    fctGet = 10,
    fctDir = 11,
    fctQuit = 12,
    fctSyst = 13,
    fctDele = 14,
    fctPwd = 15,
    fctQuote = 16,
    fctPut = 17,
    fctTypeSet = 18,
    fctRest = 19,
    fctCDup = 20,
    fctLs = 21,
    fctAppend = 22,
    fctPort = 23,
    fctMlsd = 24,
    fctFeat = 25,
    fctOpts = 26,
    fctAuth = 27,
    fctPbsz = 28,
    fctProt = 29,
};

// A set of steps, as bits indexed by the step value.
using FtpSteps = std::uint32_t;

constexpr FtpSteps stepBit(FtpStep step) {
    return FtpSteps{1} << static_cast<unsigned>(step);
}

}  // namespace quay

// A whole FTP session against server bytes from the fuzz input, on the control and the data
// connection, in one process: log-in, PWD, CWD, LIST into a file, RETR, STOR, SIZE,
// RNFR/RNTO, a quoted ABOR and QUIT, with an abort of one request chosen by the input.
//
// Input: one flag byte, then records of [kind byte][length, 2 bytes little-endian][bytes]. An
// even kind is a control reply (the first is the greeting), an odd one a data chunk.
// Flag bits: 0 passive mode, 1 lines may end in a bare LF, 2 binary type, 3 the abort comes
// from the progress callback instead of abortAsync, 4-7 the operation that is aborted (none
// when past the last).
//
// TLS: bits 1-2 of the first record's kind choose the security of the session: plain FTP,
// FTPS if offered, explicit FTPS required, implicit FTPS. The peer never speaks TLS itself, so
// after a "234" to AUTH TLS (or from the first byte, implicitly) the next replies are what the
// client's TLS layer reads as the server's handshake: the fuzz input feeds the TLS layer, the
// engine's AUTH/fallback decisions and the handling of every failure of the handshake. What
// comes after a handshake (PBSZ, PROT, TLS on the data connections, the trust question) would
// need the peer to finish a real handshake, and a fuzzed peer cannot; the FTPS tests against
// vsftpd and pure-ftpd cover those paths.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "base/poll_loop.h"
#include "ftp/ftp_client.h"
#include "fuzz_peer.h"

namespace {

namespace fs = std::filesystem;
using quay::FtpClient;

const fs::path& workDir() {
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("fuzz-ftp-" + std::to_string(getpid()));
        fs::create_directories(d);
        std::ofstream(d / "put.bin", std::ios::binary) << std::string(3000, 'u');
        return d;
    }();
    return dir;
}

struct Operation {
    const char* name;
    std::function<void(FtpClient&)> start;
};

std::vector<Operation> operations() {
    const std::string dir = workDir().string();
    return {
        {"log-in", [](FtpClient& f) { f.connectAsync(); }},
        {"PWD", [](FtpClient& f) { f.pwdAsync(); }},
        {"CWD",
         [](FtpClient& f) {
             f.setHostDirName("pub");
             f.cwdAsync();
         }},
        {"LIST",
         [dir](FtpClient& f) {
             f.setLocalFileName(dir + "/list.txt");
             f.dirAsync();
         }},
        {"RETR",
         [dir](FtpClient& f) {
             f.setHostFileName("file");
             f.setLocalFileName(dir + "/get.bin");
             f.getAsync();
         }},
        {"STOR",
         [dir](FtpClient& f) {
             f.setHostFileName("up");
             f.setLocalFileName(dir + "/put.bin");
             f.putAsync();
         }},
        {"SIZE",
         [](FtpClient& f) {
             f.setHostFileName("file");
             f.sizeAsync();
         }},
        {"RNFR/RNTO",
         [](FtpClient& f) {
             f.setHostFileName("old");
             f.setLocalFileName("new");
             f.renAsync();
         }},
        {"ABOR",
         [](FtpClient& f) {
             f.setLocalFileName("ABOR");
             f.quoteAsync();
         }},
        {"QUIT", [](FtpClient& f) { f.quitAsync(); }},
    };
}

struct Script {
    unsigned flags = 0;
    quay::FtpSecurity security = quay::FtpSecurity::ftpPlain;
    std::vector<std::string> replies;
    std::vector<std::string> data;
};

Script parse(const std::uint8_t* bytes, std::size_t size) {
    Script script;
    if (size == 0)
        return script;
    script.flags = bytes[0];
    std::size_t pos = 1;
    while (pos + 3 <= size) {
        const unsigned kind = bytes[pos];
        std::size_t length = bytes[pos + 1] | (std::size_t{bytes[pos + 2]} << 8);
        pos += 3;
        if (script.replies.empty() && script.data.empty())
            script.security = static_cast<quay::FtpSecurity>((kind >> 1) & 3);
        if (length > size - pos)
            length = size - pos;
        std::string record(reinterpret_cast<const char*>(bytes + pos), length);
        pos += length;
        (kind % 2 == 0 ? script.replies : script.data).push_back(std::move(record));
    }
    return script;
}

// Runs the loop and the peer until the request in flight has ended. When neither side moves,
// the user's abort comes (at the chosen operation), else the peer gives up its connections;
// a request still pending with every connection gone would never end, which is a finding.
void settle(quay::PollLoop& loop, FtpClient& ftp, quay::fuzz::FuzzPeer& peer, const bool& done,
            bool abortHere) {
    int quiet = 0;
    while (!done) {
        bool moved = peer.step();
        loop.waitAndProcess(std::chrono::milliseconds(0));
        moved = peer.step() || moved;
        if (done)
            return;
        if (moved) {
            quiet = 0;
            continue;
        }
        if (++quiet < 4)
            continue;
        quiet = 0;
        if (abortHere) {
            abortHere = false;
            ftp.abortAsync();
            continue;
        }
        if (!peer.giveUp()) {
            // Both connections are gone: the engine's posted completion must come now.
            loop.waitAndProcess(std::chrono::milliseconds(10));
            loop.processPending();
            if (!done)
                std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const Script script = parse(bytes, size);
    quay::fuzz::FuzzPeer peer(script.replies, script.data);
    if (peer.port() == 0)
        return 0;
    quay::PollLoop loop;
    FtpClient ftp(loop);
    ftp.setHostName("127.0.0.1");
    ftp.setPort(std::to_string(peer.port()));
    ftp.setUserName("joe");
    ftp.setPassWord("secret");
    ftp.setPassive(script.flags & 1);
    ftp.setOptions((script.flags & 2) ? quay::ftpAcceptLF : 0);
    ftp.setBinary(script.flags & 4);
    ftp.setSecurity(script.security);
    const bool abortFromProgress = script.flags & 8;
    const unsigned abortAt = script.flags >> 4;

    if (std::getenv("FUZZ_FTP_TRACE"))
        ftp.onDisplay = [](std::string& line) { std::fprintf(stderr, "%s\n", line.c_str()); };
    bool done = false;
    unsigned current = 0;
    ftp.onRequestDone = [&](quay::FtpRequest, int) { done = true; };
    ftp.onProgress = [&](std::int64_t, bool& abort) {
        if (abortFromProgress && current == abortAt)
            abort = true;
    };
    const std::vector<Operation> ops = operations();
    for (current = 0; current < ops.size(); ++current) {
        done = false;
        try {
            ops[current].start(ftp);
        } catch (const std::exception&) {
            continue;  // cannot start (not connected, still busy): nothing is pending
        }
        settle(loop, ftp, peer, done, !abortFromProgress && current == abortAt);
    }
    return 0;
}

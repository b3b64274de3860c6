#include "session/server_address.h"

#include <algorithm>

#include "config/ascii.h"
#include "net/resolve.h"

namespace quay {

namespace {

// Moves the path, from the first "/" on, into InitialDir.
void takeInitialDir(std::string& server, FtpServerInfo& info) {
    if (const std::size_t slash = server.find('/'); slash != std::string::npos) {
        info.InitialDir =
            cutTo(std::string_view(server).substr(slash), FtpServerInfo::InitialDirLimit);
        server.erase(slash);
    }
}

}  // namespace

void parseServerAddress(FtpServerInfo& info) {
    std::string server(trimBlanks(info.Server));
    if (asciiLower(std::string_view(server).substr(0, 6)) == "ftp://")
        server.erase(0, 6);
    if (asciiLower(std::string_view(server).substr(0, 7)) == "http://")
        server.erase(0, 7);
    server.erase(std::remove(server.begin(), server.end(), ' '), server.end());
    if (const std::size_t at = server.find('@'); at != std::string::npos) {
        const std::string credentials = server.substr(0, at);
        server.erase(0, at + 1);
        if (const std::size_t colon = credentials.find(':'); colon != std::string::npos) {
            info.User = credentials.substr(0, colon);
            info.Password = credentials.substr(colon + 1);
        } else {
            info.User = credentials;
        }
    }
    // An IPv6 literal in brackets may be followed by a port: "[::1]:2121/dir".
    if (server.starts_with('[')) {
        if (const std::size_t close = server.find(']'); close != std::string::npos) {
            std::string rest = server.substr(close + 1);
            server = server.substr(1, close - 1);
            takeInitialDir(rest, info);
            if (rest.starts_with(':'))
                info.Port = rest.substr(1);
            info.Server = server;
            return;
        }
    }
    takeInitialDir(server, info);
    // A bare IPv6 literal ("::1", "fe80::1%eth0") has no port: its colons are its own.
    if (const std::size_t colon = server.find(':');
        colon != std::string::npos && !isIpv6Literal(server)) {
        info.Port = server.substr(colon + 1);
        server.erase(colon);
    }
    info.Server = server;
}

std::string remoteDirPath(std::string_view path, bool checkVHost) {
    std::string dir(path);
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    if (checkVHost && dir.front() == '/')
        dir.erase(0, 1);
    return dir;
}

std::optional<std::string> quotedDirectory(std::string_view reply) {
    const std::size_t open = reply.find('"');
    if (open == std::string_view::npos)
        return std::nullopt;
    const std::size_t close = reply.find('"', open + 1);
    if (close == std::string_view::npos)
        return std::nullopt;
    return std::string(reply.substr(open + 1, close - open - 1));
}

std::string parentRemoteDir(std::string_view path) {
    if (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

}  // namespace quay

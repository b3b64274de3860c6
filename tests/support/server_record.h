#pragma once

#include <filesystem>
#include <string>

#include "sites/server_info.h"
#include "sites/server_line.h"
#include "test_support.h"

namespace quay::test {

// The record of a server on 127.0.0.1 with a saved password, named "Local".
inline FtpServerInfo localServerRecord(int port, const std::string& user,
                                       const std::string& password) {
    FtpServerInfo info = defaultServerInfo("");
    info.Name = "Local";
    info.Server = "127.0.0.1";
    info.Port = std::to_string(port);
    info.User = user;
    info.Password = password;
    info.SavePassword = true;
    return info;
}

// Makes dataDir's server list hold that record alone, in passive mode.
inline void writeLocalServerList(const std::filesystem::path& dataDir, int port,
                                 const std::string& user, const std::string& password) {
    FtpServerInfo info = localServerRecord(port, user, password);
    info.Pasv = true;
    writeFile(dataDir / "ftplist.TXT", serverInfoToLine(info) + "\r\n");
}

}  // namespace quay::test

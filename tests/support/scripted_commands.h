#pragma once

#include <optional>
#include <string>

#include "scripted_ftp_server.h"

namespace quay::test {

// One command line of a scripted session, split at its first blank.
struct ScriptedCommand {
    std::string verb;
    std::string arg;
};

// The next command of the client; nothing once it has gone (or the wait timed out).
std::optional<ScriptedCommand> nextCommand(ScriptedFtpSession& session);

// Answers what every scripted Unix-like server answers alike: USER, PASS, SYST, PWD, CWD
// (absolute or relative to cwd, always taken), CDUP, PASV, EPSV (when the session does not refuse
// it) and TYPE, keeping cwd; FEAT is refused (502), so the session lists with LIST. False, with
// nothing sent, for any other command.
bool answerSessionCommand(ScriptedFtpSession& session, const ScriptedCommand& command,
                          std::string& cwd);

}  // namespace quay::test

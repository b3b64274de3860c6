#include "scripted_commands.h"

namespace quay::test {

std::optional<ScriptedCommand> nextCommand(ScriptedFtpSession& session) {
    std::string line;
    try {
        line = session.readCommand();
    } catch (const ScriptError&) {
        return std::nullopt;
    }
    const std::size_t space = line.find(' ');
    if (space == std::string::npos)
        return ScriptedCommand{line, {}};
    return ScriptedCommand{line.substr(0, space), line.substr(space + 1)};
}

bool answerSessionCommand(ScriptedFtpSession& session, const ScriptedCommand& command,
                          std::string& cwd) {
    const std::string& verb = command.verb;
    if (verb == "USER") {
        session.reply("331 password");
    } else if (verb == "PASS") {
        session.reply("230 in");
    } else if (verb == "SYST") {
        session.reply("215 UNIX Type: L8");
    } else if (verb == "PWD") {
        session.reply("257 \"" + cwd + "\" is current");
    } else if (verb == "CWD") {
        std::string dir = command.arg.starts_with('/')
                              ? command.arg
                              : cwd + (cwd == "/" ? "" : "/") + command.arg;
        if (dir.size() > 1 && dir.ends_with('/'))
            dir.pop_back();
        cwd = dir;
        session.reply("250 ok");
    } else if (verb == "CDUP") {
        const std::size_t slash = cwd.rfind('/');
        cwd = slash == 0 || slash == std::string::npos ? "/" : cwd.substr(0, slash);
        session.reply("250 ok");
    } else if (verb == "PASV") {
        session.reply(ScriptedFtpServer::passiveReply(session.listenData()));
    } else if (verb == "EPSV") {
        session.reply(ScriptedFtpServer::extendedPassiveReply(session.listenData()));
    } else if (verb == "TYPE") {
        session.reply("200 ok");
    } else if (verb == "FEAT") {
        session.reply("502 FEAT not implemented");
    } else {
        return false;
    }
    return true;
}

}  // namespace quay::test

#include "socks_servers.h"

#include <sstream>
#include <stdexcept>

namespace quay::test {

namespace {

void awaitPort(int port, const char* what) {
    if (!waitForPort(port))
        throw std::runtime_error(std::string(what) + " did not start");
}

}  // namespace

ScriptedSocks::ScriptedSocks(const std::string& scriptJson) : m_port(freePort()) {
    writeFile(m_dir.path() / "script.json", scriptJson);
    m_process.start(
        {"/usr/bin/python3", (supportDir() / "socks_responder.py").string(), std::to_string(m_port),
         (m_dir.path() / "script.json").string(), (m_dir.path() / "requests.log").string()},
        (m_dir.path() / "stderr.log").string());
    awaitPort(m_port, "socks_responder.py");
}

// waitForPort's probe connection plays the script too and logs nothing it could not read;
// only complete reads appear here.
std::vector<std::string> ScriptedSocks::requests() const {
    std::istringstream in(readFile(m_dir.path() / "requests.log"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Microsocks::Microsocks(const std::string& user, const std::string& password) : m_port(freePort()) {
    std::vector<std::string> argv{"microsocks", "-i", "127.0.0.1", "-p", std::to_string(m_port)};
    if (!user.empty())
        argv.insert(argv.end(), {"-u", user, "-P", password});
    m_process.start(argv);
    awaitPort(m_port, "microsocks");
}

Danted::Danted() : m_port(freePort()) {
    const auto dir = m_dir.path().string();
    writeFile(m_dir.path() / "danted.conf",
              "logoutput: " + dir +
                  "/danted.log\n"
                  "internal: 127.0.0.1 port = " +
                  std::to_string(m_port) +
                  "\n"
                  "external: 127.0.0.1\n"
                  "socksmethod: none\n"
                  "clientmethod: none\n"
                  "user.privileged: root\n"
                  "user.unprivileged: nobody\n"
                  "client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }\n"
                  "socks pass {\n from: 127.0.0.0/8 to: 0.0.0.0/0\n protocol: tcp\n"
                  " command: connect\n}\n");
    m_process.start({"danted", "-f", dir + "/danted.conf", "-p", dir + "/danted.pid"});
    awaitPort(m_port, "danted");
}

}  // namespace quay::test

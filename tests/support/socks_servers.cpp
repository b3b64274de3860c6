#include "socks_servers.h"

#include <fstream>
#include <stdexcept>

#include "ftp_servers.h"

namespace quay::test {

void MicrosocksServer::start(const std::string& user, const std::string& password) {
    stop();
    m_port = freePort();
    std::vector<std::string> argv{"microsocks", "-i", "127.0.0.1", "-p", std::to_string(m_port)};
    if (!user.empty()) {
        argv.insert(argv.end(), {"-u", user, "-P", password});
    }
    m_process.start(argv);
    if (!waitForPort(m_port))
        throw std::runtime_error("microsocks did not start");
}

std::string DantedServer::log() const {
    return readFile(m_work.path() / "danted.log");
}

void DantedServer::start() {
    stop();
    writeTestPasswords("quaytest");
    m_port = freePort();
    const auto conf = m_work.path() / "danted.conf";
    std::ofstream(conf)
        << "logoutput: " << (m_work.path() / "danted.log").string() << "\n"
        << "internal: 127.0.0.1 port = " << m_port << "\n"
        << "external: 127.0.0.1\n"
        << "external: ::1\n"
        << "socksmethod: pam.username none\n"
        << "clientmethod: none\n"
        << "user.privileged: root\n"
        << "user.unprivileged: nobody\n"
        // danted wants one setting per line inside a rule.
        << "client pass {\n  from: 127.0.0.0/8 to: 0.0.0.0/0\n}\n"
        << "socks pass {\n  from: 127.0.0.0/8 to: 127.0.0.0/8\n"
           "  protocol: tcp\n  command: connect\n  pam.servicename: quayside-test\n}\n"
        << "socks pass {\n  from: 127.0.0.0/8 to: ::1/128\n"
           "  protocol: tcp\n  command: connect\n  pam.servicename: quayside-test\n}\n";
    m_process.start({"danted", "-f", conf.string(), "-p", (m_work.path() / "danted.pid").string()},
                    (m_work.path() / "stderr.log").string());
    if (!waitForPort(m_port))
        throw std::runtime_error("danted did not start: " + log());
}

}  // namespace quay::test

#include "ftp_servers.h"

#include <pwd.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

namespace quay::test {

namespace fs = std::filesystem;

namespace {

const char* const kPureFtpdDir = "/opt/quayside-test/pure-ftpd";

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

struct Account {
    uid_t uid;
    gid_t gid;
};

Account testAccount() {
    const passwd* entry = getpwnam("quaytest");
    if (!entry)
        throw std::runtime_error(
            "the account quaytest is missing (run scripts/install-deps --test)");
    return {entry->pw_uid, entry->pw_gid};
}

// The SHA-512 crypt hash of the fixed test password (openssl passwd -6 -salt quaysalt
// quaytest): quick to check, unlike pure-pw's default.
const char* const kPasswordHash =
    "$6$quaysalt$m1Jp.uuAUuNHF."
    "oEGJZ0GXJT5tMUuUUf05DQ7fPZH0bOd6XTNHehhNhrXDBKu5jynWh8BzotF4rIxoV146poQ1";

}  // namespace

// Tests run side by side: every one writes the same line, and a rename keeps readers from ever
// seeing half a file.
void writeTestPasswords(const std::string& user) {
    const fs::path file = kTestPasswords;
    fs::create_directories(file.parent_path());
    fs::permissions(file.parent_path(), fs::perms::owner_all);
    const fs::path part = file.string() + "." + std::to_string(getpid());
    writeText(part, user + ":" + kPasswordHash + "\n");
    fs::rename(part, file);
}

std::string FtpServer::log() const {
    return readFile(m_work.path() / "server.log");
}

void FtpServer::launch(const std::vector<std::string>& argv) {
    m_process.start(argv, (m_work.path() / "server.log").string());
    if (!(m_ipv6 ? waitForIpv6Port(m_port) : waitForPort(m_port))) {
        m_process.stop();
        throw std::runtime_error(name() + " did not start: " + log());
    }
}

void FtpServer::giveToTestAccount(const fs::path& root) {
    if (geteuid() != 0)
        return;
    const Account account = testAccount();
    auto give = [&](const fs::path& path) {
        if (lchown(path.c_str(), account.uid, account.gid) != 0)
            throw std::runtime_error("cannot hand " + path.string() + " to quaytest");
    };
    give(root);
    if (!fs::is_directory(root))
        return;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        give(entry.path());
}

// vsftpd checks the log-in through the PAM service quayside-test and runs the session as the
// locked account quaytest: no system account has a password the tests know.
void VsftpdServer::start(const fs::path& root) {
    stop();
    if (!fs::exists("/etc/pam.d/quayside-test"))
        throw std::runtime_error(
            "the PAM service quayside-test is missing (run scripts/install-deps --test)");
    giveToTestAccount(root);
    writeTestPasswords(user());
    m_port = freePort();
    const fs::path empty = m_work.path() / "empty";
    fs::create_directories(empty);
    const fs::path conf = m_work.path() / "vsftpd.conf";
    writeText(conf, std::string(m_ipv6 ? "listen=NO\nlisten_ipv6=YES\nlisten_address6=::1\n"
                                       : "listen=YES\nlisten_address=127.0.0.1\n") +
                        "listen_port=" + std::to_string(m_port) +
                        "\n"
                        "anonymous_enable=NO\n"
                        "local_enable=YES\n"
                        "guest_enable=YES\n"
                        "guest_username=quaytest\n"
                        "virtual_use_local_privs=YES\n"
                        "write_enable=YES\n"
                        "local_umask=022\n"
                        "pam_service_name=quayside-test\n"
                        "seccomp_sandbox=NO\n"
                        "background=NO\n"
                        "secure_chroot_dir=" +
                        empty.string() +
                        "\n"
                        "local_root=" +
                        root.string() +
                        "\n"
                        "vsftpd_log_file=" +
                        (m_work.path() / "xfer.log").string() + "\n" +
                        (m_maxRate > 0 ? "local_max_rate=" + std::to_string(m_maxRate) + "\n"
                                       : std::string()) +
                        vsftpdTlsSettings());
    launch({"vsftpd", conf.string()});
}

std::string VsftpdServer::vsftpdTlsSettings() const {
    if (m_certFile.empty())
        return {};
    return "ssl_enable=YES\n"
           "force_local_logins_ssl=YES\n"
           "force_local_data_ssl=YES\n"
           "require_ssl_reuse=YES\n"
           "ssl_ciphers=HIGH\n"
           "rsa_cert_file=" +
           m_certFile + "\nrsa_private_key_file=" + m_keyFile + "\n" +
           (m_implicitTls ? "implicit_ssl=YES\n" : "");
}

void PureFtpdServer::start(const fs::path& root) {
    stop();
    giveToTestAccount(root);
    m_port = freePort();
    const Account account = testAccount();
    const std::string passwdFile = (m_work.path() / "pure.passwd").string();
    const std::string dbFile = (m_work.path() / "pure.pdb").string();
    writeText(passwdFile, user() + ":" + kPasswordHash + ":" + std::to_string(account.uid) + ":" +
                              std::to_string(account.gid) + "::" + root.string() +
                              "/./::::::::::::\n");
    const std::string command = std::string(kPureFtpdDir) + "/usr/bin/pure-pw mkdb " + dbFile +
                                " -f " + passwdFile + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("pure-pw failed (is pure-ftpd unpacked in " +
                                 std::string(kPureFtpdDir) + "?)");
    std::vector<std::string> argv{std::string(kPureFtpdDir) + "/usr/sbin/pure-ftpd",
                                  "-S",
                                  "127.0.0.1," + std::to_string(m_port),
                                  "-l",
                                  "puredb:" + dbFile,
                                  "-E",
                                  "-H",
                                  "-4"};
    if (m_listingLimit > 0)
        argv.insert(argv.end(), {"-L", std::to_string(m_listingLimit) + ":5"});
    if (m_perAddressLimit > 0)
        argv.insert(argv.end(), {"-C", std::to_string(m_perAddressLimit)});
    if (m_bandwidth > 0)
        argv.insert(argv.end(), {"-T", std::to_string(m_bandwidth)});
    if (!m_certFile.empty())
        argv.insert(argv.end(), {"--tls=3", "--certfile=" + m_certFile + "," + m_keyFile});
    launch(argv);
}

void PyFtpdServer::start(const fs::path& root) {
    stop();
    m_port = freePort();
    launch({"/usr/bin/python3", (supportDir() / "pyftpd_server.py").string(), "--port",
            std::to_string(m_port), "--root", root.string(), "--user", user(), "--password",
            password(), "--nopass-user", noPasswordUser()});
}

std::unique_ptr<FtpServer> makeFtpServer(FtpServerKind kind) {
    switch (kind) {
        case FtpServerKind::Vsftpd:
            return std::make_unique<VsftpdServer>();
        case FtpServerKind::PureFtpd:
            return std::make_unique<PureFtpdServer>();
        case FtpServerKind::Pyftpdlib:
            return std::make_unique<PyFtpdServer>();
    }
    throw std::invalid_argument("unknown FTP server kind");
}

std::string ftpServerKindName(FtpServerKind kind) {
    switch (kind) {
        case FtpServerKind::Vsftpd:
            return "vsftpd";
        case FtpServerKind::PureFtpd:
            return "pureftpd";
        case FtpServerKind::Pyftpdlib:
            return "pyftpdlib";
    }
    return "unknown";
}

void FtpProxyServer::start() {
    stop();
    m_port = freePort();
    const fs::path dir = m_work.path();
    const fs::path conf = dir / "ftp-proxy.conf";
    writeText(conf,
              "[-Global-]\n"
              "ServerType standalone\n"
              "Listen 127.0.0.1\n"
              "Port " +
                  std::to_string(m_port) +
                  "\n"
                  "AllowMagicUser yes\n"
                  "UseMagicChar @\n"
                  "User root\n"
                  "Group root\n"
                  "PidFile " +
                  (dir / "ftp-proxy.pid").string() +
                  "\n"
                  "LogDestination " +
                  (dir / "ftp-proxy.log").string() + "\n");
    m_process.start({"ftp-proxy", "-d", "-n", "-f", conf.string()}, (dir / "server.log").string());
    if (!waitForPort(m_port)) {
        m_process.stop();
        throw std::runtime_error("ftp-proxy did not start: " + readFile(dir / "server.log"));
    }
}

}  // namespace quay::test

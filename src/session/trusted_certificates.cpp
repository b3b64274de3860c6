#include "session/trusted_certificates.h"

#include <fstream>
#include <sstream>
#include <vector>

#include "config/atomic_file.h"

namespace quay {

namespace {

std::vector<std::string> readLines(const std::filesystem::path& file) {
    std::vector<std::string> lines;
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The fingerprint of a line for key ("host:port "), or empty.
std::string fingerprintOf(const std::string& line, const std::string& key) {
    return line.rfind(key, 0) == 0 ? line.substr(key.size()) : std::string();
}

std::string keyOf(const std::string& host, const std::string& port) {
    return host + ":" + port + " ";
}

}  // namespace

TrustedCertificates::TrustedCertificates(std::filesystem::path dataDir)
    : m_file(std::move(dataDir) / FileName) {}

std::string TrustedCertificates::fingerprintFor(const std::string& host,
                                                const std::string& port) const {
    const std::string key = keyOf(host, port);
    for (const std::string& line : readLines(m_file))
        if (std::string fingerprint = fingerprintOf(line, key); !fingerprint.empty())
            return fingerprint;
    return {};
}

bool TrustedCertificates::trust(const std::string& host, const std::string& port,
                                const std::string& fingerprint) {
    const std::string key = keyOf(host, port);
    std::ostringstream out;
    for (const std::string& line : readLines(m_file))
        if (fingerprintOf(line, key).empty())
            out << line << '\n';
    out << key << fingerprint << '\n';
    return writeFileAtomically(m_file, out.str(), 0600);
}

}  // namespace quay

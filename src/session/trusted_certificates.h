#pragma once

#include <filesystem>
#include <string>

namespace quay {

// The certificates the user chose to "Always trust": one line per server,
// "<host>:<port> <SHA-256 fingerprint>", in the file "trusted_certificates.txt" of the data
// directory, written with mode 0600 and replaced atomically. The file is read at every look-up,
// so another instance's choice counts at once. Lines that do not parse are kept as they are.
class TrustedCertificates {
public:
    explicit TrustedCertificates(std::filesystem::path dataDir);

    static constexpr const char* FileName = "trusted_certificates.txt";

    // The trusted fingerprint of host:port, or empty.
    std::string fingerprintFor(const std::string& host, const std::string& port) const;
    // Trusts fingerprint for host:port from now on (in place of an earlier one); false when
    // the file could not be written.
    bool trust(const std::string& host, const std::string& port, const std::string& fingerprint);

private:
    std::filesystem::path m_file;
};

}  // namespace quay

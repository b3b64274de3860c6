#include <gtest/gtest.h>
#include <sys/stat.h>

#include "session/trusted_certificates.h"
#include "test_support.h"

namespace quay {
namespace {

TEST(TrustedCertificates, OneFingerprintPerServerKeptPrivateAndReplacedWhole) {
    test::TempDir dir;
    TrustedCertificates trusted(dir.path());
    EXPECT_EQ(trusted.fingerprintFor("ftp.example.org", "21"), "");

    ASSERT_TRUE(trusted.trust("ftp.example.org", "21", "AA:01"));
    ASSERT_TRUE(trusted.trust("ftp.example.org", "990", "BB:02"));
    ASSERT_TRUE(trusted.trust("ftp.example.org.evil", "21", "CC:03"));
    // Another instance sees the choice at once; the port and the whole name count.
    TrustedCertificates other(dir.path());
    EXPECT_EQ(other.fingerprintFor("ftp.example.org", "21"), "AA:01");
    EXPECT_EQ(other.fingerprintFor("ftp.example.org", "990"), "BB:02");
    EXPECT_EQ(other.fingerprintFor("example.org", "21"), "");

    // A changed certificate that the user trusts again replaces the old fingerprint.
    ASSERT_TRUE(trusted.trust("ftp.example.org", "21", "DD:04"));
    EXPECT_EQ(other.fingerprintFor("ftp.example.org", "21"), "DD:04");
    const std::filesystem::path file = dir.path() / TrustedCertificates::FileName;
    EXPECT_EQ(test::readFile(file),
              "ftp.example.org:990 BB:02\nftp.example.org.evil:21 CC:03\nftp.example.org:21 "
              "DD:04\n");
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(TrustedCertificates, AnUnwritableDirectoryReportsFailure) {
    TrustedCertificates trusted("/nonexistent/quayside");
    EXPECT_FALSE(trusted.trust("h", "21", "AA"));
    EXPECT_EQ(trusted.fingerprintFor("h", "21"), "");
}

}  // namespace
}  // namespace quay

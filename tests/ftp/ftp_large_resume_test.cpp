// Resume at offsets above 4 GiB: both files are sparse, so only the tail moves.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "ftp_harness.h"
#include "ftp_servers.h"
#include "test_support.h"

namespace quay::test {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t kOffset = (5LL << 30) + 12345;  // above 4 GiB and not block aligned

// Makes a file of `offset` sparse bytes followed by `tail`.
void makeSparse(const fs::path& path, std::int64_t offset, const std::string& tail) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, offset), 0);
    ASSERT_EQ(pwrite(fd, tail.data(), tail.size(), offset), static_cast<ssize_t>(tail.size()));
    ::close(fd);
}

std::string readTail(const fs::path& path, std::int64_t offset) {
    std::string result(static_cast<std::size_t>(fs::file_size(path) - offset), '\0');
    int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_EQ(pread(fd, result.data(), result.size(), offset), static_cast<ssize_t>(result.size()));
    ::close(fd);
    return result;
}

TEST(LargeResume, BothDirectionsAboveFourGiB) {
    TempDir root;
    TempDir work;
    std::string tail(200000, '\0');
    for (std::size_t i = 0; i < tail.size(); ++i)
        tail[i] = static_cast<char>(i * 7 + 3);
    makeSparse(root.path() / "huge.bin", kOffset, tail);
    VsftpdServer server;
    server.start(root.path());
    FtpHarness h;
    h.target(server.port(), server.user(), server.password());
    ASSERT_EQ(h.run([&] { h.ftp.connectAsync(); }), 0) << h.logText();
    h.ftp.setPassive(true);
    ASSERT_TRUE(h.ftp.typeBinary());

    h.ftp.setHostFileName("huge.bin");
    ASSERT_EQ(h.run([&] { h.ftp.sizeAsync(); }), 0);
    EXPECT_EQ(h.ftp.sizeResult(), kOffset + static_cast<std::int64_t>(tail.size()));

    // Download: the local file already holds everything before the offset.
    const fs::path local = work.path() / "huge.bin";
    makeSparse(local, kOffset, "");
    h.ftp.setLocalFileName(local.string());
    std::vector<std::int64_t> counts;
    h.ftp.onProgress = [&](std::int64_t count, bool&) { counts.push_back(count); };
    ASSERT_EQ(h.run([&] { h.ftp.restGetAsync(); }), 0) << h.logText();
    EXPECT_TRUE(h.logged("> REST " + std::to_string(kOffset))) << h.logText();
    ASSERT_FALSE(counts.empty());
    EXPECT_GE(counts.front(), kOffset);
    EXPECT_EQ(counts.back(), kOffset + static_cast<std::int64_t>(tail.size()));
    EXPECT_TRUE(readTail(local, kOffset) == tail);
    EXPECT_EQ(h.loggedStarting("! " + std::to_string(tail.size()) + " bytes received"), 1);

    // Upload: the remote file holds everything before the offset.
    std::string upTail = tail;
    std::reverse(upTail.begin(), upTail.end());
    makeSparse(local, kOffset, upTail);
    makeSparse(root.path() / "up.bin", kOffset, "");
    FtpServer::handOver(root.path() / "up.bin");
    h.ftp.setHostFileName("up.bin");
    h.ftp.setResumeAt(kOffset);
    counts.clear();
    ASSERT_EQ(h.run([&] { h.ftp.restPutAsync(); }), 0) << h.logText();
    EXPECT_EQ(h.loggedCount("> REST " + std::to_string(kOffset)), 2);
    ASSERT_FALSE(counts.empty());
    EXPECT_GE(counts.front(), kOffset);
    EXPECT_TRUE(readTail(root.path() / "up.bin", kOffset) == upTail);
    EXPECT_EQ(h.loggedStarting("! " + std::to_string(upTail.size()) + " bytes sent"), 1);
}

}  // namespace
}  // namespace quay::test

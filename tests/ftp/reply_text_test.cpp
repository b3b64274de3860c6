#include "ftp/reply_text.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "ftp/reply_buffer.h"

namespace quay {
namespace {

using namespace std::string_literals;

TEST(ReplyText, ReplyNumbers) {
    std::size_t pos = 0;
    EXPECT_EQ(readReplyNumber(" \t\r\n+42x", pos), 42);
    EXPECT_EQ(pos, 7u);
    pos = 0;
    EXPECT_EQ(readReplyNumber("-7", pos), -7);
}

TEST(ReplyText, DirAndSizeResults) {
    EXPECT_EQ(parseDirResult("257 \"/home/a b\" is the current directory"), "/home/a b");
    EXPECT_EQ(parseDirResult("257 \"/say \"\"hi\"\" there\" created"), "/say \"hi\" there");
    EXPECT_EQ(parseDirResult("257 \"/unterminated"), "/unterminated");
    EXPECT_EQ(parseDirResult("250 CWD command successful"), "");
    EXPECT_EQ(parseDirResult("257 \"/home/a\0/etc\" is it"s), "/home/a");
    EXPECT_EQ(parseSizeResult("213 6"), 6);
    EXPECT_EQ(parseSizeResult("213 9223372036854775807"), INT64_MAX);
    EXPECT_EQ(parseSizeResult("213"), 0);
    for (const char* notASize : {"213 -1", "213 -9223372036854775808", "213 9223372036854775808",
                                 "213 99999999999999999999999"})
        EXPECT_EQ(parseSizeResult(notASize), std::nullopt) << notASize;
}

TEST(ReplyText, PassivePortNeedsSixNumbersAndAPort) {
    std::uint16_t port = 0;
    ASSERT_TRUE(parsePassivePort("227 Entering Passive Mode (127,0,0,1,4,1).", port));
    EXPECT_EQ(port, 1025);
    ASSERT_TRUE(parsePassivePort("227 =(10, 1, 2, 3, 255, 255)", port));
    EXPECT_EQ(port, 65535);
    for (const char* bad : {"227 Entering Passive Mode", "227 (127,0,0,1,4)", "227 (127,0,0,1,0,0)",
                            "227 (127,0,0,1,4,1", "227 (a,b,c,d,e,f)", "227 (127,0,0,1,256,1)",
                            "227 (127,0,0,1,4,1,7)", "227 ()", "227 127,0,0,1,4,1"}) {
        EXPECT_FALSE(parsePassivePort(bad, port)) << bad;
    }
}

// Any printable delimiter but a digit, the same four times; what follows ")" does not matter.
// The replies no port may be taken from are the engine's test (HostileEpsvRepliesEndTheRequest).
TEST(ReplyText, ExtendedPassivePort) {
    std::uint16_t port = 0;
    EXPECT_TRUE(parseExtendedPassivePort("229 Entering Extended Passive Mode (|||6446|)", port));
    EXPECT_EQ(port, 6446);
    EXPECT_TRUE(parseExtendedPassivePort("229 (!!!65535!).", port));
    EXPECT_EQ(port, 65535);
    EXPECT_TRUE(parseExtendedPassivePort("229 (###00021#)", port));
    EXPECT_EQ(port, 21);
    EXPECT_FALSE(parseExtendedPassivePort("229 (|!|21|)", port));
    EXPECT_FALSE(parseExtendedPassivePort("229 (   21 )", port));
    EXPECT_FALSE(parseExtendedPassivePort("229 (|2|::1|21|)", port));
}

TEST(ReplyText, PortAndProxyLines) {
    const std::uint32_t local = inet_addr("192.168.7.9");
    EXPECT_EQ(portCommand(local, inet_addr("127.0.0.1"), 1025), "PORT 127,0,0,1,4,1");
    EXPECT_EQ(portCommand(local, inet_addr("10.0.0.1"), 0xABCD), "PORT 192,168,7,9,171,205");
    EXPECT_EQ(proxyUserLine("bob", "ftp.example", "2121"), "USER bob@ftp.example:2121");
    EXPECT_EQ(proxyUserLine("bob", "ftp.example", "FTP"), "USER bob@ftp.example");
    EXPECT_EQ(proxyUserLine("bob", "ftp.example", "21"), "USER bob@ftp.example");
    EXPECT_EQ(proxyUserLine("bob", "::1", "2121"), "USER bob@[::1]:2121");
    EXPECT_EQ(eprtCommand("::1", 50000), "EPRT |2|::1|50000|");
    EXPECT_EQ(eprtCommand("fe80::1%eth0", 1025), "EPRT |2|fe80::1|1025|");
    EXPECT_EQ(eprtCommand("10.0.0.1", 21), "EPRT |1|10.0.0.1|21|");
}

TEST(ReplyText, TransferSummary) {
    EXPECT_EQ(transferSummary(100, 0, false), "! 100 bytes received in 0 seconds");
    EXPECT_EQ(transferSummary(1000, 500, true), "! 1000 bytes sent in 0 seconds (2000 Bytes/sec)");
    // From 32768 bytes on, the rate is computed per millisecond first.
    EXPECT_EQ(transferSummary(40000, 3000, false),
              "! 40000 bytes received in 3 seconds (13000 Bytes/sec)");
    EXPECT_EQ(transferSummary(6LL << 30, 2000, false),
              "! 6442450944 bytes received in 2 seconds (3221225000 Bytes/sec)");
}

TEST(ReplyBuffer, CutsLinesInBothModes) {
    ReplyBuffer buffer;
    std::string line;
    auto feed = [&](const std::string& bytes) {
        std::copy(bytes.begin(), bytes.end(), buffer.writePtr());
        buffer.commit(bytes.size());
    };
    feed("220 a\n230 b\r");
    EXPECT_FALSE(buffer.nextLine(false, line));
    ASSERT_TRUE(buffer.nextLine(true, line));
    EXPECT_EQ(line, "220 a");
    EXPECT_FALSE(buffer.nextLine(true, line));
    feed("\n");
    ASSERT_TRUE(buffer.nextLine(false, line));
    EXPECT_EQ(line, "230 b");
    EXPECT_EQ(buffer.count(), 0u);

    // A line split across two receives is completed by the second.
    feed("250 par");
    EXPECT_FALSE(buffer.nextLine(true, line));
    feed("t\r\r\n");
    ASSERT_TRUE(buffer.nextLine(true, line));
    EXPECT_EQ(line, "250 part");
}

}  // namespace
}  // namespace quay

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <cstring>

#include "net/buffer.h"
#include "net/resolve.h"
#include "net/socket_error.h"
#include "net/socks_layer.h"
#include "net_test_util.h"

namespace quay {
namespace {

using test::thrown;

TEST(DottedAddress, AcceptsFourGroupsUpTo255WithSurroundingBlanks) {
    for (const char* yes : {"1.2.3.4", "  1.2.3.4", "1.2.3.4  ", "255.255.255.255", "0.0.0.0"})
        EXPECT_TRUE(isDottedAddress(yes)) << yes;
    for (const char* no :
         {"1.2.3", "1.2.3.4.", "1..2.3", "1.2.3.256", ".1.2.3", "1.2.3.4.5", "host.example", "",
          "1.2.3.4 x", "1.2.3.4x", "1.2.3.99999999999999", "300.1.1.1"})
        EXPECT_FALSE(isDottedAddress(no)) << no;
}

TEST(ResolveHost, ConvertsDottedTextsWithoutTheResolver) {
    EXPECT_EQ(resolveHost(" 10.0.0.1"), inet_addr("10.0.0.1"));
    EXPECT_EQ(resolveHost("255.255.255.255"), 0xffffffffu);
    EXPECT_EQ(resolveHost("localhost"), htonl(INADDR_LOOPBACK));
    EXPECT_EQ(dottedText(resolveHost("127.0.0.1")), "127.0.0.1");
}

TEST(ResolveHost, RefusesBadNamesWithTheirMessages) {
    EXPECT_EQ(thrown([] { resolveHost(""); }), "ResolveHost: '' Invalid Hostname.");
    const std::string longName(257, 'a');
    EXPECT_EQ(thrown([&] { resolveHost(longName); }),
              "ResolveHost: '" + longName + "' Invalid Hostname.");
    // A name that cannot even form a query fails without leaving the machine.
    const std::string unresolvable = std::string(64, 'x') + ".invalid";
    EXPECT_EQ(thrown([&] { resolveHost(unresolvable); }),
              "ResolveHost: Cannot convert host address '" + unresolvable + "', Error #11001");
}

TEST(Ipv6Literal, BareOrBracketedWithAZone) {
    for (const char* yes : {"::1", "[::1]", "fe80::1%lo", "[fe80::1%lo]", "2001:db8::ff00:42:8329",
                            "::ffff:127.0.0.1"})
        EXPECT_TRUE(isIpv6Literal(yes)) << yes;
    for (const char* no : {"127.0.0.1", "localhost", "[::1", "::1]", "::g", "1:2:3:4:5:6:7:8:9", "",
                           "[]", "host:21"})
        EXPECT_FALSE(isIpv6Literal(no)) << no;
}

// Either family: dotted and IPv6 texts convert without the resolver, names by it.
TEST(ResolveAddress, TakesBothFamilies) {
    EXPECT_EQ(resolveAddress(" [::1] ").text(), "::1");
    EXPECT_TRUE(resolveAddress("::1").isIpv6());
    EXPECT_EQ(resolveAddress("127.0.0.1").text(), "127.0.0.1");
    EXPECT_FALSE(resolveAddress("localhost").isIpv6());
    EXPECT_EQ(thrown([] { resolveAddress(""); }), "ResolveHost: '' Invalid Hostname.");
}

TEST(ResolvePort, DigitsNamesAndLimits) {
    EXPECT_EQ(resolvePort("21", "tcp"), 21);
    EXPECT_EQ(resolvePort("21x", "tcp"), 21);
    EXPECT_EQ(resolvePort("ftp", "tcp"), 21);
    EXPECT_EQ(resolvePort(" ftp ", ""), 21);
    EXPECT_EQ(resolvePort("65535", "tcp"), 65535);
    // Beyond 16 bits the value would wrap onto another port; 2^32 + 81 would pass as 81.
    for (const std::string& bad :
         {std::string(32, '2'), std::string(), std::string("65557"), std::string("4294967377")})
        EXPECT_EQ(thrown([&] { resolvePort(bad, "tcp"); }), "ResolvePort: Invalid Port.") << bad;
    EXPECT_EQ(resolvePort("0000000021 ", "tcp"), 21);
    EXPECT_EQ(thrown([] { resolvePort("no-such-service", "tcp"); }),
              "ResolvePort: Cannot convert port 'no-such-service', Error #11004");
}

TEST(ResolveProto, NumbersNamesAndLimits) {
    EXPECT_EQ(resolveProto("tcp"), 6);
    EXPECT_EQ(resolveProto(" udp"), 17);
    EXPECT_EQ(resolveProto("17abc"), 17);
    EXPECT_EQ(thrown([] { resolveProto(""); }), "ResolveProto: Invalid Protocol.");
    EXPECT_EQ(thrown([] { resolveProto(std::string(32, 't')); }),
              "ResolveProto: Invalid Protocol.");
    EXPECT_EQ(thrown([] { resolveProto("nonsense"); }),
              "ResolveProto: Cannot convert protocol 'nonsense', Error #11004");
}

TEST(DecimalValue, LeadingDigitsAfterBlanks) {
    EXPECT_EQ(decimalValue(""), 0u);
    EXPECT_EQ(decimalValue("  42abc"), 42u);
    EXPECT_EQ(decimalValue("-1"), 0u);
}

TEST(SocketErrorText, KnownAndUnknownCodes) {
    EXPECT_EQ(socketErrorText(0), "No Error");
    EXPECT_EQ(socketErrorText(10061), "Connection refused");
    EXPECT_EQ(socketErrorText(11004), "No Data");
    EXPECT_EQ(socketErrorText(12345), "Not a WinSock error");
    // A data connection the SOCKS server refused says so (not "Not a WinSock error").
    EXPECT_EQ(socketErrorText(sockserr::ConnectionRefused), "SOCKS: connection refused");
    // An errno value without a code of its own still reads as the system's words.
    EXPECT_EQ(socketErrorText(mapErrno(EROFS)), std::string(std::strerror(EROFS)));
    EXPECT_EQ(mapErrno(ECONNREFUSED), 10061);
    EXPECT_EQ(mapErrno(EAGAIN), 10035);
    EXPECT_EQ(mapErrno(EPIPE), 10054);
    EXPECT_NE(mapErrno(EIO), 0) << "an unmapped error must not read as success";
}

TEST(Buffer, WritesPeeksAndRemovesWithinOneBlock) {
    Buffer block(0);
    EXPECT_EQ(block.size(), 1514);
    Buffer small(4);
    EXPECT_EQ(small.write("abcdef", 6), 4);
    EXPECT_EQ(small.write("x", 1), 0) << "full";
    std::int64_t count = 0;
    const std::uint8_t* bytes = small.peek(count);
    ASSERT_EQ(count, 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), 4), "abcd");
    EXPECT_EQ(small.remove(3), 3);
    EXPECT_EQ(small.write("x", 1), 0) << "a partly read block takes no data";
    EXPECT_EQ(small.remove(10), 1);
    EXPECT_EQ(small.peek(count), nullptr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(small.write("yz", 2), 2) << "an emptied block starts over";
    small.resize(8);
    EXPECT_EQ(small.write("123456", 6), 6);
    bytes = small.peek(count);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count)),
              "yz123456");
}

}  // namespace
}  // namespace quay

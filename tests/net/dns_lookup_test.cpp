#include <gtest/gtest.h>

#include <memory>

#include "net_test_util.h"

namespace quay {
namespace {

using namespace std::chrono_literals;

class DnsLookup : public ::testing::Test {
protected:
    void SetUp() override {
        socket.onDnsLookupDone = [this](int e) { done.push_back(e); };
    }

    // Waits for the next completion and gives its code.
    int awaitDone() {
        done.clear();
        EXPECT_TRUE(loop.runUntil([&] { return !done.empty(); }, 5s));
        return done.empty() ? -1 : done.front();
    }

    PollLoop loop;
    Socket socket{loop};
    std::vector<int> done;
};

// A dotted address and an IPv6 literal (bare or in brackets, its zone kept) are addresses
// already: the lookup completes before it returns.
TEST_F(DnsLookup, AddressesCompleteBeforeReturning) {
    for (const auto& [text, result] :
         {std::pair{"10.1.2.3", "10.1.2.3"}, std::pair{"::1", "::1"}, std::pair{" [::1] ", "::1"},
          std::pair{"[fe80::1%lo]", "fe80::1%lo"}, std::pair{"0:0::0:1", "::1"}}) {
        done.clear();
        socket.dnsLookup(text);
        EXPECT_EQ(done, std::vector<int>{0}) << text;
        EXPECT_EQ(socket.dnsResult(), result) << text;
        EXPECT_TRUE(socket.dnsResultList().empty()) << text;
    }
}

TEST_F(DnsLookup, EmptyNameReportsThenCompletesWithInvalidArgument) {
    socket.onError = [&] { done.push_back(-1); };  // -1 marks the error report
    socket.dnsLookup("");
    EXPECT_EQ(done, (std::vector<int>{-1, 10022}));
}

TEST_F(DnsLookup, NamesResolveLaterOnTheLoop) {
    socket.dnsLookup("localhost");
    EXPECT_TRUE(done.empty()) << "a name lookup never completes inside the call";
    EXPECT_EQ(awaitDone(), 0);
    EXPECT_EQ(socket.dnsResult(), "127.0.0.1");
    EXPECT_EQ(socket.dnsResultList().front(), "127.0.0.1");

    socket.reverseDnsLookup("127.0.0.1");
    EXPECT_EQ(awaitDone(), 0);
    EXPECT_EQ(socket.dnsResultList(), std::vector<std::string>{"localhost"});

    socket.dnsLookup(std::string(64, 'n') + ".invalid");
    EXPECT_EQ(awaitDone(), 11001);
    EXPECT_EQ(socket.dnsResult(), "");
}

TEST_F(DnsLookup, CancelReportsInterruptedAndDropsTheResult) {
    socket.cancelDnsLookup();
    EXPECT_TRUE(done.empty()) << "nothing to cancel";
    socket.dnsLookup("localhost");
    socket.cancelDnsLookup();
    EXPECT_EQ(done, std::vector<int>{10004});
    loop.runUntil([] { return false; }, 300ms);
    EXPECT_EQ(done, std::vector<int>{10004});
    EXPECT_EQ(socket.dnsResult(), "");
}

TEST(DnsLookupGone, SocketDestroyedDuringALookupIsNeverCalledBack) {
    PollLoop loop;
    int calls = 0;
    const int live = AsyncSocket::liveCount();
    for (int i = 0; i < 20; ++i) {
        auto socket = std::make_unique<Socket>(loop);
        socket->onDnsLookupDone = [&](int) { ++calls; };
        socket->dnsLookup("localhost");
        // Sometimes the result is already posted to the loop when the socket goes.
        std::this_thread::sleep_for(std::chrono::milliseconds(i % 3));
    }
    loop.runUntil([] { return false; }, 300ms);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(AsyncSocket::liveCount(), live);
}

}  // namespace
}  // namespace quay

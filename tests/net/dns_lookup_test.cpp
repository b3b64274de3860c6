#include <gtest/gtest.h>

#include <memory>

#include "net_test_util.h"

namespace quay {
namespace {

using namespace std::chrono_literals;

TEST(DnsLookup, DottedAddressCompletesBeforeReturning) {
    PollLoop loop;
    Socket socket(loop);
    std::vector<int> done;
    socket.onDnsLookupDone = [&](int e) { done.push_back(e); };
    socket.dnsLookup("10.1.2.3");
    EXPECT_EQ(done, std::vector<int>{0});
    EXPECT_EQ(socket.dnsResult(), "10.1.2.3");
    EXPECT_TRUE(socket.dnsResultList().empty());
}

TEST(DnsLookup, EmptyNameReportsThenCompletesWithInvalidArgument) {
    PollLoop loop;
    Socket socket(loop);
    std::vector<std::string> events;
    socket.onError = [&] { events.push_back("error"); };
    socket.onDnsLookupDone = [&](int e) { events.push_back("done " + std::to_string(e)); };
    socket.dnsLookup("");
    EXPECT_EQ(events, (std::vector<std::string>{"error", "done 10022"}));
}

TEST(DnsLookup, NamesResolveLaterOnTheLoop) {
    PollLoop loop;
    Socket socket(loop);
    std::vector<int> done;
    socket.onDnsLookupDone = [&](int e) { done.push_back(e); };
    socket.dnsLookup("localhost");
    EXPECT_TRUE(done.empty()) << "a name lookup never completes inside the call";
    ASSERT_TRUE(loop.runUntil([&] { return !done.empty(); }, 5s));
    EXPECT_EQ(done, std::vector<int>{0});
    EXPECT_EQ(socket.dnsResult(), "127.0.0.1");
    EXPECT_EQ(socket.dnsResultList().front(), "127.0.0.1");

    done.clear();
    socket.reverseDnsLookup("127.0.0.1");
    ASSERT_TRUE(loop.runUntil([&] { return !done.empty(); }, 5s));
    EXPECT_EQ(done, std::vector<int>{0});
    EXPECT_EQ(socket.dnsResult(), "localhost");
    EXPECT_EQ(socket.dnsResultList(), std::vector<std::string>{"localhost"});

    done.clear();
    socket.dnsLookup(std::string(64, 'n') + ".invalid");
    ASSERT_TRUE(loop.runUntil([&] { return !done.empty(); }, 5s));
    EXPECT_EQ(done, std::vector<int>{11001});
    EXPECT_EQ(socket.dnsResult(), "");
}

TEST(DnsLookup, CancelReportsInterruptedAndDropsTheResult) {
    PollLoop loop;
    Socket socket(loop);
    std::vector<int> done;
    socket.onDnsLookupDone = [&](int e) { done.push_back(e); };
    socket.cancelDnsLookup();
    EXPECT_TRUE(done.empty()) << "nothing to cancel";
    socket.dnsLookup("localhost");
    socket.cancelDnsLookup();
    EXPECT_EQ(done, std::vector<int>{10004});
    loop.runUntil([] { return false; }, 300ms);
    EXPECT_EQ(done, std::vector<int>{10004});
    EXPECT_EQ(socket.dnsResult(), "");
}

TEST(DnsLookup, SocketDestroyedDuringALookupIsNeverCalledBack) {
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

#include <gtest/gtest.h>

#include "net_test_util.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono_literals;

// Line mode over plain TCP and over TLS.
class LineModeTest : public ::testing::TestWithParam<test::Transport> {
protected:
    void SetUp() override {
        m_fds = test::openDescriptorCount();
        bool connected = false;
        socket.onSessionConnected = [&](int) { connected = true; };
        path.apply(socket);
        socket.setAddr("127.0.0.1");
        socket.setPort(std::to_string(path.port()));
        socket.connect();
        ASSERT_TRUE(loop.runUntil([&] { return connected; }, 5s));
        peer = listener.acceptOne();
        socket.onSessionConnected = nullptr;
        loop.processPending();
    }
    void TearDown() override {
        socket.close();
        test::posixClose(peer);
        loop.processPending();
        path.settle();
        EXPECT_EQ(m_fds, test::openDescriptorCount()) << "descriptor leaked";
    }

    // One receive() per event: the whole pending line.
    void collectLines() {
        socket.onDataAvailable = [this](int) {
            const std::int64_t pending = socket.rcvdCount();
            std::string line(static_cast<std::size_t>(std::max<std::int64_t>(pending, 0)), '\0');
            const std::int64_t n = socket.receive(line.data(), pending);
            if (n > 0)
                lines.push_back(line.substr(0, static_cast<std::size_t>(n)));
        };
    }

    void sendPaced(const std::vector<std::string>& pieces) {
        for (const auto& piece : pieces) {
            test::posixWrite(peer, piece);
            loop.runUntil([] { return false; }, 30ms);
        }
    }

    PollLoop loop;
    test::PosixListener listener;
    test::TransportPath path{GetParam(), listener.port()};
    Socket socket{loop};
    int peer = -1;
    std::vector<std::string> lines;

private:
    int m_fds = 0;
};

INSTANTIATE_TEST_SUITE_P(Transports, LineModeTest,
                         ::testing::Values(test::Transport::Plain, test::Transport::Tls),
                         test::transportName);

TEST_P(LineModeTest, LinesAreCutAtTheLineEndEvenWhenItIsSplit) {
    socket.setLineMode(true);
    collectLines();
    sendPaced({"one\r\ntw", "o\r", "\nthree\r\nfour"});
    EXPECT_EQ(lines, (std::vector<std::string>{"one\r\n", "two\r\n", "three\r\n"}));
    test::posixClose(peer);
    peer = -1;
    ASSERT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 5s));
    EXPECT_EQ(lines.back(), "four") << "the unterminated rest is the last line";
    EXPECT_TRUE(socket.lineReceived());
}

TEST_P(LineModeTest, PartialReadsOfALineAndOtherLineEnds) {
    socket.setLineMode(true);
    socket.setLineEnd("|");
    std::vector<std::string> pieces;
    socket.onDataAvailable = [&](int) {
        char buf[2];
        const std::int64_t n = socket.receive(buf, sizeof buf);
        if (n > 0)
            pieces.emplace_back(buf, static_cast<std::size_t>(n));
    };
    sendPaced({"abc|de|"});
    EXPECT_EQ(pieces, (std::vector<std::string>{"ab", "c|", "de", "|"}));
}

TEST_P(LineModeTest, ALineLeftUnreadWaitsForMoreBytes) {
    socket.setLineMode(true);
    int calls = 0;
    std::vector<std::string> read;
    socket.onDataAvailable = [&](int) {
        if (++calls == 1)
            return;  // ignores the first line once
        const std::string line = socket.receiveStr();
        if (!line.empty())
            read.push_back(line);
    };
    sendPaced({"first\r\n"});
    EXPECT_EQ(calls, 1) << "not called again at once";
    sendPaced({"second\r\n"});
    EXPECT_EQ(read, (std::vector<std::string>{"first\r\n", "second\r\n"}));
}

TEST_P(LineModeTest, EditingAppliesBackspaceAndTabAndEchoes) {
    socket.setLineMode(true);
    socket.setLineEdit(true);
    socket.setLineEcho(true);
    collectLines();
    sendPaced({"ab\bc\td\r\n"});
    EXPECT_EQ(lines, std::vector<std::string>{"ac      d\r\n"});
    EXPECT_EQ(test::posixRead(peer, 15), "ab\b \bc      d\r\n");
}

TEST_P(LineModeTest, WithLineModeOffBytesPassThroughAsTheyCome) {
    std::string received;
    test::collectData(socket, received);
    sendPaced({"no line end", " at all"});
    EXPECT_EQ(received, "no line end at all");
    EXPECT_EQ(socket.lineLength(), 0);
}

TEST_P(LineModeTest, SwitchingModesDeliversWhatIsBuffered) {
    socket.setLineMode(true);
    std::string raw;
    test::collectData(socket, raw);
    sendPaced({"partial"});
    EXPECT_EQ(raw, "") << "no line end yet";
    socket.setLineMode(false);
    ASSERT_TRUE(loop.runUntil([&] { return raw == "partial"; }, 2s));
}

TEST_P(LineModeTest, SynchronousWaitEndsOnFlagTimeoutOrQuit) {
    bool done = false;
    socket.onDataAvailable = [&](int) {
        socket.receiveStr();
        done = true;
    };
    socket.setTimeout(100);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(socket.waitUntilReady(done), 12001);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 100ms);

    socket.setTimeout(0);
    EXPECT_EQ(socket.synchronize([&] { test::posixWrite(peer, "x"); }, done), 0);
    EXPECT_TRUE(done);

    loop.setTerminating(true);
    EXPECT_EQ(socket.synchronize(nullptr, done), 12001);
    loop.setTerminating(false);
}

}  // namespace
}  // namespace quay

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "net/socket_error.h"
#include "net/tls_layer.h"
#include "net_test_util.h"
#include "test_support.h"

namespace quay {
namespace {

using namespace std::chrono_literals;

class TlsLayerTest : public ::testing::Test {
protected:
    // Connects over TLS to the terminator in front of the listener; the peer's end is returned.
    int connect(Socket& socket, const TlsSettings& settings, int& connectError) {
        bool connected = false;
        socket.onSessionConnected = [&](int error) {
            connected = true;
            connectError = error;
        };
        socket.setTls(std::make_shared<TlsSettings>(settings));
        socket.setAddr("127.0.0.1");
        socket.setPort(std::to_string(terminator.port()));
        socket.connect();
        EXPECT_TRUE(loop.runUntil([&] { return connected; }, 5s));
        return connectError == 0 ? listener.acceptOne() : -1;
    }

    PollLoop loop;
    test::PosixListener listener;
    test::TestCertificate certificate{"quay-test", "IP:127.0.0.1"};
    test::TlsTerminator terminator{listener.port(), certificate};
    std::shared_ptr<TlsContext> context = TlsContext::client();
};

TEST_F(TlsLayerTest, TheCertificateIsDescribedAndJudgedByTrustStoreAndName) {
    for (const std::string name : {"127.0.0.1", "ftp.example.org"}) {
        Socket socket(loop);
        int error = -1;
        const int peer = connect(socket, {context, name, {}}, error);
        ASSERT_EQ(error, 0);
        ASSERT_NE(socket.tls(), nullptr);
        const TlsCertificate cert = socket.tls()->peerCertificate();
        EXPECT_EQ(cert.sha256, certificate.sha256());
        EXPECT_EQ(cert.subject, "CN=quay-test");
        EXPECT_EQ(cert.issuer, "CN=quay-test");
        EXPECT_NE(cert.notAfter.find("GMT"), std::string::npos);
        EXPECT_FALSE(cert.verified());
        // The chain is judged first: a self-signed certificate fails on its issuer whatever
        // the name.
        EXPECT_EQ(cert.reason, "self-signed certificate");
        EXPECT_EQ(socket.tls()->version(), "TLSv1.3");
        EXPECT_FALSE(socket.tls()->cipher().empty());
        test::posixClose(peer);
    }
}

// The system's trust store way: SSL_CERT_FILE names the test's authority.
TEST(TlsTrust, ACertificateOfATrustedAuthorityVerifiesForItsNamesOnly) {
    test::TestAuthority authority;
    test::TestCertificate signedCertificate(authority, "server", "IP:127.0.0.1,DNS:localhost");
    ::setenv("SSL_CERT_FILE", authority.caFile().c_str(), 1);
    const std::shared_ptr<TlsContext> trusting = TlsContext::client();
    ::unsetenv("SSL_CERT_FILE");
    PollLoop loop;
    test::PosixListener listener;
    test::TlsTerminator terminator(listener.port(), signedCertificate);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"127.0.0.1", ""},
        {"localhost", ""},
        {"ftp.example.org", "hostname mismatch"},
        {"10.1.2.3", "IP address mismatch"}};
    for (const auto& [name, reason] : cases) {
        SCOPED_TRACE(name);
        Socket socket(loop);
        bool connected = false;
        socket.onSessionConnected = [&](int error) { connected = error == 0; };
        socket.setTls(std::make_shared<TlsSettings>(TlsSettings{trusting, name, {}}));
        socket.setAddr("127.0.0.1");
        socket.setPort(std::to_string(terminator.port()));
        socket.connect();
        ASSERT_TRUE(loop.runUntil([&] { return connected; }, 5s));
        const TlsCertificate cert = socket.tls()->peerCertificate();
        EXPECT_EQ(cert.verified(), reason.empty());
        EXPECT_EQ(cert.reason, reason);
        EXPECT_EQ(cert.issuer, "CN=Quayside Test CA");
        test::posixClose(listener.acceptOne());
    }
}

TEST_F(TlsLayerTest, ALaterConnectionResumesTheSessionOfAnEarlierOne) {
    Socket control(loop);
    int error = -1;
    const int controlPeer = connect(control, {context, "127.0.0.1", {}}, error);
    ASSERT_EQ(error, 0);
    EXPECT_FALSE(control.tls()->resumed());
    // TLS 1.3 hands out the session tickets after the handshake, with the first bytes read.
    std::string received;
    test::collectData(control, received);
    test::posixWrite(controlPeer, "220 ready\r\n");
    ASSERT_TRUE(loop.runUntil([&] { return received == "220 ready\r\n"; }, 5s));

    Socket data(loop);
    const int dataPeer = connect(data, {context, "127.0.0.1", control.tls()->session()}, error);
    ASSERT_EQ(error, 0);
    EXPECT_TRUE(data.tls()->resumed());
    data.sendStr("resumed bytes");
    EXPECT_EQ(test::posixRead(dataPeer, 13), "resumed bytes");
    test::posixClose(dataPeer);
    test::posixClose(controlPeer);
}

TEST_F(TlsLayerTest, APeerThatDoesNotSpeakTlsFailsTheConnectWithTheHandshakeCode) {
    Socket socket(loop);
    std::vector<std::string> log;
    test::recordEvents(socket, log);
    std::string received;
    test::collectData(socket, received);
    socket.setTls(std::make_shared<TlsSettings>(TlsSettings{context, "127.0.0.1", {}}));
    socket.setAddr("127.0.0.1");
    socket.setPort(std::to_string(listener.port()));
    socket.connect();
    const int peer = listener.acceptOne();
    test::posixWrite(peer, "220 plain FTP server ready and talking\r\n");
    ASSERT_TRUE(loop.runUntil([&] { return socket.state() == SocketState::wsClosed; }, 5s));
    EXPECT_EQ(test::without(log, "state"),
              (std::vector<std::string>{"connected 12101", "closed 0"}));
    EXPECT_EQ(received, "") << "no byte of a failed handshake reaches the application";
    test::posixClose(peer);
}

// A handshake started on an open connection (AUTH TLS, or an adopted data connection) that
// fails closes the connection and says so with onSessionClosed: the owner waits for that close.
TEST_F(TlsLayerTest, AFailedHandshakeOfAnOpenConnectionEndsInSessionClosedWithItsCode) {
    const auto settings = std::make_shared<TlsSettings>(TlsSettings{context, "127.0.0.1", {}});
    const std::string notTls = "500 plain FTP server here\r\n";
    std::vector<std::string> log;

    Socket started(loop);
    test::recordEvents(started, log);
    started.onTlsStarted = [&](int e) { log.push_back("tls-started " + std::to_string(e)); };
    started.setAddr("127.0.0.1");
    started.setPort(std::to_string(listener.port()));
    started.connect();
    const int startedPeer = listener.acceptOne();
    ASSERT_TRUE(loop.runUntil([&] { return started.state() == SocketState::wsConnected; }, 5s));
    started.startTls(*settings);
    test::posixWrite(startedPeer, notTls);
    ASSERT_TRUE(loop.runUntil([&] { return started.state() == SocketState::wsClosed; }, 5s));
    loop.runUntil([] { return false; }, 100ms);
    EXPECT_EQ(test::without(test::without(log, "state"), "sent"),
              (std::vector<std::string>{"connected 0", "tls-started 12101", "closed 12101"}));

    log.clear();
    Socket adopted(loop);
    test::recordEvents(adopted, log);
    adopted.setTls(settings);
    const int handle = test::posixConnect(listener.port());
    const int adoptedPeer = listener.acceptOne();
    adopted.dup(handle);
    test::posixWrite(adoptedPeer, notTls);
    ASSERT_TRUE(loop.runUntil([&] { return adopted.state() == SocketState::wsClosed; }, 5s));
    loop.runUntil([] { return false; }, 100ms);
    EXPECT_EQ(test::without(log, "state"), (std::vector<std::string>{"closed 12101"}));
    test::posixClose(startedPeer);
    test::posixClose(adoptedPeer);
}

// A client and a server layer over the two ends of a non-blocking socket pair, handshake done.
class TlsLayerPair {
public:
    explicit TlsLayerPair(const test::TestCertificate& certificate) {
        int ends[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0, ends), 0);
        m_ends = {ends[0], ends[1]};
        const auto server = TlsContext::server(certificate.certFile(), certificate.keyFile());
        client = std::make_unique<TlsLayer>(TlsSettings{TlsContext::client(), "127.0.0.1", {}},
                                            std::make_unique<FdLayer>(ends[0]));
        this->server = std::make_unique<TlsLayer>(TlsSettings{server, "", {}},
                                                  std::make_unique<FdLayer>(ends[1]));
        for (int step = 0; step < 100 && !(m_clientOpen && m_serverOpen); ++step) {
            int error = 0;
            m_clientOpen = m_clientOpen || client->open(error) == StreamLayer::Opening::Done;
            m_serverOpen = m_serverOpen || this->server->open(error) == StreamLayer::Opening::Done;
        }
        EXPECT_TRUE(m_clientOpen && m_serverOpen);
    }
    ~TlsLayerPair() {
        ::close(m_ends[0]);
        ::close(m_ends[1]);
    }
    TlsLayerPair(const TlsLayerPair&) = delete;
    TlsLayerPair& operator=(const TlsLayerPair&) = delete;

    // Everything the server layer can read now.
    std::string drainServer() {
        std::string out;
        char buffer[65536];
        int error = 0;
        for (std::int64_t n; (n = server->read(buffer, sizeof buffer, error)) > 0;)
            out.append(buffer, static_cast<std::size_t>(n));
        return out;
    }

    std::unique_ptr<TlsLayer> client;
    std::unique_ptr<TlsLayer> server;

private:
    std::array<int, 2> m_ends{-1, -1};
    bool m_clientOpen = false;
    bool m_serverOpen = false;
};

// A write takes as many records as the layer below takes, not one record a call; when the
// layer below fills in the middle of a record, the caller goes on with the rest of its bytes
// from another buffer (as the send queue does) and every byte arrives once, in order.
TEST_F(TlsLayerTest, AWriteTakesRecordsUntilTheLayerBelowIsFullAndTheRestFollowsIntact) {
    TlsLayerPair pair(certificate);
    std::string sent(1 << 20, '\0');
    for (std::size_t i = 0; i < sent.size(); ++i)
        sent[i] = static_cast<char>(i * 131 + i / 7919);
    std::string received;
    std::size_t taken = 0;
    std::int64_t firstWrite = 0;
    int filled = 0;
    for (int round = 0; round < 10000 && taken < sent.size(); ++round) {
        const std::string rest = sent.substr(taken);
        int error = 0;
        const std::int64_t n = pair.client->write(rest.data(), std::ssize(rest), error);
        if (n > 0) {
            firstWrite = firstWrite > 0 ? firstWrite : n;
            taken += static_cast<std::size_t>(n);
        } else {
            ASSERT_EQ(error, sockerr::WouldBlock);
        }
        filled += n < std::ssize(rest) ? 1 : 0;
        received += pair.drainServer();
    }
    received += pair.drainServer();
    EXPECT_GT(firstWrite, 16384) << "more than one record in one call";
    EXPECT_GT(filled, 0) << "the socket pair never filled: no record waited for a retry";
    EXPECT_EQ(taken, sent.size());
    ASSERT_EQ(received.size(), sent.size());
    EXPECT_TRUE(received == sent) << "bytes lost, doubled or out of order";
}

}  // namespace
}  // namespace quay

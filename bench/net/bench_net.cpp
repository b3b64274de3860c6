// Throughput of the socket layer on loopback against a plain blocking copy.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "base/poll_loop.h"
#include "net/socket.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t Total = std::int64_t{1} << 30;

double seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Sender and receiver are Sockets on one loop: the sender queues `chunk` bytes on each
// onDataSent, as a transfer does; the receiver drains with receive() into `recvSize`.
double socketCopy(std::int64_t blockSize, std::int64_t chunk, std::int64_t recvSize) {
    quay::PollLoop loop;
    quay::Socket listener(loop);
    quay::Socket sender(loop);
    quay::Socket receiver(loop);
    listener.setAddr("127.0.0.1");
    listener.setPort("0");
    listener.listen();
    listener.onSessionAvailable = [&](int) {
        const quay::SocketHandle h = listener.accept();
        listener.close();
        receiver.dup(h);
    };
    std::vector<char> out(static_cast<std::size_t>(chunk), 'q');
    std::vector<char> in(static_cast<std::size_t>(recvSize));
    std::int64_t queued = 0;
    std::int64_t received = 0;
    sender.setBufSize(blockSize);
    sender.onDataSent = [&](int) {
        if (queued < Total) {
            queued += sender.send(out.data(), std::min(chunk, Total - queued));
        }
    };
    receiver.onDataAvailable = [&](int) {
        const std::int64_t n = receiver.receive(in.data(), recvSize);
        if (n > 0)
            received += n;
    };
    sender.setAddr("127.0.0.1");
    sender.setPort(listener.localPortText());
    const auto start = Clock::now();
    sender.connect();
    if (!loop.runUntil([&] { return received >= Total; }, std::chrono::minutes(2)))
        throw std::runtime_error("socket copy did not finish");
    return seconds(start);
}

// The same amount through plain blocking send()/recv() on a loopback TCP connection, one
// thread on each end.
double plainCopy(std::size_t chunk) {
    const int server = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(server, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(server, 1) != 0 || ::getsockname(server, reinterpret_cast<sockaddr*>(&addr), &len))
        throw std::runtime_error("plain listener failed");
    const auto start = Clock::now();
    std::thread writer([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
            std::abort();
        std::vector<char> out(chunk, 'q');
        for (std::int64_t sent = 0; sent < Total;) {
            const ssize_t n =
                ::send(fd, out.data(), std::min<std::int64_t>(chunk, Total - sent), 0);
            if (n <= 0)
                std::abort();
            sent += n;
        }
        ::close(fd);
    });
    const int fd = ::accept(server, nullptr, nullptr);
    std::vector<char> in(chunk);
    std::int64_t received = 0;
    for (ssize_t n; (n = ::recv(fd, in.data(), chunk, 0)) > 0;)
        received += n;
    const double elapsed = seconds(start);
    writer.join();
    ::close(fd);
    ::close(server);
    if (received != Total)
        throw std::runtime_error("plain copy lost data");
    return elapsed;
}

double mibPerSecond(double elapsed) {
    return static_cast<double>(Total) / elapsed / (1024.0 * 1024.0);
}

}  // namespace

// With an argument n, runs only the Socket variant n (for profiling one of them).
int main(int argc, char** argv) {
    struct Variant {
        const char* name;
        std::int64_t block, chunk, recv;
    };
    const Variant variants[] = {
        {"Socket, 1514-byte blocks, 64 KiB sends/reads", 1514, 65536, 65536},
        {"Socket, 1514-byte blocks, 2 KiB reads (FTP)", 1514, 65536, 2048},
        {"Socket, 64 KiB blocks, 64 KiB sends/reads", 65536, 65536, 65536},
    };
    const int only = argc > 1 ? std::atoi(argv[1]) : -1;
    const double plain = only < 0 ? plainCopy(65536) : 1.0;
    if (only < 0)
        std::printf("plain blocking copy, 64 KiB chunks:           %8.0f MiB/s\n",
                    mibPerSecond(plain));
    for (int i = 0; i < 3; ++i) {
        if (only >= 0 && i != only)
            continue;
        const double t = socketCopy(variants[i].block, variants[i].chunk, variants[i].recv);
        std::printf("%-46s %8.0f MiB/s", variants[i].name, mibPerSecond(t));
        if (only < 0)
            std::printf("  ratio %.2f", plain / t);
        std::printf("\n");
    }
    return 0;
}

#include "net/sync_socket.h"

#include <algorithm>
#include <chrono>

namespace quay {

SyncSocket::SyncSocket(EventLoop& loop) : LineSocket(loop) {}

int SyncSocket::synchronize(const std::function<void()>& operation, bool& done) {
    done = false;
    if (operation)
        operation();
    return waitUntilReady(done);
}

int SyncSocket::waitUntilReady(bool& done) {
    using Clock = std::chrono::steady_clock;
    const auto stop = Clock::now() + std::chrono::milliseconds(timeout());
    auto life = lifeToken();
    for (;;) {
        if (done)
            return 0;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(stop - Clock::now());
        if (timeout() > 0 && left.count() < 0)
            return sockerr::WaitTimedOut;
        if (loop().terminating() || terminated())
            return sockerr::WaitTimedOut;
        // Sleeps until something is ready rather than spinning through the time slice.
        auto wait = std::chrono::milliseconds(50);
        if (timeout() > 0)
            wait = std::clamp(left, std::chrono::milliseconds(0), wait);
        loop().waitAndProcess(wait);
        if (life.expired())
            return sockerr::WaitTimedOut;
    }
}

}  // namespace quay

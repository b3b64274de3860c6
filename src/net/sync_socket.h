#pragma once

#include <functional>

#include "net/line_socket.h"

namespace quay {

// Adds a wait that pumps the loop until a flag is set. Events of any socket run re-entrantly
// inside the wait.
class SyncSocket : public LineSocket {
public:
    explicit SyncSocket(EventLoop& loop);

    // Clears done, runs operation (when given), then waitUntilReady(done).
    int synchronize(const std::function<void()>& operation, bool& done);
    // 0 once done is true; sockerr::WaitTimedOut (12001) when timeout() ms pass (timeout > 0),
    // or when the application or this socket's pump is terminating.
    int waitUntilReady(bool& done);
};

}  // namespace quay

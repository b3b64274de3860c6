#pragma once

namespace quay::test {

// A listener on [::1]:port whose backlog is already full: connection requests to it are dropped,
// so a client's connect there neither succeeds nor fails until it gives up itself. Both sockets
// close with the object; the constructor throws when [::1]:port cannot be taken.
class SilentIpv6Listener {
public:
    explicit SilentIpv6Listener(int port);
    ~SilentIpv6Listener();
    SilentIpv6Listener(const SilentIpv6Listener&) = delete;
    SilentIpv6Listener& operator=(const SilentIpv6Listener&) = delete;

private:
    void closeBoth();

    int m_listener = -1;
    int m_filler = -1;
};

}  // namespace quay::test

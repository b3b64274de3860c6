#include "silent_listener.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

namespace quay::test {

// A backlog of 0 holds one pending connection; the filler takes it.
SilentIpv6Listener::SilentIpv6Listener(int port)
    : m_listener(::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0)),
      m_filler(::socket(AF_INET6, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_addr = in6addr_loopback;
    address.sin6_port = htons(static_cast<std::uint16_t>(port));
    const auto* at = reinterpret_cast<const sockaddr*>(&address);
    if (::bind(m_listener, at, sizeof address) != 0 || ::listen(m_listener, 0) != 0 ||
        ::connect(m_filler, at, sizeof address) != 0) {
        closeBoth();
        throw std::runtime_error("no silent listener on [::1]");
    }
}

SilentIpv6Listener::~SilentIpv6Listener() {
    closeBoth();
}

void SilentIpv6Listener::closeBoth() {
    for (int fd : {m_filler, m_listener})
        if (fd >= 0)
            ::close(fd);
    m_filler = m_listener = -1;
}

}  // namespace quay::test

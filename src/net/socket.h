#pragma once

// The socket layer's public interface: the class chain up to Socket, the resolution
// functions and the error texts.
#include "net/async_socket.h"
#include "net/resolve.h"
#include "net/socket_error.h"
#include "net/socks_layer.h"
#include "net/sync_socket.h"

namespace quay {

// The socket the FTP engine uses: the whole chain, nothing added.
class Socket final : public SyncSocket {
public:
    using SyncSocket::SyncSocket;
};

}  // namespace quay

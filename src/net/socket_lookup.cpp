#include <system_error>

#include "net/async_socket.h"
#include "net/resolve.h"

namespace quay {

// The names are looked up one after the other on the worker; a name that fails ends the work,
// as no connection can be made then.
void AsyncSocket::startConnectLookup() {
    std::vector<NameLookup> names;
    if (!m_addrResolved)
        names.push_back({peerName(), AF_UNSPEC, 0, {}});
    if (m_socks4Pending)
        names.push_back({m_addr, AF_INET, 0, {}});
    try {
        m_connectLookup = ConnectLookupTask::start(
            m_loop,
            [names]() mutable {
                for (NameLookup& lookup : names) {
                    lookup.error = lookupFirstAddress(lookup.name, lookup.family, lookup.address);
                    if (lookup.error != 0)
                        break;
                }
                return names;
            },
            [this](const std::vector<NameLookup>& answers) {
                guarded([&] { connectLookupDone(answers); });
            });
    } catch (const std::system_error& e) {
        reportError("connect: " + lookupStartFailure(names.front().name, e));
        return;
    }
    // A new attempt: code that fired an event for the last one sees that it is gone.
    ++m_generation;
    changeState(SocketState::wsConnecting);
}

void AsyncSocket::connectLookupDone(const std::vector<NameLookup>& answers) {
    m_connectLookup.reset();
    auto answer = answers.begin();
    if (!m_addrResolved) {
        if (answer->error != 0) {
            connectFailed(answer->error,
                          "connect: " + hostLookupFailure(answer->name, answer->error));
            return;
        }
        m_sin = answer->address;
        m_sin.setPort(m_portNumber);
        m_addrResolved = true;
        ++answer;
    }
    if (m_socks4Pending) {
        m_socks4Pending = false;
        if (answer->error != 0)
            m_socks4Failure = hostLookupFailure(answer->name, answer->error);
        else
            m_socks4Address = answer->address.ipv4();
    }
    // What connect() reports at once for an address is the outcome of the connection here.
    m_lastError = 0;
    try {
        startConnect();
    } catch (const SocketException& e) {
        connectFailed(m_lastError != 0 ? m_lastError : sockerr::InvalidArgument, e.what());
    }
}

// As a connection that was refused: onSessionConnected(error) (through a SOCKS server after
// onSocksConnected(error)), then the socket closes unless a handler closed or reused it.
void AsyncSocket::connectFailed(int error, const std::string& message) {
    m_connectFailure = message;
    m_lastError = error;
    const Guard guard(*this);
    doSessionConnected(error);
    if (!guard.gone() && m_state != SocketState::wsClosed)
        close();
}

void AsyncSocket::dropConnectLookup() {
    if (!m_connectLookup)
        return;
    m_connectLookup->cancel();
    m_connectLookup.reset();
}

}  // namespace quay

#include <system_error>

#include "net/async_socket.h"
#include "net/dns_lookup.h"
#include "net/resolve.h"

namespace quay {

void AsyncSocket::dnsLookup(const std::string& hostName) {
    startLookup(hostName, false);
}

void AsyncSocket::reverseDnsLookup(const std::string& dottedAddress) {
    startLookup(dottedAddress, true);
}

void AsyncSocket::startLookup(const std::string& text, bool reverse) {
    if (text.empty() || (reverse && !isDottedAddress(text))) {
        reportError("DNS lookup: invalid host name.");
        doDnsLookupDone(sockerr::InvalidArgument);
        return;
    }
    if (m_lookup) {
        m_lookup->cancel();
        m_lookup.reset();
    }
    m_dnsResult.clear();
    m_dnsResultList.clear();
    if (!reverse && isDottedAddress(text)) {
        m_dnsResult = dottedText(resolveHost(text));
        doDnsLookupDone(0);
        return;
    }
    // An IPv6 literal is an address already, like a dotted one.
    if (const auto literal =
            reverse ? std::nullopt : SocketAddress::fromIpv6Literal(trimmed(text))) {
        m_dnsResult = literal->text();
        doDnsLookupDone(0);
        return;
    }
    const std::string query = reverse ? dottedText(resolveHost(text)) : text;
    try {
        m_lookup = startDnsLookup(m_loop, query, reverse, [this](const LookupReply& reply) {
            guarded([&] { handleLookupReply(reply.error, reply.results); });
        });
    } catch (const std::system_error& e) {
        reportError(lookupStartFailure(text, e));
    }
}

void AsyncSocket::handleLookupReply(int error, std::vector<std::string> results) {
    m_lookup.reset();
    if (error == 0) {
        m_dnsResultList = std::move(results);
        m_dnsResult = m_dnsResultList.front();
    }
    doDnsLookupDone(error);
}

void AsyncSocket::cancelDnsLookup() {
    if (!m_lookup)
        return;
    m_lookup->cancel();
    m_lookup.reset();
    if (!m_destroying)
        doDnsLookupDone(sockerr::Interrupted);
}

}  // namespace quay

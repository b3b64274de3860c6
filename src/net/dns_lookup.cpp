#include "net/dns_lookup.h"

#include <arpa/inet.h>
#include <netdb.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "net/resolve.h"
#include "net/socket_error.h"

namespace quay {

int lookupAddresses(const std::string& name, std::vector<std::string>& addresses) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = getaddrinfo(name.c_str(), nullptr, &hints, &result);
    if (rc != 0)
        return mapResolverError(rc, errno);
    for (const addrinfo* ai = result; ai; ai = ai->ai_next) {
        std::string text = SocketAddress::fromRecord(ai->ai_addr, ai->ai_addrlen).text();
        if (!text.empty() && std::find(addresses.begin(), addresses.end(), text) == addresses.end())
            addresses.push_back(std::move(text));
    }
    freeaddrinfo(result);
    return addresses.empty() ? sockerr::NoData : 0;
}

int lookupHostName(const std::string& dottedAddress, std::vector<std::string>& names) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    if (inet_pton(AF_INET, dottedAddress.c_str(), &sin.sin_addr) != 1)
        return sockerr::HostNotFound;
    char host[NI_MAXHOST];
    const int rc = getnameinfo(reinterpret_cast<const sockaddr*>(&sin), sizeof sin, host,
                               sizeof host, nullptr, 0, NI_NAMEREQD);
    if (rc != 0)
        return mapResolverError(rc, errno);
    names.emplace_back(host);
    return 0;
}

std::string lookupStartFailure(const std::string& name, const std::system_error& error) {
    return name + ": can't start DNS lookup, error #" +
           std::to_string(mapErrno(error.code().value()));
}

std::shared_ptr<DnsLookupTask> startDnsLookup(EventLoop& loop, const std::string& query,
                                              bool reverse, DnsLookupTask::Done done) {
    return DnsLookupTask::start(
        loop,
        [query, reverse] {
            LookupReply reply;
            reply.error = reverse ? lookupHostName(query, reply.results)
                                  : lookupAddresses(query, reply.results);
            return reply;
        },
        std::move(done));
}

}  // namespace quay

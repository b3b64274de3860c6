#include "net/socket_error.h"

#include <netdb.h>

#include <cerrno>
#include <cstring>
#include <unordered_map>

namespace quay {

std::string socketErrorText(int code) {
    static const std::unordered_map<int, const char*> texts = {
        {0, "No Error"},
        {10004, "Interrupted system call"},
        {10009, "Bad file number"},
        {10013, "Permission denied"},
        {10014, "Bad address"},
        {10022, "Invalid argument"},
        {10024, "Too many open files"},
        {10035, "Operation would block"},
        {10036, "Operation now in progress"},
        {10037, "Operation already in progress"},
        {10038, "Socket operation on non-socket"},
        {10039, "Destination address required"},
        {10040, "Message too long"},
        {10041, "Protocol wrong type for socket"},
        {10042, "Protocol not available"},
        {10043, "Protocol not supported"},
        {10044, "Socket type not supported"},
        {10045, "Operation not supported on socket"},
        {10046, "Protocol family not supported"},
        {10047, "Address family not supported by protocol family"},
        {10048, "Address already in use"},
        {10049, "Address not available"},
        {10050, "Network is down"},
        {10051, "Network is unreachable"},
        {10052, "Network dropped connection on reset"},
        {10053, "Connection aborted"},
        {10054, "Connection reset by peer"},
        {10055, "No buffer space available"},
        {10056, "Socket is already connected"},
        {10057, "Socket is not connected"},
        {10058, "Can't send after socket shutdown"},
        {10059, "Too many references: can't splice"},
        {10060, "Connection timed out"},
        {10061, "Connection refused"},
        {10062, "Too many levels of symbolic links"},
        {10063, "File name too long"},
        {10064, "Host is down"},
        {10065, "No route to host"},
        {10066, "Directory not empty"},
        {10067, "Too many processes"},
        {10068, "Too many users"},
        {10069, "Disc quota exceeded"},
        {10070, "Stale NFS file handle"},
        {10071, "Too many levels of remote in path"},
        {10091, "Network sub-system is unusable"},
        {10092, "WinSock DLL cannot support this application"},
        {10093, "WinSock not initialized"},
        {11001, "Host not found"},
        {11002, "Non-authoritative host not found"},
        {11003, "Non-recoverable error"},
        {11004, "No Data"},
        {12101, "TLS handshake failed"},
        {12102, "TLS failure"},
        // A failed SOCKS negotiation (the codes of socks_layer.h), as a data connection
        // reports it: the proxy's answer, not a socket library's number.
        {20001, "SOCKS: unexpected data from the SOCKS server"},
        {20002, "SOCKS: version error"},
        {20003, "SOCKS: authentication method not acceptable"},
        {20004, "SOCKS: general SOCKS server failure"},
        {20005, "SOCKS: connection not allowed by ruleset"},
        {20006, "SOCKS: network unreachable"},
        {20007, "SOCKS: host unreachable"},
        {20008, "SOCKS: connection refused"},
        {20009, "SOCKS: time to live expired"},
        {20010, "SOCKS: command not supported"},
        {20011, "SOCKS: address type not supported"},
        {20012, "SOCKS: unassigned error"},
        {20013, "SOCKS: internal error"},
        {20015, "SOCKS: authentication failed"},
        {20016, "SOCKS: request rejected or failed"},
        {20017, "SOCKS: the destination's name could not be resolved"},
    };
    auto it = texts.find(code);
    if (it != texts.end())
        return it->second;
    // mapErrno keeps an errno value without a code of its own as 10000 + errno.
    if (code > 10000 && code < sockerr::HostNotFound)
        return std::strerror(code - 10000);
    return "Not a WinSock error";
}

int mapErrno(int e) {
    static const std::unordered_map<int, int> codes = {
        {0, 0},
        {EINTR, 10004},
        {EBADF, 10009},
        {EACCES, 10013},
        {EPERM, 10013},
        {EFAULT, 10014},
        {EINVAL, 10022},
        {EMFILE, 10024},
        {ENFILE, 10024},
        {EAGAIN, 10035},
        {EINPROGRESS, 10036},
        {EALREADY, 10037},
        {ENOTSOCK, 10038},
        {EDESTADDRREQ, 10039},
        {EMSGSIZE, 10040},
        {EPROTOTYPE, 10041},
        {ENOPROTOOPT, 10042},
        {EPROTONOSUPPORT, 10043},
        {ESOCKTNOSUPPORT, 10044},
        {EOPNOTSUPP, 10045},
        {EPFNOSUPPORT, 10046},
        {EAFNOSUPPORT, 10047},
        {EADDRINUSE, 10048},
        {EADDRNOTAVAIL, 10049},
        {ENETDOWN, 10050},
        {ENETUNREACH, 10051},
        {ENETRESET, 10052},
        {ECONNABORTED, 10053},
        {ECONNRESET, 10054},
        {EPIPE, 10054},
        {ENOBUFS, 10055},
        {ENOMEM, 10055},
        {EISCONN, 10056},
        {ENOTCONN, 10057},
        {ESHUTDOWN, 10058},
        {ETIMEDOUT, 10060},
        {ECONNREFUSED, 10061},
        {ELOOP, 10062},
        {ENAMETOOLONG, 10063},
        {EHOSTDOWN, 10064},
        {EHOSTUNREACH, 10065},
        {ENOTEMPTY, 10066},
        {EDQUOT, 10069},
        {ESTALE, 10070},
    };
    auto it = codes.find(e);
    return it == codes.end() ? 10000 + e : it->second;
}

int mapResolverError(int gaiResult, int errnoValue) {
    switch (gaiResult) {
        case 0:
            return 0;
        case EAI_NONAME:
        case EAI_FAMILY:
            return sockerr::HostNotFound;
        case EAI_AGAIN:
            return sockerr::TryAgain;
        case EAI_FAIL:
            return sockerr::NoRecovery;
#ifdef EAI_NODATA
        case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
        case EAI_ADDRFAMILY:
#endif
            return sockerr::NoData;
        case EAI_MEMORY:
            return sockerr::NoBufferSpace;
        case EAI_SYSTEM:
            return errnoValue ? mapErrno(errnoValue) : sockerr::NoRecovery;
        default:
            return sockerr::NoRecovery;
    }
}

}  // namespace quay

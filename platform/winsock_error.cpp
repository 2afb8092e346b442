// Winsock error numbers: the errno and EAI_* table and the description texts.

#include "platform/winsock_error.h"

#include <netdb.h>

#include <cerrno>
#include <iterator>
#include <utility>

namespace {

constexpr std::pair<int, int> errnoTable[] = {
    {EINTR, WSAEINTR},
    {EBADF, WSAEBADF},
    {EACCES, WSAEACCES},
    {EPERM, WSAEACCES},
    {EFAULT, WSAEFAULT},
    {EINVAL, WSAEINVAL},
    {EMFILE, WSAEMFILE},
    {ENFILE, WSAEMFILE},
    {EAGAIN, WSAEWOULDBLOCK},
    {EINPROGRESS, WSAEWOULDBLOCK},   // a non-blocking connect under way: Winsock says "would block"
    {EALREADY, WSAEALREADY},
    {ENOTSOCK, WSAENOTSOCK},
    {EDESTADDRREQ, WSAEDESTADDRREQ},
    {EMSGSIZE, WSAEMSGSIZE},
    {EPROTOTYPE, WSAEPROTOTYPE},
    {ENOPROTOOPT, WSAENOPROTOOPT},
    {EPROTONOSUPPORT, WSAEPROTONOSUPPORT},
    {ESOCKTNOSUPPORT, WSAESOCKTNOSUPPORT},
    {EOPNOTSUPP, WSAEOPNOTSUPP},
    {EPFNOSUPPORT, WSAEPFNOSUPPORT},
    {EAFNOSUPPORT, WSAEAFNOSUPPORT},
    {EADDRINUSE, WSAEADDRINUSE},
    {EADDRNOTAVAIL, WSAEADDRNOTAVAIL},
    {ENETDOWN, WSAENETDOWN},
    {ENETUNREACH, WSAENETUNREACH},
    {ENETRESET, WSAENETRESET},
    {ECONNABORTED, WSAECONNABORTED},
    {ECONNRESET, WSAECONNRESET},
    // Writing after the peer's reset: Linux reports the reset once, then EPIPE; Winsock keeps saying reset.
    {EPIPE, WSAECONNRESET},
    {ENOBUFS, WSAENOBUFS},
    {ENOMEM, WSAENOBUFS},
    {EISCONN, WSAEISCONN},
    {ENOTCONN, WSAENOTCONN},
    {ESHUTDOWN, WSAESHUTDOWN},
    {ETOOMANYREFS, WSAETOOMANYREFS},
    {ETIMEDOUT, WSAETIMEDOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
    {ELOOP, WSAELOOP},
    {ENAMETOOLONG, WSAENAMETOOLONG},
    {EHOSTDOWN, WSAEHOSTDOWN},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
    {ENOTEMPTY, WSAENOTEMPTY},
    {EUSERS, WSAEUSERS},
    {EDQUOT, WSAEDQUOT},
    {ESTALE, WSAESTALE},
    {EREMOTE, WSAEREMOTE},
};

// Texts of 10038..10071, in order.
const char* const rangeTexts[] = {
    "Socket operation on non-socket", "Destination address required", "Message too long",
    "Protocol wrong type for socket", "Protocol not available", "Protocol not supported",
    "Socket type not supported", "Operation not supported on socket", "Protocol family not supported",
    "Address family not supported by protocol family", "Address already in use", "Address not available",
    "Network is down", "Network is unreachable", "Network dropped connection on reset", "Connection aborted",
    "Connection reset by peer", "No buffer space available", "Socket is already connected",
    "Socket is not connected", "Can't send after socket shutdown", "Too many references: can't splice",
    "Connection timed out", "Connection refused", "Too many levels of symbolic links", "File name too long",
    "Host is down", "No route to host", "Directory not empty", "Too many processes", "Too many users",
    "Disc quota exceeded", "Stale NFS file handle", "Too many levels of remote in path",
};
static_assert(std::size(rangeTexts) == WSAEREMOTE - WSAENOTSOCK + 1);

constexpr std::pair<int, const char*> singleTexts[] = {
    {0, "No Error"},
    {WSAEINTR, "Interrupted system call"},
    {WSAEBADF, "Bad file number"},
    {WSAEACCES, "Permission denied"},
    {WSAEFAULT, "Bad address"},
    {WSAEINVAL, "Invalid argument"},
    {WSAEMFILE, "Too many open files"},
    {WSAEWOULDBLOCK, "Operation would block"},
    {WSAEINPROGRESS, "Operation now in progress"},
    {WSAEALREADY, "Operation already in progress"},
    {WSASYSNOTREADY, "Network sub-system is unusable"},
    {WSAVERNOTSUPPORTED, "WinSock DLL cannot support this application"},
    {WSANOTINITIALISED, "WinSock not initialized"},
    {WSAHOST_NOT_FOUND, "Host not found"},
    {WSATRY_AGAIN, "Non-authoritative host not found"},
    {WSANO_RECOVERY, "Non-recoverable error"},
    {WSANO_DATA, "No Data"},
};

}  // namespace

int winsockErrorFromErrno(int errnoValue)
{
    if (errnoValue == 0)
        return 0;
    for (const auto& [from, to] : errnoTable) {
        if (from == errnoValue)
            return to;
    }
    return WSAEINVAL;
}

int winsockErrorFromAddrInfo(int eaiCode, int errnoValue)
{
    switch (eaiCode) {
    case 0:
        return 0;
    case EAI_NONAME:
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return WSAHOST_NOT_FOUND;
    case EAI_AGAIN:
        return WSATRY_AGAIN;
#ifdef EAI_NODATA
    case EAI_NODATA:
        return WSANO_DATA;
#endif
    case EAI_MEMORY:
        return WSAENOBUFS;
    case EAI_FAMILY:
        return WSAEAFNOSUPPORT;
    case EAI_SOCKTYPE:
        return WSAESOCKTNOSUPPORT;
    case EAI_SYSTEM:
        return errnoValue ? winsockErrorFromErrno(errnoValue) : WSANO_RECOVERY;
    default:
        return WSANO_RECOVERY;   // EAI_FAIL, EAI_BADFLAGS and anything newer
    }
}

QString winsockErrorText(int error)
{
    if (error >= WSAENOTSOCK && error <= WSAEREMOTE)
        return QString::fromLatin1(rangeTexts[error - WSAENOTSOCK]);
    for (const auto& [number, text] : singleTexts) {
        if (number == error)
            return QString::fromLatin1(text);
    }
    return QStringLiteral("Not a WinSock error");
}

QString winsockErrorReport(int error, const QString& operation)
{
    return QStringLiteral("Error %1 in function %2\r\n%3").arg(error).arg(operation, winsockErrorText(error));
}

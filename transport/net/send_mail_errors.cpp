// The socket error table of SendMail and GetMail.

#include "transport/net/send_mail_errors.h"

#include "platform/winsock_error.h"

MailErrorText mailErrorForSocketError(int winsockError)
{
    switch (winsockError) {
    case WSANOTINITIALISED:
        return {1, QStringLiteral("Winsock not initialized")};
    case WSAENETDOWN:
        return {2, QStringLiteral("Network down")};
    case WSAEACCES:
        return {3, QStringLiteral("Invalid address specified")};
    case WSAEINTR:
    case WSAEFAULT:
    case WSAEINVAL:
    case WSAEINPROGRESS:
    case WSAENOTSOCK:
    case WSAEMSGSIZE:
    case WSAEOPNOTSUPP:
    case WSAEAFNOSUPPORT:
    case WSAEADDRINUSE:
    case WSAEISCONN:
    case WSAENOTCONN:
    case WSAESHUTDOWN:
        return {4, QStringLiteral("Unexpected internal error in component")};
    case WSAENETRESET:
    case WSAENOBUFS:
        return {5, QStringLiteral("General Winsock Error")};
    case WSAECONNABORTED:
        return {6, QStringLiteral("Connection aborted due to timeout or other failure")};
    case WSAECONNRESET:
        return {7, QStringLiteral("Connection reset by remote side")};
    case WSAETIMEDOUT:
        return {8, QStringLiteral("timeout")};
    case WSAEMFILE:
        return {9, QStringLiteral("Out of sockets")};
    case WSAENETUNREACH:
        return {10, QStringLiteral("Network unreachable")};
    case WSAEADDRNOTAVAIL:
        return {11, QStringLiteral("Address not available")};
    case WSAECONNREFUSED:
        return {12, QStringLiteral("Connection Refused")};
    case WSAHOST_NOT_FOUND:
    case WSATRY_AGAIN:
    case WSANO_RECOVERY:
    case WSANO_DATA:
        return {16, QStringLiteral("Address resolution error")};
    case WSAEHOSTUNREACH:
        return {sendmail_error::HostUnreachable, QStringLiteral("Host Unreachable")};
    }
    return {15, QStringLiteral("Unknown Error")};
}

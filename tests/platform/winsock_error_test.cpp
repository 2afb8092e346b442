// Winsock numbers: errno and EAI_* mapping and the description texts that reach logs and result rows.

#include "platform/winsock_error.h"

#include <gtest/gtest.h>

#include <netdb.h>

#include <cerrno>

namespace {

TEST(WinsockErrorTest, MapsErrnoOntoWinsockNumbers)
{
    const std::pair<int, int> cases[] = {
        {0, 0},
        {EAGAIN, WSAEWOULDBLOCK},
        {EINPROGRESS, WSAEWOULDBLOCK},
        {ECONNABORTED, WSAECONNABORTED},
        {ECONNRESET, WSAECONNRESET},
        {EPIPE, WSAECONNRESET},
        {ENOTCONN, WSAENOTCONN},
        {ETIMEDOUT, WSAETIMEDOUT},
        {ECONNREFUSED, WSAECONNREFUSED},
        {EHOSTUNREACH, WSAEHOSTUNREACH},
        {EMFILE, WSAEMFILE},
        {EIO, WSAEINVAL},
    };
    for (const auto& [errnoValue, winsock] : cases)
        EXPECT_EQ(winsockErrorFromErrno(errnoValue), winsock) << errnoValue;
}

TEST(WinsockErrorTest, MapsResolverCodesOntoHostErrors)
{
    EXPECT_EQ(winsockErrorFromAddrInfo(0, 0), 0);
    EXPECT_EQ(winsockErrorFromAddrInfo(EAI_NONAME, 0), WSAHOST_NOT_FOUND);
    EXPECT_EQ(winsockErrorFromAddrInfo(EAI_AGAIN, 0), WSATRY_AGAIN);
    EXPECT_EQ(winsockErrorFromAddrInfo(EAI_FAIL, 0), WSANO_RECOVERY);
    EXPECT_EQ(winsockErrorFromAddrInfo(EAI_NODATA, 0), WSANO_DATA);
    EXPECT_EQ(winsockErrorFromAddrInfo(EAI_SYSTEM, ETIMEDOUT), WSAETIMEDOUT);
}

TEST(WinsockErrorTest, DescribesEveryNumberOfTheTable)
{
    const std::pair<int, const char*> cases[] = {
        {0, "No Error"},
        {10004, "Interrupted system call"},
        {10035, "Operation would block"},
        {10038, "Socket operation on non-socket"},
        {10053, "Connection aborted"},
        {10054, "Connection reset by peer"},
        {10057, "Socket is not connected"},
        {10060, "Connection timed out"},
        {10061, "Connection refused"},
        {10065, "No route to host"},
        {10071, "Too many levels of remote in path"},
        {10091, "Network sub-system is unusable"},
        {11001, "Host not found"},
        {11002, "Non-authoritative host not found"},
        {11003, "Non-recoverable error"},
        {11004, "No Data"},
        {10072, "Not a WinSock error"},
        {-1, "Not a WinSock error"},
    };
    for (const auto& [number, text] : cases)
        EXPECT_EQ(winsockErrorText(number), QString::fromLatin1(text)) << number;
}

TEST(WinsockErrorTest, ReportNamesTheFunction)
{
    EXPECT_EQ(winsockErrorReport(10061, QStringLiteral("Connect")),
              "Error 10061 in function Connect\r\nConnection refused");
}

}  // namespace

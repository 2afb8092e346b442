// DNS server addresses from resolv.conf: IPv4 nameserver lines in order, comments and others ignored.

#include "platform/name_servers.h"

#include "tests/support/test_home.h"

#include <gtest/gtest.h>

using sorvanta::test::sourcePath;

namespace {

TEST(NameServersTest, TakesTheIpv4NameserverLinesInOrder)
{
    const QString path = sourcePath("platform/data/resolv.conf");
    EXPECT_EQ(nameServerAddresses(path), (QStringList{"192.0.2.53", "192.0.2.54"}));
    EXPECT_EQ(GetDnsServerAddress(path), "192.0.2.53");
}

TEST(NameServersTest, ParsesCarriageReturnsAndEmptyText)
{
    EXPECT_EQ(nameServersFromResolvConf("nameserver 10.0.0.1\r\nnameserver\t10.0.0.2\r\n"),
              (QStringList{"10.0.0.1", "10.0.0.2"}));
    EXPECT_TRUE(nameServersFromResolvConf("").isEmpty());
}

TEST(NameServersTest, WithoutNameServersFallsBackToTheLocalHost)
{
    const QString missing = sorvanta::test::testHome() + "no-resolv.conf";
    EXPECT_TRUE(nameServerAddresses(missing).isEmpty());
    QString local;
    const int status = GetLocalHostAddress(local);
    EXPECT_EQ(GetDnsServerAddress(missing), local);
    EXPECT_EQ(status == 0, !local.isEmpty());
}

}  // namespace

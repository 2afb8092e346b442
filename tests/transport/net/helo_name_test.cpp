// The default HELO/EHLO argument: a dotted host name as it is, else the account's mail domain when it is a
// domain name, else the address literal of the connection's local address (RFC 5321 section 4.1.1.1), and
// the local address read from a connected socket.

#include "transport/net/helo_name.h"

#include "tests/support/scripted_peer.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QTcpSocket>

namespace {

using sorvanta::test::ScriptedPeer;

struct HeloCase {
    const char* name;
    const char* hostName;
    const char* mailDomain;
    const char* localAddress;
    const char* helo;
};

class HeloNameTest : public ::testing::TestWithParam<HeloCase> {};

TEST_P(HeloNameTest, FullyQualifiedNameThenMailDomainThenAddressLiteral)
{
    EXPECT_EQ(heloNameFor(GetParam().hostName, GetParam().mailDomain, GetParam().localAddress), GetParam().helo);
}

INSTANTIATE_TEST_SUITE_P(
    Names, HeloNameTest,
    ::testing::Values(
        HeloCase{"dotted_name", "mail.example.test", "origin.test", "192.0.2.7", "mail.example.test"},
        HeloCase{"short_name_takes_mail_domain", "vm", "origin.test", "192.0.2.7", "origin.test"},
        HeloCase{"mail_domain_trimmed", "vm", " mail.origin.test ", "192.0.2.7", "mail.origin.test"},
        HeloCase{"short_name_no_domain", "vm", "", "192.0.2.7", "[192.0.2.7]"},
        HeloCase{"placeholder_domain", "vm", "Enter Domain Name", "192.0.2.7", "[192.0.2.7]"},
        HeloCase{"single_label_domain", "vm", "localdomain", "192.0.2.7", "[192.0.2.7]"},
        HeloCase{"domain_with_underscore", "vm", "my_site.test", "192.0.2.7", "[192.0.2.7]"},
        HeloCase{"domain_label_hyphen", "vm", "-bad.test", "192.0.2.7", "[192.0.2.7]"},
        HeloCase{"domain_not_ascii", "vm", "b\u00fccher.test", "192.0.2.7", "[192.0.2.7]"},
        HeloCase{"trailing_dot_only", "vm.", "", "192.0.2.7", "[192.0.2.7]"},
        HeloCase{"leading_dot_only", ".vm", "", "127.0.0.1", "[127.0.0.1]"},
        HeloCase{"no_name", "", "", "127.0.0.1", "[127.0.0.1]"},
        HeloCase{"not_connected_yet", "vm", "", "", "vm"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SocketLocalAddressTest, ConnectedSocketGivesItsLoopbackAddress)
{
    ScriptedPeer peer;
    peer.expectLine();
    ASSERT_TRUE(peer.listen());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, peer.port());
    ASSERT_TRUE(sorvanta::test::waitUntil([&] { return socket.state() == QAbstractSocket::ConnectedState; }));
    EXPECT_EQ(socketLocalAddress(int(socket.socketDescriptor())), "127.0.0.1");
    EXPECT_EQ(socketLocalAddress(-1), "");
}

}  // namespace

// GetMail over TLS against the scripted peer's TLS server: STLS listed by CAPA and taken (USER and PASS
// only on the secured connection), CAPA without STLS (the login in clear as before), STLS refused and a
// failed handshake (nothing sent after them, the host and reason named), and implicit TLS on port 995.

#include "transport/pop3/pop3_client.h"

#include "tests/support/scripted_peer.h"
#include "tests/support/test_certificates.h"
#include "tests/support/wait_until.h"
#include "tests/transport/get_mail_recorder.h"
#include "transport/net/send_mail_errors.h"
#include "transport/net/tls_session.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

using sorvanta::test::GetMailRecorder;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::TestCertificate;
using sorvanta::test::TestCertificateAuthority;

namespace {

constexpr quint16 kImplicitTlsPort = 995;
const QByteArray kCapaWithStls = "+OK capabilities follow\r\nUSER\r\nSTLS\r\nUIDL\r\n.\r\n";

class GetMailTlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_trusted.isValid() && m_stranger.isValid());
        qputenv(TlsSession::extraCaVariable(), m_trusted.certificateFile().toLocal8Bit());
        mail.User_ID = "tim";
        mail.User_Password = "secret";
    }
    void TearDown() override { qunsetenv(TlsSession::extraCaVariable()); }

    TestCertificate serverCertificate(TestCertificateAuthority& issuer)
    {
        return issuer.issue(QStringLiteral("pop"), {QStringLiteral("IP:127.0.0.1")});
    }

    void start(const ScriptedPeer& peer)
    {
        mail.setMail_Server(peer.address());
        mail.Mail_Port = peer.port();
        mail.setMail_Action(TGetMailAction::Get_Mail);
    }

    QTemporaryDir m_folder;
    TestCertificateAuthority m_trusted{m_folder.path(), QStringLiteral("trusted")};
    TestCertificateAuthority m_stranger{m_folder.path(), QStringLiteral("stranger")};
    GetMail mail;
    GetMailRecorder owner{mail};
};

TEST_F(GetMailTlsTest, StlsListedIsTakenBeforeUser)
{
    const TestCertificate server = serverCertificate(m_trusted);
    ScriptedPeer peer;
    peer.send("+OK ready\r\n").expectLine().send(kCapaWithStls).expectLine().send("+OK begin TLS\r\n")
        .startTls(server.certificateFile, server.keyFile)
        .expectLine().send("+OK user\r\n").expectLine().send("+OK logged in\r\n").wait(300);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(owner.finishedOnce());
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front().second.toStdString();
    EXPECT_TRUE(owner.granted());
    EXPECT_TRUE(peer.tlsEstablished(0));
    EXPECT_EQ(peer.received(0), "CAPA\r\nSTLS\r\nUSER tim\r\nPASS secret\r\n");
    EXPECT_FALSE(peer.wireBytes(0).contains("USER") || peer.wireBytes(0).contains("secret"));
}

// The capability list is read to its end; without STLS the login goes on in clear as it always did.
TEST_F(GetMailTlsTest, CapaWithoutStlsLogsInAsBefore)
{
    ScriptedPeer peer;
    peer.send("+OK ready\r\n").expectLine().send("+OK\r\nUSER\r\nstls-not\r\n.\r\n")
        .expectLine().send("+OK user\r\n").expectLine().send("+OK logged in\r\n").wait(300);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(owner.finishedOnce());
    EXPECT_TRUE(owner.granted());
    EXPECT_EQ(peer.received(0), "CAPA\r\nUSER tim\r\nPASS secret\r\n");
}

// STLS stripped from CAPA (or CAPA refused) after the account used TLS: no USER, no PASS, the reason named.
TEST_F(GetMailTlsTest, StrippedStlsSendsNoCredentialsOnceTlsWasUsed)
{
    const TestCertificate server = serverCertificate(m_trusted);
    ScriptedPeer secured;
    secured.send("+OK ready\r\n").expectLine().send(kCapaWithStls).expectLine().send("+OK begin TLS\r\n")
        .startTls(server.certificateFile, server.keyFile)
        .expectLine().send("+OK user\r\n").expectLine().send("+OK logged in\r\n").wait(300);
    ASSERT_TRUE(secured.listen());
    start(secured);
    ASSERT_TRUE(owner.finishedOnce());
    ASSERT_TRUE(owner.granted());
    EXPECT_TRUE(mail.TlsUsed());

    for (const QByteArray capa : {QByteArray("+OK\r\nUSER\r\nUIDL\r\n.\r\n"), QByteArray("-ERR unknown\r\n")}) {
        GetMail again;
        GetMailRecorder recorder{again};
        again.User_ID = "tim";
        again.User_Password = "secret";
        again.RequireTls = true;
        ScriptedPeer stripping;
        stripping.send("+OK ready\r\n").expectLine().send(capa).expectData();
        ASSERT_TRUE(stripping.listen());
        again.setMail_Server(stripping.address());
        again.Mail_Port = stripping.port();
        again.setMail_Action(TGetMailAction::Get_Mail);
        ASSERT_TRUE(recorder.finishedOnce());
        EXPECT_FALSE(recorder.granted());
        ASSERT_EQ(recorder.errors.size(), 1u);
        EXPECT_EQ(recorder.errors[0].first, sendmail_error::SecureConnectionFailed);
        EXPECT_TRUE(recorder.errors[0].second.contains("no longer offers a secure connection"));
        EXPECT_EQ(stripping.received(0), "CAPA\r\n");
    }
}

struct RefusedTlsCase {
    const char* name;
    bool refuseStls;                    // "-ERR" to STLS; else the handshake meets an unknown issuer
    const char* reason;
};

class GetMailTlsRefusalTest : public GetMailTlsTest, public ::testing::WithParamInterface<RefusedTlsCase> {};

TEST_P(GetMailTlsRefusalTest, NothingFollowsARefusedOrFailedStls)
{
    const RefusedTlsCase& c = GetParam();
    const TestCertificate server = serverCertificate(m_stranger);
    ScriptedPeer peer;
    peer.send("+OK ready\r\n").expectLine().send(kCapaWithStls).expectLine();
    if (c.refuseStls)
        peer.send("-ERR not now\r\n").expectData();
    else
        peer.send("+OK begin TLS\r\n").startTls(server.certificateFile, server.keyFile).expectLine();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(owner.finishedOnce());
    ASSERT_EQ(owner.errors.size(), 1u);
    EXPECT_EQ(owner.errors[0].first, sendmail_error::SecureConnectionFailed);
    EXPECT_TRUE(owner.errors[0].second.startsWith(QStringLiteral("Secure connection to 127.0.0.1 failed: ")));
    EXPECT_TRUE(owner.errors[0].second.contains(QString::fromLatin1(c.reason)))
        << owner.errors[0].second.toStdString();
    EXPECT_FALSE(owner.granted());
    EXPECT_EQ(peer.received(0), "CAPA\r\nSTLS\r\n");
    EXPECT_FALSE(peer.wireBytes(0).contains("USER"));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, GetMailTlsRefusalTest,
    ::testing::Values(RefusedTlsCase{"stls_refused", true, "refused STLS"},
                      RefusedTlsCase{"unknown_issuer", false, "unknown issuer"}),
    [](const auto& info) { return std::string(info.param.name); });

// Port 995 speaks TLS from the first byte: the greeting comes through it and USER follows at once.
TEST_F(GetMailTlsTest, Port995IsImplicitTls)
{
    const TestCertificate server = serverCertificate(m_trusted);
    ScriptedPeer peer;
    peer.startTls(server.certificateFile, server.keyFile).send("+OK ready\r\n")
        .expectLine().send("+OK user\r\n").expectLine().send("+OK logged in\r\n").wait(300);
    if (!peer.listen(kImplicitTlsPort))
        GTEST_SKIP() << "127.0.0.1:995 is taken";
    start(peer);
    ASSERT_TRUE(owner.finishedOnce());
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front().second.toStdString();
    EXPECT_TRUE(owner.granted());
    EXPECT_TRUE(peer.tlsEstablished(0));
    EXPECT_EQ(peer.received(0), "USER tim\r\nPASS secret\r\n");
    EXPECT_FALSE(peer.wireBytes(0).contains("USER"));
}

}  // namespace

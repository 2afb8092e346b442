// SendMail over TLS against the scripted peer's TLS server: STARTTLS offered and taken (EHLO asked again,
// AUTH only on the secured connection), not offered (the dialogue as without TLS), refused, a handshake
// that fails (no AUTH, the host and reason named), and implicit TLS on port 465.

#include "transport/smtp/send_mail.h"

#include "tests/support/scripted_peer.h"
#include "tests/support/test_certificates.h"
#include "tests/support/wait_until.h"
#include "transport/mime/base64.h"
#include "transport/net/helo_name.h"
#include "transport/net/send_mail_errors.h"
#include "transport/net/tls_session.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <utility>
#include <vector>

using sorvanta::test::ScriptedPeer;
using sorvanta::test::TestCertificate;
using sorvanta::test::TestCertificateAuthority;
using sorvanta::test::waitUntil;

namespace {

const QByteArray kLocal = heloNameFor(TStarSocket::localHostName(), QString(), "127.0.0.1").toUtf8();
const QByteArray kUser = base64::encode("tim");
const QByteArray kPassword = base64::encode("very secret");
constexpr quint16 kImplicitTlsPort = 465;

enum class Certificate { Good, Expired, UnknownIssuer, WrongHost };

// The owner as the sending window behaves: cancels at every error, counts OnDone.
class SendMailTlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_trusted.isValid() && m_stranger.isValid());
        qputenv(TlsSession::extraCaVariable(), m_trusted.certificateFile().toLocal8Bit());
        QObject::connect(&mail, &SendMail::OnMailError, [this](int error, const QString& text) {
            errors.emplace_back(error, text);
            mail.setAction(TMailAction::Cancel_SendMail);
        });
        QObject::connect(&mail, &SendMail::OnDone, [this] { ++doneCount; });
        mail.FROM_Address = "sender@example.test";
        mail.TO_Address = "first@example.test";
        mail.Subject = "Test";
        mail.MailText = {"Hello"};
        mail.Content_Type = "text/plain";
        mail.Charset = "us-ascii";
        mail.SmtpAuth = true;
        mail.SmtpUser = "tim";
        mail.SmtpPsw = "very secret";
    }
    void TearDown() override { qunsetenv(TlsSession::extraCaVariable()); }

    TestCertificate certificate(Certificate kind)
    {
        const QStringList loopback{QStringLiteral("IP:127.0.0.1")};
        switch (kind) {
        case Certificate::Good:
            return m_trusted.issue(QStringLiteral("good"), loopback);
        case Certificate::Expired:
            return m_trusted.issue(QStringLiteral("expired"), loopback, -30, -1);
        case Certificate::UnknownIssuer:
            return m_stranger.issue(QStringLiteral("stranger"), loopback);
        case Certificate::WrongHost:
            return m_trusted.issue(QStringLiteral("wrong"), {QStringLiteral("DNS:mail.example.test")});
        }
        return {};
    }

    void start(const ScriptedPeer& peer)
    {
        mail.setSMTP_Server(peer.address());
        mail.SMTP_Port = peer.port();
        mail.setAction(TMailAction::Send_Mail);
    }

    // From the AUTH LOGIN exchange to the server's close after QUIT.
    static void loginAndAccept(ScriptedPeer& peer)
    {
        peer.expectLine().send("334 VXNlcm5hbWU6\r\n").expectLine().send("334 UGFzc3dvcmQ6\r\n")
            .expectLine().send("235 ok\r\n")
            .expectLine().send("250 sender ok\r\n").expectLine().send("250 recipient ok\r\n")
            .expectLine().send("354 go ahead\r\n").expectData().wait(100).send("250 queued\r\n")
            .expectLine().send("221 bye\r\n").close();
    }

    // STARTTLS offered and taken, EHLO again, then as loginAndAccept.
    static void secureLoginAndAccept(ScriptedPeer& peer, const TestCertificate& server)
    {
        peer.send("220 mx ESMTP\r\n").expectLine().send("250-mx\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n")
            .expectLine().send("220 go ahead\r\n").startTls(server.certificateFile, server.keyFile)
            .expectLine().send("250-mx\r\n250 AUTH LOGIN\r\n");
        loginAndAccept(peer);
    }

    static QByteArray loginCommands()
    {
        return "AUTH LOGIN\r\n" + kUser + "\r\n" + kPassword + "\r\n"
               + "MAIL FROM:<sender@example.test>\r\nRCPT TO:<first@example.test>\r\nDATA\r\n";
    }

    QTemporaryDir m_folder;
    TestCertificateAuthority m_trusted{m_folder.path(), QStringLiteral("trusted")};
    TestCertificateAuthority m_stranger{m_folder.path(), QStringLiteral("stranger")};
    SendMail mail;
    std::vector<std::pair<int, QString>> errors;
    int doneCount = 0;
};

// Two messages, each on a connection of its own: the second starts in clear and secures itself again.
TEST_F(SendMailTlsTest, StartTlsOfferedIsTakenBeforeAuth)
{
    const TestCertificate server = certificate(Certificate::Good);
    ScriptedPeer peer;
    secureLoginAndAccept(peer, server);
    ASSERT_TRUE(peer.listen());
    for (int run = 0; run < 2; ++run) {
        start(peer);
        ASSERT_TRUE(waitUntil([&] { return doneCount == run + 1; }));
        EXPECT_TRUE(errors.empty()) << errors.front().second.toStdString();
        EXPECT_TRUE(mail.MessageAccepted());
        EXPECT_TRUE(peer.tlsEstablished(run));
        const QByteArray sent = peer.received(run);
        EXPECT_TRUE(sent.startsWith("EHLO " + kLocal + "\r\nSTARTTLS\r\nEHLO " + kLocal + "\r\n" + loginCommands()))
            << sent.left(300).toStdString();
        EXPECT_TRUE(sent.endsWith(".\r\nQUIT\r\n"));
        const QByteArray wire = peer.wireBytes(run);
        EXPECT_FALSE(wire.contains("AUTH") || wire.contains(kUser) || wire.contains(kPassword) || wire.contains("MAIL"));
    }
}

// Old servers keep working: without STARTTLS in the EHLO reply not a byte changes.
TEST_F(SendMailTlsTest, NoStartTlsOfferedLeavesTheDialogueAsItWas)
{
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n").expectLine().send("250-mx\r\n250 AUTH LOGIN\r\n");
    loginAndAccept(peer);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitUntil([&] { return doneCount == 1; }));
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(peer.tlsEstablished(0));
    EXPECT_TRUE(peer.received(0).startsWith("EHLO " + kLocal + "\r\n" + loginCommands()));
    EXPECT_EQ(peer.received(0), peer.wireBytes(0));
}

// A server that offers STARTTLS and then refuses it gets no credentials in clear.
TEST_F(SendMailTlsTest, StartTlsRefusedSendsNoCredentials)
{
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n").expectLine().send("250-mx\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n")
        .expectLine().send("454 TLS not available\r\n").expectData();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitUntil([&] { return doneCount == 1; }));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, sendmail_error::UnexpectedResponse);
    EXPECT_EQ(peer.received(0), "EHLO " + kLocal + "\r\nSTARTTLS\r\n");
}

// A man in the middle strips STARTTLS from the reply of a server the account used TLS with: the first run
// secures itself, the second (RequireTls as the sending window sets it then) sends no credential byte and
// names the reason.
TEST_F(SendMailTlsTest, StrippedStartTlsSendsNoCredentialsOnceTlsWasUsed)
{
    const TestCertificate server = certificate(Certificate::Good);
    ScriptedPeer secured;
    secureLoginAndAccept(secured, server);
    ASSERT_TRUE(secured.listen());
    start(secured);
    ASSERT_TRUE(waitUntil([&] { return doneCount == 1; }));
    ASSERT_TRUE(errors.empty());
    EXPECT_TRUE(mail.TlsUsed());

    mail.RequireTls = mail.TlsUsed();
    mail.TO_Address = "first@example.test";
    ScriptedPeer stripping;
    stripping.send("220 mx ESMTP\r\n").expectLine().send("250-mx\r\n250 AUTH LOGIN PLAIN CRAM-MD5\r\n")
        .expectData();
    ASSERT_TRUE(stripping.listen());
    start(stripping);
    ASSERT_TRUE(waitUntil([&] { return doneCount == 2; }));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, sendmail_error::SecureConnectionFailed);
    EXPECT_TRUE(errors[0].second.contains("no longer offers a secure connection, which may mean an attack"))
        << errors[0].second.toStdString();
    EXPECT_FALSE(mail.TlsUsed());
    EXPECT_EQ(stripping.received(0), "EHLO " + kLocal + "\r\n");
}

struct FailedHandshakeCase {
    const char* name;
    Certificate certificate;
    const char* reason;
};

class SendMailTlsFailureTest : public SendMailTlsTest, public ::testing::WithParamInterface<FailedHandshakeCase> {};

// Each refused certificate ends the run after STARTTLS with the host and the reason, before AUTH.
TEST_P(SendMailTlsFailureTest, FailedHandshakeEndsTheRunBeforeAuth)
{
    const TestCertificate server = certificate(GetParam().certificate);
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n").expectLine().send("250-mx\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n")
        .expectLine().send("220 go ahead\r\n").startTls(server.certificateFile, server.keyFile)
        .expectLine().send("250 AUTH LOGIN\r\n").expectLine().send("334 VXNlcm5hbWU6\r\n");
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitUntil([&] { return doneCount == 1; }));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, sendmail_error::SecureConnectionFailed);
    EXPECT_TRUE(errors[0].second.startsWith(QStringLiteral("Secure connection to 127.0.0.1 failed: ")));
    EXPECT_TRUE(errors[0].second.contains(QString::fromLatin1(GetParam().reason))) << errors[0].second.toStdString();
    ASSERT_TRUE(waitUntil([&] { return peer.disconnectedCount() == 1; }));
    EXPECT_FALSE(peer.tlsEstablished(0));
    EXPECT_EQ(peer.received(0), "EHLO " + kLocal + "\r\nSTARTTLS\r\n");
    EXPECT_FALSE(peer.wireBytes(0).contains("AUTH"));
}

INSTANTIATE_TEST_SUITE_P(
    Certificates, SendMailTlsFailureTest,
    ::testing::Values(FailedHandshakeCase{"expired", Certificate::Expired, "has expired"},
                      FailedHandshakeCase{"unknown_issuer", Certificate::UnknownIssuer, "unknown issuer"},
                      FailedHandshakeCase{"wrong_host_name", Certificate::WrongHost, "not made out to this host"}),
    [](const auto& info) { return std::string(info.param.name); });

// Port 465 speaks TLS from the first byte: the banner arrives through it, and no STARTTLS is asked.
TEST_F(SendMailTlsTest, Port465IsImplicitTls)
{
    const TestCertificate server = certificate(Certificate::Good);
    ScriptedPeer peer;
    peer.startTls(server.certificateFile, server.keyFile).send("220 mx ESMTP\r\n").expectLine()
        .send("250-mx\r\n250 AUTH LOGIN\r\n");
    loginAndAccept(peer);
    if (!peer.listen(kImplicitTlsPort))
        GTEST_SKIP() << "127.0.0.1:465 is taken";
    start(peer);
    ASSERT_TRUE(waitUntil([&] { return doneCount == 1; }));
    EXPECT_TRUE(errors.empty()) << errors.front().second.toStdString();
    EXPECT_TRUE(mail.MessageAccepted());
    EXPECT_TRUE(peer.tlsEstablished(0));
    EXPECT_TRUE(peer.received(0).startsWith("EHLO " + kLocal + "\r\n" + loginCommands()));
    EXPECT_FALSE(peer.wireBytes(0).contains("EHLO"));
}

// A clear-text server on 465 fails the handshake at once instead of waiting for a banner.
TEST_F(SendMailTlsTest, ClearTextServerOnPort465FailsWithoutWaiting)
{
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n").expectData();
    if (!peer.listen(kImplicitTlsPort))
        GTEST_SKIP() << "127.0.0.1:465 is taken";
    start(peer);
    ASSERT_TRUE(waitUntil([&] { return doneCount == 1; }));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, sendmail_error::SecureConnectionFailed);
    EXPECT_FALSE(peer.receivedAll().contains("EHLO"));
}

}  // namespace

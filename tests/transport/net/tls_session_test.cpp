// TLS under TStarSocket against the scripted peer's TLS server: the certificate table (good by address
// and by name, expired, unknown issuer, wrong host name, a server that speaks clear text, one that hangs
// up), and data both ways through the session, large amounts included.

#include "transport/net/timer_socket.h"
#include "transport/net/tls_session.h"

#include "tests/support/scripted_peer.h"
#include "tests/support/test_certificates.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <optional>

using sorvanta::test::ScriptedPeer;
using sorvanta::test::TestCertificate;
using sorvanta::test::TestCertificateAuthority;
using sorvanta::test::waitUntil;

namespace {

// Connects, starts TLS at once (implicit TLS) and records the outcome and every line read.
class TlsProbe : public TStarSocket {
public:
    using TStarSocket::lastSocketError;
    using TStarSocket::writeAll;

    std::optional<QString> tlsError;    // set when the handshake ended: empty = secured
    QList<QByteArray> lines;
    bool disconnected = false;
    quint16 port = 0;

    void start(const QString& host, quint16 serverPort)
    {
        port = serverPort;
        setHost(host);
        createSocket();
        if (hostIsAddress())
            connectToServer(port);
        else
            resolve();
    }
    bool sendText(const QByteArray& text)
    {
        return writeAll(text, [] { return false; });
    }

protected:
    void onResolved() override { connectToServer(port); }
    void onConnect() override
    {
        if (lastSocketError() == 0)
            startTls();
    }
    void onTlsFinished(const QString& error) override { tlsError = error; }
    void onRead() override
    {
        readLines([this](const QByteArray& line) {
            lines.append(line);
            return true;
        });
    }
    void onDisconnect() override { disconnected = true; }
};

class TlsSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        ASSERT_TRUE(m_trusted.isValid());
        ASSERT_TRUE(m_stranger.isValid());
        qputenv(TlsSession::extraCaVariable(), m_trusted.certificateFile().toLocal8Bit());
    }
    void TearDown() override { qunsetenv(TlsSession::extraCaVariable()); }

    QTemporaryDir m_folder;
    TestCertificateAuthority m_trusted{m_folder.path(), QStringLiteral("trusted")};
    TestCertificateAuthority m_stranger{m_folder.path(), QStringLiteral("stranger")};
};

struct CertificateCase {
    const char* name;
    const char* host;                   // what the user entered
    QStringList altNames;
    bool strangerIssues;
    int validFromDays;
    int validToDays;
    const char* failure;                // part of the reason; nullptr: the connection is secured
};

class TlsCertificateTest : public TlsSessionTest, public ::testing::WithParamInterface<CertificateCase> {};

// Each refused certificate ends the handshake before a byte of the dialogue leaves the client.
TEST_P(TlsCertificateTest, SecuresOrRefusesWithReason)
{
    const CertificateCase& c = GetParam();
    TestCertificateAuthority& issuer = c.strangerIssues ? m_stranger : m_trusted;
    const TestCertificate server = issuer.issue(QStringLiteral("server"), c.altNames, c.validFromDays,
                                                c.validToDays);
    ASSERT_FALSE(server.certificateFile.isEmpty());
    ScriptedPeer peer;
    peer.startTls(server.certificateFile, server.keyFile).send("hello\r\n").expectLine().send("bye\r\n");
    ASSERT_TRUE(peer.listen());

    TlsProbe probe;
    probe.start(QString::fromLatin1(c.host), peer.port());
    ASSERT_TRUE(waitUntil([&] { return probe.tlsError.has_value(); }));
    if (!c.failure) {
        EXPECT_EQ(*probe.tlsError, QString());
        ASSERT_TRUE(waitUntil([&] { return probe.lines.size() == 1; }));
        EXPECT_EQ(probe.lines[0], "hello");
        EXPECT_TRUE(probe.sendText("secret\r\n"));
        ASSERT_TRUE(waitUntil([&] { return probe.lines.size() == 2; }));
        EXPECT_EQ(peer.received(0), "secret\r\n");
        EXPECT_FALSE(peer.wireBytes(0).contains("secret"));
        return;
    }
    EXPECT_TRUE(probe.tlsError->contains(QString::fromLatin1(c.failure))) << probe.tlsError->toStdString();
    EXPECT_FALSE(probe.sendText("secret\r\n"));      // nothing goes out in clear after a failed handshake
    EXPECT_FALSE(peer.tlsEstablished(0));
    EXPECT_FALSE(peer.wireBytes(0).contains("secret"));
}

const QStringList kLoopbackAddress{QStringLiteral("IP:127.0.0.1")};

INSTANTIATE_TEST_SUITE_P(
    Certificates, TlsCertificateTest,
    ::testing::Values(
        CertificateCase{"good_by_address", "127.0.0.1", kLoopbackAddress, false, -1, 30, nullptr},
        CertificateCase{"good_by_name", "localhost", {QStringLiteral("DNS:localhost")}, false, -1, 30, nullptr},
        CertificateCase{"expired", "127.0.0.1", kLoopbackAddress, false, -30, -1, "has expired"},
        CertificateCase{"not_yet_valid", "127.0.0.1", kLoopbackAddress, false, 2, 30, "not valid yet"},
        CertificateCase{"unknown_issuer", "127.0.0.1", kLoopbackAddress, true, -1, 30, "unknown issuer"},
        CertificateCase{"wrong_host_name", "127.0.0.1", {QStringLiteral("DNS:mail.example.test")}, false, -1,
                        30, "not made out to this host name"},
        CertificateCase{"name_for_address", "localhost", kLoopbackAddress, false, -1, 30,
                        "not made out to this host name"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TlsSessionTest, ServerSpeakingClearTextFailsTheHandshake)
{
    ScriptedPeer peer;
    peer.send("220 mail ESMTP ready\r\n").expectData().send("500 what\r\n");
    ASSERT_TRUE(peer.listen());
    TlsProbe probe;
    probe.start(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(waitUntil([&] { return probe.tlsError.has_value(); }));
    EXPECT_TRUE(probe.tlsError->contains(QStringLiteral("could not be set up"))) << probe.tlsError->toStdString();
    EXPECT_TRUE(probe.lines.isEmpty());
}

TEST_F(TlsSessionTest, ServerHangingUpInTheHandshakeIsReported)
{
    ScriptedPeer peer;
    peer.expectData().close();
    ASSERT_TRUE(peer.listen());
    TlsProbe probe;
    probe.start(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(waitUntil([&] { return probe.tlsError.has_value(); }));
    EXPECT_TRUE(probe.tlsError->contains(QStringLiteral("closed the connection during the handshake")));
    EXPECT_FALSE(probe.disconnected);   // the failure is the one notice
}

// Many records in both directions: everything the session decrypted is handed on although the socket
// signals nothing more, and a large write backs up without loss.
TEST_F(TlsSessionTest, LargeDataCrossesInBothDirections)
{
    const TestCertificate server = m_trusted.issue(QStringLiteral("server"), kLoopbackAddress);
    QByteArray manyLines;
    for (int i = 0; i < 5000; ++i)
        manyLines += "line " + QByteArray::number(i) + "\r\n";
    const QByteArray upload = QByteArray(2 * 1024 * 1024, 'x') + "\r\n";
    ScriptedPeer peer;
    peer.startTls(server.certificateFile, server.keyFile).send(manyLines).expectBytes(int(upload.size())).close();
    ASSERT_TRUE(peer.listen());
    TlsProbe probe;
    probe.start(QStringLiteral("127.0.0.1"), peer.port());
    ASSERT_TRUE(waitUntil([&] { return probe.lines.size() == 5000; }));
    EXPECT_EQ(probe.lines.last(), "line 4999");
    EXPECT_TRUE(probe.sendText(upload));
    ASSERT_TRUE(waitUntil([&] { return probe.disconnected; }, 20000));
    EXPECT_EQ(peer.received(0), upload);
}

}  // namespace

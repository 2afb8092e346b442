// GetMail against Debian's dovecot with TLS required (no login in clear), its certificate from a CA made
// for the run: the login over STLS on a plain port and over TLS from the first byte on port 995, with
// dovecot's log showing TLS on the login; and a certificate for another host refused before USER.

#include "transport/pop3/pop3_client.h"

#include "tests/support/dovecot_server.h"
#include "tests/support/test_certificates.h"
#include "tests/transport/get_mail_recorder.h"
#include "transport/net/send_mail_errors.h"
#include "transport/net/tls_session.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

using sorvanta::test::DovecotServer;
using sorvanta::test::GetMailRecorder;
using sorvanta::test::TestCertificate;
using sorvanta::test::TestCertificateAuthority;

namespace {

struct DovecotTlsCase {
    const char* name;
    quint16 port;                       // 0: a free port with STLS; 995: TLS from the first byte
    const char* certificateName;        // what the server's certificate is made out to
    bool granted;
};

class Pop3TlsInteropTest : public ::testing::TestWithParam<DovecotTlsCase> {
protected:
    void SetUp() override
    {
        QString why;
        if (!DovecotServer::canRun(&why))
            GTEST_SKIP() << why.toStdString();
        ASSERT_TRUE(m_authority.isValid());
        qputenv(TlsSession::extraCaVariable(), m_authority.certificateFile().toLocal8Bit());
    }
    void TearDown() override { qunsetenv(TlsSession::extraCaVariable()); }

    QTemporaryDir m_folder;
    TestCertificateAuthority m_authority{m_folder.path(), QStringLiteral("interop")};
};

TEST_P(Pop3TlsInteropTest, LogsInOverTlsOnly)
{
    const DovecotTlsCase& c = GetParam();
    const TestCertificate certificate =
        m_authority.issue(QStringLiteral("dovecot"), {QString::fromLatin1(c.certificateName)});
    ASSERT_FALSE(certificate.certificateFile.isEmpty());
    DovecotServer server({"127.0.0.1", c.port, "tim", "tanstaaf", certificate.certificateFile,
                          certificate.keyFile, c.port == 995});
    QString error;
    ASSERT_TRUE(server.start(&error)) << error.toStdString();

    GetMail mail;
    GetMailRecorder owner{mail};
    mail.setMail_Server(server.address());
    mail.Mail_Port = server.port();
    mail.TimeoutConnect = 30;
    mail.User_ID = "tim";
    mail.User_Password = "tanstaaf";
    mail.setMail_Action(TGetMailAction::Get_Mail);
    ASSERT_TRUE(owner.finishedOnce(60000));
    if (!c.granted) {
        ASSERT_EQ(owner.errors.size(), 1u);
        EXPECT_EQ(owner.errors[0].first, sendmail_error::SecureConnectionFailed);
        EXPECT_FALSE(owner.granted());
        return;
    }
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front().second.toStdString();
    EXPECT_TRUE(owner.granted());
    server.stop();
    EXPECT_TRUE(server.log().contains(QStringLiteral("user=<tim>"))) << server.log().toStdString();
    EXPECT_TRUE(server.log().contains(QStringLiteral("TLS"))) << server.log().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Ports, Pop3TlsInteropTest,
    ::testing::Values(DovecotTlsCase{"stls", 0, "IP:127.0.0.1", true},
                      DovecotTlsCase{"implicit_995", 995, "IP:127.0.0.1", true},
                      DovecotTlsCase{"wrong_host_refused", 0, "DNS:pop.example.test", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

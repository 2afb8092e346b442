// SendMail against a real postfix that offers AUTH only over TLS, with SASL through dovecot (which offers
// only PLAIN, its default) and a certificate from a CA made for the run: a mailing of two messages on 587 (STARTTLS) and on 465 (TLS
// from the first byte), after a POP3 login over STLS to dovecot; postfix's log shows TLS and the SASL
// user on every session, and the messages arrive.

#include "transport/pop3/pop3_client.h"
#include "transport/smtp/send_mail.h"

#include "tests/support/dovecot_server.h"
#include "tests/support/submission_server.h"
#include "tests/support/test_certificates.h"
#include "tests/support/wait_until.h"
#include "tests/transport/get_mail_recorder.h"
#include "transport/net/tls_session.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <memory>

using sorvanta::test::DovecotServer;
using sorvanta::test::GetMailRecorder;
using sorvanta::test::SubmissionServer;
using sorvanta::test::TestCertificate;
using sorvanta::test::TestCertificateAuthority;
using sorvanta::test::waitUntil;

namespace {

class SendMailTlsInteropTest : public ::testing::TestWithParam<quint16> {
protected:
    static void SetUpTestSuite()
    {
        QString why;
        if (!SubmissionServer::canRun(&why) || !DovecotServer::canRun(&why)) {
            s_skipReason = why;
            return;
        }
        s_folder = std::make_unique<QTemporaryDir>();
        s_authority = std::make_unique<TestCertificateAuthority>(s_folder->path(), QStringLiteral("interop"));
        s_certificate = s_authority->issue(QStringLiteral("mail"), {QStringLiteral("IP:127.0.0.1")});
        s_postfix = std::make_unique<SubmissionServer>(
            SubmissionServer::Options{"tim", "tanstaaf", s_certificate.certificateFile, s_certificate.keyFile});
        s_pop3 = std::make_unique<DovecotServer>(DovecotServer::Options{
            "127.0.0.1", 0, "tim", "tanstaaf", s_certificate.certificateFile, s_certificate.keyFile, false});
        QString error;
        if (!s_postfix->start(&error) || !s_pop3->start(&error))
            s_startError = error;
    }
    static void TearDownTestSuite()
    {
        s_pop3.reset();
        s_postfix.reset();
        s_authority.reset();
        s_folder.reset();
    }

    void SetUp() override
    {
        if (!s_skipReason.isEmpty())
            GTEST_SKIP() << s_skipReason.toStdString();
        ASSERT_TRUE(s_startError.isEmpty()) << s_startError.toStdString();
        qputenv(TlsSession::extraCaVariable(), s_authority->certificateFile().toLocal8Bit());
    }
    void TearDown() override { qunsetenv(TlsSession::extraCaVariable()); }

    // The login before sending, as the sending window runs it.
    static bool popLogin()
    {
        GetMail login;
        GetMailRecorder owner{login};
        login.setMail_Server(QStringLiteral("127.0.0.1"));
        login.Mail_Port = s_pop3->port();
        login.TimeoutConnect = 30;
        login.User_ID = "tim";
        login.User_Password = "tanstaaf";
        login.setMail_Action(TGetMailAction::Get_Mail);
        return owner.finishedOnce(60000) && owner.granted() && owner.errors.empty();
    }

    static inline std::unique_ptr<QTemporaryDir> s_folder;
    static inline std::unique_ptr<TestCertificateAuthority> s_authority;
    static inline TestCertificate s_certificate;
    static inline std::unique_ptr<SubmissionServer> s_postfix;
    static inline std::unique_ptr<DovecotServer> s_pop3;
    static inline QString s_skipReason;
    static inline QString s_startError;
};

TEST_P(SendMailTlsInteropTest, MailingGoesThroughTlsOnlyServer)
{
    const quint16 port = GetParam();
    ASSERT_TRUE(popLogin()) << s_pop3->log().toStdString();
    const qsizetype deliveredBefore = s_postfix->deliveredMessages().size();
    const QString tlsSession = QStringLiteral("TLS connection established from localhost");
    const QString saslLogin = QStringLiteral("sasl_method=PLAIN, sasl_username=tim");
    const qsizetype tlsBefore = s_postfix->log().count(tlsSession);
    const qsizetype saslBefore = s_postfix->log().count(saslLogin);

    SendMail mail;
    QStringList errors;
    int done = 0;
    QObject::connect(&mail, &SendMail::OnMailError, [&](int, const QString& text) {
        errors << text;
        mail.setAction(TMailAction::Cancel_SendMail);
    });
    QObject::connect(&mail, &SendMail::OnDone, [&] { ++done; });
    mail.setSMTP_Server(QStringLiteral("127.0.0.1"));
    mail.SMTP_Port = port;
    mail.TimeoutConnect = 30;
    mail.SmtpAuth = true;
    mail.SmtpUser = "tim";
    mail.SmtpPsw = "tanstaaf";
    mail.FROM_Address = "list@example.test";
    mail.Content_Type = "text/plain";
    mail.Charset = "us-ascii";
    const QStringList recipients{"anna@example.test", "ben@example.test"};
    for (int i = 0; i < recipients.size(); ++i) {
        mail.TO_Address = recipients[i];
        mail.Subject = QStringLiteral("Merged %1 on %2").arg(i).arg(port);
        mail.MailText = {QStringLiteral("Dear %1,").arg(recipients[i]), "the news."};
        mail.setAction(TMailAction::Send_Mail);
        ASSERT_TRUE(waitUntil([&] { return done == i + 1; }, 60000)) << s_postfix->log().toStdString();
        ASSERT_TRUE(errors.isEmpty()) << errors.join('\n').toStdString() << s_postfix->log().toStdString();
        EXPECT_TRUE(mail.MessageAccepted());
    }
    ASSERT_TRUE(waitUntil([&] { return s_postfix->deliveredMessages().size() == deliveredBefore + 2; }, 30000))
        << s_postfix->log().toStdString();
    const QByteArrayList delivered = s_postfix->deliveredMessages();
    const QByteArray all = delivered.join();
    EXPECT_TRUE(all.contains("Subject: Merged 0 on " + QByteArray::number(port)));
    EXPECT_TRUE(all.contains("Dear ben@example.test,"));
    // One TLS session and one SASL login per message. The server's log writer may still hold the lines of the
    // second session when its message is already in the mailbox.
    const auto logged = [&](const QString& line, qsizetype before) { return s_postfix->log().count(line) - before; };
    EXPECT_TRUE(waitUntil([&] { return logged(tlsSession, tlsBefore) >= 2 && logged(saslLogin, saslBefore) >= 2; }))
        << s_postfix->log().toStdString();
    EXPECT_EQ(logged(tlsSession, tlsBefore), 2);
    EXPECT_EQ(logged(saslLogin, saslBefore), 2);
}

INSTANTIATE_TEST_SUITE_P(Ports, SendMailTlsInteropTest,
                         ::testing::Values(SubmissionServer::SubmissionPort, SubmissionServer::ImplicitTlsPort),
                         [](const auto& info) { return "port_" + std::to_string(info.param); });

}  // namespace

// SendMail against a real SMTP server (python3-aiosmtpd on 127.0.0.1:25 of a private network namespace)
// that requires AUTH LOGIN or CRAM-MD5: three messages on one kept-open connection, the LOGIN path, and a
// wrong password refused.

#include "transport/smtp/send_mail.h"

#include "tests/support/smtp_auth_server.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using sorvanta::test::SmtpAuthServer;
using sorvanta::test::waitUntil;

namespace {

using Event = std::pair<int, QString>;

const QString kUser = QStringLiteral("mailer@example.test");
const QString kPassword = QStringLiteral("s3cret pass");

class SendMailInteropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&mail, &SendMail::OnMailError, [this](int code, const QString& text) {
            errors.emplace_back(code, text);
            mail.setAction(TMailAction::Cancel_SendMail);
        });
        QObject::connect(&mail, &SendMail::OnDone, [this] { ++doneCount; });
        mail.setSMTP_Server("127.0.0.1");
        mail.SMTP_Port = 25;
        mail.TimeoutConnect = 10;
        mail.SmtpAuth = true;
        mail.SmtpUser = kUser;
        mail.SmtpPsw = kPassword;
        mail.FROM_Address = "sender@example.test";
        mail.FROM_Name = "\"The Sender\"";
        mail.Content_Type = "text/plain";
        mail.Charset = "us-ascii";
    }

    void startServer(const QString& mechanisms)
    {
        server = std::make_unique<SmtpAuthServer>(
            SmtpAuthServer::Options{"127.0.0.1:25", kUser, kPassword, mechanisms});
        QString error;
        ASSERT_TRUE(server->start(&error)) << error.toStdString();
    }

    // Sends one message and waits for its OnDone.
    bool send(const QString& to, const QString& subject)
    {
        mail.TO_Address = to;
        mail.Subject = subject;
        mail.MailText = {"Dear reader,", ".this line starts with a dot", "", "-- ", "The Sender"};
        const int before = doneCount;
        mail.setAction(TMailAction::Send_Mail);
        return waitUntil([&] { return doneCount > before; }, 60000);
    }

    SendMail mail;
    std::unique_ptr<SmtpAuthServer> server;
    std::vector<Event> errors;
    int doneCount = 0;
};

TEST_F(SendMailInteropTest, ThreeMessagesGoOverOneKeptOpenConnectionWithCramMd5)
{
    startServer("LOGIN CRAM-MD5");
    mail.KeepConnectionOpen = true;
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(send(QStringLiteral("reader%1@example.test").arg(i), QStringLiteral("Issue %1").arg(i)));
        EXPECT_TRUE(mail.MessageAccepted()) << i;
    }
    EXPECT_TRUE(errors.empty()) << errors.front().second.toStdString();
    ASSERT_TRUE(waitUntil([&] { return server->messages().size() == 3; }, 30000));
    const QList<SmtpAuthServer::Message> messages = server->messages();
    for (int i = 0; i < 3; ++i) {
        const SmtpAuthServer::Message& message = messages[i];
        EXPECT_EQ(message.clientPort, messages[0].clientPort) << "message " << i << " used another connection";
        EXPECT_EQ(message.mechanism, "CRAM-MD5");
        EXPECT_EQ(message.from, "sender@example.test");
        EXPECT_EQ(message.to, QStringList{QStringLiteral("reader%1@example.test").arg(i + 1)});
        EXPECT_TRUE(message.data.contains(QStringLiteral("\r\nSubject: Issue %1").arg(i + 1).toUtf8()));
        EXPECT_TRUE(message.data.contains("\r\n.this line starts with a dot\r\n\r\n-- \r\nThe Sender\r\n"));
    }
}

TEST_F(SendMailInteropTest, LoginIsUsedWhenItIsTheOnlyMechanism)
{
    startServer("LOGIN");
    ASSERT_TRUE(send("reader@example.test", "By LOGIN"));
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(mail.MessageAccepted());
    ASSERT_TRUE(waitUntil([&] { return server->messages().size() == 1; }, 30000));
    EXPECT_EQ(server->messages()[0].mechanism, "LOGIN");
}

TEST_F(SendMailInteropTest, WrongPasswordIsRefusedForBothMechanisms)
{
    for (const QString& mechanisms : {QStringLiteral("LOGIN CRAM-MD5"), QStringLiteral("LOGIN")}) {
        errors.clear();
        startServer(mechanisms);
        mail.SmtpPsw = "wrong";
        ASSERT_TRUE(send("reader@example.test", "Never sent"));
        ASSERT_EQ(errors.size(), 1u) << mechanisms.toStdString();
        EXPECT_EQ(errors[0].first, 13);
        EXPECT_TRUE(errors[0].second.startsWith("Unexpected response: 535")) << errors[0].second.toStdString();
        EXPECT_FALSE(mail.MessageAccepted());
        EXPECT_TRUE(server->messages().isEmpty());
        server.reset();
    }
}

}  // namespace

// GetMail against Debian's dovecot POP3 server on loopback with a passwd-file user: the login is
// granted, a wrong password is refused, and a login the owner does not end finishes with QUIT.

#include "transport/pop3/pop3_client.h"

#include "tests/support/dovecot_server.h"
#include "tests/transport/get_mail_recorder.h"

#include <gtest/gtest.h>

#include <memory>

using sorvanta::test::DovecotServer;
using sorvanta::test::GetMailRecorder;

namespace {

using Event = GetMailRecorder::Event;

class Pop3InteropTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QString why;
        if (!DovecotServer::canRun(&why)) {
            s_skipReason = why;
            return;
        }
        s_server = std::make_unique<DovecotServer>(DovecotServer::Options{"127.0.0.1", 0, "tim", "tanstaaf"});
        QString error;
        if (!s_server->start(&error))
            s_startError = error;
    }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override
    {
        if (!s_skipReason.isEmpty())
            GTEST_SKIP() << s_skipReason.toStdString();
        ASSERT_TRUE(s_startError.isEmpty()) << s_startError.toStdString();
        mail.setMail_Server(s_server->address());
        mail.Mail_Port = s_server->port();
        mail.TimeoutConnect = 30;
        mail.User_ID = "tim";
    }

    bool runOnce()
    {
        mail.setMail_Action(TGetMailAction::Get_Mail);
        return owner.finishedOnce(60000);
    }

    static inline std::unique_ptr<DovecotServer> s_server;
    static inline QString s_skipReason;
    static inline QString s_startError;

    GetMail mail;
    GetMailRecorder owner{mail};
};

TEST_F(Pop3InteropTest, AcceptsLogin)
{
    mail.User_Password = "tanstaaf";
    ASSERT_TRUE(runOnce());
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front().second.toStdString();
    EXPECT_TRUE(owner.granted());
}

TEST_F(Pop3InteropTest, LoginNotEndedByOwnerQuitsCleanly)
{
    owner.abortOnGrant = false;
    mail.User_Password = "tanstaaf";
    ASSERT_TRUE(runOnce());
    EXPECT_TRUE(owner.granted());
    EXPECT_TRUE(owner.errors.empty()) << owner.errors.front().second.toStdString();
    EXPECT_EQ(owner.infos.back(), Event(1, QString()));
}

// Last: dovecot delays the next login from an address that has just failed one.
TEST_F(Pop3InteropTest, RefusesWrongPassword)
{
    mail.User_Password = "wrong";
    ASSERT_TRUE(runOnce());
    ASSERT_EQ(owner.errors.size(), 1u);
    EXPECT_EQ(owner.errors[0], Event(19, "Access Denied"));
    EXPECT_FALSE(owner.granted());
}

}  // namespace

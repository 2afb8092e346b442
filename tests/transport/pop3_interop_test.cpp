// GetMail against Debian's dovecot POP3 server on loopback with a passwd-file user: the login is
// granted, a wrong password is refused, and a login the owner does not end finishes with QUIT.

#include "transport/pop3_client.h"

#include "tests/support/dovecot_server.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using sorvanta::test::DovecotServer;
using sorvanta::test::pumpEvents;
using sorvanta::test::waitUntil;

namespace {

using Event = std::pair<int, QString>;

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
        QObject::connect(&mail, &GetMail::OnMailInfo, [this](int info, const QString& text) {
            infos.emplace_back(info, text);
            if (info == 10 && abortOnGrant)
                mail.Abort();
        });
        QObject::connect(&mail, &GetMail::OnMailError, [this](int error, const QString& text) {
            errors.emplace_back(error, text);
        });
        QObject::connect(&mail, &GetMail::OnDone, [this] { ++doneCount; });
        mail.setMail_Server(s_server->address());
        mail.Mail_Port = s_server->port();
        mail.TimeoutConnect = 30;
        mail.User_ID = "tim";
    }

    bool runOnce()
    {
        mail.setMail_Action(TGetMailAction::Get_Mail);
        const bool done = waitUntil([this] { return doneCount > 0; }, 15000);
        pumpEvents(100);
        return done && doneCount == 1;
    }

    bool granted() const
    {
        return std::find(infos.begin(), infos.end(), Event(10, "Access Granted")) != infos.end();
    }

    static inline std::unique_ptr<DovecotServer> s_server;
    static inline QString s_skipReason;
    static inline QString s_startError;

    GetMail mail;
    bool abortOnGrant = true;
    std::vector<Event> infos;
    std::vector<Event> errors;
    int doneCount = 0;
};

TEST_F(Pop3InteropTest, AcceptsLogin)
{
    mail.User_Password = "tanstaaf";
    ASSERT_TRUE(runOnce());
    EXPECT_TRUE(errors.empty()) << errors.front().second.toStdString();
    EXPECT_TRUE(granted());
}

TEST_F(Pop3InteropTest, LoginNotEndedByOwnerQuitsCleanly)
{
    abortOnGrant = false;
    mail.User_Password = "tanstaaf";
    ASSERT_TRUE(runOnce());
    EXPECT_TRUE(granted());
    EXPECT_TRUE(errors.empty()) << errors.front().second.toStdString();
    EXPECT_EQ(infos.back(), Event(1, QString()));
}

// Last: dovecot delays the next login from an address that has just failed one.
TEST_F(Pop3InteropTest, RefusesWrongPassword)
{
    mail.User_Password = "wrong";
    ASSERT_TRUE(runOnce());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], Event(19, "Access Denied"));
    EXPECT_FALSE(granted());
}

}  // namespace

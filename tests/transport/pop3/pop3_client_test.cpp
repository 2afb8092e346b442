// GetMail's login against the scripted loopback peer (a server without CAPA): success, "-ERR" at each
// step, the peer closing after the greeting, an over-long user name, a second start while busy, and one OnDone per run.

#include "transport/pop3/pop3_client.h"

#include "tests/support/closed_port.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/wait_until.h"
#include "tests/transport/get_mail_recorder.h"

#include <gtest/gtest.h>

#include <vector>

using sorvanta::test::closedPort;
using sorvanta::test::GetMailRecorder;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::waitUntil;

namespace {

using Event = GetMailRecorder::Event;

// The greeting of a server that does not know CAPA: the login then goes on with USER as it always did.
ScriptedPeer& greetWithoutCapa(ScriptedPeer& peer)
{
    return peer.send("+OK ready\r\n").expectLine().send("-ERR unknown command\r\n");
}

class GetMailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mail.User_ID = "tim";
        mail.User_Password = "secret";
    }

    void start(const ScriptedPeer& peer)
    {
        mail.setMail_Server(peer.address());
        mail.Mail_Port = peer.port();
        mail.setMail_Action(TGetMailAction::Get_Mail);
    }

    bool finished() { return owner.finishedOnce(); }

    GetMail mail;
    GetMailRecorder owner{mail};
    std::vector<Event>& infos = owner.infos;
    std::vector<Event>& errors = owner.errors;
};

TEST_F(GetMailTest, LoginGrantedThenOwnerAborts)
{
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().send("+OK user\r\n").expectLine().send("+OK logged in\r\n").wait(200);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    EXPECT_EQ(peer.received(0), QByteArray("CAPA\r\nUSER tim\r\nPASS secret\r\n"));
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(infos.front(), Event(0, "127.0.0.1"));
    EXPECT_TRUE(owner.hasInfo(11));
    EXPECT_EQ(infos.back(), Event(10, "Access Granted"));
    EXPECT_EQ(mail.lastErrorCode(), 14);
}

TEST_F(GetMailTest, LoginGrantedWithoutAbortQuits)
{
    owner.abortOnGrant = false;
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().send("+OK\r\n").expectLine().send("+OK\r\n").expectLine()
        .send("+OK bye\r\n").close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    EXPECT_EQ(peer.received(0), QByteArray("CAPA\r\nUSER tim\r\nPASS secret\r\nQUIT\r\n"));
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(owner.hasInfo(1));
}

struct RefusalCase { const char* name; int refusedStep; QByteArray expectedSent; };

class GetMailRefusalTest : public GetMailTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(GetMailRefusalTest, ErrAtStepIsAccessDenied)
{
    const RefusalCase& c = GetParam();
    ScriptedPeer peer;
    const QByteArray replies[] = {"+OK ready\r\n", "+OK user\r\n", "+OK pass\r\n"};
    for (int step = 0; step < 3; ++step) {
        if (step > 0)
            peer.expectLine();
        peer.send(step == c.refusedStep ? QByteArray("-ERR no\r\n") : replies[step]);
        if (step == c.refusedStep)
            break;
        if (step == 0)
            peer.expectLine().send("-ERR unknown command\r\n");
    }
    peer.wait(300);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], Event(19, "Access Denied"));
    EXPECT_FALSE(owner.hasInfo(10));
    pumpEvents(100);
    EXPECT_EQ(peer.received(0), c.expectedSent);
}

INSTANTIATE_TEST_SUITE_P(Steps, GetMailRefusalTest, ::testing::Values(
    RefusalCase{"greeting", 0, ""},
    RefusalCase{"user", 1, "CAPA\r\nUSER tim\r\n"},
    RefusalCase{"password", 2, "CAPA\r\nUSER tim\r\nPASS secret\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(GetMailTest, PeerClosingAfterGreetingIsPrematureDisconnect)
{
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], Event(17, "Prematurely Disconnected"));
    EXPECT_TRUE(owner.hasInfo(1));
}

TEST_F(GetMailTest, PeerResetIsReportedOnce)
{
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().reset();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], Event(7, "Connection reset by remote side"));
}

TEST_F(GetMailTest, LongUserNameIsCutTo253Characters)
{
    mail.User_ID = QString(300, u'u');
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().send("-ERR unknown\r\n").wait(200);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    EXPECT_EQ(peer.received(0), "CAPA\r\nUSER " + QByteArray(248, 'u') + "\r\n");
}

TEST_F(GetMailTest, LineBreakInPasswordSendsNoFurtherCommand)
{
    mail.User_Password = "pw\r\nDELE 1";
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().send("+OK\r\n").expectLine().send("-ERR bad\r\n").wait(200);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    EXPECT_EQ(peer.received(0), QByteArray("CAPA\r\nUSER tim\r\nPASS pw\r\n"));
}

TEST_F(GetMailTest, SecondStartWhileBusyLeavesSessionAlone)
{
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().wait(200).send("+OK\r\n").expectLine().send("+OK\r\n").wait(200);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitUntil([&] { return peer.received(0).contains("USER"); }));
    mail.setMail_Action(TGetMailAction::Get_Mail);      // while the reply to USER is awaited
    EXPECT_EQ(infos.back(), Event(9, QString()));
    ASSERT_TRUE(finished());
    EXPECT_EQ(peer.connectionCount(), 1);
    EXPECT_EQ(peer.received(0), QByteArray("CAPA\r\nUSER tim\r\nPASS secret\r\n"));
    EXPECT_EQ(infos.back(), Event(10, "Access Granted"));
}

TEST_F(GetMailTest, RefusedConnectionReportsOnce)
{
    mail.setMail_Server("127.0.0.1");
    mail.Mail_Port = closedPort();
    mail.setMail_Action(TGetMailAction::Get_Mail);
    ASSERT_TRUE(finished());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], Event(12, "Connection Refused"));
}

TEST_F(GetMailTest, EmptyHostIsAddressResolutionError)
{
    mail.setMail_Server("");
    mail.setMail_Action(TGetMailAction::Get_Mail);
    ASSERT_TRUE(finished());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], Event(16, "Address resolution error"));
}

TEST_F(GetMailTest, RunsAgainAfterDone)
{
    ScriptedPeer peer;
    greetWithoutCapa(peer).expectLine().send("+OK\r\n").expectLine().send("+OK\r\n").wait(300);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(finished());
    mail.setMail_Action(TGetMailAction::Get_Mail);
    ASSERT_TRUE(waitUntil([this] { return owner.doneCount == 2; }));
    EXPECT_EQ(peer.connectionCount(), 2);
    EXPECT_EQ(peer.received(1), QByteArray("CAPA\r\nUSER tim\r\nPASS secret\r\n"));
}

}  // namespace

// The SMTP client dialogue against the scripted loopback peer: exact lines sent, continuation replies,
// replies split across reads, a refusal at each step, the peer closing mid-command, a 5000-byte line
// without CR LF, several recipients, refused connections and the argument checks that stop injection.

#include "tests/support/closed_port.h"
#include "tests/transport/smtp_dialogue.h"

#include <gtest/gtest.h>


#include <ostream>
#include <string>

using sorvanta::test::closedPort;
using sorvanta::test::Done;
using sorvanta::test::expectLines;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::SmtpClientDriver;
using sorvanta::test::waitUntil;

namespace {

// The lines TSmtpCli sends after DATA for the fixture's two text lines, "." included: nine header lines, the
// empty line, "Hello", "..dot", the empty line ending the body, and ".".
constexpr int MessageLines = 14;

class SmtpDialogueTest : public ::testing::Test {
protected:
    SmtpDialogueTest()
    {
        client.OnGetData = [](TSmtpCli*, int lineNum, QByteArray& line, int, bool& more) {
            static const QList<QByteArray> lines{"Hello", ".dot"};
            more = lineNum <= lines.size();
            if (more)
                line = lines[lineNum - 1];
        };
    }

    void run(std::vector<std::function<void()>> steps)
    {
        ASSERT_TRUE(peer.listen());
        driver.run(peer.port(), std::move(steps));
    }
    void runWholeMessage()
    {
        ASSERT_TRUE(peer.listen());
        driver.runWholeMessage(peer.port());
    }
    bool waitForDone(size_t count) { return driver.waitForDone(count); }

    ScriptedPeer peer;
    TSmtpCli client;
    SmtpClientDriver driver{client};
    std::vector<Done>& done = driver.done;
};

TEST_F(SmtpDialogueTest, WholeDialogueSendsExactlyTheseLines)
{
    peer.send("220 peer ready\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 sender ok\r\n")
        .expectLine().send("250 recipient ok\r\n").expectLine().send("354 go ahead\r\n");
    expectLines(peer, MessageLines).send("250 queued\r\n").expectLine().send("221 bye\r\n").close();
    runWholeMessage();
    ASSERT_TRUE(waitForDone(5));
    EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}, {smtpMailFrom, 0}, {smtpRcptTo, 0}, {smtpData, 0},
                                       {smtpQuit, 0}}));
    EXPECT_EQ(client.LastResponse(), "221 bye");
    const QByteArray sent = peer.received(0);
    EXPECT_TRUE(sent.startsWith("HELO tester.example\r\nMAIL FROM:<sender@example.test>\r\n"
                                "RCPT TO:<rcpt@example.test>\r\nDATA\r\nFrom:"));
    EXPECT_TRUE(sent.endsWith("\r\n\r\nHello\r\n..dot\r\n\r\n.\r\nQUIT\r\n"));
    ASSERT_TRUE(waitUntil([&] { return !client.Connected(); }));
}

TEST_F(SmtpDialogueTest, ContinuationRepliesCompleteTheCommandOnce)
{
    peer.send("220-first banner line\r\n220-second\r\n220 last\r\n").expectLine()
        .send("250-tester.example hello\r\n250-SIZE 1000\r\n250 HELP\r\n");
    run({});
    ASSERT_TRUE(waitForDone(1));
    pumpEvents(50);
    EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}}));
    EXPECT_EQ(client.LastResponse(), "250 HELP");
}

TEST_F(SmtpDialogueTest, RepliesSplitAcrossReadsAreJoined)
{
    peer.send("22").wait(30).send("0 rea").wait(30).send("dy\r").wait(30).send("\n").expectLine()
        .send("250-a\r\n25").wait(30).send("0 b\r\n").expectLine().send("250 sender ok\r").wait(30).send("\n");
    run({[this] { client.MailFrom(); }});
    ASSERT_TRUE(waitForDone(2));
    EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}, {smtpMailFrom, 0}}));
    EXPECT_EQ(client.LastResponse(), "250 sender ok");
}

TEST_F(SmtpDialogueTest, MailChainsMailFromRecipientsAndDataIntoOneRequest)
{
    client.RcptName = {"one@example.test", "two@example.test"};
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 ok\r\n").expectLine()
        .send("250 ok\r\n").expectLine().send("250 ok\r\n").expectLine().send("354 go\r\n");
    expectLines(peer, MessageLines).send("250 queued\r\n");
    run({[this] { client.Mail(); }});
    ASSERT_TRUE(waitForDone(2));
    pumpEvents(50);
    EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}, {smtpMail, 0}}));
    EXPECT_TRUE(peer.received(0).startsWith("HELO tester.example\r\nMAIL FROM:<sender@example.test>\r\n"
                                            "RCPT TO:<one@example.test>\r\nRCPT TO:<two@example.test>\r\nDATA\r\n"));
}

TEST_F(SmtpDialogueTest, MailStopsAtARefusedRecipient)
{
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 ok\r\n").expectLine()
        .send("550 unknown\r\n");
    run({[this] { client.Mail(); }});
    ASSERT_TRUE(driver.waitForError());
    pumpEvents(50);
    EXPECT_EQ(done.back(), (Done{smtpMail, 550}));
    EXPECT_FALSE(peer.received(0).contains("DATA"));
}

TEST_F(SmtpDialogueTest, RsetAndVrfySendTheirCommands)
{
    client.HdrTo = "postmaster";
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 reset\r\n").expectLine()
        .send("252 cannot verify\r\n");
    run({[this] { client.Rset(); }, [this] { client.Vrfy(); }});
    ASSERT_TRUE(waitForDone(3));
    EXPECT_EQ(done, (std::vector<Done>{{smtpConnect, 0}, {smtpRset, 0}, {smtpVrfy, 252}}));
    EXPECT_TRUE(peer.received(0).endsWith("RSET\r\nVRFY postmaster\r\n"));
}

// ---- a refusal at each step

struct RefusalCase {
    const char* name;
    int step;                 // index into the dialogue below where the peer refuses
    QByteArray refusal;
    Done last;
};

void PrintTo(const RefusalCase& c, std::ostream* os)
{
    *os << c.name;
}

class SmtpRefusalTest : public SmtpDialogueTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(SmtpRefusalTest, EndsTheRequestWithTheRefusingCode)
{
    const RefusalCase& c = GetParam();
    const QList<QByteArray> replies{"220 hi\r\n", "250 hello\r\n", "250 ok\r\n", "250 ok\r\n",
                                    "354 go\r\n", "250 queued\r\n", "221 bye\r\n"};
    for (int step = 0; step <= c.step; ++step) {
        if (step == 5)
            expectLines(peer, MessageLines);
        else if (step > 0)
            peer.expectLine();
        peer.send(step == c.step ? c.refusal : replies[step]);
    }
    runWholeMessage();
    ASSERT_TRUE(driver.waitForError());
    pumpEvents(50);
    EXPECT_EQ(done.back(), c.last);
    EXPECT_EQ(client.LastResponse(), QString::fromLatin1(c.refusal.chopped(2)));
    EXPECT_EQ(client.ErrorMessage(), client.LastResponse());
    if (c.step == 4) {
        EXPECT_TRUE(peer.received(0).endsWith("DATA\r\n"));   // refused DATA: no line of the message
    }
}

INSTANTIATE_TEST_SUITE_P(Steps, SmtpRefusalTest, ::testing::Values(
    RefusalCase{"banner", 0, "554 go away\r\n", {smtpConnect, 10004}},
    RefusalCase{"helo", 1, "501 bad name\r\n", {smtpConnect, 501}},
    RefusalCase{"mail_from", 2, "550 sender refused\r\n", {smtpMailFrom, 550}},
    RefusalCase{"rcpt_to", 3, "550 no such user\r\n", {smtpRcptTo, 550}},
    RefusalCase{"data", 4, "554 no data now\r\n", {smtpData, 554}},
    RefusalCase{"final_dot", 5, "552 too big\r\n", {smtpData, 552}},
    RefusalCase{"quit", 6, "500 what\r\n", {smtpQuit, 500}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the peer misbehaves

TEST_F(SmtpDialogueTest, PeerClosingMidCommandEndsItWith10004)
{
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().close();
    run({[this] { client.MailFrom(); }});
    ASSERT_TRUE(waitForDone(2));
    EXPECT_EQ(done.back(), (Done{smtpMailFrom, 10004}));
    EXPECT_FALSE(client.Connected());
    pumpEvents(50);
    EXPECT_EQ(done.size(), 2u);
}

TEST_F(SmtpDialogueTest, LineOf5000BytesWithoutCrLfEndsInAnErrorAndDropsTheConnection)
{
    for (const bool asBanner : {true, false}) {
        ScriptedPeer hostile;
        if (!asBanner)
            hostile.send("220 hi\r\n").expectLine();
        hostile.send("250-" + QByteArray(4996, 'x'));
        ASSERT_TRUE(hostile.listen());
        done.clear();
        client.Port = QString::number(hostile.port());
        client.Open();
        ASSERT_TRUE(waitForDone(1));
        EXPECT_EQ(done.back(), (Done{smtpConnect, 500}));
        EXPECT_EQ(client.LastResponse(), "500 Reply line longer than 4094 bytes");
        EXPECT_FALSE(client.Connected());
        EXPECT_TRUE(waitUntil([&] { return hostile.disconnectedCount() == 1; }));
    }
}

TEST_F(SmtpDialogueTest, MalformedReplyIsAFailureNotASuccess)
{
    peer.send("220 hi\r\n").expectLine().send("hello, I am not SMTP\r\n");
    run({});
    ASSERT_TRUE(waitForDone(1));
    EXPECT_EQ(done.back(), (Done{smtpConnect, 500}));
    EXPECT_EQ(client.LastResponse(), "500 Malformed reply line 'hello, I am not SMTP'");
}

TEST_F(SmtpDialogueTest, RefusedConnectionReportsTheWinsockError)
{
    client.Port = QString::number(closedPort());
    client.Open();
    ASSERT_TRUE(waitForDone(1));
    EXPECT_EQ(done.back(), (Done{smtpConnect, 10061}));
    EXPECT_EQ(client.LastResponse(), "500 Connection refused (Winsock error #10061)");
}

TEST_F(SmtpDialogueTest, HostThatCannotBeResolvedReportsTheWinsockError)
{
    client.Host.clear();
    client.Open();
    ASSERT_TRUE(waitForDone(1));
    EXPECT_EQ(done.back(), (Done{smtpConnect, 10022}));
    EXPECT_TRUE(client.LastResponse().startsWith("500 "));
    EXPECT_TRUE(client.LastResponse().endsWith(" (Winsock error #10022)"));
}

// ---- recipients

TEST_F(SmtpDialogueTest, RefusedRecipientIsReportedEvenWhenALaterOneIsAccepted)
{
    client.RcptName = {"one@example.test", "two@example.test", "three@example.test"};
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("251 will forward\r\n")
        .expectLine().send("550 two: no such user\r\n").expectLine().send("250 ok\r\n");
    run({[this] { client.RcptTo(); }});
    ASSERT_TRUE(waitForDone(2));
    EXPECT_EQ(done.back(), (Done{smtpRcptTo, 550}));
    EXPECT_EQ(client.LastResponse(), "550 two: no such user");
    EXPECT_TRUE(peer.received(0).endsWith(
        "RCPT TO:<one@example.test>\r\nRCPT TO:<two@example.test>\r\nRCPT TO:<three@example.test>\r\n"));
}

TEST_F(SmtpDialogueTest, Recipient251CountsAsAccepted)
{
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n").expectLine().send("251 will forward\r\n");
    run({[this] { client.RcptTo(); }});
    ASSERT_TRUE(waitForDone(2));
    EXPECT_EQ(done.back(), (Done{smtpRcptTo, 0}));
}

// ---- programming errors

TEST_F(SmtpDialogueTest, CrLfOrNulInCommandArgumentsRaisesAndSendsNothing)
{
    peer.send("220 hi\r\n").expectLine().send("250 hello\r\n");
    run({});
    ASSERT_TRUE(waitForDone(1));
    const QByteArray before = peer.received(0);

    client.FromName = "a@example.test>\r\nRCPT TO:<victim@example.test";
    EXPECT_THROW(client.MailFrom(), SmtpException);
    EXPECT_THROW(client.Mail(), SmtpException);
    client.FromName = "a@example.test";
    client.RcptName = {"ok@example.test", QString("b@example.test") + QChar(0) + "x"};
    EXPECT_THROW(client.RcptTo(), SmtpException);
    client.RcptName = {"b@example.test\nDATA"};
    EXPECT_THROW(client.RcptTo(), SmtpException);
    pumpEvents(50);
    EXPECT_EQ(peer.received(0), before);

    TSmtpCli fresh;
    fresh.SignOn = "me\r\nMAIL FROM:<x>";
    try {
        fresh.Open();
        ADD_FAILURE() << "Open accepted a HELO text with CR LF";
    } catch (const SmtpException& e) {
        EXPECT_TRUE(e.text().startsWith("CR, LF or NUL in HELO text"));
    }
}

TEST_F(SmtpDialogueTest, OperationsCheckReadyAndConnected)
{
    TSmtpCli idle;
    EXPECT_THROW(idle.MailFrom(), SmtpException);
    try {
        idle.Helo();
    } catch (const SmtpException& e) {
        EXPECT_EQ(e.text(), "SMTP component not connected");
    }
    peer.send("220 hi\r\n").expectLine();   // HELO is never answered
    run({});
    ASSERT_TRUE(waitUntil([&] { return !peer.received(0).isEmpty(); }));
    try {
        client.MailFrom();
        ADD_FAILURE() << "a second command while HELO waits";
    } catch (const SmtpException& e) {
        EXPECT_EQ(e.text(), "SMTP component not ready");
    }
    client.Abort();
    client.RcptName.clear();
    EXPECT_THROW(client.Mail(), SmtpException);
}

TEST_F(SmtpDialogueTest, QuitWithoutConnectionReportsLaterAndAbortDropsIt)
{
    client.Quit();
    EXPECT_TRUE(done.empty());                              // posted, never inside the call
    ASSERT_TRUE(waitForDone(1));
    EXPECT_EQ(done.back(), (Done{smtpQuit, 0}));

    client.Quit();
    client.Abort();
    pumpEvents(50);
    EXPECT_EQ(done.size(), 1u);
}

}  // namespace

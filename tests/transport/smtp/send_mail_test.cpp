// SendMail's dialogue against the scripted loopback peer: HELO/EHLO choice, AUTH mechanism, LOGIN,
// CRAM-MD5 and DIGEST-MD5 exchanges, the recipient walk, kept-open messages, and how runs end (error
// replies, early close, reset, refusal, resolution) with exactly one OnDone each.

#include "transport/smtp/send_mail.h"

#include "tests/support/closed_port.h"
#include "tests/transport/composer_test_support.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/stalled_listener.h"
#include "tests/support/wait_until.h"
#include "transport/mime/base64.h"
#include "transport/net/helo_name.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

using sorvanta::test::closedPort;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::StalledListener;
using sorvanta::test::waitUntil;
using sorvanta::test::writeTestFile;

namespace {

using Event = std::pair<int, QString>;

// The default greeting over loopback: the host name when it is dotted, else "[127.0.0.1]".
const QByteArray kLocal = heloNameFor(TStarSocket::localHostName(), QString(), "127.0.0.1").toUtf8();

std::vector<Event> only(int code, const QString& text)
{
    return {Event(code, text)};
}

// The owner as the sending window behaves: cancels at every error, counts OnDone.
class SendMailTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QObject::connect(&mail, &SendMail::OnMailInfo, [this](int info, const QString& text) {
            infos.emplace_back(info, text);
        });
        QObject::connect(&mail, &SendMail::OnMailError, [this](int error, const QString& text) {
            errors.emplace_back(error, text);
            mail.setAction(TMailAction::Cancel_SendMail);
        });
        QObject::connect(&mail, &SendMail::OnDone, [this] { ++doneCount; });
        mail.FROM_Address = "sender@example.test";
        mail.TO_Address = "first@example.test";
        mail.Subject = "Test";
        mail.MailText = {"Hello,", ".a line with a leading dot", "bye"};
        mail.Content_Type = "text/plain";
        mail.Charset = "us-ascii";
    }

    void start(const ScriptedPeer& peer)
    {
        mail.setSMTP_Server(peer.address());
        mail.SMTP_Port = peer.port();
        mail.setAction(TMailAction::Send_Mail);
    }

    // The DATA stream of the fixture's message to its first recipient: a single text part, so no random
    // boundary is in it and its bytes are known before the run.
    QByteArray composed() const
    {
        ExternalMessage message;
        message.FROM_Address = mail.FROM_Address;
        message.ListTo = QStringList{mail.TO_Address + '|' + mail.TO_Name} + mail.ListTo;
        message.Listcc = mail.Listcc;
        message.Subject = mail.Subject;
        message.MailText = mail.MailText;
        message.Content_Type = mail.Content_Type;
        message.Charset = mail.Charset;
        return ExternalComposer(message, AttachmentSlots(), ComposerEvents()).composeAll() + ".\r\n";
    }

    // The server's side of one message after the greeting: MAIL FROM, the RCPTs, DATA and the data.
    static void acceptMessage(ScriptedPeer& peer, int recipients, const QByteArray& data)
    {
        peer.expectLine().send("250 sender ok\r\n");
        for (int i = 0; i < recipients; ++i)
            peer.expectLine().send("250 recipient ok\r\n");
        peer.expectLine().send("354 go ahead\r\n").expectBytes(int(data.size())).send("250 queued as 1\r\n");
    }

    // The server's side of a HELO session with one recipient up to its "354" to DATA.
    static ScriptedPeer& acceptUpToData(ScriptedPeer& peer)
    {
        return peer.send("220 mx\r\n")
            .expectLine().send("250 hello\r\n")
            .expectLine().send("250 sender ok\r\n")
            .expectLine().send("250 recipient ok\r\n")
            .expectLine().send("354 go ahead\r\n");
    }

    static QByteArray mailCommands(const QByteArrayList& recipients, const QByteArray& data)
    {
        QByteArray bytes = "MAIL FROM:<sender@example.test>\r\n";
        for (const QByteArray& recipient : recipients)
            bytes += "RCPT TO:<" + recipient + ">\r\n";
        return bytes + "DATA\r\n" + data;
    }

    bool waitDone(int count = 1) { return waitUntil([&] { return doneCount >= count; }); }

    // The fixture's message once more, after the run before ended; true once this run is done.
    bool sendAgain()
    {
        mail.TO_Address = "first@example.test";
        mail.setAction(TMailAction::Send_Mail);
        const bool done = waitDone(doneCount + 1);
        pumpEvents(50);
        return done;
    }

    int infoCount(int info) const
    {
        int n = 0;
        for (const Event& event : infos)
            n += event.first == info;
        return n;
    }

    SendMail mail;
    std::vector<Event> infos;
    std::vector<Event> errors;
    int doneCount = 0;
};

// ---- greeting

struct GreetingCase {
    const char* name;
    QByteArray banner;
    bool smtpAuth;
    bool heloDef;
    QByteArray heloTxt;
    QByteArray expected;
};

class GreetingTest : public SendMailTest, public ::testing::WithParamInterface<GreetingCase> {};

TEST_P(GreetingTest, BannerAndSettingsChooseTheGreeting)
{
    const GreetingCase& c = GetParam();
    mail.SmtpAuth = c.smtpAuth;
    mail.HeloDef = c.heloDef;
    mail.HeloTxt = QString::fromUtf8(c.heloTxt);
    ScriptedPeer peer;
    peer.send(c.banner).expectLine().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(peer.received(0), c.expected + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Greetings, GreetingTest,
    ::testing::Values(
        GreetingCase{"esmtp_with_auth", "220 mx ESMTP ready\r\n", true, true, "", "EHLO " + kLocal},
        GreetingCase{"esmtp_without_auth", "220 mx ESMTP ready\r\n", false, true, "", "HELO " + kLocal},
        GreetingCase{"hello_banner_with_auth", "220 HELLO there\r\n", true, true, "", "HELO " + kLocal},
        GreetingCase{"esmtp_wins_over_hello", "220 HELLO ESMTP\r\n", true, true, "", "EHLO " + kLocal},
        GreetingCase{"plain_banner_with_auth", "220 mx ready\r\n", true, true, "", "EHLO " + kLocal},
        GreetingCase{"case_sensitive_search", "220 hello esmtp\r\n", true, true, "", "EHLO " + kLocal},
        GreetingCase{"own_helo_text", "220 mx\r\n", false, false, "client.example", "HELO client.example"},
        GreetingCase{"empty_helo_text_uses_local_name", "220 mx\r\n", false, false, "", "HELO " + kLocal},
        GreetingCase{"empty_ehlo_text_uses_default_name", "220 ESMTP\r\n", true, false, "", "EHLO " + kLocal},
        GreetingCase{"multiline_banner_first_line_decides", "220-HELLO\r\n220 ESMTP\r\n", true, true, "",
                     "HELO " + kLocal}),
    [](const auto& info) { return std::string(info.param.name); });

// A desktop whose name has no dot greets with the account's mail domain, not an address literal that
// filters score; the preferences' text still wins.
TEST_F(SendMailTest, ShortHostNameGreetsWithTheMailDomain)
{
    if (TStarSocket::localHostName().contains(u'.'))
        GTEST_SKIP() << "the host name is dotted: it is the greeting";
    for (const bool ownText : {false, true}) {
        mail.HeloDef = !ownText;
        mail.HeloTxt = QStringLiteral("client.example");
        mail.MailDomain = QStringLiteral("origin.test");
        mail.TO_Address = "first@example.test";
        ScriptedPeer peer;
        peer.send("220 mx\r\n").expectLine().close();
        ASSERT_TRUE(peer.listen());
        const int runsBefore = doneCount;
        start(peer);
        ASSERT_TRUE(waitDone(runsBefore + 1));
        EXPECT_EQ(peer.received(0), ownText ? "HELO client.example\r\n" : "HELO origin.test\r\n");
    }
}

// ---- AUTH mechanism from the EHLO reply

struct AuthCase {
    const char* name;
    QByteArray ehloReply;
    QByteArray expected;
};

class AuthChoiceTest : public SendMailTest, public ::testing::WithParamInterface<AuthCase> {};

TEST_P(AuthChoiceTest, EhloReplyChoosesTheMechanism)
{
    mail.SmtpAuth = true;
    mail.SmtpUser = "user@example.test";
    mail.SmtpPsw = "secret";
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n").expectLine().send(GetParam().ehloReply).expectLine().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(peer.received(0), "EHLO " + kLocal + "\r\n" + GetParam().expected + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Mechanisms, AuthChoiceTest,
    ::testing::Values(
        AuthCase{"login_among_others", "250-mx\r\n250-AUTH LOGIN PLAIN\r\n250 SIZE 1000\r\n", "AUTH LOGIN"},
        AuthCase{"old_equals_form", "250-mx\r\n250-AUTH=LOGIN\r\n250 OK\r\n", "AUTH LOGIN"},
        AuthCase{"cram_preferred", "250-mx\r\n250 AUTH LOGIN DIGEST-MD5 CRAM-MD5\r\n", "AUTH CRAM-MD5"},
        AuthCase{"digest_over_login", "250-mx\r\n250-AUTH login digest-md5\r\n250 8BITMIME\r\n",
                 "AUTH DIGEST-MD5"},
        AuthCase{"nothing_offered", "250-mx\r\n250 SIZE\r\n", "AUTH LOGIN"},
        AuthCase{"bare_code_ends_the_reply", "250-mx\r\n250-AUTH CRAM-MD5\r\n250\r\n", "AUTH CRAM-MD5"},
        AuthCase{"plain_only", "250-mx\r\n250 AUTH PLAIN\r\n",
                 "AUTH PLAIN " + base64::encode(QByteArray("\0user@example.test\0secret", 25))},
        AuthCase{"login_over_plain", "250-mx\r\n250 AUTH PLAIN LOGIN\r\n", "AUTH LOGIN"},
        AuthCase{"cram_over_plain", "250-mx\r\n250 AUTH PLAIN CRAM-MD5\r\n", "AUTH CRAM-MD5"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- authentication exchanges

TEST_F(SendMailTest, LoginSendsUserAndPasswordThenTheMessageAndQuits)
{
    mail.SmtpAuth = true;
    mail.SmtpUser = "user@example.test";
    mail.SmtpPsw = "secret";
    const QByteArray data = composed();
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n")
        .expectLine().send("250-mx\r\n250-AUTH LOGIN\r\n250 HELP\r\n")
        .expectLine().send("334 VXNlcm5hbWU6\r\n")
        .expectLine().send("334 UGFzc3dvcmQ6\r\n")
        .expectLine().send("235 2.7.0 Authentication successful\r\n");
    acceptMessage(peer, 1, data);
    peer.expectLine().send("221 bye\r\n").close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(peer.received(0), "EHLO " + kLocal + "\r\nAUTH LOGIN\r\n" + base64::encode("user@example.test") +
                                    "\r\n" + base64::encode("secret") + "\r\n" +
                                    mailCommands({"first@example.test"}, data) + "QUIT\r\n");
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(mail.MessageAccepted());
    EXPECT_EQ(infos.front(), Event(0, peer.address()));
    EXPECT_EQ(infoCount(4), 1);
    EXPECT_EQ(infos.back(), Event(3, QString()));
    pumpEvents(20);
    EXPECT_EQ(doneCount, 1);
}

// A LOGIN exchange the server ends early with success: MAIL FROM follows at once instead of a wait for ever.
TEST_F(SendMailTest, LoginEndedWithoutAChallengeGoesOnWithMailFrom)
{
    mail.SmtpAuth = true;
    mail.SmtpUser = "user";
    mail.SmtpPsw = "secret";
    for (const int challenges : {0, 1}) {
        ScriptedPeer peer;
        peer.send("220 mx ESMTP\r\n").expectLine().send("250 AUTH LOGIN\r\n");
        for (int i = 0; i < challenges; ++i)
            peer.expectLine().send("334 VXNlcm5hbWU6\r\n");
        peer.expectLine().send("235 already fine\r\n").expectLine().close();
        ASSERT_TRUE(peer.listen());
        start(peer);
        ASSERT_TRUE(waitDone(challenges + 1)) << challenges;
        EXPECT_TRUE(peer.received(0).endsWith("MAIL FROM:<sender@example.test>\r\n")) << challenges;
        mail.TO_Address = "first@example.test";
    }
}

TEST_F(SendMailTest, RejectedPasswordIsAnErrorAndNothingMoreIsSent)
{
    mail.SmtpAuth = true;
    mail.SmtpUser = "user";
    mail.SmtpPsw = "wrong";
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n")
        .expectLine().send("250-mx\r\n250 AUTH LOGIN\r\n")
        .expectLine().send("334 VXNlcm5hbWU6\r\n")
        .expectLine().send("334 UGFzc3dvcmQ6\r\n")
        .expectLine().send("535 5.7.8 Authentication credentials invalid\r\n");
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    pumpEvents(20);
    EXPECT_EQ(errors, only(13, "Unexpected response: 535 5.7.8 Authentication credentials invalid"));
    EXPECT_TRUE(peer.received(0).endsWith(base64::encode("wrong") + "\r\n"));
    EXPECT_FALSE(mail.MessageAccepted());
    EXPECT_EQ(mail.lastErrorCode(), 14);
    EXPECT_EQ(doneCount, 1);
}

TEST_F(SendMailTest, CramMd5AnswersTheChallengeOfRfc2195)
{
    mail.SmtpAuth = true;
    mail.SmtpUser = "tim";
    mail.SmtpPsw = "tanstaaftanstaaf";
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n")
        .expectLine().send("250-mx\r\n250 AUTH CRAM-MD5\r\n")
        .expectLine().send("334 PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+\r\n")
        .expectLine().send("235 ok\r\n")
        .expectLine().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(peer.received(0), "EHLO " + kLocal + "\r\nAUTH CRAM-MD5\r\n" +
                                    "dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw\r\n" +
                                    "MAIL FROM:<sender@example.test>\r\n");
}

// The directives of a DIGEST-MD5 answer: key=value or key="value", comma-separated.
QMap<QByteArray, QByteArray> directives(const QByteArray& text)
{
    QMap<QByteArray, QByteArray> result;
    for (const QByteArray& item : text.split(',')) {
        const qsizetype equals = item.indexOf('=');
        QByteArray value = item.mid(equals + 1);
        if (value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        result.insert(item.left(equals), value);
    }
    return result;
}

QByteArray md5(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5);
}

// RFC 2831 section 2.1.2.1, computed here independently of the component.
QByteArray digestValue(const QMap<QByteArray, QByteArray>& d, const QByteArray& password, const QByteArray& a2Prefix)
{
    const QByteArray a1 = md5(d["username"] + ':' + d["realm"] + ':' + password) + ':' + d["nonce"] + ':' + d["cnonce"];
    const QByteArray a2 = a2Prefix + ':' + d["digest-uri"];
    return md5(md5(a1).toHex() + ':' + d["nonce"] + ':' + d["nc"] + ':' + d["cnonce"] + ':' + d["qop"] + ':' +
               md5(a2).toHex())
        .toHex();
}

TEST_F(SendMailTest, DigestMd5FollowsRfc2831AndAnswersTheServerProofWithAnEmptyLine)
{
    mail.SmtpAuth = true;
    mail.SmtpUser = "chris";
    mail.SmtpPsw = "secret";
    QMap<QByteArray, QByteArray> answer;
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n")
        .expectLine().send("250-mx\r\n250 AUTH DIGEST-MD5\r\n")
        .expectLine()
        .send("334 " + base64::encode("realm=\"elwood.innosoft.com\",nonce=\"OA6MG9tEQGm2hh\",qop=\"auth\","
                                      "algorithm=md5-sess,charset=utf-8") + "\r\n")
        .expectLine()
        .respond([&](const QByteArray& line) -> QByteArray {
            answer = directives(base64::decode(line.trimmed()));
            if (answer["response"] != digestValue(answer, "secret", "AUTHENTICATE"))
                return "535 wrong response\r\n";
            return "334 " + base64::encode("rspauth=" + digestValue(answer, "secret", "")) + "\r\n";
        })
        .expectLine().send("235 ok\r\n")
        .expectLine().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(answer["username"], "chris");
    EXPECT_EQ(answer["realm"], "elwood.innosoft.com");
    EXPECT_EQ(answer["nonce"], "OA6MG9tEQGm2hh");
    EXPECT_FALSE(answer["cnonce"].isEmpty());
    EXPECT_EQ(answer["nc"], "00000001");
    EXPECT_EQ(answer["qop"], "auth");
    EXPECT_EQ(answer["digest-uri"], "smtp/" + peer.address().toUtf8());
    EXPECT_TRUE(peer.received(0).endsWith("\r\n\r\nMAIL FROM:<sender@example.test>\r\n"));
    EXPECT_EQ(errors, only(17, "Prematurely Disconnected"));
}

TEST_F(SendMailTest, DigestMd5ChallengeWithoutNonceIsRefusedWithAStar)
{
    mail.SmtpAuth = true;
    ScriptedPeer peer;
    peer.send("220 mx ESMTP\r\n")
        .expectLine().send("250-mx\r\n250 AUTH DIGEST-MD5\r\n")
        .expectLine().send("334 " + base64::encode("realm=\"x\",qop=\"auth\",algorithm=md5-sess") + "\r\n")
        .expectLine().send("501 5.7.0 Auth aborted\r\n");
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_TRUE(peer.received(0).endsWith("AUTH DIGEST-MD5\r\n*\r\n"));
    EXPECT_EQ(errors, only(13, "Unexpected response: 501 5.7.0 Auth aborted"));
}

// ---- recipients

TEST_F(SendMailTest, EveryRecipientGetsOneRcptInListOrderThenData)
{
    mail.ListTo = {"b@example.test|Bee", "c@example.test"};
    mail.Listcc = {"d@example.test|Dee"};
    mail.ListBcc = {"e@example.test"};
    const QByteArray data = composed();
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().send("250 hello\r\n");
    acceptMessage(peer, 5, data);
    peer.expectLine().send("221 bye\r\n").close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(peer.received(0), "HELO " + kLocal + "\r\n" +
                                    mailCommands({"first@example.test", "b@example.test", "c@example.test",
                                                  "d@example.test", "e@example.test"},
                                                 data) +
                                    "QUIT\r\n");
    std::vector<QString> announced;
    for (const Event& event : infos)
        if (event.first == 9)
            announced.push_back(event.second);
    EXPECT_EQ(announced, (std::vector<QString>{"first@example.test", "b@example.test", "c@example.test",
                                               "d@example.test", "e@example.test"}));
    // The first recipient was put in front of ListTo for the run only.
    EXPECT_EQ(mail.ListTo, (QStringList{"b@example.test|Bee", "c@example.test"}));
}

TEST_F(SendMailTest, RefusedSecondRecipientIsAnErrorAndNoDataIsSent)
{
    mail.ListTo = {"b@example.test", "c@example.test"};
    ScriptedPeer peer;
    peer.send("220 mx\r\n")
        .expectLine().send("250 hello\r\n")
        .expectLine().send("250 sender ok\r\n")
        .expectLine().send("250 recipient ok\r\n")
        .expectLine().send("550 5.1.1 <b@example.test> unknown\r\n");
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    pumpEvents(20);
    EXPECT_EQ(errors, only(13, "Unexpected response: 550 5.1.1 <b@example.test> unknown"));
    EXPECT_TRUE(peer.received(0).endsWith("RCPT TO:<first@example.test>\r\nRCPT TO:<b@example.test>\r\n"));
    EXPECT_EQ(doneCount, 1);
}

TEST_F(SendMailTest, FirstRecipientComesFromTheListsWhenToAddressIsEmpty)
{
    mail.TO_Address.clear();
    mail.Listcc = {"cc@example.test|Cee"};
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().send("250 hello\r\n").expectLine().send("250 ok\r\n").expectLine().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    EXPECT_TRUE(peer.received(0).endsWith("MAIL FROM:<sender@example.test>\r\nRCPT TO:<cc@example.test>\r\n"));
}

// Refused before anything is sent: not even the connection is made.
TEST_F(SendMailTest, LineBreakInAnAddressCannotSmuggleInACommand)
{
    mail.FROM_Address = "sender@example.test>\r\nRCPT TO:<victim@example.test";
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().send("250 hello\r\n").expectLine().wait(50).close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    pumpEvents(20);
    EXPECT_EQ(peer.connectionCount(), 0);
    EXPECT_EQ(errors, only(18, "Mail Destination Error: invalid address "
                               "'sender@example.test>\\x0d\\x0aRCPT TO:<victim@example.test'"));
}

TEST_F(SendMailTest, NoRecipientAtAllFailsWithoutConnecting)
{
    mail.TO_Address.clear();
    ScriptedPeer peer;
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    pumpEvents(20);
    EXPECT_EQ(errors, only(18, "Mail Destination Error"));
    EXPECT_EQ(peer.connectionCount(), 0);
    EXPECT_EQ(doneCount, 1);
}

// ---- kept-open connection

TEST_F(SendMailTest, KeptOpenConnectionCarriesTheNextMessageFromMailFrom)
{
    mail.KeepConnectionOpen = true;
    const QByteArray data = composed();
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().send("250 hello\r\n");
    acceptMessage(peer, 1, data);
    acceptMessage(peer, 1, data);
    peer.send("421 4.4.2 idle too long\r\n").close();   // what a server does to an idle client
    ASSERT_TRUE(peer.listen());

    start(peer);
    ASSERT_TRUE(waitDone(1));
    EXPECT_TRUE(mail.MessageAccepted());
    EXPECT_TRUE(mail.ListTo.isEmpty());
    mail.TO_Address = "first@example.test";
    mail.setAction(TMailAction::Send_Mail);
    ASSERT_TRUE(waitDone(2));
    EXPECT_TRUE(mail.MessageAccepted());
    ASSERT_TRUE(waitUntil([&] { return peer.disconnectedCount() == 1; }));
    pumpEvents(50);
    const QByteArray message = mailCommands({"first@example.test"}, data);
    EXPECT_EQ(peer.received(0), "HELO " + kLocal + "\r\n" + message + message);   // no RSET, no QUIT
    EXPECT_EQ(doneCount, 2);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(infoCount(3), 0);

    // The idle close was only noted: the next message connects and greets again.
    const size_t infosBefore = infos.size();
    mail.TO_Address = "first@example.test";
    mail.setAction(TMailAction::Send_Mail);
    ASSERT_TRUE(waitDone(3));
    EXPECT_EQ(peer.connectionCount(), 2);
    EXPECT_EQ(peer.received(1), "HELO " + kLocal + "\r\n" + message);
    EXPECT_EQ(infos[infosBefore], Event(0, peer.address()));
}

// The end of a run on a kept connection: QUIT, then the connection closes at the server's 221, or at
// the bound on that reply when the server says nothing; neither is an error or another OnDone.
TEST_F(SendMailTest, QuitEndsTheKeptConnection)
{
    mail.KeepConnectionOpen = true;
    mail.TimeoutReply = 1;
    const QByteArray data = composed();
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers ? "221 to QUIT" : "silent server");
        ScriptedPeer peer;
        peer.send("220 mx\r\n").expectLine().send("250 hello\r\n");
        acceptMessage(peer, 1, data);
        peer.expectLine();
        if (answers)
            peer.send("221 bye\r\n");
        ASSERT_TRUE(peer.listen());
        const int doneBefore = doneCount;
        mail.TO_Address = "first@example.test";
        start(peer);
        ASSERT_TRUE(waitUntil([&] { return doneCount == doneBefore + 1; }, 30000));
        mail.QuitKeptConnection();
        ASSERT_TRUE(waitUntil([&] { return peer.disconnectedCount() == 1; }, 30000));
        EXPECT_TRUE(peer.received(0).endsWith(".\r\nQUIT\r\n"));
        EXPECT_EQ(doneCount, doneBefore + 1);
        EXPECT_TRUE(errors.empty());
    }
}

struct KeptEndCase {
    const char* name;
    std::function<void(ScriptedPeer&)> endMailFrom;   // what the server does to the second MAIL FROM
};

class KeptConnectionEndTest : public SendMailTest, public ::testing::WithParamInterface<KeptEndCase> {};

// The server ends the kept connection before the second message's data: that message goes again, once, on a
// new connection, with no error.
TEST_P(KeptConnectionEndTest, MessageGoesAgainOnANewConnection)
{
    mail.KeepConnectionOpen = true;
    const QByteArray data = composed();
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().send("250 hello\r\n");
    acceptMessage(peer, 1, data);
    GetParam().endMailFrom(peer);
    ASSERT_TRUE(peer.listen());

    start(peer);
    ASSERT_TRUE(waitDone(1));
    ASSERT_TRUE(sendAgain());
    EXPECT_TRUE(errors.empty()) << errors.front().second.toStdString();
    EXPECT_TRUE(mail.MessageAccepted());
    EXPECT_EQ(peer.connectionCount(), 2);
    EXPECT_EQ(peer.received(1), "HELO " + kLocal + "\r\n" + mailCommands({"first@example.test"}, data));
    EXPECT_EQ(doneCount, 2);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, KeptConnectionEndTest,
    ::testing::Values(
        KeptEndCase{"421_to_mail_from",
                    [](ScriptedPeer& p) { p.expectLine().send("421 4.7.0 too many messages\r\n").close(); }},
        KeptEndCase{"closed_at_mail_from", [](ScriptedPeer& p) { p.expectLine().close(); }},
        KeptEndCase{"reset_at_mail_from", [](ScriptedPeer& p) { p.expectLine().reset(); }},
        KeptEndCase{"421_to_rcpt_to", [](ScriptedPeer& p) {
                        p.expectLine().send("250 sender ok\r\n").expectLine().send("421 4.3.2 shutting down\r\n");
                    }}),
    [](const auto& info) { return std::string(info.param.name); });

// A server that ends every connection at the second MAIL FROM: the message goes again once, not for ever.
TEST_F(SendMailTest, KeptConnectionIsOpenedAgainOnlyOnce)
{
    mail.KeepConnectionOpen = true;
    auto mails = std::make_shared<int>(0);
    ScriptedPeer peer;
    peer.respond([mails](const QByteArray& line) -> QByteArray {
            if (line.isEmpty())
                return "220 mx\r\n";
            if (line.startsWith("MAIL"))
                return ++*mails == 1 ? "250 ok\r\n" : "421 4.7.0 too many messages\r\n";
            if (line == "DATA\r\n")
                return "354 go ahead\r\n";
            return line.startsWith("HELO") || line.startsWith("RCPT") || line == ".\r\n" ? "250 ok\r\n" : "";
        })
        .expectLine()
        .repeat();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone(1));
    ASSERT_TRUE(sendAgain());
    EXPECT_EQ(errors, only(13, "Unexpected response: 421 4.7.0 too many messages"));
    EXPECT_EQ(peer.connectionCount(), 2);
    EXPECT_EQ(*mails, 3);
}

// ---- how runs end

TEST_F(SendMailTest, CloseAfterDataBeforeAcceptanceIsPrematureDisconnect)
{
    ScriptedPeer peer;
    acceptUpToData(peer).expectData().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    pumpEvents(50);
    EXPECT_EQ(errors, only(17, "Prematurely Disconnected"));
    EXPECT_FALSE(mail.MessageAccepted());
    EXPECT_EQ(doneCount, 1);   // the owner's cancel inside the error adds no second one
}

// The message was accepted: whatever the server answers to QUIT is no error of the run.
TEST_F(SendMailTest, ErrorReplyToQuitLeavesTheAcceptedMessageAccepted)
{
    const QByteArray data = composed();
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().send("250 hello\r\n");
    acceptMessage(peer, 1, data);
    peer.expectLine().send("500 5.5.1 what?\r\n").close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    pumpEvents(50);
    EXPECT_TRUE(errors.empty());
    EXPECT_TRUE(mail.MessageAccepted());
    EXPECT_EQ(infoCount(3), 1);
    EXPECT_EQ(doneCount, 1);
}

TEST_F(SendMailTest, ResetByServerIsReportedOnceWithOneDone)
{
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().reset();
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    pumpEvents(50);
    EXPECT_EQ(errors, only(7, "Connection reset by remote side"));
    EXPECT_EQ(doneCount, 1);
}

TEST_F(SendMailTest, RefusedConnectionIsReported)
{
    mail.setSMTP_Server("127.0.0.1");
    mail.SMTP_Port = closedPort();
    mail.setAction(TMailAction::Send_Mail);
    ASSERT_TRUE(waitDone());
    pumpEvents(20);
    EXPECT_EQ(errors, only(12, "Connection Refused"));
    EXPECT_EQ(doneCount, 1);
}

TEST_F(SendMailTest, SilentConnectRunsOutItsCountdown)
{
    StalledListener listener;
    ASSERT_NE(listener.port(), 0);
    mail.setCountdownStep(std::chrono::milliseconds(10));
    mail.TimeoutConnect = 10;
    mail.setSMTP_Server("127.0.0.1");
    mail.SMTP_Port = listener.port();
    mail.setAction(TMailAction::Send_Mail);
    ASSERT_TRUE(waitDone());
    pumpEvents(50);
    EXPECT_EQ(errors, only(8, "Connection timed out"));
    EXPECT_EQ(doneCount, 1);
}

TEST_F(SendMailTest, UnreadableAttachmentEndsTheRunWithoutTheEndOfData)
{
    mail.Attachments = {"/nonexistent/folder/report.pdf"};
    ScriptedPeer peer;
    acceptUpToData(peer);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitDone());
    ASSERT_TRUE(waitUntil([&] { return peer.disconnectedCount() == 1; }));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].first, 15);
    EXPECT_FALSE(errors[0].second.isEmpty());
    EXPECT_FALSE(peer.received(0).endsWith("\r\n.\r\n"));
    EXPECT_FALSE(mail.MessageAccepted());
}

// A message's attachments start afresh: a record of an earlier message never claims a plain file's slot.
TEST_F(SendMailTest, ClearedAttachmentSlotsLeaveALaterPlainFileItsOwnPart)
{
    const QString stale = writeTestFile("stale.txt", "stale text\r\n");
    const QString plain = writeTestFile("plain.txt", "plain text\r\n");
    mail.AddAttachment({"Stale.txt", AttachmentEncoding::PlainText, "", "", "", stale});
    mail.ClearAttachments();
    EXPECT_TRUE(mail.Attachments.isEmpty());
    mail.Attachments << plain;
    ScriptedPeer peer;
    acceptUpToData(peer);
    ASSERT_TRUE(peer.listen());
    start(peer);
    ASSERT_TRUE(waitUntil([&] { return peer.received(0).endsWith("\r\n.\r\n"); }));
    EXPECT_TRUE(errors.empty());
    mail.setAction(TMailAction::Cancel_SendMail);
    ASSERT_TRUE(waitDone());
    const QByteArray received = peer.received(0);
    EXPECT_TRUE(received.contains(QByteArray("plain text\r\n").toBase64())) << received.toStdString();
    EXPECT_TRUE(received.contains("filename=\"plain.txt\""));
    EXPECT_FALSE(received.contains("tale"));
    EXPECT_FALSE(received.contains(QByteArray("stale text\r\n").toBase64()));
}

TEST_F(SendMailTest, EmptyServerIsAnAddressResolutionError)
{
    mail.setSMTP_Server("mail.example.test");
    mail.setSMTP_Server("");
    mail.setAction(TMailAction::Send_Mail);
    ASSERT_TRUE(waitDone());
    EXPECT_EQ(errors, only(16, "Address resolution error"));
}

TEST_F(SendMailTest, HostNameIsResolvedBeforeConnecting)
{
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().close();
    ASSERT_TRUE(peer.listen());
    mail.setSMTP_Server("localhost");
    mail.SMTP_Port = peer.port();
    mail.setAction(TMailAction::Send_Mail);
    ASSERT_TRUE(waitDone());
    ASSERT_GE(infos.size(), 3u);
    EXPECT_EQ(infos[0], Event(15, "localhost"));
    EXPECT_EQ(infos[1], Event(14, "127.0.0.1"));
    EXPECT_EQ(infos[2], Event(0, "127.0.0.1"));
}

TEST_F(SendMailTest, StartWhileBusyOnlyReportsBusy)
{
    ScriptedPeer peer;
    peer.send("220 mx\r\n").expectLine().close();
    ASSERT_TRUE(peer.listen());
    start(peer);
    mail.setAction(TMailAction::Send_Mail);
    EXPECT_EQ(infos.back(), Event(13, QString()));
    ASSERT_TRUE(waitDone());
    pumpEvents(20);
    EXPECT_EQ(peer.connectionCount(), 1);
    EXPECT_EQ(doneCount, 1);
}

}  // namespace

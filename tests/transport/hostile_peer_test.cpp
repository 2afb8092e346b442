// Hostile servers on both sending paths (SendMail through the user's server, the relay's direct delivery)
// and for the POP3 login: stalls, resets, junk, floods and servers of other protocols on the port. Every
// row must end with exactly one result, the right code or a time-out, within the time-out and one second,
// with memory flat, and never with a delivered message unless "." was answered 250. A case that must end
// by its time-out runs with 1 s, in real seconds, and ends no earlier; every other case gets a time-out far
// beyond its end, so only the server's event can end it. The upper bounds only catch hangs: the machine may
// be loaded, so how fast a case ends is never checked to the second.

#include "transport/pop3/pop3_client.h"
#include "transport/smtp/send_mail.h"
#include "transport/smtp/smtp_relay.h"

#include "tests/support/process_loopback.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/wait_until.h"
#include "tests/transport/dns_fixtures.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <vector>

using sorvanta::test::processLoopbackAddress;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::waitUntil;

namespace {

constexpr int kTimeOutSeconds = 1;
// A time-out must not end the wait early; Qt's coarse timers may fire up to 5% before their time.
constexpr qint64 kEarliestTimeOutMs = kTimeOutSeconds * 1000 * 9 / 10;
constexpr int kEventOnlyTimeOutSeconds = 120;                  // never reached by a case that ends by an event
constexpr qint64 kDeadlineMs = 60 * 1000;                      // a hang, not a slow machine
constexpr int kWaitMs = int(kDeadlineMs) + 10 * 1000;
constexpr qint64 kMaxGrowthKb = 32 * 1024;                     // "flat": far below a buffered flood

qint64 residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return 0;
}

QByteArray repeated(const QByteArray& line, int count)
{
    QByteArray bytes;
    bytes.reserve(line.size() * count);
    for (int i = 0; i < count; ++i)
        bytes += line;
    return bytes;
}

// ---- the SMTP servers: one answer per line the client sends

using Answer = std::function<QByteArray(const QByteArray& line)>;

// A well-behaved server's answer; an empty answer for the lines of the message.
QByteArray normalAnswer(const QByteArray& line)
{
    if (line.startsWith("HELO ") || line.startsWith("EHLO ") || line.startsWith("MAIL FROM:")
        || line.startsWith("RCPT TO:"))
        return "250 ok\r\n";
    if (line == "DATA\r\n")
        return "354 go ahead\r\n";
    if (line == ".\r\n")
        return "250 queued\r\n";
    if (line == "QUIT\r\n")
        return "221 bye\r\n";
    return {};
}

// The normal server with one line answered otherwise.
Answer answerOtherwise(const QByteArray& command, const QByteArray& reply)
{
    return [command, reply](const QByteArray& line) { return line.startsWith(command) ? reply : normalAnswer(line); };
}

void lineServer(ScriptedPeer& peer, const QByteArray& banner, const Answer& answer)
{
    if (!banner.isEmpty())
        peer.send(banner);
    for (int i = 0; i < 5000; ++i)
        peer.expectLine().respond(answer);
}

// Answers up to the "354" to DATA, then takes some of the message and resets the connection.
void resetMidData(ScriptedPeer& peer)
{
    peer.send("220 mx\r\n");
    for (int i = 0; i < 3; ++i)
        peer.expectLine().send("250 ok\r\n");
    peer.expectLine().send("354 go ahead\r\n").expectBytes(1000).reset();
}

// Floods "250" lines from the "354" on, while the client writes the message, and keeps reading slowly.
// (A flood that only starts once the whole message is out cannot be told from the reply to ".".)
void floodWhileWriting(ScriptedPeer& peer)
{
    peer.readSlowly(32 * 1024, 5);                 // the client's writes back up: it is still writing
    peer.send("220 mx\r\n");
    for (int i = 0; i < 3; ++i)
        peer.expectLine().send("250 ok\r\n");
    peer.expectLine().send("354 go ahead\r\n" + repeated("250 ok\r\n", 20000));
}

// Unanswered: the time-out after the "." went out, so the server may have the message.
enum class Outcome { TimedOut, Unanswered, Refused, ResetOrClosed };

struct SmtpCase {
    const char* name;
    std::function<void(ScriptedPeer&)> script;
    Outcome outcome;
};

const std::vector<SmtpCase>& smtpCases()
{
    static const std::vector<SmtpCase> cases = {
        {"stall_after_connect", [](ScriptedPeer&) {}, Outcome::TimedOut},
        {"stall_after_greeting", [](ScriptedPeer& p) { p.send("220 mx\r\n").expectLine(); }, Outcome::TimedOut},
        {"stall_after_data_command",
         [](ScriptedPeer& p) { lineServer(p, "220 mx\r\n", answerOtherwise("DATA", {})); }, Outcome::TimedOut},
        {"stall_after_end_of_data",
         [](ScriptedPeer& p) { lineServer(p, "220 mx\r\n", answerOtherwise(".\r\n", {})); }, Outcome::Unanswered},
        {"reset_mid_data", resetMidData, Outcome::ResetOrClosed},
        {"megabyte_line_without_crlf", [](ScriptedPeer& p) { p.send(QByteArray(1 << 20, 'x')); }, Outcome::Refused},
        {"reply_421_mid_session",
         [](ScriptedPeer& p) {
             p.send("220 mx\r\n").expectLine().send("250 hello\r\n").expectLine()
                 .send("421 4.3.2 shutting down\r\n").close();
         },
         Outcome::Refused},
        {"replies_flooded_while_writing", floodWhileWriting, Outcome::Refused},
        {"endless_multiline_reply",
         [](ScriptedPeer& p) { p.send("220 mx\r\n").expectLine().send(repeated("250-more\r\n", 5000)).expectLine(); },
         Outcome::Refused},
        {"imap_server_on_the_port", [](ScriptedPeer& p) { p.send("* OK [CAPABILITY IMAP4rev1] ready\r\n"); },
         Outcome::Refused},
        {"http_server_on_the_port",
         [](ScriptedPeer& p) { p.send("HTTP/1.1 408 Request Timeout\r\nConnection: close\r\n\r\n").close(); },
         Outcome::Refused},
        {"junk_after_greeting",
         [](ScriptedPeer& p) {
             lineServer(p, "220 mx\r\n", [](const QByteArray& line) {   // to HELO (own server) or EHLO (direct)
                 return line.startsWith("HELO") || line.startsWith("EHLO") ? QByteArray("hello there\r\n")
                                                                           : normalAnswer(line);
             });
         },
         Outcome::Refused},
        {"data_answered_250_not_354",
         [](ScriptedPeer& p) { lineServer(p, "220 mx\r\n", answerOtherwise("DATA", "250 fine\r\n")); }, Outcome::Refused},
        {"end_of_data_answered_354",
         [](ScriptedPeer& p) { lineServer(p, "220 mx\r\n", answerOtherwise(".\r\n", "354 more\r\n")); }, Outcome::Refused},
        {"greeting_with_wrong_code", [](ScriptedPeer& p) { lineServer(p, "250 mx\r\n", normalAnswer); }, Outcome::Refused},
    };
    return cases;
}

int timeOutFor(Outcome outcome)
{
    return outcome == Outcome::TimedOut || outcome == Outcome::Unanswered ? kTimeOutSeconds : kEventOnlyTimeOutSeconds;
}

std::string caseName(const ::testing::TestParamInfo<SmtpCase>& info)
{
    return info.param.name;
}

// A body big enough that the message leaves in many writes: the flood then meets the client writing.
QStringList longBody()
{
    QStringList lines;
    for (int i = 0; i < 4000; ++i)
        lines << QStringLiteral("Line %1 of a long message, long enough to take several writes.").arg(i);
    return lines;
}

// ---- the external path: SendMail, with the owner cancelling at every error as the sending window does

class SendMailHostileTest : public ::testing::TestWithParam<SmtpCase> {};

TEST_P(SendMailHostileTest, OneResultInTimeAndNoFalseSuccess)
{
    const SmtpCase& row = GetParam();
    ScriptedPeer peer;
    row.script(peer);
    ASSERT_TRUE(peer.listen());

    SendMail mail;
    std::vector<int> errors;
    int done = 0;
    QObject::connect(&mail, &SendMail::OnMailError, [&](int error, const QString&) {
        errors.push_back(error);
        mail.setAction(TMailAction::Cancel_SendMail);
    });
    QObject::connect(&mail, &SendMail::OnDone, [&] { ++done; });
    mail.FROM_Address = "sender@origin.test";
    mail.TO_Address = "user@destination.test";
    mail.Subject = "Hello";
    mail.MailText = longBody();
    mail.Content_Type = "text/plain";
    mail.Charset = "us-ascii";
    mail.TimeoutConnect = kEventOnlyTimeOutSeconds;   // loopback: the peer accepts at once
    mail.TimeoutReply = timeOutFor(row.outcome);
    mail.setSMTP_Server(peer.address());
    mail.SMTP_Port = peer.port();

    const qint64 memoryBefore = residentKb();
    QElapsedTimer clock;
    clock.start();
    mail.setAction(TMailAction::Send_Mail);
    ASSERT_TRUE(waitUntil([&] { return done > 0; }, kWaitMs));
    const qint64 elapsed = clock.elapsed();
    pumpEvents(100);

    EXPECT_EQ(done, 1);
    ASSERT_EQ(errors.size(), 1u);
    // A reset mid-data may come after the "." was written: then the server may have the message too.
    if (row.outcome != Outcome::ResetOrClosed) {
        EXPECT_EQ(mail.EndOfDataUnanswered(), row.outcome == Outcome::Unanswered);
    }
    switch (row.outcome) {
    case Outcome::TimedOut:
    case Outcome::Unanswered:
        EXPECT_EQ(errors[0], 8);
        EXPECT_GE(elapsed, kEarliestTimeOutMs);
        break;
    case Outcome::Refused:
        EXPECT_EQ(errors[0], 13) << mail.lastErrorText().toStdString();
        break;
    case Outcome::ResetOrClosed:
        EXPECT_TRUE(errors[0] == 7 || errors[0] == 17) << errors[0];
        break;
    }
    EXPECT_LE(elapsed, kDeadlineMs);
    EXPECT_FALSE(mail.MessageAccepted());
    EXPECT_LT(residentKb() - memoryBefore, kMaxGrowthKb);
}

INSTANTIATE_TEST_SUITE_P(Servers, SendMailHostileTest, ::testing::ValuesIn(smtpCases()), caseName);

// ---- the direct path: the relay, its MX query answered by a UDP peer naming 127.0.0.1

QByteArray mxReplyTo(const QByteArray& query)
{
    using namespace dns_fixtures;
    const int id = (quint8(query[0]) << 8) | quint8(query[1]);
    return reply(id, 0x8180, "destination.test", {mx(pointerTo(12), 10, wireName("127.0.0.1"))});
}

class RelayHostileTest : public ::testing::TestWithParam<SmtpCase> {};

TEST_P(RelayHostileTest, OneResultInTimeAndNoFalseSuccess)
{
    const SmtpCase& row = GetParam();
    ScriptedPeer dns(ScriptedPeer::Protocol::Udp);
    dns.expectData().respond(mxReplyTo).repeat();
    ASSERT_TRUE(dns.listen());
    ScriptedPeer smtp;
    row.script(smtp);
    ASSERT_TRUE(smtp.listen());

    TSmtpRelayServer2 relay;
    std::vector<int> results;
    int finished = 0;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int, int err, const QString&) { results.push_back(err); };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { ++finished; };
    relay.From = "sender@origin.test";
    relay.setBody(longBody());
    relay.setTimeOut(timeOutFor(row.outcome));
    relay.setDns(dns.address());
    relay.setDnsPort(QString::number(dns.port()));
    relay.setSmtpPort(QString::number(smtp.port()));
    StringList recipients;
    recipients.add(QStringLiteral("user@destination.test"), 1);
    relay.setRecipients(recipients);

    const qint64 memoryBefore = residentKb();
    QElapsedTimer clock;
    clock.start();
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return !results.empty(); }, kWaitMs));
    const qint64 elapsed = clock.elapsed();
    ASSERT_TRUE(waitUntil([&] { return finished > 0; }, kWaitMs));
    pumpEvents(100);

    ASSERT_EQ(results.size(), 1u);
    if (row.outcome == Outcome::TimedOut || row.outcome == Outcome::Unanswered) {
        EXPECT_EQ(results[0], row.outcome == Outcome::TimedOut ? relayTimedOut : relayOutcomeUnknown);
        EXPECT_GE(elapsed, kEarliestTimeOutMs);
    } else {
        EXPECT_GT(results[0], 0);                       // the refusing code, a socket error or 500
    }
    EXPECT_LE(elapsed, kDeadlineMs);
    EXPECT_LT(residentKb() - memoryBefore, kMaxGrowthKb);
}

INSTANTIATE_TEST_SUITE_P(Servers, RelayHostileTest, ::testing::ValuesIn(smtpCases()), caseName);

// A DNS server that never answers is left after the time-out, not after twice the time-out.
TEST(RelaySilentDnsTest, SilentServerIsLeftWithinASecondAfterTheTimeOut)
{
    ScriptedPeer dns(ScriptedPeer::Protocol::Udp);
    ASSERT_TRUE(dns.listen());
    TSmtpRelayServer2 relay;
    std::vector<int> results;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int, int err, const QString&) { results.push_back(err); };
    relay.From = "sender@origin.test";
    relay.setTimeOut(kTimeOutSeconds);
    relay.setDns(dns.address());
    relay.setDnsPort(QString::number(dns.port()));
    StringList recipients;
    recipients.add(QStringLiteral("user@destination.test"), 1);
    relay.setRecipients(recipients);
    QElapsedTimer clock;
    clock.start();
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return !results.empty(); }, kWaitMs));
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(results, std::vector<int>{relayNoDnsServer});
    EXPECT_GE(elapsed, kEarliestTimeOutMs);
    EXPECT_LE(elapsed, kDeadlineMs);
}

// ---- a truncated MX reply on the direct path: asked again over TCP, never read as "no MX record"

struct TruncatedDnsRun {
    ScriptedPeer dns{ScriptedPeer::Protocol::Udp};
    ScriptedPeer tcpDns;
    ScriptedPeer smtp;
    TSmtpRelayServer2 relay;
    std::vector<int> results;
    int finished = 0;

    // With answerOverTcp the TCP repeat gets the MX record; without it nothing listens for TCP.
    void run(bool answerOverTcp)
    {
        using namespace dns_fixtures;
        dns.expectData().respond([](const QByteArray& query) {
            return query.left(2) + header(0, 0x8380, 1, 0).mid(2) + dns_fixtures::question("destination.test");
        });
        ASSERT_TRUE(dns.listen(0, processLoopbackAddress()));   // the TCP repeat goes to the same port number
        if (answerOverTcp) {
            tcpDns.expectBytes(2 + 12 + 18 + 4).respond([](const QByteArray& framed) {
                const QByteArray answer = mxReplyTo(framed.mid(2));
                return word(int(answer.size())) + answer;
            });
            ASSERT_TRUE(tcpDns.listen(dns.port(), processLoopbackAddress()));
        }
        lineServer(smtp, "220 mx\r\n", normalAnswer);
        ASSERT_TRUE(smtp.listen());
        relay.OnEMailProcessed = [this](TSmtpRelayServer2*, int, int err, const QString&) { results.push_back(err); };
        relay.OnFinished = [this](TSmtpRelayServer2*, bool) { ++finished; };
        relay.From = "sender@origin.test";
        relay.setBody({"Hello"});
        relay.setTimeOut(kTimeOutSeconds);
        relay.setDns(dns.address());
        relay.setDnsPort(QString::number(dns.port()));
        relay.setSmtpPort(QString::number(smtp.port()));
        StringList recipients;
        recipients.add(QStringLiteral("user@destination.test"), 1);
        relay.setRecipients(recipients);
        relay.Send();
        ASSERT_TRUE(waitUntil([&] { return finished > 0; }, kWaitMs));
    }
};

TEST(RelayTruncatedDnsTest, RepeatOverTcpFindsTheMailExchanger)
{
    TruncatedDnsRun run;
    run.run(true);
    EXPECT_EQ(run.results, std::vector<int>{relayDelivered});
    EXPECT_EQ(run.smtp.connectionCount(), 1);
}

TEST(RelayTruncatedDnsTest, FailedRepeatIsNoDnsAnswerNotTheDomainItself)
{
    TruncatedDnsRun run;
    run.run(false);
    EXPECT_EQ(run.results, std::vector<int>{relayNoDnsServer});
    EXPECT_EQ(run.smtp.connectionCount(), 0);
}

// ---- injection: an address cell carrying a character that could end or extend a command

struct InjectionCase {
    const char* name;
    QString address;
};

const std::vector<InjectionCase>& injectionCases()
{
    static const std::vector<InjectionCase> cases = {
        {"tab_parameter", QStringLiteral("cid@a.test\tNOTIFY=NEVER")},
        {"vertical_tab", QStringLiteral("cid@a.test\vx")},
        {"form_feed", QStringLiteral("cid@a.test\fx")},
        {"nul", QStringLiteral("cid@a.test") + QChar(0) + QStringLiteral("x")},
        {"cr", QStringLiteral("cid@a.test\rRSET")},
        {"lf", QStringLiteral("cid@a.test\nRSET")},
        {"crlf_header", QStringLiteral("cid@a.test\r\nBcc: victim@b.test")},
        {"closing_bracket", QStringLiteral("cid@a.test> NOTIFY=NEVER")},
        {"opening_bracket", QStringLiteral("<cid@a.test")},
        {"blank_then_second_part", QStringLiteral("cid@a.test NOTIFY=NEVER")},
    };
    return cases;
}

class InjectionTest : public ::testing::TestWithParam<InjectionCase> {};

// SendMail refuses the message before connecting, whether the address is the first recipient or a Bcc.
TEST_P(InjectionTest, ExternalPathSendsNothing)
{
    for (const bool asBcc : {false, true}) {
        ScriptedPeer peer;
        lineServer(peer, "220 mx\r\n", normalAnswer);
        ASSERT_TRUE(peer.listen());
        SendMail mail;
        std::vector<int> errors;
        int done = 0;
        QObject::connect(&mail, &SendMail::OnMailError, [&](int error, const QString&) {
            errors.push_back(error);
            mail.setAction(TMailAction::Cancel_SendMail);
        });
        QObject::connect(&mail, &SendMail::OnDone, [&] { ++done; });
        mail.FROM_Address = "sender@origin.test";
        mail.TO_Address = asBcc ? QStringLiteral("ok@a.test") : GetParam().address;
        if (asBcc)
            mail.ListBcc = QStringList{GetParam().address};
        mail.MailText = {"Hello"};
        mail.setSMTP_Server(peer.address());
        mail.SMTP_Port = peer.port();
        mail.setAction(TMailAction::Send_Mail);
        ASSERT_TRUE(waitUntil([&] { return done > 0; }, kWaitMs));
        pumpEvents(50);
        EXPECT_EQ(errors, std::vector<int>{18}) << asBcc;
        EXPECT_EQ(peer.connectionCount(), 0) << asBcc;
        EXPECT_EQ(peer.receivedAll(), QByteArray()) << asBcc;
    }
}

// The relay reports the address bad and goes on with the next one; the wire holds only the good one.
TEST_P(InjectionTest, DirectPathNeverWritesTheAddress)
{
    ScriptedPeer dns(ScriptedPeer::Protocol::Udp);
    dns.expectData().respond(mxReplyTo).repeat();
    ASSERT_TRUE(dns.listen());
    ScriptedPeer smtp;
    lineServer(smtp, "220 mx\r\n", normalAnswer);
    ASSERT_TRUE(smtp.listen());

    TSmtpRelayServer2 relay;
    std::map<int, int> results;
    int finished = 0;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int index, int err, const QString&) { results[index] = err; };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { ++finished; };
    relay.From = "sender@origin.test";
    relay.setBody({"Hello"});
    relay.setDns(dns.address());
    relay.setDnsPort(QString::number(dns.port()));
    relay.setSmtpPort(QString::number(smtp.port()));
    StringList recipients;
    recipients.add(GetParam().address, 1);
    recipients.add(QStringLiteral("ok@destination.test"), 2);
    relay.setRecipients(recipients);
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return finished > 0; }, kWaitMs));

    EXPECT_EQ(results, (std::map<int, int>{{0, 500}, {1, relayDelivered}}));
    const QByteArray wire = smtp.receivedAll();
    EXPECT_EQ(wire.count("RCPT TO:"), 1);
    EXPECT_TRUE(wire.contains("RCPT TO:<ok@destination.test>\r\n"));
    EXPECT_FALSE(wire.contains("cid@a.test"));
    EXPECT_EQ(dns.datagrams().size(), 1);            // the bad address was not even looked up
}

INSTANTIATE_TEST_SUITE_P(Addresses, InjectionTest, ::testing::ValuesIn(injectionCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- the POP3 login: only "+OK" lets it on, and a silent server fails it in time

struct Pop3Case {
    const char* name;
    std::function<void(ScriptedPeer&)> script;
    int error;
};

class GetMailHostileTest : public ::testing::TestWithParam<Pop3Case> {};

TEST_P(GetMailHostileTest, LoginFailsOnceInTime)
{
    const Pop3Case& row = GetParam();
    ScriptedPeer peer;
    row.script(peer);
    ASSERT_TRUE(peer.listen());

    GetMail login;
    std::vector<int> errors;
    bool granted = false;
    int done = 0;
    QObject::connect(&login, &GetMail::OnMailError, [&](int error, const QString&) {
        errors.push_back(error);
        login.Abort();
    });
    QObject::connect(&login, &GetMail::OnMailInfo, [&](int info, const QString&) {
        if (info == 10) {
            granted = true;
            login.Abort();
        }
    });
    QObject::connect(&login, &GetMail::OnDone, [&] { ++done; });
    login.User_ID = "user";
    login.User_Password = "secret";
    login.TimeoutConnect = kEventOnlyTimeOutSeconds;
    login.TimeoutReply = row.error == 8 ? kTimeOutSeconds : kEventOnlyTimeOutSeconds;
    login.setMail_Server(peer.address());
    login.Mail_Port = peer.port();

    QElapsedTimer clock;
    clock.start();
    login.setMail_Action(TGetMailAction::Get_Mail);
    ASSERT_TRUE(waitUntil([&] { return done > 0; }, kWaitMs));
    const qint64 elapsed = clock.elapsed();
    pumpEvents(100);

    EXPECT_FALSE(granted);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(errors, std::vector<int>{row.error});
    EXPECT_LE(elapsed, kDeadlineMs);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, GetMailHostileTest,
    ::testing::Values(
        Pop3Case{"stall_after_connect", [](ScriptedPeer&) {}, 8},
        Pop3Case{"stall_after_user", [](ScriptedPeer& p) { p.send("+OK ready\r\n").expectLine(); }, 8},
        Pop3Case{"stall_after_pass",
                 [](ScriptedPeer& p) { p.send("+OK ready\r\n").expectLine().send("+OK\r\n").expectLine(); }, 8},
        Pop3Case{"imap_banner", [](ScriptedPeer& p) { p.send("* OK IMAP4rev1 ready\r\n"); }, 19},
        Pop3Case{"smtp_banner", [](ScriptedPeer& p) { p.send("220 mx ESMTP\r\n"); }, 19},
        Pop3Case{"junk_reply_to_user",
                 [](ScriptedPeer& p) { p.send("+OK ready\r\n").expectLine().send("hello there\r\n"); }, 19},
        Pop3Case{"plus_without_ok", [](ScriptedPeer& p) { p.send("+ go on\r\n"); }, 19},
        Pop3Case{"megabyte_line", [](ScriptedPeer& p) { p.send(QByteArray(1 << 20, '+')); }, 19}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

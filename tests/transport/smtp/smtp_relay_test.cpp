// The direct-delivery relay against scripted loopback peers: a UDP peer answers the MX queries and a TCP
// peer plays the SMTP server. Seconds are shortened to 20 ms so time-outs run quickly.

#include "transport/smtp/smtp_relay.h"

#include "tests/support/closed_port.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/test_certificates.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"
#include "tests/transport/charset_cases.h"
#include "tests/transport/composer_test_support.h"
#include "tests/transport/dns_fixtures.h"
#include "transport/net/async_socket.h"
#include "transport/net/helo_name.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

using namespace std::chrono_literals;
using sorvanta::test::CharsetCase;
using sorvanta::test::closedPort;
using sorvanta::test::messagesOfSession;
using sorvanta::test::pumpEvents;
using sorvanta::test::pythonMimeView;
using sorvanta::test::pythonStrictView;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;

namespace {

// ---- DNS replies built from the query they answer

QByteArray queriedName(const QByteArray& query)
{
    QByteArray name;
    for (qsizetype p = 12; p < query.size() && query[p] != 0; p += 1 + quint8(query[p]))
        name += (name.isEmpty() ? "" : ".") + query.mid(p + 1, quint8(query[p]));
    return name;
}

int queryId(const QByteArray& query)
{
    return (quint8(query[0]) << 8) | quint8(query[1]);
}

QByteArray mxReply(const QByteArray& query, const QByteArray& exchange)
{
    using namespace dns_fixtures;
    return reply(queryId(query), 0x8180, queriedName(query), {mx(pointerTo(12), 10, wireName(exchange))});
}

QByteArray emptyReply(const QByteArray& query)
{
    return dns_fixtures::reply(queryId(query), 0x8180, queriedName(query), {});
}

// A recursive server's answer for an alias: the CNAME, then the MX record of the name it points to.
QByteArray cnameReply(const QByteArray& query)
{
    using namespace dns_fixtures;
    return reply(queryId(query), 0x8180, queriedName(query),
                 {record(pointerTo(12), 5, wireName("alias.test")), mx(wireName("alias.test"), 10, wireName("127.0.0.1"))});
}

QByteArray codeReply(const QByteArray& query, int responseCode)
{
    return dns_fixtures::reply(queryId(query), 0x8180 | responseCode, queriedName(query), {});
}

// Domains: "*.test" get an MX record naming 127.0.0.1, "cname.test" a CNAME first, "nullmx.test" a null MX,
// "missing.test" NXDOMAIN, "servfail.test" SERVFAIL, "silent.test" no reply, anything else (such as
// "127.0.0.1") a reply without answers.
QByteArray answerQuery(const QByteArray& query)
{
    using namespace dns_fixtures;
    const QByteArray name = queriedName(query);
    if (name == "silent.test")
        return {};
    if (name == "cname.test")
        return cnameReply(query);
    if (name == "nullmx.test")
        return reply(queryId(query), 0x8180, name, {mx(pointerTo(12), 0, root())});
    if (name == "missing.test")
        return codeReply(query, 3);
    if (name == "servfail.test")
        return codeReply(query, 2);
    if (name.endsWith(".test"))
        return mxReply(query, "127.0.0.1");
    return emptyReply(query);
}

// ---- the SMTP server: one stateless answer per line, so every connection plays the same script

struct SmtpBehaviour {
    QByteArray rcptReply = "250 ok\r\n";
    QByteArray quitReply = "221 bye\r\n";
    bool banner = true;
};

QByteArray answerLine(const SmtpBehaviour& behaviour, const QByteArray& line)
{
    if (line.startsWith("EHLO ") || line.startsWith("MAIL FROM:"))
        return "250 ok\r\n";
    if (line.startsWith("RCPT TO:"))
        return line.contains("<refused") ? QByteArray("550 5.1.1 no such user\r\n") : behaviour.rcptReply;
    if (line == "DATA\r\n")
        return "354 go ahead\r\n";
    if (line == ".\r\n")
        return "250 queued\r\n";
    if (line == "QUIT\r\n")
        return behaviour.quitReply;
    return {};                                          // a line of the message
}

struct Result {
    int err;
    QString comment;
};

// count addresses, pattern's "%1" numbered from 0.
QStringList numbered(const char* pattern, int count)
{
    QStringList addresses;
    for (int i = 0; i < count; ++i)
        addresses << QString::fromLatin1(pattern).arg(i);
    return addresses;
}

class SmtpRelayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        relay.From = "sender@origin.test";
        relay.HeaderFrom = "Sender <sender@origin.test>";
        relay.Signon = "relay.test";
        relay.setSubject("Hello");
        relay.setBody({"Line one", "Line two"});
        relay.setTimeOut(25);                           // half a second
        relay.setSecondLength(20ms);
        relay.OnEMailProcessed = [this](TSmtpRelayServer2*, int index, int err, const QString& comment) {
            results.insert({index, {err, comment}});
            ++reportCount;
        };
        relay.OnFinished = [this](TSmtpRelayServer2*, bool wasAborted) {
            ++finishedCount;
            aborted = wasAborted;
        };
    }

    void startDns(const ScriptedPeer::Responder& responder = answerQuery)
    {
        dns.expectData().respond(responder).repeat();
        ASSERT_TRUE(dns.listen());
        relay.setDns(dns.address());
        relay.setDnsPort(QString::number(dns.port()));
    }

    void startSmtp(SmtpBehaviour behaviour = {})
    {
        if (behaviour.banner)
            smtp.send("220 server ready\r\n");
        for (int i = 0; i < 200; ++i)
            smtp.expectLine().respond([behaviour](const QByteArray& line) { return answerLine(behaviour, line); });
        ASSERT_TRUE(smtp.listen());
        relay.setSmtpPort(QString::number(smtp.port()));
    }

    void setRecipients(const QStringList& addresses)
    {
        StringList list;
        for (qsizetype i = 0; i < addresses.size(); ++i)
            list.add(addresses[i], int(i) + 100);
        relay.setRecipients(list);
    }

    void runToEnd(int timeoutMs = 10000)
    {
        relay.Send();
        ASSERT_TRUE(waitUntil([&] { return finishedCount > 0; }, timeoutMs));
        pumpEvents(150);                                // nothing may follow OnFinished
    }

    int resultOf(int index) const { return results.count(index) ? results.at(index).err : 99999; }

    ScriptedPeer dns{ScriptedPeer::Protocol::Udp};
    ScriptedPeer smtp;
    TSmtpRelayServer2 relay;
    std::map<int, Result> results;
    int reportCount = 0;
    int finishedCount = 0;
    bool aborted = false;
};

TEST_F(SmtpRelayTest, EveryRecipientIsReportedOnceOverSeveralConnections)
{
    startDns();
    startSmtp();
    QStringList addresses;
    for (int i = 0; i < 23; ++i)
        addresses << QStringLiteral("user%1@domain%2.test").arg(i).arg(i % 3);
    setRecipients(addresses);
    relay.setConnections(5);
    runToEnd();

    EXPECT_EQ(finishedCount, 1);
    EXPECT_FALSE(aborted);
    EXPECT_EQ(reportCount, 23);
    for (int i = 0; i < 23; ++i)
        EXPECT_EQ(resultOf(i), relayDelivered) << i;
    EXPECT_EQ(smtp.connectionCount(), 23);
    EXPECT_EQ(dns.datagrams().size(), 3);               // one MX query per domain
    const QByteArray all = smtp.receivedAll();
    for (const QString& address : addresses)
        EXPECT_EQ(all.count("RCPT TO:<" + address.toUtf8() + ">\r\n"), 1) << address.toStdString();
    EXPECT_FALSE(relay.busy());
}

TEST_F(SmtpRelayTest, DialogueAndMessageOfOneRecipient)
{
    startDns();
    startSmtp();
    setRecipients({"user@one.test"});
    runToEnd();

    ASSERT_EQ(resultOf(0), relayDelivered) << smtp.received(0).toStdString();
    EXPECT_EQ(results.at(0).comment, "250 queued");
    const QByteArray session = smtp.received(0);
    EXPECT_TRUE(session.startsWith("EHLO relay.test\r\nMAIL FROM:<sender@origin.test>\r\n"
                                   "RCPT TO:<user@one.test>\r\nDATA\r\nFrom: Sender <sender@origin.test>\r\n"
                                   "To: user@one.test\r\n"))
        << session.toStdString();
    EXPECT_TRUE(session.contains("\r\nSubject: Hello\r\n"));
    EXPECT_TRUE(session.endsWith("\r\n\r\nLine one\r\nLine two\r\n\r\n.\r\nQUIT\r\n")) << session.toStdString();
}

struct CodeCase {
    const char* name;
    const char* address;
    SmtpBehaviour smtp;
    int err;
    const char* comment;
    bool connects = true;       // the first recipient got a connection
};

class SmtpRelayCodeTest : public SmtpRelayTest, public ::testing::WithParamInterface<CodeCase> {};

TEST_P(SmtpRelayCodeTest, ReportsTheCode)
{
    startDns();
    startSmtp(GetParam().smtp);
    setRecipients({GetParam().address, "after@one.test"});
    runToEnd();

    EXPECT_EQ(reportCount, 2);
    EXPECT_EQ(resultOf(0), GetParam().err);
    EXPECT_EQ(results[0].comment, GetParam().comment);
    EXPECT_EQ(resultOf(1), GetParam().smtp.banner ? relayDelivered : relayTimedOut);   // the worker goes on
    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(smtp.connectionCount(), GetParam().connects ? 2 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, SmtpRelayCodeTest,
    ::testing::Values(
        CodeCase{"delivered", "user@one.test", {}, relayDelivered, "250 queued"},
        CodeCase{"no_answer_goes_to_the_domain_itself", "user@127.0.0.1", {}, relayDelivered, "250 queued"},
        CodeCase{"mx_behind_a_cname", "user@cname.test", {}, relayDelivered, "250 queued"},
        CodeCase{"null_mx", "user@nullmx.test", {}, relayNoMailHost, "nullmx.test accepts no mail (null MX)", false},
        CodeCase{"no_such_domain", "user@missing.test", {}, 11001, "Host missing.test not found", false},
        CodeCase{"server_failure", "user@servfail.test", {}, relayNoDnsServer, "No DNS answer for servfail.test", false},
        CodeCase{"empty_domain", "user@", {}, relayNoMailHost, "", false},
        CodeCase{"rcpt_refused", "refused@one.test", {}, 550, "550 5.1.1 no such user"},
        CodeCase{"silent_server", "user@one.test", {.banner = false}, relayTimedOut, ""},
        CodeCase{"quit_refused_after_delivery", "user@one.test", {.quitReply = "500 no\r\n"}, relayDelivered,
                 "250 queued"},
        CodeCase{"quit_unanswered_after_delivery", "user@one.test", {.quitReply = ""}, relayDelivered,
                 "250 queued"}),
    [](const auto& info) { return std::string(info.param.name); });

// The message text takes several time-outs to arrive, but the server never stops taking it: each batch the
// socket accepts is activity, so the message is delivered, not reported as timed out.
TEST_F(SmtpRelayTest, MessageStillArrivingAfterTheTimeOutIsDelivered)
{
    constexpr int lineCount = 6000;
    constexpr qint64 timeOutMs = 25 * 20;               // the fixture's TimeOut in shortened seconds
    const auto answer = [](const QByteArray& line) { return answerLine({}, line); };
    startDns();
    smtp.send("220 server ready\r\n");
    for (int i = 0; i < 4; ++i)                         // EHLO, MAIL FROM, RCPT TO, DATA
        smtp.expectLine().respond(answer);
    smtp.readSlowly(32 * 1024, 10);                     // about 3 MB a second
    for (int i = 0; i < lineCount + 50; ++i)            // header, body, ".", QUIT
        smtp.expectLine().respond(answer);
    ASSERT_TRUE(smtp.listen());
    relay.setSmtpPort(QString::number(smtp.port()));
    relay.setBody(QStringList(lineCount, QString(900, u'x')));
    setRecipients({"user@one.test"});

    QElapsedTimer elapsed;
    elapsed.start();
    runToEnd(30000);

    EXPECT_EQ(resultOf(0), relayDelivered) << results[0].comment.toStdString();
    EXPECT_GT(elapsed.elapsed(), 3 * timeOutMs) << "the message did not outlast the time-out";
    EXPECT_EQ(smtp.received(0).count(QByteArray(900, 'x') + "\r\n"), lineCount);
}

TEST_F(SmtpRelayTest, RefusedConnectionIsALocalFailureWithTheSocketError)
{
    startDns();
    relay.setSmtpPort(QString::number(closedPort()));
    setRecipients({"user@one.test"});
    runToEnd();
    EXPECT_EQ(resultOf(0), 10061);
    EXPECT_EQ(results[0].comment, "Cannot reach 127.0.0.1: Connection refused");
}

// RFC 5452 section 9.2: the run's queries leave from source ports the system picks at random, so a forged
// answer has to hit the port as well as the ID.
TEST_F(SmtpRelayTest, EachMxQueryLeavesFromAFreshSourcePort)
{
    startDns();
    startSmtp();
    setRecipients(numbered("user@domain%1.test", 50));
    relay.setConnections(5);
    runToEnd();

    EXPECT_EQ(reportCount, 50);
    const QList<quint16> ports = dns.datagramPorts();
    ASSERT_EQ(ports.size(), 50);
    EXPECT_GE(QSet<quint16>(ports.cbegin(), ports.cend()).size(), 45);
}

// ---- several MX hosts: tried in preference order until one greets

QByteArray mxHostsReply(const QByteArray& query, const QList<std::pair<int, QByteArray>>& hosts)
{
    using namespace dns_fixtures;
    QList<QByteArray> answers;
    for (const auto& [preference, host] : hosts)
        answers << mx(pointerTo(12), preference, wireName(host));
    return reply(queryId(query), 0x8180, queriedName(query), answers);
}

// What the preferred host does: MX 10 on 127.0.0.2, answered after MX 20 (127.0.0.1, the fixture's server).
struct PreferredHostCase {
    const char* name;
    std::function<void(ScriptedPeer&)> script;   // null: nothing listens there
    int err;
    const char* comment;
    bool backupUsed;
};

class MxPreferenceTest : public SmtpRelayTest, public ::testing::WithParamInterface<PreferredHostCase> {};

TEST_P(MxPreferenceTest, PreferredHostFirstThenTheNextUntilOneGreets)
{
    const PreferredHostCase& c = GetParam();
    startDns([](const QByteArray& query) { return mxHostsReply(query, {{20, "127.0.0.1"}, {10, "127.0.0.2"}}); });
    startSmtp();
    ScriptedPeer preferred;
    if (c.script) {
        c.script(preferred);
        ASSERT_TRUE(preferred.listen(smtp.port(), QHostAddress("127.0.0.2")));
    }
    setRecipients({"a@pref.test", "b@pref.test"});      // the second takes the hosts from the run's cache
    runToEnd();

    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(resultOf(i), c.err) << i;
        EXPECT_EQ(results[i].comment, c.comment) << i;
    }
    EXPECT_EQ(dns.datagrams().size(), 1);
    EXPECT_EQ(preferred.connectionCount(), c.script ? 2 : 0);
    EXPECT_EQ(smtp.connectionCount(), c.backupUsed ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, MxPreferenceTest,
    ::testing::Values(
        PreferredHostCase{"down", nullptr, relayDelivered, "250 queued", true},
        PreferredHostCase{"closes_before_greeting", [](ScriptedPeer& p) { p.close(); }, relayDelivered, "250 queued",
                          true},
        PreferredHostCase{"silent_until_the_time_out", [](ScriptedPeer& p) { p.expectLine(); }, relayDelivered,
                          "250 queued", true},
        PreferredHostCase{"greets_4xx", [](ScriptedPeer& p) { p.send("421 4.3.2 try later\r\n").expectLine(); },
                          relayDelivered, "250 queued", true},
        // A 5xx greeting and a refused recipient come from a host that answered: final.
        PreferredHostCase{"greets_5xx", [](ScriptedPeer& p) { p.send("554 5.3.2 no service\r\n").expectLine(); },
                          10004, "554 5.3.2 no service", false},
        PreferredHostCase{"refuses_the_recipient",
                          [](ScriptedPeer& p) {
                              p.send("220 mx10\r\n").expectLine().send("250 hi\r\n").expectLine().send("250 ok\r\n");
                              p.expectLine().send("550 5.1.1 unknown\r\n").expectLine();
                          },
                          550, "550 5.1.1 unknown", false}),
    [](const auto& info) { return std::string(info.param.name); });

// Six hosts that each close before greeting: five are tried in preference order, the sixth never; the
// result is the last one's failure, in our words.
TEST_F(SmtpRelayTest, AtMostFiveHostsAreTriedAndTheLastFailureReported)
{
    startDns([](const QByteArray& query) {
        return mxHostsReply(query, {{60, "127.0.0.16"}, {50, "127.0.0.15"}, {40, "127.0.0.14"}, {30, "127.0.0.13"},
                                    {20, "127.0.0.12"}, {10, "127.0.0.11"}});
    });
    startSmtp();
    std::vector<std::unique_ptr<ScriptedPeer>> hosts;
    for (int i = 1; i <= 6; ++i) {
        hosts.push_back(std::make_unique<ScriptedPeer>());
        hosts.back()->close();
        ASSERT_TRUE(hosts.back()->listen(smtp.port(), QHostAddress(QStringLiteral("127.0.0.1%1").arg(i))));
    }
    setRecipients({"user@six.test"});
    runToEnd();

    EXPECT_EQ(resultOf(0), 10004);
    EXPECT_EQ(results[0].comment, "Cannot reach 127.0.0.15: closed before the greeting");
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(hosts[std::size_t(i)]->connectionCount(), 1) << i;
    EXPECT_EQ(hosts[5]->connectionCount(), 0);
    EXPECT_EQ(smtp.connectionCount(), 0);
}

// RFC 5321 section 5.1: hosts of equal preference share the load.
TEST_F(SmtpRelayTest, HostsOfEqualPreferenceShareTheRecipients)
{
    startDns([](const QByteArray& query) { return mxHostsReply(query, {{10, "127.0.0.1"}, {10, "127.0.0.3"}}); });
    startSmtp();
    ScriptedPeer twin;
    twin.send("220 twin ready\r\n");
    for (int i = 0; i < 200; ++i)
        twin.expectLine().respond([](const QByteArray& line) { return answerLine({}, line); });
    ASSERT_TRUE(twin.listen(smtp.port(), QHostAddress("127.0.0.3")));
    setRecipients(numbered("user%1@tie.test", 40));
    relay.setConnections(4);
    runToEnd();

    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(resultOf(i), relayDelivered) << i;
    EXPECT_EQ(dns.datagrams().size(), 1);
    EXPECT_EQ(smtp.connectionCount() + twin.connectionCount(), 40);
    EXPECT_GE(smtp.connectionCount(), 8);               // about 20 each; fewer than 8 is a one in 10^5 chance
    EXPECT_GE(twin.connectionCount(), 8);
}

QSet<int> queryIds(const QList<QByteArray>& datagrams)
{
    QSet<int> ids;
    for (const QByteArray& query : datagrams)
        ids.insert(queryId(query));
    return ids;
}

TEST_F(SmtpRelayTest, SilentDnsServersAreRotatedThenReported)
{
    dns.expectData().repeat();                          // takes every query, answers none
    ASSERT_TRUE(dns.listen());
    const QString server = dns.address();
    relay.setDns(server + " " + server + "  " + server);
    relay.setDnsPort(QString::number(dns.port()));
    setRecipients({"user@one.test"});
    runToEnd();

    EXPECT_EQ(resultOf(0), relayNoDnsServer);
    EXPECT_EQ(results[0].comment, "No DNS answer for one.test");
    EXPECT_EQ(reportCount, 1);
    EXPECT_EQ(queryIds(dns.datagrams()).size(), 3);     // one query per server, each sent again meanwhile
    EXPECT_GT(dns.datagrams().size(), 3);
}

// RFC 1123 section 6.1.3.3: a lost datagram does not fail the recipient. With one DNS server, the query goes
// again well within the time-out, and the answer to it delivers the message.
TEST_F(SmtpRelayTest, LostMxQueryIsSentAgainWithinTheTimeOut)
{
    int datagrams = 0;
    startDns([&datagrams](const QByteArray& query) { return ++datagrams == 1 ? QByteArray() : answerQuery(query); });
    startSmtp();
    relay.setTimeOut(1000);                             // 20 s: the run ends long before, by the answer
    setRecipients({"user@one.test"});
    runToEnd(20000);

    EXPECT_EQ(resultOf(0), relayDelivered) << results[0].comment.toStdString();
    EXPECT_EQ(reportCount, 1);
    ASSERT_EQ(dns.datagrams().size(), 2);
    EXPECT_EQ(dns.datagrams().at(0), dns.datagrams().at(1));
}

// ---- MX answers are kept for the run, by domain

QMap<QByteArray, int> queriesByName(const QList<QByteArray>& datagrams)
{
    QMap<QByteArray, int> counts;
    for (const QByteArray& query : datagrams)
        ++counts[queriedName(query)];
    return counts;
}

TEST_F(SmtpRelayTest, EachDomainIsAskedForOnceWhileEveryRecipientGetsItsResult)
{
    startDns();
    startSmtp();
    QStringList addresses;
    for (int i = 0; i < 200; ++i)
        addresses << QStringLiteral("user%1@Domain%2.test").arg(i).arg(i % 20);
    addresses[27] = "user27@DOMAIN7.TEST";              // letter case makes no other domain
    setRecipients(addresses);
    relay.setConnections(10);
    runToEnd(30000);

    EXPECT_EQ(finishedCount, 1);
    EXPECT_EQ(reportCount, 200);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(resultOf(i), relayDelivered) << i;
    EXPECT_LE(dns.datagrams().size(), 20);
    const QMap<QByteArray, int> queries = queriesByName(dns.datagrams());
    EXPECT_EQ(queries.size(), 20);
    const QByteArray all = smtp.receivedAll();
    for (const QString& address : addresses)
        EXPECT_EQ(all.count("RCPT TO:<" + address.toUtf8() + ">\r\n"), 1) << address.toStdString();
}

// Answers without a mail host are kept too: each recipient gets the result the first one got.
TEST_F(SmtpRelayTest, AnswersWithoutMxRecordsAreKeptToo)
{
    struct AnswerCase {
        const char* domain;
        int result;
    };
    const AnswerCase cases[] = {
        {"127.0.0.1", relayDelivered},                  // no answers: the domain itself is the mail host
        {"nullmx.test", relayNoMailHost},
        {"missing.test", 11001},
    };
    startSmtp();
    for (const AnswerCase& row : cases) {
        SCOPED_TRACE(row.domain);
        ScriptedPeer dnsPeer{ScriptedPeer::Protocol::Udp};
        dnsPeer.expectData().respond(answerQuery).repeat();
        ASSERT_TRUE(dnsPeer.listen());
        relay.setDns(dnsPeer.address());
        relay.setDnsPort(QString::number(dnsPeer.port()));
        setRecipients({QStringLiteral("a@") + row.domain, QStringLiteral("b@") + row.domain,
                       QStringLiteral("c@") + row.domain});
        relay.setConnections(2);
        results.clear();
        finishedCount = 0;
        runToEnd();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(resultOf(i), row.result) << i;
        EXPECT_EQ(dnsPeer.datagrams().size(), 1);
    }
}

// A query that timed out leaves nothing behind: the next recipient of the domain asks again, whether it
// came after the time-out or waited for that query meanwhile.
TEST_F(SmtpRelayTest, DomainWhoseQueryTimedOutIsAskedForAgain)
{
    startSmtp();
    for (const int connections : {1, 2}) {
        SCOPED_TRACE(connections);
        ScriptedPeer dnsPeer{ScriptedPeer::Protocol::Udp};
        int lostId = -1;
        dnsPeer.expectData()
            .respond([&lostId](const QByteArray& query) {
                if (queriedName(query) == "slow.test" && lostId < 0)
                    lostId = queryId(query);
                if (queryId(query) == lostId)
                    return QByteArray();                // the first query for it goes unanswered, every try
                return answerQuery(query);
            })
            .repeat();
        ASSERT_TRUE(dnsPeer.listen());
        relay.setDns(dnsPeer.address());
        relay.setDnsPort(QString::number(dnsPeer.port()));
        relay.setTimeOut(5);                            // 100 ms
        setRecipients({"a@slow.test", "b@slow.test", "c@slow.test"});
        relay.setConnections(connections);
        results.clear();
        reportCount = 0;
        finishedCount = 0;
        runToEnd();

        EXPECT_EQ(reportCount, 3);
        EXPECT_EQ(resultOf(0), relayNoDnsServer);
        EXPECT_EQ(resultOf(1), relayDelivered);
        EXPECT_EQ(resultOf(2), relayDelivered);
        EXPECT_EQ(queryIds(dnsPeer.datagrams()).size(), 2);   // the lost query and one answered for b and c
    }
}

// An error code of the server (SERVFAIL, REFUSED, ...) is no answer: never the domain itself, never kept.
// The next DNS server is asked at once; after the last the recipient is reported, and the next recipient of
// the domain asks again.
TEST_F(SmtpRelayTest, ServerFailureIsNoAnswerAndNotKept)
{
    int queries = 0;
    startDns([&queries](const QByteArray& query) {
        static const int codes[] = {2, 5, 1, 4};        // SERVFAIL, REFUSED, FORMERR, NOTIMP
        return ++queries <= 4 ? codeReply(query, codes[queries - 1]) : answerQuery(query);
    });
    startSmtp();
    relay.setDns(dns.address() + " " + dns.address());
    relay.setTimeOut(1000);                             // no time-out takes part
    setRecipients({"a@127.0.0.1", "b@127.0.0.1", "c@127.0.0.1"});
    runToEnd();

    EXPECT_EQ(resultOf(0), relayNoDnsServer);           // both servers failed
    EXPECT_EQ(results[0].comment, "No DNS answer for 127.0.0.1");
    EXPECT_EQ(resultOf(1), relayNoDnsServer);           // both failed again
    EXPECT_EQ(resultOf(2), relayDelivered);
    EXPECT_EQ(dns.datagrams().size(), 5);
    EXPECT_EQ(smtp.connectionCount(), 1);
}

TEST_F(SmtpRelayTest, AbortAllReportsEveryRecipientInProgressOnce)
{
    startDns();
    startSmtp({.banner = false});
    relay.setTimeOut(1000);                             // nothing times out on its own
    setRecipients({"user@silent.test", "user@one.test", "waiting@one.test"});
    relay.setConnections(2);
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return smtp.connectionCount() == 1 && dns.datagrams().size() == 2; }));
    pumpEvents(50);
    relay.AbortAll();
    EXPECT_FALSE(relay.busy());
    ASSERT_TRUE(waitUntil([&] { return finishedCount > 0; }));
    pumpEvents(150);

    EXPECT_EQ(reportCount, 2);                          // the third was never started
    EXPECT_EQ(resultOf(0), relayStopped);               // DNS phase
    EXPECT_EQ(resultOf(1), relayStopped);               // SMTP phase
    EXPECT_EQ(finishedCount, 1);
    EXPECT_TRUE(aborted);
}

struct EndOfDataCase {
    const char* name;
    int replyDelayMs;           // after the "."; -1: no reply at all
    int result;
};

class AbortAfterEndOfDataTest : public SmtpRelayTest, public ::testing::WithParamInterface<EndOfDataCase> {};

// AbortAll while the server has not yet answered a message's ".": the server may have it, so the worker
// waits for the reply (the run stays busy meanwhile) and reports it; without a reply by the time-out the
// message is neither delivered nor failed but unknown. Recipients not yet started stay unreported.
TEST_P(AbortAfterEndOfDataTest, TheReplyIsAwaitedAndReported)
{
    const EndOfDataCase& c = GetParam();
    startDns();
    smtp.send("220 server ready\r\n");
    for (int i = 0; i < 4; ++i)                         // EHLO, MAIL FROM, RCPT TO, DATA
        smtp.expectLine().respond([](const QByteArray& line) { return answerLine({}, line); });
    smtp.expectLineEqual(".\r\n");
    if (c.replyDelayMs >= 0)
        smtp.wait(c.replyDelayMs).send("250 queued\r\n").expectLine().send("221 bye\r\n");
    ASSERT_TRUE(smtp.listen());
    relay.setSmtpPort(QString::number(smtp.port()));
    setRecipients({"user@one.test", "later@one.test"});
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return smtp.received(0).contains("\r\n.\r\n"); }));
    relay.AbortAll();
    EXPECT_TRUE(relay.busy());
    ASSERT_TRUE(waitUntil([&] { return finishedCount > 0; }));
    pumpEvents(150);

    EXPECT_EQ(reportCount, 1);
    EXPECT_EQ(resultOf(0), c.result) << results[0].comment.toStdString();
    EXPECT_TRUE(aborted);
    EXPECT_FALSE(relay.busy());
    EXPECT_EQ(smtp.connectionCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(Replies, AbortAfterEndOfDataTest,
                         ::testing::Values(EndOfDataCase{"late_reply", 300, relayDelivered},
                                           EndOfDataCase{"no_reply", -1, relayOutcomeUnknown}),
                         [](const auto& info) { return std::string(info.param.name); });

// No reply to the "." is an unknown outcome whose comment says why, not the "354" that came before it.
TEST_F(SmtpRelayTest, UnansweredEndOfDataSaysWhyItsOutcomeIsUnknown)
{
    for (const bool closes : {false, true}) {
        SCOPED_TRACE(closes ? "closed after the end of data" : "silent after the end of data");
        ScriptedPeer dnsPeer(ScriptedPeer::Protocol::Udp);
        dnsPeer.expectData().respond(answerQuery).repeat();
        ASSERT_TRUE(dnsPeer.listen());
        ScriptedPeer server;
        server.send("220 server ready\r\n");
        for (int i = 0; i < 4; ++i)                     // EHLO, MAIL FROM, RCPT TO, DATA
            server.expectLine().respond([](const QByteArray& line) { return answerLine({}, line); });
        server.expectLineEqual(".\r\n");
        if (closes)
            server.close();
        ASSERT_TRUE(server.listen());
        TSmtpRelayServer2 unanswered;
        std::vector<Result> reported;
        bool done = false;
        unanswered.OnEMailProcessed = [&](TSmtpRelayServer2*, int, int err, const QString& comment) {
            reported.push_back({err, comment});
        };
        unanswered.OnFinished = [&](TSmtpRelayServer2*, bool) { done = true; };
        unanswered.From = "sender@origin.test";
        unanswered.setBody({"Hello"});
        unanswered.setTimeOut(1);
        unanswered.setDns(dnsPeer.address());
        unanswered.setDnsPort(QString::number(dnsPeer.port()));
        unanswered.setSmtpPort(QString::number(server.port()));
        StringList recipients;
        recipients.add(QStringLiteral("user@one.test"), 1);
        unanswered.setRecipients(recipients);
        unanswered.Send();
        ASSERT_TRUE(waitUntil([&] { return done; }, 30000));

        ASSERT_EQ(reported.size(), 1u);
        EXPECT_EQ(reported[0].err, relayOutcomeUnknown);
        EXPECT_EQ(reported[0].comment, closes ? QString("Connection closed after \".\" before any reply")
                                              : QString("No reply to \".\" within 1 s"));
    }
}

TEST_F(SmtpRelayTest, AbortAllDuringQuitDoesNotReportAgain)
{
    startDns();
    startSmtp({.quitReply = ""});
    relay.setTimeOut(1000);
    setRecipients({"user@one.test", "next@one.test"});
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return reportCount == 1; }));
    ASSERT_TRUE(waitUntil([&] { return smtp.received(0).endsWith("QUIT\r\n"); }));
    relay.AbortAll();
    ASSERT_TRUE(waitUntil([&] { return finishedCount > 0; }));
    pumpEvents(150);

    EXPECT_EQ(reportCount, 1);
    EXPECT_EQ(resultOf(0), relayDelivered);
    EXPECT_TRUE(aborted);
}

TEST_F(SmtpRelayTest, AbortAllFromInsideAReportEndsTheRunOnce)
{
    startDns();
    startSmtp();
    setRecipients({"first@one.test", "user@", "third@one.test"});   // the second worker reports at once
    relay.setConnections(2);
    relay.OnEMailProcessed = [this](TSmtpRelayServer2* sender, int index, int err, const QString&) {
        results.insert({index, {err, {}}});
        ++reportCount;
        sender->AbortAll();
    };
    runToEnd();

    EXPECT_EQ(reportCount, 2);
    EXPECT_EQ(resultOf(0), relayStopped);
    EXPECT_EQ(resultOf(1), relayNoMailHost);
    EXPECT_EQ(finishedCount, 1);
}

TEST_F(SmtpRelayTest, NoRecipientsFinishAtOnce)
{
    startDns();
    runToEnd(1000);
    EXPECT_EQ(reportCount, 0);
    EXPECT_EQ(finishedCount, 1);
    EXPECT_FALSE(aborted);
}

TEST_F(SmtpRelayTest, RunStartedFromOnFinishedReportsEveryRecipientOnceAgain)
{
    startDns();
    startSmtp();
    setRecipients({"first@one.test", "user@", "third@two.test"});
    relay.setConnections(2);
    std::map<int, QList<int>> codes;                    // index -> the codes of both runs
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int index, int err, const QString&) {
        codes[index].append(err);
    };
    relay.OnFinished = [this](TSmtpRelayServer2* sender, bool wasAborted) {
        aborted = wasAborted;
        if (++finishedCount == 1)
            sender->Send();                             // the relay is idle again inside its own event
    };
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return finishedCount == 2; }));
    pumpEvents(150);

    EXPECT_EQ(finishedCount, 2);
    EXPECT_FALSE(aborted);
    const QList<int> delivered{relayDelivered, relayDelivered};
    EXPECT_EQ(codes, (std::map<int, QList<int>>{{0, delivered}, {1, {relayNoMailHost, relayNoMailHost}},
                                                {2, delivered}}));
    EXPECT_FALSE(relay.busy());
}

TEST_F(SmtpRelayTest, ItemsWithoutObjectAreSkipped)
{
    startDns();
    startSmtp();
    StringList list;
    list.add("skipped@one.test");
    list.add("sent@one.test", 7);
    relay.setRecipients(list);
    runToEnd();
    EXPECT_EQ(reportCount, 1);
    EXPECT_EQ(resultOf(1), relayDelivered);
    EXPECT_FALSE(smtp.receivedAll().contains("skipped"));
}

TEST_F(SmtpRelayTest, SendRefusesBadStartsAndStaysIdle)
{
    relay.From.clear();
    relay.setDns("127.0.0.1");
    setRecipients({"user@one.test"});
    try {
        relay.Send();
        FAIL() << "no exception";
    } catch (const TSmtpRelayServerException& e) {
        EXPECT_EQ(e.text(), "FROM property is empty");
    }
    relay.From = "sender@origin.test";
    relay.setAttachments({testHome() + "present.txt", testHome() + "missing.pdf\t\tapplication/pdf"});
    QFile present(testHome() + "present.txt");
    ASSERT_TRUE(present.open(QIODevice::WriteOnly));
    present.close();
    try {
        relay.Send();
        FAIL() << "no exception";
    } catch (const TSmtpRelayServerException& e) {
        EXPECT_EQ(e.text(), "File not found '" + testHome() + "missing.pdf'");
    }
    EXPECT_FALSE(relay.busy());
    relay.setConnections(3);                            // idle: properties may change
    pumpEvents(150);
    EXPECT_EQ(reportCount, 0);
    EXPECT_EQ(finishedCount, 0);
}

TEST_F(SmtpRelayTest, PropertiesRefuseChangesWhileBusy)
{
    startDns();
    startSmtp({.banner = false});
    relay.setTimeOut(1000);
    setRecipients({"user@one.test"});
    relay.Send();
    EXPECT_TRUE(relay.busy());
    EXPECT_THROW(relay.setSubject("x"), TSmtpRelayServerException);
    EXPECT_THROW(relay.setConnections(2), TSmtpRelayServerException);
    EXPECT_THROW(relay.Send(), TSmtpRelayServerException);
    relay.AbortAll();
    ASSERT_TRUE(waitUntil([&] { return finishedCount > 0; }));
}

TEST_F(SmtpRelayTest, PerRecipientDataIsConvertedToTheCharset)
{
    startDns();
    startSmtp();
    QFile file(testHome() + "report.pdf");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("%PDF");
    file.close();
    relay.charSet = "windows-1251";
    relay.setAttachments({testHome() + "report.pdf\t\tapplication/pdf"});
    relay.OnGetDataEx = [](TSmtpRelayServer2*, int index, QString& headerTo, QString& subject, QStringList& mml,
                           QStringList& attach, QStringList&, QStringList&, QStringList&) {
        headerTo = QStringLiteral("Reader %1 <reader%1@one.test>").arg(index);
        subject = QStringLiteral("\u041F\u0440\u0438\u0432\u0435\u0442");   // "Privet" in Cyrillic
        mml = QStringList{QStringLiteral("Dear reader %1").arg(index)};
        EXPECT_EQ(attach.size(), 1);                    // the run's attachments, not the last recipient's
        attach << QString();                            // an empty item is skipped
    };
    setRecipients({"reader0@one.test", "reader1@one.test"});
    runToEnd();

    ASSERT_EQ(resultOf(0), relayDelivered);
    ASSERT_EQ(resultOf(1), relayDelivered);
    const QByteArray all = smtp.receivedAll();
    EXPECT_TRUE(all.contains("To: Reader 1 <reader1@one.test>\r\n"));
    EXPECT_TRUE(all.contains("Subject: =?WINDOWS-1251?Q?=CF=F0=E8=E2=E5=F2?=\r\n")) << all.toStdString();
    EXPECT_TRUE(all.contains("Dear reader 0\r\n"));
    EXPECT_EQ(all.count("Content-Type: application/pdf;"), 2);
}

// The message of a session as sent after DATA (dot-stuffed, CR LF), without the closing "." line.
QByteArray messageOf(const QByteArray& session)
{
    const qsizetype start = session.indexOf("DATA\r\n") + 6;
    return session.mid(start, session.indexOf("\r\n.\r\n", start) + 2 - start);
}

QList<QByteArray> headerLines(const QByteArray& message)
{
    return message.left(message.indexOf("\r\n\r\n")).split('\n');
}

struct HeaderCase {
    const char* name;
    const char* charset;
    QString headerFrom;
    QString subject;
    QList<QByteArray> lines;    // header lines as sent, CR included
    QString readFrom;           // as Python's email package decodes them
    QString readSubject;
};

class DirectHeaderTest : public SmtpRelayTest, public ::testing::WithParamInterface<HeaderCase> {};

// Non-ASCII names and subjects go as RFC 2047 encoded words of the message's charset; control characters
// from merge fields become blanks; ASCII headers go byte for byte as before.
TEST_P(DirectHeaderTest, HeadersAreEncodedWordsOnlyWhereNeeded)
{
    const HeaderCase& c = GetParam();
    startDns();
    startSmtp();
    relay.charSet = c.charset;
    relay.HeaderFrom = c.headerFrom;
    relay.setSubject(c.subject);
    setRecipients({"reader@one.test"});
    runToEnd();

    ASSERT_EQ(resultOf(0), relayDelivered);
    const QByteArray message = messageOf(smtp.received(0));
    const QList<QByteArray> lines = headerLines(message);
    for (const QByteArray& line : c.lines)
        EXPECT_TRUE(lines.contains(line)) << line.toStdString() << "\n" << message.toStdString();
    for (const QByteArray& line : lines)
        EXPECT_LE(line.size(), 78) << line.toStdString();
    const QJsonObject view = pythonMimeView(message);
    EXPECT_TRUE(view["defects"].toArray().isEmpty());
    EXPECT_EQ(view["from"].toString(), c.readFrom);
    EXPECT_EQ(view["subject"].toString(), c.readSubject);
}

INSTANTIATE_TEST_SUITE_P(
    Headers, DirectHeaderTest,
    ::testing::Values(
        HeaderCase{"ascii_byte_for_byte", "iso-8859-1", "\"Ann Lee\" <ann@origin.test>", "Hello, (world) =?x?=",
                   {"From: \"Ann Lee\" <ann@origin.test>\r", "Subject: Hello, (world) =?x?=\r"},
                   "Ann Lee <ann@origin.test>", "Hello, (world) =?x?="},
        HeaderCase{"latin1_name_and_subject", "iso-8859-1", "\"J\u00fcrgen M\u00fcller\" <j@origin.test>",
                   "Gr\u00fc\u00dfe",
                   {"From: =?ISO-8859-1?Q?J=FCrgen_M=FCller?= <j@origin.test>\r",
                    "Subject: =?ISO-8859-1?Q?Gr=FC=DFe?=\r"},
                   "J\u00fcrgen M\u00fcller <j@origin.test>", "Gr\u00fc\u00dfe"},
        HeaderCase{"utf8_unquoted_name", "utf-8", "Zo\u00eb, Kim <z@origin.test>", "\u65e5\u672c",
                   {"From: =?UTF-8?Q?Zo=C3=AB=2C_Kim?= <z@origin.test>\r", "Subject: =?UTF-8?Q?=E6=97=A5=E6=9C=AC?=\r"},
                   "\"Zo\u00eb, Kim\" <z@origin.test>", "\u65e5\u672c"},
        HeaderCase{"control_characters_become_blanks", "iso-8859-1", "Ann\tLee <ann@origin.test>",
                   "A\tB\vC\fD\x1e" "E\u0085" "F\x7fG",
                   {"From: Ann Lee <ann@origin.test>\r", "Subject: A B C D E F G\r"},
                   "Ann Lee <ann@origin.test>", "A B C D E F G"},
        HeaderCase{"long_subject_folds_between_words", "utf-8", "<s@origin.test>",
                   QString(30, QChar(0x00e9)) + " " + QString(30, QChar(0x00fc)),
                   {},
                   "s@origin.test", QString(30, QChar(0x00e9)) + " " + QString(30, QChar(0x00fc))}),
    [](const auto& info) { return std::string(info.param.name); });

class DirectCharsetTest : public SmtpRelayTest, public ::testing::WithParamInterface<CharsetCase> {};

// A message whose merged texts the project's charset cannot hold goes in UTF-8, header words and both bodies
// alike, and the HTML declares it; one that fits goes as before. Python reads back exactly the merged text.
TEST_P(DirectCharsetTest, SendsInTheCharsetOrInUtf8WithoutLoss)
{
    const CharsetCase& c = GetParam();
    startDns();
    startSmtp();
    relay.charSet = c.charset;
    relay.ContentType = ctHTML;
    relay.HeaderFrom = "\"" + c.text + " Shop\" <sender@origin.test>";
    relay.OnGetDataEx = [&](TSmtpRelayServer2*, int, QString& headerTo, QString& subject, QStringList& mml,
                            QStringList&, QStringList& htm, QStringList&, QStringList&) {
        headerTo = c.text + " Reader <reader@one.test>";
        subject = sorvanta::test::charsetSubject(c);
        mml = sorvanta::test::charsetBody(c);
        htm = sorvanta::test::charsetHtml(c);
    };
    setRecipients({"reader@one.test"});
    runToEnd();

    ASSERT_EQ(resultOf(0), relayDelivered);
    EXPECT_EQ(relay.Utf8Fallback(), !c.fits);
    const QList<QByteArray> messages = messagesOfSession(smtp.received(0));
    ASSERT_EQ(messages.size(), 1);
    sorvanta::test::expectMergedTextsReadBack(pythonStrictView(messages[0]), c, "sender@origin.test",
                                              "reader@one.test", "Hello " + c.text + "\r\nbye");
}

INSTANTIATE_TEST_SUITE_P(Scripts, DirectCharsetTest, ::testing::ValuesIn(sorvanta::test::charsetCases()),
                         [](const auto& info) { return sorvanta::test::charsetCaseName(info.param); });

TEST_F(SmtpRelayTest, DefaultHeloIsDottedNameThenMailDomainThenAddressLiteral)
{
    startDns();
    startSmtp();
    relay.Signon.clear();
    for (const QString domain : {QString(), QStringLiteral("origin.test")}) {
        relay.HdrMailDomain = domain;
        setRecipients({"reader@one.test"});
        runToEnd();

        ASSERT_EQ(resultOf(0), relayDelivered);
        const QString expected = heloNameFor(TWSocket::LocalHostName(), domain, "127.0.0.1");
        EXPECT_TRUE(smtp.received(smtp.connectionCount() - 1).startsWith("EHLO " + expected.toUtf8() + "\r\n"))
            << smtp.received(smtp.connectionCount() - 1).toStdString();
        if (!TWSocket::LocalHostName().contains('.'))
            EXPECT_EQ(expected, domain.isEmpty() ? "[127.0.0.1]" : "origin.test");
    }
}

TEST_F(SmtpRelayTest, LongBodyLinesArriveWrapped)
{
    startDns();
    startSmtp();
    relay.setBody({QString(2500, 'a'), QString(1500, 'b'), "end"});
    setRecipients({"user@one.test"});
    runToEnd();
    ASSERT_EQ(resultOf(0), relayDelivered);
    const QByteArray expected = QByteArray(998, 'a') + "\r\n" + QByteArray(998, 'a') + "\r\n" + QByteArray(504, 'a') +
                                "\r\n" + QByteArray(998, 'b') + "\r\n" + QByteArray(502, 'b') + "\r\nend\r\n";
    EXPECT_TRUE(smtp.received(0).contains("\r\n\r\n" + expected));
}

// ---- opportunistic TLS to the mail host

const QString kUmlautLine = QStringLiteral("Gr\u00fc\u00dfe aus Z\u00fcrich");

bool hasEightBitByte(const QByteArray& bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char b) { return static_cast<unsigned char>(b) >= 128; });
}

struct SecuredCase {
    const char* name;
    QByteArray firstEhloReply;      // in clear, offering STARTTLS
    QByteArray secondEhloReply;     // inside TLS: it alone decides 8BITMIME
    QByteArray mailFromParameters;
    bool eightBitOnTheWire;
};

void PrintTo(const SecuredCase& c, std::ostream* os)
{
    *os << c.name;
}

class SecuredDeliveryTest : public SmtpRelayTest, public ::testing::WithParamInterface<SecuredCase> {
protected:
    QTemporaryDir m_folder;
    // A stranger's certificate made out to another host: opportunistic TLS takes it all the same.
    sorvanta::test::TestCertificateAuthority m_stranger{m_folder.path(), QStringLiteral("stranger")};
};

// Every connection secures itself before the envelope: the server sees TLS, nothing of the envelope or the
// message crosses the wire in clear, and the message reads back strictly.
TEST_P(SecuredDeliveryTest, MailGoesInsideTlsWhenTheHostOffersIt)
{
    const SecuredCase& c = GetParam();
    const sorvanta::test::TestCertificate certificate =
        m_stranger.issue(QStringLiteral("mx"), {QStringLiteral("DNS:mx.elsewhere.test")});
    startDns();
    smtp.send("220 server ready\r\n").expectLine().send(c.firstEhloReply).expectLine()
        .send("220 2.0.0 ready to start TLS\r\n").startTls(certificate.certificateFile, certificate.keyFile)
        .expectLine().send(c.secondEhloReply);
    for (int i = 0; i < 20; ++i)
        smtp.expectLine().respond([](const QByteArray& line) { return answerLine({}, line); });
    ASSERT_TRUE(smtp.listen());
    relay.setSmtpPort(QString::number(smtp.port()));
    relay.setBody({kUmlautLine, "bye"});
    const QStringList addresses{"ann@one.test", "bob@two.test", "cy@three.test"};
    setRecipients(addresses);
    relay.setConnections(3);
    runToEnd();

    ASSERT_EQ(smtp.connectionCount(), 3);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(resultOf(i), relayDelivered) << results.at(i).comment.toStdString();
        EXPECT_TRUE(smtp.tlsEstablished(i));
        const QByteArray session = smtp.received(i);
        EXPECT_TRUE(session.startsWith("EHLO relay.test\r\nSTARTTLS\r\nEHLO relay.test\r\nMAIL FROM:<sender@origin.test>"
                                       + c.mailFromParameters + "\r\nRCPT TO:<"))
            << session.left(200).toStdString();
        EXPECT_TRUE(session.endsWith("\r\n.\r\nQUIT\r\n"));
        EXPECT_EQ(hasEightBitByte(session), c.eightBitOnTheWire);
        const QByteArray wire = smtp.wireBytes(i);
        EXPECT_TRUE(wire.startsWith("EHLO relay.test\r\nSTARTTLS\r\n"));
        EXPECT_FALSE(wire.contains("MAIL FROM") || wire.contains("RCPT TO") || wire.contains("Subject"));
        const QList<QByteArray> messages = messagesOfSession(session);
        ASSERT_EQ(messages.size(), 1);
        const QJsonObject view = pythonStrictView(messages[0]);
        EXPECT_EQ(view["leaves"].toArray()[0].toObject()["text"].toString(), kUmlautLine + "\r\nbye\r\n\r\n");
    }
    for (const QString& address : addresses)
        EXPECT_EQ(smtp.receivedAll().count("RCPT TO:<" + address.toUtf8() + ">\r\n"), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, SecuredDeliveryTest,
    ::testing::Values(
        SecuredCase{"starttls_and_8bitmime", "250-mx\r\n250-8BITMIME\r\n250 STARTTLS\r\n", "250-mx\r\n250 8BITMIME\r\n",
                    " BODY=8BITMIME", true},
        SecuredCase{"8bitmime_withdrawn_inside_tls", "250-mx\r\n250-8BITMIME\r\n250 STARTTLS\r\n", "250 mx\r\n", "",
                    false},
        SecuredCase{"starttls_only", "250-mx\r\n250 STARTTLS\r\n", "250-mx\r\n250-PIPELINING\r\n250 SIZE 10000000\r\n",
                    "", false}),
    [](const auto& info) { return std::string(info.param.name); });

// A fatal TLS alert record (handshake_failure), as a server sends when it cannot agree on a cipher.
const QByteArray kHandshakeFailureAlert = QByteArray::fromHex("15030300020228");

// Stateless, so that the connection in clear after the failure plays the same script: every chunk the
// client sends is answered, the ClientHello with the alert when the handshake is to fail.
QByteArray answerAfterStartTls(const QByteArray& startTlsReply, const QByteArray& chunk)
{
    if (chunk.startsWith('\x16'))
        return kHandshakeFailureAlert;
    if (chunk.startsWith("EHLO "))
        return "250-mx\r\n250-8BITMIME\r\n250 STARTTLS\r\n";
    if (chunk == "STARTTLS\r\n")
        return startTlsReply;
    if (chunk.endsWith("\r\n.\r\n"))
        return "250 queued\r\n";
    return answerLine({}, chunk);
}

struct ClearFallbackCase {
    const char* name;
    QByteArray startTlsReply;
    bool clientHelloSent;
};

void PrintTo(const ClearFallbackCase& c, std::ostream* os)
{
    *os << c.name;
}

class ClearFallbackTest : public SmtpRelayTest, public ::testing::WithParamInterface<ClearFallbackCase> {};

// A refused STARTTLS or a failed handshake: one new connection to the same host, in clear and without
// STARTTLS, carries the message (with 8BITMIME, which that connection's EHLO reply offers).
TEST_P(ClearFallbackTest, DeliversInClearAfterOneReconnection)
{
    const ClearFallbackCase& c = GetParam();
    startDns();
    smtp.send("220 server ready\r\n");
    for (int i = 0; i < 20; ++i)
        smtp.expectData().respond([&c](const QByteArray& chunk) { return answerAfterStartTls(c.startTlsReply, chunk); });
    ASSERT_TRUE(smtp.listen());
    relay.setSmtpPort(QString::number(smtp.port()));
    relay.setBody({kUmlautLine});
    setRecipients({"ann@one.test"});
    runToEnd();

    ASSERT_EQ(resultOf(0), relayDelivered) << results.at(0).comment.toStdString();
    ASSERT_EQ(smtp.connectionCount(), 2);
    EXPECT_FALSE(smtp.tlsEstablished(0) || smtp.tlsEstablished(1));
    const QByteArray first = smtp.received(0);
    EXPECT_TRUE(first.startsWith("EHLO relay.test\r\nSTARTTLS\r\n")) << first.toStdString();
    EXPECT_EQ(first.size() > qsizetype(strlen("EHLO relay.test\r\nSTARTTLS\r\n")), c.clientHelloSent);
    EXPECT_FALSE(first.contains("MAIL FROM"));
    const QByteArray second = smtp.received(1);
    EXPECT_TRUE(second.startsWith("EHLO relay.test\r\nMAIL FROM:<sender@origin.test> BODY=8BITMIME\r\n"
                                  "RCPT TO:<ann@one.test>\r\nDATA\r\n"))
        << second.left(200).toStdString();
    EXPECT_TRUE(second.endsWith("\r\n.\r\nQUIT\r\n"));
    EXPECT_EQ(second.count("STARTTLS"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ClearFallbackTest,
    ::testing::Values(ClearFallbackCase{"handshake_fails", "220 2.0.0 go ahead\r\n", true},
                      ClearFallbackCase{"starttls_refused", "454 4.7.0 TLS not available due to local problem\r\n",
                                        false}),
    [](const auto& info) { return std::string(info.param.name); });

// A host that completes the handshake and then drops the connection: the same address once more, in
// clear, carries the message; its "220" to STARTTLS is never taken for an error.
TEST_F(SmtpRelayTest, CloseRightAfterTheHandshakeIsRetriedInClear)
{
    QTemporaryDir folder;
    sorvanta::test::TestCertificateAuthority authority{folder.path(), QStringLiteral("stranger")};
    const sorvanta::test::TestCertificate certificate = authority.issue(QStringLiteral("mx"), {});
    startDns();
    smtp.send("220 server ready\r\n").expectLine().send("250-mx\r\n250 STARTTLS\r\n").expectLine()
        .send("220 2.0.0 go ahead\r\n").startTls(certificate.certificateFile, certificate.keyFile).close()
        .laterConnections().send("220 server ready\r\n");
    for (int i = 0; i < 20; ++i)
        smtp.expectLine().respond([](const QByteArray& line) { return answerLine({}, line); });
    ASSERT_TRUE(smtp.listen());
    relay.setSmtpPort(QString::number(smtp.port()));
    setRecipients({"ann@one.test"});
    runToEnd();

    ASSERT_EQ(resultOf(0), relayDelivered) << results.at(0).comment.toStdString();
    ASSERT_EQ(smtp.connectionCount(), 2);
    EXPECT_TRUE(smtp.tlsEstablished(0));
    const QByteArray second = smtp.received(1);
    EXPECT_TRUE(second.startsWith("EHLO relay.test\r\nMAIL FROM:")) << second.left(100).toStdString();
    EXPECT_EQ(second.count("STARTTLS"), 0);
}

// A host that keeps dropping the connection after a reply of success: the row gets our own words and a
// socket code, never the server's "220" or "250" as if it were the refusal.
TEST_F(SmtpRelayTest, CloseAfterASuccessReplyIsALocalFailure)
{
    startDns();
    smtp.send("220 server ready\r\n").expectLine().send("250 mx\r\n").expectLine().send("250 sender ok\r\n").close();
    ASSERT_TRUE(smtp.listen());
    relay.setSmtpPort(QString::number(smtp.port()));
    setRecipients({"ann@one.test"});
    runToEnd();

    ASSERT_EQ(reportCount, 1);
    const Result& result = results.at(0);
    EXPECT_GT(result.err, 1000);
    EXPECT_FALSE(result.comment.isEmpty() || result.comment.front().isDigit()) << result.comment.toStdString();
    EXPECT_TRUE(result.comment.contains("250 sender ok")) << result.comment.toStdString();
}

struct WrapCase {
    const char* name;
    QList<int> lengths;         // of the input lines, each of distinct letters
    QList<int> expected;        // lengths after wrapping
};

class WrapLongLinesTest : public ::testing::TestWithParam<WrapCase> {};

TEST_P(WrapLongLinesTest, CutsWithoutLosingOrJoining)
{
    QStringList lines;
    QString all;
    for (qsizetype i = 0; i < GetParam().lengths.size(); ++i) {
        lines << QString(GetParam().lengths[i], QChar(char16_t(u'a' + i)));
        all += lines.last();
    }
    wrapLongLines(lines);
    QList<int> lengths;
    for (const QString& line : lines)
        lengths << int(line.size());
    EXPECT_EQ(lengths, GetParam().expected);
    EXPECT_EQ(lines.join(QString()), all);
    for (const QString& line : lines)
        EXPECT_TRUE(line.isEmpty() || line.count(line[0]) == line.size()) << "a line joins two input lines";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WrapLongLinesTest,
    ::testing::Values(WrapCase{"short_lines_untouched", {0, 5, 998}, {0, 5, 998}},
                      WrapCase{"one_long_line", {2500}, {998, 998, 504}},
                      WrapCase{"rest_not_joined_to_next", {1500, 3}, {998, 502, 3}},
                      WrapCase{"just_over", {999}, {998, 1}},
                      WrapCase{"exact_multiple", {1996, 2}, {998, 998, 2}},
                      WrapCase{"two_long_lines", {1100, 1100}, {998, 102, 998, 102}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

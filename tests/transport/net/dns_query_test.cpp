// TDnsQuery against a scripted UDP peer: the datagram sent, replies accepted, foreign IDs and hostile
// replies dropped without an event, invalid names refused before anything is sent.

#include "transport/net/dns_query.h"

#include "platform/winsock_error.h"
#include "tests/support/process_loopback.h"
#include "tests/support/scripted_peer.h"
#include "tests/support/wait_until.h"
#include "tests/transport/dns_fixtures.h"

#include <QElapsedTimer>
#include <QSet>
#include <QtEndian>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace dns_fixtures;
using namespace std::chrono_literals;
using sorvanta::test::processLoopbackAddress;
using sorvanta::test::pumpEvents;
using sorvanta::test::ScriptedPeer;
using sorvanta::test::waitUntil;

namespace {

// The reply with the ID of the query it answers.
QByteArray answering(const QByteArray& query, const QByteArray& packet)
{
    return query.left(2) + packet.mid(2);
}

struct QueryFixture {
    ScriptedPeer peer{ScriptedPeer::Protocol::Udp};
    TDnsQuery query;
    std::vector<int> results;

    // The process's own loopback address by default, so a TCP peer may take the same port number after it.
    bool start(const QHostAddress& address = processLoopbackAddress())
    {
        query.OnRequestDone = [this](TDnsQuery*, int error) { results.push_back(error); };
        if (!peer.listen(0, address))
            return false;
        query.setAddr(peer.address());
        query.setPort(QString::number(peer.port()));
        return true;
    }
};

TEST(DnsQueryTest, SendsTheQueryAndParsesTheReply)
{
    QueryFixture f;
    f.peer.expectData().respond([](const QByteArray& q) {
        return answering(q, reply(0, 0x8180, "example.com", {mx(pointerTo(12), 10, label("mx") + pointerTo(12))}));
    });
    ASSERT_TRUE(f.start());
    const int id = f.query.MXLookup(QStringLiteral("example.com"));
    EXPECT_EQ(id, f.query.QueryId());
    EXPECT_EQ(f.query.ResponseLength(), -1);
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    EXPECT_EQ(f.results, std::vector<int>{0});
    EXPECT_EQ(f.peer.datagrams(), QList<QByteArray>{*dns::buildQuery(quint16(id), "example.com")});
    EXPECT_EQ(f.query.AnswerType(0), 15);
    EXPECT_EQ(f.query.AnswerTag(0), 0);
    EXPECT_EQ(f.query.MXExchange(f.query.AnswerTag(0)), "mx.example.com");
    EXPECT_EQ(f.query.MXExchange(50), "");
    EXPECT_EQ(f.query.AnswerType(-1), 0);
    EXPECT_GT(f.query.ResponseLength(), 12);
}

TEST(DnsQueryTest, NameErrorStillReportsZero)
{
    QueryFixture f;
    f.peer.expectData().respond([](const QByteArray& q) { return answering(q, reply(0, 0x8183, "nowhere.test", {})); });
    ASSERT_TRUE(f.start());
    f.query.MXLookup(QStringLiteral("nowhere.test"));
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    EXPECT_EQ(f.results, std::vector<int>{0});
    EXPECT_EQ(f.query.Response().responseCode, 3);
    EXPECT_EQ(f.query.Response().anCount, 0);
    EXPECT_EQ(f.query.AnswerTag(0), 0);
}

TEST(DnsQueryTest, InvalidNameSendsNothingAndReports10022Later)
{
    QueryFixture f;
    f.peer.expectData();
    ASSERT_TRUE(f.start());
    f.query.MXLookup(QString(64, u'a') + QStringLiteral(".test"));
    EXPECT_TRUE(f.results.empty()) << "never inside MXLookup";
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    pumpEvents(30);
    EXPECT_EQ(f.results, std::vector<int>{WSAEINVAL});
    EXPECT_TRUE(f.peer.datagrams().isEmpty());
}

TEST(DnsQueryTest, HostileAndForeignRepliesAreDroppedWithoutAnEvent)
{
    QueryFixture f;
    const std::vector<HostileCase> hostile = hostileReplies();
    f.peer.expectData();
    for (const HostileCase& c : hostile)
        f.peer.respond([packet = c.packet](const QByteArray& q) { return answering(q, packet); });
    f.peer.respond([](const QByteArray&) { return reply(0x7777, 0x8180, "example.com", {}); });   // foreign ID
    f.peer.respond([](const QByteArray& q) { return reply(0, 0x0100, "example.com", {}).replace(0, 2, q.left(2)); });
    f.peer.wait(100).respond([](const QByteArray& q) { return answering(q, reply(0, 0x8180, "example.com", {})); });
    f.peer.respond([](const QByteArray& q) { return answering(q, reply(0, 0x8180, "example.com", {})); });
    ASSERT_TRUE(f.start());
    f.query.MXLookup(QStringLiteral("example.com"));
    ASSERT_TRUE(waitUntil([&] { return f.peer.finishedCount() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    pumpEvents(50);
    EXPECT_EQ(f.results, std::vector<int>{0}) << "one event: the good reply; its duplicate is dropped too";
}

TEST(DnsQueryTest, NewLookupAbandonsTheOldOne)
{
    QueryFixture f;
    // The first query is answered late, after the second has gone out; only the second's reply counts.
    f.peer.expectData().expectData().respond([](const QByteArray& q) {
        return answering(q, reply(0, 0x8180, "second.test", {mx(pointerTo(12), 2, label("two") + root())}));
    });
    ASSERT_TRUE(f.start());
    const int first = f.query.MXLookup(QStringLiteral("first.test"));
    ASSERT_TRUE(waitUntil([&] { return f.peer.datagrams().size() == 1; }));
    const int second = f.query.MXLookup(QStringLiteral("second.test"));
    EXPECT_NE(second, first);
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    pumpEvents(30);
    EXPECT_EQ(f.results, std::vector<int>{0});
    EXPECT_EQ(f.query.MXExchange(0), "two");
}

TEST(DnsQueryTest, ServerGivenByNameIsLookedUpFirst)
{
    QueryFixture f;
    f.peer.expectData().respond([](const QByteArray& q) { return answering(q, reply(0, 0x8180, "a.test", {})); });
    ASSERT_TRUE(f.start(QHostAddress::LocalHost));
    f.query.setAddr(QStringLiteral("localhost"));
    f.query.MXLookup(QStringLiteral("a.test"));
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    EXPECT_EQ(f.results, std::vector<int>{0});
}

TEST(DnsQueryTest, HandlerMayDeleteTheQuery)
{
    QueryFixture f;
    f.peer.expectData().respond([](const QByteArray& q) { return answering(q, reply(0, 0x8180, "a.test", {})); });
    ASSERT_TRUE(f.start());
    auto* query = new TDnsQuery;
    query->setAddr(f.peer.address());
    query->setPort(QString::number(f.peer.port()));
    bool done = false;
    query->OnRequestDone = [&](TDnsQuery* sender, int) {
        done = true;
        delete sender;
    };
    query->MXLookup(QStringLiteral("a.test"));
    ASSERT_TRUE(waitUntil([&] { return done; }));
    pumpEvents(20);
}

// A late reply to an earlier query, sent to the new query's port, is dropped by its ID, as is one whose ID
// matches but whose question is another domain's.
TEST(DnsQueryTest, LateAndMismatchedRepliesAreDropped)
{
    QueryFixture f;
    f.peer.expectData().expectData()
        .respond([&f](const QByteArray&) {   // the first query's answer, late
            return answering(f.peer.datagrams().at(0), reply(0, 0x8180, "first.test", {mx(pointerTo(12), 1, label("one") + root())}));
        })
        .respond([](const QByteArray& q) {   // the second query's ID on another question
            return answering(q, reply(0, 0x8180, "other.test", {mx(pointerTo(12), 3, label("three") + root())}));
        })
        .respond([](const QByteArray& q) {
            return answering(q, reply(0, 0x8180, "second.test", {mx(pointerTo(12), 2, label("two") + root())}));
        })
        .expectData()
        .respond([](const QByteArray& q) {
            return answering(q, reply(0, 0x8180, "third.test", {mx(pointerTo(12), 4, label("four") + root())}));
        });
    ASSERT_TRUE(f.start());
    const int first = f.query.MXLookup(QStringLiteral("first.test"));
    ASSERT_TRUE(waitUntil([&] { return f.peer.datagrams().size() == 1; }));
    const int second = f.query.MXLookup(QStringLiteral("second.test"));
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    pumpEvents(30);
    EXPECT_EQ(f.results, std::vector<int>{0});
    EXPECT_EQ(f.query.MXExchange(0), "two");
    f.query.MXLookup(QStringLiteral("third.test"));
    ASSERT_TRUE(waitUntil([&] { return f.results.size() == 2; }));
    EXPECT_EQ(f.query.MXExchange(0), "four");
    EXPECT_NE(first, second);
    EXPECT_EQ(f.peer.datagrams().size(), 3);
}

// RFC 5452 section 9.2: every query leaves from a socket of its own, so a forged reply must hit the source
// port the system chose at random as well as the ID.
TEST(DnsQueryTest, EachQueryLeavesFromAFreshSourcePort)
{
    constexpr int kQueries = 50;
    QueryFixture f;
    f.peer.expectData()
        .respond([](const QByteArray& q) { return answering(q, reply(0, 0x8180, "example.com", {})); })
        .repeat();
    ASSERT_TRUE(f.start());
    for (int i = 0; i < kQueries; ++i) {
        f.query.MXLookup(QStringLiteral("example.com"));
        ASSERT_TRUE(waitUntil([&] { return int(f.results.size()) == i + 1; })) << i;
    }
    const QList<quint16> ports = f.peer.datagramPorts();
    ASSERT_EQ(ports.size(), kQueries);
    EXPECT_GE(QSet<quint16>(ports.cbegin(), ports.cend()).size(), 45);
    EXPECT_EQ(f.results, std::vector<int>(kQueries, 0));
}

// RFC 1123 section 6.1.3.3: a datagram lost on the way does not end the query. The same datagram (ID and
// question) goes again from the same socket, so the reply to either try counts; once answered, no more.
TEST(DnsQueryTest, LostQueryIsSentAgainFromTheSameSocket)
{
    QueryFixture f;
    f.peer.expectData().expectData().respond([](const QByteArray& q) {
        return answering(q, reply(0, 0x8180, "example.com", {mx(pointerTo(12), 10, label("mx") + pointerTo(12))}));
    });
    f.query.setRetransmitWait(50ms);
    ASSERT_TRUE(f.start());
    const int id = f.query.MXLookup(QStringLiteral("example.com"));
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    pumpEvents(300);   // past the next two waits
    EXPECT_EQ(f.results, std::vector<int>{0});
    EXPECT_EQ(f.query.MXExchange(0), "mx.example.com");
    const QByteArray query = *dns::buildQuery(quint16(id), "example.com");
    EXPECT_EQ(f.peer.datagrams(), (QList<QByteArray>{query, query}));
    ASSERT_EQ(f.peer.datagramPorts().size(), 2);
    EXPECT_EQ(f.peer.datagramPorts().at(0), f.peer.datagramPorts().at(1));
}

// A silent server gets the query again after the wait, then after twice the wait before, and so on, a
// bounded number of times; the owner's time-out ends the query.
TEST(DnsQueryTest, RetransmissionsBackOffAndStop)
{
    constexpr auto kWait = 20ms;
    QueryFixture f;
    f.peer.expectData();
    f.query.setRetransmitWait(kWait);
    ASSERT_TRUE(f.start());
    QElapsedTimer sinceLookup;
    sinceLookup.start();
    f.query.MXLookup(QStringLiteral("example.com"));
    ASSERT_TRUE(waitUntil([&] { return f.peer.datagrams().size() >= 3; }));
    EXPECT_GE(sinceLookup.elapsed(), (kWait + 2 * kWait).count()) << "the second wait is twice the first";
    const int allSends = 1 + TDnsQuery::kMaxRetransmissions;
    ASSERT_TRUE(waitUntil([&] { return f.peer.datagrams().size() == allSends; }, 20000));
    pumpEvents(int((kWait * (1 << TDnsQuery::kMaxRetransmissions) + 200ms).count()));   // past one more wait
    EXPECT_EQ(f.peer.datagrams().size(), allSends);
    EXPECT_EQ(QSet<QByteArray>(f.peer.datagrams().cbegin(), f.peer.datagrams().cend()).size(), 1);
    EXPECT_TRUE(f.results.empty());
}

// The address query of a domain without MX records: type A on the wire, and only a reply to that question.
TEST(DnsQueryTest, AddressLookupTakesOnlyTheAnswerToItsQuestion)
{
    const QByteArray addressQuestion = wireName("host.test") + word(dns::TypeA) + word(dns::ClassIn);
    QueryFixture f;
    f.peer.expectData()
        .respond([](const QByteArray& q) { return answering(q, reply(0, 0x8180, "host.test", {})); })   // MX
        .respond([&](const QByteArray& q) {
            return answering(q, header(0, 0x8180, 1, 1) + addressQuestion + a(pointerTo(12), "\x7f\x00\x00\x02"));
        });
    ASSERT_TRUE(f.start());
    const int id = f.query.Lookup(QStringLiteral("host.test"), dns::TypeA);
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    pumpEvents(30);
    EXPECT_EQ(f.results, std::vector<int>{0});
    EXPECT_EQ(f.peer.datagrams(), QList<QByteArray>{*dns::buildQuery(quint16(id), "host.test", dns::TypeA)});
    EXPECT_EQ(f.query.Response().addresses, QList<quint32>{qToBigEndian<quint32>(0x7f000002)});
}

}  // namespace

// ---- a truncated reply is asked for again over TCP, from the same server and port (RFC 7766)

namespace {

QByteArray mxAnswerTo(const QByteArray& query, const QByteArray& exchange)
{
    return answering(query, reply(0, 0x8180, "example.com", {mx(pointerTo(12), 10, wireName(exchange))}));
}

// A TC reply whose sections were cut: only the header and the question.
QByteArray truncatedAnswerTo(const QByteArray& query)
{
    return answering(query, header(0, 0x8380, 1, 3) + question("example.com"));
}

QByteArray overTcp(const QByteArray& message)
{
    return word(int(message.size())) + message;
}

}  // namespace

TEST(DnsQueryTest, TruncatedReplyIsAnsweredOverTcp)
{
    QueryFixture f;
    f.peer.expectData().respond(truncatedAnswerTo);
    ASSERT_TRUE(f.start());
    ScriptedPeer tcp;
    const qsizetype querySize = dns::buildQuery(1, "example.com")->size();
    tcp.expectBytes(int(querySize) + 2).respond([](const QByteArray& framed) {
        return overTcp(mxAnswerTo(framed.mid(2), "mx.example.com"));
    });
    ASSERT_TRUE(tcp.listen(f.peer.port(), processLoopbackAddress()));
    const QByteArray query = *dns::buildQuery(quint16(f.query.MXLookup(QStringLiteral("example.com"))), "example.com");
    ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); }));
    pumpEvents(20);
    EXPECT_EQ(f.results, std::vector<int>{0});
    EXPECT_EQ(tcp.received(0), overTcp(query));
    EXPECT_EQ(f.query.AnswerType(0), 15);
    EXPECT_EQ(f.query.MXExchange(f.query.AnswerTag(0)), "mx.example.com");
}

// When the repeat over TCP fails, the query ends with an error: the cut reply is never taken.
TEST(DnsQueryTest, FailedTcpRepeatIsAnError)
{
    struct TcpCase {
        const char* name;
        std::function<void(ScriptedPeer&)> script;   // null: nothing listens on the port
    };
    const std::vector<TcpCase> cases = {
        {"refused", nullptr},
        {"closed_at_once", [](ScriptedPeer& p) { p.close(); }},
        {"closed_mid_reply", [](ScriptedPeer& p) { p.expectBytes(10).send(word(200) + "abc").close(); }},
        {"garbage", [](ScriptedPeer& p) { p.expectBytes(10).send(overTcp("not a dns reply at all")); }},
        {"truncated_again", [](ScriptedPeer& p) {
             p.expectBytes(31).respond([](const QByteArray& framed) { return overTcp(truncatedAnswerTo(framed.mid(2))); });
         }},
    };
    for (const TcpCase& row : cases) {
        QueryFixture f;
        f.peer.expectData().respond(truncatedAnswerTo);
        ASSERT_TRUE(f.start());
        ScriptedPeer tcp;
        if (row.script) {
            row.script(tcp);
            ASSERT_TRUE(tcp.listen(f.peer.port(), processLoopbackAddress())) << row.name;
        }
        f.query.MXLookup(QStringLiteral("example.com"));
        ASSERT_TRUE(waitUntil([&] { return !f.results.empty(); })) << row.name;
        pumpEvents(20);
        ASSERT_EQ(f.results.size(), 1u) << row.name;
        EXPECT_NE(f.results[0], 0) << row.name;
    }
}

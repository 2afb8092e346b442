// The meaning of an MX or A answer, as the relay and the verification both read it: routes and host order
// for real reply bytes, and the spread among hosts of equal preference.

#include "transport/net/mail_exchangers.h"

#include "tests/transport/dns_fixtures.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <map>

using namespace dns_fixtures;

namespace {

QByteArray host(const QByteArray& name) { return wireName(name); }

struct RouteCase {
    const char* name;
    int flags;                   // the reply's flags word: the low four bits are the response code
    QList<QByteArray> answers;
    dns::MailRoute route;
    QStringList hosts;           // by preference
};

class MailRouteTest : public ::testing::TestWithParam<RouteCase> {};

TEST_P(MailRouteTest, ReadsTheAnswer)
{
    const RouteCase& c = GetParam();
    const auto parsed = dns::parseReply(reply(1, c.flags, "d.test", c.answers));
    ASSERT_TRUE(parsed);
    const dns::MailExchangers exchangers = dns::mailExchangersOf(*parsed);
    EXPECT_EQ(exchangers.route, c.route);
    QStringList hosts;
    for (const dns::MxRecord& record : exchangers.hosts)
        hosts << record.exchange;
    EXPECT_EQ(hosts, c.hosts);
    EXPECT_EQ(exchangers.responseCode, c.flags & 15);
}

const QByteArray owner = pointerTo(12);

INSTANTIATE_TEST_SUITE_P(
    Answers, MailRouteTest,
    ::testing::Values(
        RouteCase{"preference_not_reply_order", 0x8180,
                  {mx(owner, 20, host("backup.d.test")), mx(owner, 10, host("main.d.test"))},
                  dns::MailRoute::Exchangers, {"main.d.test", "backup.d.test"}},
        RouteCase{"same_host_twice_kept_once_at_its_best", 0x8180,
                  {mx(owner, 30, host("a.d.test")), mx(owner, 5, host("A.d.test")), mx(owner, 10, host("b.d.test"))},
                  dns::MailRoute::Exchangers, {"A.d.test", "b.d.test"}},
        RouteCase{"mx_behind_a_cname", 0x8180,
                  {record(owner, dns::TypeCname, host("alias.test")), mx(owner, 10, host("mx.alias.test"))},
                  dns::MailRoute::Exchangers, {"mx.alias.test"}},
        RouteCase{"null_mx", 0x8180, {mx(owner, 0, root())}, dns::MailRoute::NullMx, {}},
        RouteCase{"stray_null_mx_beside_a_host", 0x8180, {mx(owner, 0, root()), mx(owner, 10, host("mx.d.test"))},
                  dns::MailRoute::Exchangers, {"mx.d.test"}},
        RouteCase{"no_answer_is_implicit_mx", 0x8180, {}, dns::MailRoute::NoMxRecords, {}},
        RouteCase{"cname_alone_is_implicit_mx", 0x8180, {record(owner, dns::TypeCname, host("alias.test"))},
                  dns::MailRoute::NoMxRecords, {}},
        RouteCase{"name_error", 0x8183, {}, dns::MailRoute::NoSuchDomain, {}},
        RouteCase{"formerr", 0x8181, {}, dns::MailRoute::ServerFailure, {}},
        RouteCase{"servfail", 0x8182, {}, dns::MailRoute::ServerFailure, {}},
        RouteCase{"notimp", 0x8184, {}, dns::MailRoute::ServerFailure, {}},
        RouteCase{"refused", 0x8185, {}, dns::MailRoute::ServerFailure, {}},
        RouteCase{"servfail_with_stale_records", 0x8182, {mx(owner, 10, host("mx.d.test"))},
                  dns::MailRoute::ServerFailure, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AddressAnswerTest, FoundNoneOrServerFailure)
{
    const struct {
        int flags;
        QList<QByteArray> answers;
        dns::AddressAnswer expected;
    } cases[] = {
        {0x8180, {a(owner, "\x7f\x00\x00\x01")}, dns::AddressAnswer::Found},
        {0x8180, {record(owner, dns::TypeCname, host("alias.test")), a(owner, "\x7f\x00\x00\x01")},
         dns::AddressAnswer::Found},
        {0x8180, {}, dns::AddressAnswer::None},
        {0x8183, {}, dns::AddressAnswer::None},
        {0x8182, {}, dns::AddressAnswer::ServerFailure},
        {0x8185, {a(owner, "\x7f\x00\x00\x01")}, dns::AddressAnswer::ServerFailure},
    };
    for (const auto& c : cases) {
        const auto parsed = dns::parseReply(reply(1, c.flags, "d.test", c.answers));
        ASSERT_TRUE(parsed);
        EXPECT_EQ(dns::addressAnswerOf(*parsed), c.expected) << std::hex << c.flags;
    }
}

QList<dns::MxRecord> records(std::initializer_list<std::pair<int, const char*>> list)
{
    QList<dns::MxRecord> result;
    for (const auto& [preference, name] : list)
        result.append({preference, QString::fromLatin1(name)});
    return result;
}

// Hosts of one preference come first in turn, never before a more preferred host; at most limit.
TEST(DeliveryOrderTest, TiesAreSpreadAndPreferenceKept)
{
    const QList<dns::MxRecord> sorted =
        records({{5, "first"}, {10, "a"}, {10, "b"}, {10, "c"}, {20, "backup1"}, {20, "backup2"}, {30, "last"}});
    QRandomGenerator random(27);
    std::map<QString, int> secondPlace;
    for (int round = 0; round < 300; ++round) {
        const QStringList order = dns::deliveryOrder(sorted, 5, random);
        ASSERT_EQ(order.size(), 5);
        EXPECT_EQ(order.first(), "first");
        for (const char* name : {"a", "b", "c"})
            EXPECT_TRUE(order.mid(1, 3).contains(QLatin1String(name)));
        EXPECT_TRUE(order[4] == "backup1" || order[4] == "backup2");
        ++secondPlace[order[1]];
    }
    for (const char* name : {"a", "b", "c"})
        EXPECT_GT(secondPlace[name], 60) << name;   // about 100 each
}

TEST(DeliveryOrderTest, FewerHostsThanTheLimit)
{
    QRandomGenerator random(1);
    EXPECT_EQ(dns::deliveryOrder(records({{10, "one"}, {20, "two"}}), 5, random), (QStringList{"one", "two"}));
    EXPECT_TRUE(dns::deliveryOrder({}, 5, random).isEmpty());
}

}  // namespace

// DNS packets: exact query bytes for a table of names, reply fixtures (compression, CNAME first, mixed
// records, RCODE 3, TC, 60 MX answers) and hostile replies that must be rejected whole.

#include "transport/net/dns_packet.h"

#include "tests/transport/dns_fixtures.h"

#include <gtest/gtest.h>

#include <string>

using namespace dns_fixtures;

namespace {

struct QueryCase {
    const char* name;
    QByteArray domain;
    QByteArray qname;   // expected wire name; empty = invalid
};

class DnsQueryBytesTest : public ::testing::TestWithParam<QueryCase> {};

TEST_P(DnsQueryBytesTest, BuildsExactBytesOrRefuses)
{
    const QueryCase& c = GetParam();
    const auto query = dns::buildQuery(0x1234, c.domain);
    if (c.qname.isEmpty()) {
        EXPECT_FALSE(query.has_value());
        return;
    }
    ASSERT_TRUE(query.has_value());
    const QByteArray expected = QByteArray::fromHex("123401000001000000000000") + c.qname + QByteArray::fromHex("000f0001");
    EXPECT_EQ(query->toHex(' '), expected.toHex(' '));
}

QByteArray label63() { return QByteArray(63, 'a'); }
// 253 characters: three labels of 63 and one of 61, joined by dots.
QByteArray name253() { return label63() + "." + label63() + "." + label63() + "." + QByteArray(61, 'b'); }
QByteArray wire253()
{
    return "\x3f" + label63() + "\x3f" + label63() + "\x3f" + label63() + "\x3d" + QByteArray(61, 'b') + QByteArray(1, '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Names, DnsQueryBytesTest,
    ::testing::Values(
        QueryCase{"seven_and_three", "example.com", QByteArray("\x07" "example\x03" "com", 12) + QByteArray(1, '\0')},
        QueryCase{"trailing_dot", "example.com.", QByteArray("\x07" "example\x03" "com", 12) + QByteArray(1, '\0')},
        QueryCase{"one_label", "localhost", QByteArray("\x09" "localhost", 10) + QByteArray(1, '\0')},
        QueryCase{"label_of_63", label63() + ".test", "\x3f" + label63() + "\x04test" + QByteArray(1, '\0')},
        QueryCase{"name_of_253", name253(), wire253()},
        QueryCase{"label_of_64", QByteArray(64, 'a') + ".test", {}},
        QueryCase{"name_of_254", name253() + "c", {}},
        QueryCase{"empty", "", {}},
        QueryCase{"only_dot", ".", {}},
        QueryCase{"empty_label", "a..b", {}},
        QueryCase{"leading_dot", ".example.com", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DnsPacketTest, QueryForTwoLabelsOfSevenAndThreeIs29Bytes)
{
    const auto query = dns::buildQuery(1, "example.com");
    ASSERT_TRUE(query);
    EXPECT_EQ(query->size(), 29);
    EXPECT_EQ(dns::buildHeader(7, 2, false, 1, 2, 3, 4).toHex(), "0007100000010002000300" "04");
}

TEST(DnsPacketTest, ParsesCompressedMxAnswers)
{
    const QByteArray packet = reply(0x4242, 0x8180, "example.com",
                                    {mx(pointerTo(12), 10, label("mx1") + pointerBytes(12)), mx(pointerTo(12), 20, label("mx2") + label("example") + label("com") + root())});
    const auto parsed = dns::parseReply(packet);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->id, 0x4242);
    EXPECT_EQ(parsed->questionName, "example.com");
    EXPECT_EQ(parsed->questionType, 15);
    EXPECT_EQ(parsed->questionClass, 1);
    EXPECT_TRUE(parsed->recursionAvailable);
    ASSERT_EQ(parsed->answers.size(), 2);
    EXPECT_EQ(parsed->answers[0].name, "example.com");
    EXPECT_EQ(parsed->answers[0].ttl, 3600u);
    EXPECT_EQ(parsed->answers[0].tag, 0);
    EXPECT_EQ(parsed->answers[1].tag, 1);
    ASSERT_EQ(parsed->mxRecords.size(), 2);
    EXPECT_EQ(parsed->mxRecords[0].preference, 10);
    EXPECT_EQ(parsed->mxRecords[0].exchange, "mx1.example.com");
    EXPECT_EQ(parsed->mxRecords[1].exchange, "mx2.example.com");
}

TEST(DnsPacketTest, CnameFirstHasTagMinusOne)
{
    const QByteArray packet = reply(1, 0x8180, "alias.test",
                                    {record(pointerTo(12), dns::TypeCname, label("real") + label("test") + root()),
                                     mx(label("real") + label("test") + root(), 5, label("mx") + label("test") + root())});
    const auto parsed = dns::parseReply(packet);
    ASSERT_TRUE(parsed);
    ASSERT_EQ(parsed->answers.size(), 2);
    EXPECT_EQ(parsed->answers[0].type, 5);
    EXPECT_EQ(parsed->answers[0].tag, -1);
    EXPECT_EQ(parsed->answers[1].tag, 0);
    EXPECT_EQ(parsed->mxRecords[0].exchange, "mx.test");
}

TEST(DnsPacketTest, MixedRecordsFillTheirOwnArrays)
{
    const QByteArray packet = reply(1, 0x8580, "mixed.test",
                                    {a(pointerTo(12), "\x7f\x00\x00\x02"), mx(pointerTo(12), 1, label("m") + root()),
                                     record(pointerTo(12), 16, "\x04text"), a(pointerTo(12), "\x0a\x00\x00\x01")});
    const auto parsed = dns::parseReply(packet);
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->authoritative);
    ASSERT_EQ(parsed->answers.size(), 4);
    EXPECT_EQ(parsed->answers[0].tag, 0);
    EXPECT_EQ(parsed->answers[1].tag, 0);
    EXPECT_EQ(parsed->answers[2].tag, -1);
    EXPECT_EQ(parsed->answers[3].tag, 1);
    ASSERT_EQ(parsed->addresses.size(), 2);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&parsed->addresses[0]), 4), QByteArray("\x7f\x00\x00\x02", 4));
    EXPECT_EQ(parsed->mxRecords[0].exchange, "m");
}

TEST(DnsPacketTest, NameErrorAndTruncationAreStoredNotFatal)
{
    const auto nxdomain = dns::parseReply(reply(9, 0x8183, "nowhere.test", {}));
    ASSERT_TRUE(nxdomain);
    EXPECT_EQ(nxdomain->responseCode, 3);
    EXPECT_EQ(nxdomain->anCount, 0);
    const auto truncated = dns::parseReply(reply(9, 0x8380, "big.test", {mx(pointerTo(12), 1, label("m") + root())}));
    ASSERT_TRUE(truncated);
    EXPECT_TRUE(truncated->truncated);
    EXPECT_EQ(truncated->mxRecords.size(), 1);
}

TEST(DnsPacketTest, SkipsEveryQuestionBeforeTheAnswers)
{
    QByteArray packet = header(3, 0x8180, 2, 1);
    packet += question("first.test") + question("second.test");
    packet += mx(pointerTo(12), 7, label("mx") + root());
    const auto parsed = dns::parseReply(packet);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->questionName, "first.test");
    ASSERT_EQ(parsed->mxRecords.size(), 1);
    EXPECT_EQ(parsed->mxRecords[0].preference, 7);
    EXPECT_EQ(parsed->mxRecords[0].exchange, "mx");
}

TEST(DnsPacketTest, StoresFiftyOfSixtyMxAnswers)
{
    QList<QByteArray> answers;
    for (int i = 0; i < 60; ++i)
        answers.append(mx(pointerTo(12), i, label("h" + QByteArray::number(i)) + root()));
    const auto parsed = dns::parseReply(reply(1, 0x8180, "many.test", answers));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->anCount, 60);
    EXPECT_EQ(parsed->answers.size(), 50);
    EXPECT_EQ(parsed->mxRecords.size(), 50);
    EXPECT_EQ(parsed->mxRecords[49].exchange, "h49");
}

class HostileReplyTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileReplyTest, IsRejectedWhole)
{
    EXPECT_FALSE(dns::parseReply(GetParam().packet).has_value());
}

INSTANTIATE_TEST_SUITE_P(Replies, HostileReplyTest, ::testing::ValuesIn(hostileReplies()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DnsPacketTest, EveryPrefixOfAGoodReplyIsSafe)
{
    const QByteArray packet = reply(1, 0x8180, "example.com", {mx(pointerTo(12), 10, label("mx1") + pointerBytes(12))});
    for (qsizetype size = 0; size < packet.size(); ++size) {
        // A copy of exactly this size, so AddressSanitizer sees any read past it.
        const QByteArray prefix(packet.constData(), size);
        EXPECT_FALSE(dns::parseReply(prefix).has_value()) << size;
    }
    EXPECT_TRUE(dns::parseReply(packet).has_value());
}

}  // namespace

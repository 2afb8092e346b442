// Base64: RFC 4648 padding table, line groups, and a decoder that keeps nothing between calls.

#include "transport/mime/base64.h"

#include <gtest/gtest.h>

#include <QList>

namespace {

struct Base64Case { const char* name; QByteArray plain; QByteArray encoded; };

class Base64VectorTest : public ::testing::TestWithParam<Base64Case> {};

TEST_P(Base64VectorTest, EncodesAndDecodes)
{
    EXPECT_EQ(base64::encode(GetParam().plain), GetParam().encoded);
    EXPECT_EQ(base64::encodedLength(GetParam().plain.size()), GetParam().encoded.size());
    EXPECT_EQ(base64::decode(GetParam().encoded), GetParam().plain);
}

// RFC 4648 section 10, plus bytes that use the last two alphabet characters and NUL.
INSTANTIATE_TEST_SUITE_P(Rfc4648, Base64VectorTest, ::testing::Values(
    Base64Case{"empty", "", ""},
    Base64Case{"one_byte", "f", "Zg=="},
    Base64Case{"two_bytes", "fo", "Zm8="},
    Base64Case{"three_bytes", "foo", "Zm9v"},
    Base64Case{"four_bytes", "foob", "Zm9vYg=="},
    Base64Case{"five_bytes", "fooba", "Zm9vYmE="},
    Base64Case{"six_bytes", "foobar", "Zm9vYmFy"},
    Base64Case{"high_bytes", QByteArray("\xfb\xff\xbf", 3), "+/+/"},
    Base64Case{"nul_bytes", QByteArray("\0\0", 2), "AAA="}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Base64Test, DecoderKeepsNothingBetweenCalls)
{
    // A truncated group must not leak into the next text.
    EXPECT_EQ(base64::decode("Zm9vY"), QByteArray("foo"));
    EXPECT_EQ(base64::decode("Zm9v"), QByteArray("foo"));
    EXPECT_EQ(base64::decode("Zg"), QByteArray("f"));
    EXPECT_EQ(base64::decode("Zm8"), QByteArray("fo"));
}

TEST(Base64Test, DecoderSkipsLineBreaksAndStopsAtPadding)
{
    EXPECT_EQ(base64::decode("Zm9v\r\nYmFy\r\n"), QByteArray("foobar"));
    EXPECT_EQ(base64::decode("Zg==Zm9v"), QByteArray("f"));
}

TEST(Base64Test, EncodesWholeLineGroups)
{
    QByteArray data(58, 'x');
    QByteArray out;
    base64::appendEncodedLines(out, data, 57);
    const QList<QByteArray> lines = out.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), 77);                     // 76 characters and CR
    EXPECT_EQ(lines[1], QByteArray("eA==\r"));
    EXPECT_TRUE(lines[2].isEmpty());

    QByteArray pictures;
    base64::appendEncodedLines(pictures, QByteArray(90, 'y'), 45);
    EXPECT_EQ(pictures, base64::encode(QByteArray(45, 'y')) + "\r\n" + base64::encode(QByteArray(45, 'y')) + "\r\n");
}

}  // namespace

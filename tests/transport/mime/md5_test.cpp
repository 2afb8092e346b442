// MD5 against the RFC 1321 suite and the padding edges; HMAC-MD5 against RFC 2104 and RFC 2202.

#include "transport/mime/md5.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>

namespace {

struct DigestCase { const char* name; QByteArray input; const char* hex; };

class Md5VectorTest : public ::testing::TestWithParam<DigestCase> {};

TEST_P(Md5VectorTest, MatchesRfc1321)
{
    EXPECT_EQ(Md5Text(GetParam().input).toHex(), QByteArray(GetParam().hex));
}

INSTANTIATE_TEST_SUITE_P(Rfc1321, Md5VectorTest, ::testing::Values(
    DigestCase{"empty", "", "d41d8cd98f00b204e9800998ecf8427e"},
    DigestCase{"a", "a", "0cc175b9c0f1b6a831c399e269772661"},
    DigestCase{"abc", "abc", "900150983cd24fb0d6963f7d28e17f72"},
    DigestCase{"message_digest", "message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
    DigestCase{"alphabet", "abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
    DigestCase{"alphanumeric", "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
               "d174ab98d277d9f5a5611c2c9f419d9f"},
    DigestCase{"eighty_digits",
               "12345678901234567890123456789012345678901234567890123456789012345678901234567890",
               "57edf4a22be3c955ac49da2e2107b67a"}),
    [](const auto& info) { return std::string(info.param.name); });

// Lengths around the 56-byte padding limit and the 64-byte block, and a multi-block text fed in
// uneven pieces, compared with Qt's digest as an oracle.
TEST(Md5Test, PaddingEdgesMatchOracle)
{
    for (const int length : {55, 56, 57, 63, 64, 65, 119, 120, 128, 1000}) {
        QByteArray input(length, Qt::Uninitialized);
        for (int i = 0; i < length; ++i)
            input[i] = char(i * 7 + 3);
        EXPECT_EQ(Md5Text(input), QCryptographicHash::hash(input, QCryptographicHash::Md5)) << length;

        Md5 pieces;
        for (int start = 0; start < length; start += 13)
            pieces.addData(QByteArrayView(input).sliced(start, qMin(13, length - start)));
        EXPECT_EQ(pieces.result(), Md5Text(input)) << length;
    }
}

TEST(Md5Test, ResultClearsContextForReuse)
{
    Md5 md5;
    md5.addData("garbage");
    md5.result();
    md5.addData("abc");
    EXPECT_EQ(md5.result().toHex(), QByteArray("900150983cd24fb0d6963f7d28e17f72"));
}

struct HmacCase { const char* name; QByteArray key; QByteArray text; const char* hex; };

class HmacMd5Test : public ::testing::TestWithParam<HmacCase> {};

TEST_P(HmacMd5Test, MatchesRfcVectors)
{
    EXPECT_EQ(HmacMd5(GetParam().text, GetParam().key).toHex(), QByteArray(GetParam().hex));
}

INSTANTIATE_TEST_SUITE_P(Rfc2104, HmacMd5Test, ::testing::Values(
    HmacCase{"key_0b", QByteArray(16, 0x0b), "Hi There", "9294727a3638bb1c13f48ef8158bfc9d"},
    HmacCase{"jefe", "Jefe", "what do ya want for nothing?", "750c783e6ab0b503eaa86e310a5db738"},
    HmacCase{"key_aa_data_dd", QByteArray(16, char(0xaa)), QByteArray(50, char(0xdd)),
             "56be34521d144c88dbb8c733f0e8b3f6"},
    // RFC 2202 cases 6 and 7: an 80-byte key is replaced by its MD5 first.
    HmacCase{"long_key", QByteArray(80, char(0xaa)), "Test Using Larger Than Block-Size Key - Hash Key First",
             "6b1ab7fe4bd7bf8f0b62e6ce61b9d0cd"},
    HmacCase{"long_key_long_data", QByteArray(80, char(0xaa)),
             "Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data",
             "6f630fad67cda0ee1fb1f562db3aa53e"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

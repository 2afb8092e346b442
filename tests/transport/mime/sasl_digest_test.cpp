// CRAM-MD5 against RFC 2195's example, DIGEST-MD5 against RFC 2831's example exchange, and the
// challenge parser's refusals.

#include "transport/mime/sasl_digest.h"

#include "transport/mime/base64.h"

#include <gtest/gtest.h>

namespace {

TEST(SaslCramMd5Test, MatchesRfc2195Example)
{
    const QByteArray challenge = base64::decode("PDE4OTYuNjk3MTcwOTUyQHBvc3RvZmZpY2UucmVzdG9uLm1jaS5uZXQ+");
    ASSERT_EQ(challenge, QByteArray("<1896.697170952@postoffice.reston.mci.net>"));
    const QByteArray response = sasl::cramMd5Response(challenge, "tim", "tanstaaftanstaaf");
    EXPECT_EQ(response, QByteArray("tim b913a602c7eda7a495b4e6e7334d3890"));
    EXPECT_EQ(base64::encode(response), QByteArray("dGltIGI5MTNhNjAyYzdlZGE3YTQ5NWI0ZTZlNzMzNGQzODkw"));
}

const QByteArray kRfc2831Challenge =
    R"(realm="elwood.innosoft.com",nonce="OA6MG9tEQGm2hh",qop="auth",algorithm=md5-sess,charset=utf-8)";

TEST(SaslDigestMd5Test, MatchesRfc2831ExampleExchange)
{
    const auto challenge = sasl::parseDigestChallenge(kRfc2831Challenge);
    ASSERT_TRUE(challenge);
    EXPECT_EQ(challenge->realm, QByteArray("elwood.innosoft.com"));
    EXPECT_EQ(challenge->nonce, QByteArray("OA6MG9tEQGm2hh"));
    EXPECT_TRUE(challenge->utf8);

    const sasl::DigestCredentials credentials{"chris", "secret", "imap/elwood.innosoft.com", "OA6MHXh6VqTrRk"};
    EXPECT_EQ(sasl::digestMd5Response(*challenge, credentials),
              QByteArray(R"(charset=utf-8,username="chris",realm="elwood.innosoft.com",nonce="OA6MG9tEQGm2hh",)"
                         R"(nc=00000001,cnonce="OA6MHXh6VqTrRk",digest-uri="imap/elwood.innosoft.com",)"
                         R"(response=d388dad90d4bbd760a152321f2143af7,qop=auth)"));
    EXPECT_TRUE(sasl::digestMd5ServerProved("rspauth=ea40f60335c427b5527b84dbabcdfffd", *challenge, credentials));
    EXPECT_FALSE(sasl::digestMd5ServerProved("rspauth=00000000000000000000000000000000", *challenge, credentials));
    EXPECT_FALSE(sasl::digestMd5ServerProved("", *challenge, credentials));
}

// Without a realm the realm is empty in the digest and absent from the answer; values are escaped.
// Expected response computed with Python's hashlib.
TEST(SaslDigestMd5Test, SmtpUriWithoutRealm)
{
    const auto challenge = sasl::parseDigestChallenge(" nonce = abc123 , , qop=\"auth,auth-int\"");
    ASSERT_TRUE(challenge);
    EXPECT_FALSE(challenge->hasRealm);
    const sasl::DigestCredentials credentials{"tim", "tanstaaf", sasl::smtpDigestUri("mail.example.test"), "xyz789"};
    EXPECT_EQ(sasl::digestMd5Response(*challenge, credentials),
              QByteArray(R"(username="tim",nonce="abc123",nc=00000001,cnonce="xyz789",)"
                         R"(digest-uri="smtp/mail.example.test",response=427a63dc4fea494cba82bab6d8809f9e,qop=auth)"));
    EXPECT_TRUE(sasl::digestMd5ServerProved("rspauth=b6af72731e5c435131c96fcb03db3718", *challenge, credentials));

    const sasl::DigestCredentials quotes{"a\"b\\c", "x", "smtp/h", "c"};
    EXPECT_TRUE(sasl::digestMd5Response(*challenge, quotes).startsWith(R"(username="a\"b\\c",)"));
}

struct ChallengeCase { const char* name; QByteArray text; };

class SaslDigestRefusalTest : public ::testing::TestWithParam<ChallengeCase> {};

TEST_P(SaslDigestRefusalTest, RefusesChallenge)
{
    EXPECT_FALSE(sasl::parseDigestChallenge(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Challenges, SaslDigestRefusalTest, ::testing::Values(
    ChallengeCase{"empty", ""},
    ChallengeCase{"no_nonce", "realm=\"x\",qop=\"auth\""},
    ChallengeCase{"two_nonces", "nonce=a,nonce=b"},
    ChallengeCase{"only_integrity_qop", "nonce=a,qop=\"auth-int,auth-conf\""},
    ChallengeCase{"other_algorithm", "nonce=a,algorithm=md5"},
    ChallengeCase{"unterminated_quote", "nonce=\"abc"},
    ChallengeCase{"missing_equals", "nonce"},
    ChallengeCase{"junk_after_value", "nonce=\"a\"b"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaslDigestMd5Test, CnonceIsFreshEachTime)
{
    const QByteArray first = sasl::makeDigestCnonce();
    EXPECT_GE(first.size(), 16);
    EXPECT_NE(first, sasl::makeDigestCnonce());
}

}  // namespace

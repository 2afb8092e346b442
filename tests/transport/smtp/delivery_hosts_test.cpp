// The hosts of one delivery: which failures give way to the next host, and how a failure before any
// greeting is worded (our words, never a reply code a server did not send).

#include "transport/smtp/delivery_hosts.h"

#include "platform/winsock_error.h"

#include <gtest/gtest.h>

namespace {

struct FailureCase {
    const char* name;
    const char* firstLine;      // nullptr: the host said nothing
    int error;
    const char* lastResponse;
    bool givesWay;
    const char* comment;
};

class DeliveryHostFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(DeliveryHostFailureTest, GivesWayAndWordsTheFailure)
{
    const FailureCase& c = GetParam();
    DeliveryHosts hosts;
    hosts.reset({"mx1.example.test", "mx2.example.test"});
    if (c.firstLine)
        hosts.lineHeard(QString::fromLatin1(c.firstLine));
    EXPECT_EQ(hosts.mayGiveWay(), c.givesWay);
    const DeliveryHosts::Failure failure = hosts.failure(c.error, QString::fromLatin1(c.lastResponse));
    EXPECT_EQ(failure.err, c.error);
    EXPECT_EQ(failure.comment, QString::fromLatin1(c.comment));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, DeliveryHostFailureTest,
    ::testing::Values(
        FailureCase{"host_not_found", nullptr, WSAHOST_NOT_FOUND, "500 Host not found (Winsock error #11001)", true,
                    "Host mx1.example.test not found"},
        FailureCase{"lookup_try_again", nullptr, WSATRY_AGAIN, "", true, "Host mx1.example.test not found"},
        FailureCase{"no_address", nullptr, WSANO_DATA, "", true, "Host mx1.example.test not found"},
        FailureCase{"refused", nullptr, WSAECONNREFUSED, "500 Connection refused (Winsock error #10061)", true,
                    "Cannot reach mx1.example.test: Connection refused"},
        FailureCase{"no_route", nullptr, WSAEHOSTUNREACH, "", true, "Cannot reach mx1.example.test: No route to host"},
        FailureCase{"closed_before_greeting", nullptr, WSAEINTR, "", true,
                    "Cannot reach mx1.example.test: closed before the greeting"},
        FailureCase{"unreadable_greeting", nullptr, 500, "500 Reply line too long", true, "500 Reply line too long"},
        FailureCase{"greeting_4xx", "421 busy", WSAEINTR, "421 busy", true, "421 busy"},
        FailureCase{"greeting_5xx", "554 go away", WSAEINTR, "554 go away", false, "554 go away"},
        FailureCase{"after_the_greeting", "220 ready", 550, "550 no such user", false, "550 no such user"},
        FailureCase{"closed_after_a_success_reply", "220 ready", WSAEINTR, "250 ok", false,
                    "Lost mx1.example.test after its reply \"250 ok\": closed by the server"},
        FailureCase{"closed_after_the_starttls_go_ahead", "220 ready", WSAEINTR, "220 2.0.0 go ahead", false,
                    "Lost mx1.example.test after its reply \"220 2.0.0 go ahead\": closed by the server"},
        FailureCase{"reset_after_354", "220 ready", WSAECONNRESET, "354 go ahead", false,
                    "Lost mx1.example.test after its reply \"354 go ahead\": Connection reset by peer"},
        FailureCase{"closed_after_a_refusal", "220 ready", WSAEINTR, "450 try later", false, "450 try later"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeliveryHostsTest, AtMostFiveInTheGivenOrderAndEachConnectionHeardAnew)
{
    DeliveryHosts hosts;
    hosts.reset({"h1", "h2", "h3", "h4", "h5", "h6"});
    QStringList tried{hosts.current()};
    while (hosts.advance())
        tried << hosts.current();
    EXPECT_EQ(tried, (QStringList{"h1", "h2", "h3", "h4", "h5"}));
    hosts.lineHeard(u"554 no");
    EXPECT_FALSE(hosts.mayGiveWay());
    hosts.startConnection();
    EXPECT_FALSE(hosts.greeted());
    EXPECT_TRUE(hosts.mayGiveWay());
}

}  // namespace

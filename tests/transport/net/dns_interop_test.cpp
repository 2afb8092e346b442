// TDnsQuery against dnsmasq on 127.0.0.1:53 in the private network namespace: MX answers, a CNAME first,
// NXDOMAIN, and many queries in flight at once.

#include "transport/net/dns_query.h"

#include "tests/support/dnsmasq_server.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using sorvanta::test::DnsmasqServer;
using sorvanta::test::waitUntil;

namespace {

class DnsInteropTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        DnsmasqServer::Options options;
        options.mxHosts = {"alpha.test,mail.alpha.test,10", "beta.test,mail.beta.test,20", "real.test,mx.real.test,5"};
        options.hostRecords = {"mail.alpha.test,127.0.0.1", "mail.beta.test,127.0.0.2"};
        options.extraLines = {"cname=alias.test,real.test"};
        for (int i = 0; i < 300; ++i)
            options.mxHosts << QStringLiteral("d%1.test,mx%1.test,10").arg(i);
        s_server = new DnsmasqServer(options);
        QString error;
        if (!s_server->start(&error))
            s_error = error;
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    void SetUp() override
    {
        if (!s_error.isEmpty())
            GTEST_SKIP() << s_error.toStdString();
    }

    // Runs one query to completion; returns the OnRequestDone error (-1 when none came).
    static int lookup(TDnsQuery& query, const QString& domain)
    {
        int result = -1;
        query.setAddr(QStringLiteral("127.0.0.1"));
        query.OnRequestDone = [&](TDnsQuery*, int error) { result = error; };
        query.MXLookup(domain);
        waitUntil([&] { return result != -1; });
        return result;
    }

    static inline DnsmasqServer* s_server = nullptr;
    static inline QString s_error;
};

TEST_F(DnsInteropTest, AnswersMxRecords)
{
    TDnsQuery query;
    ASSERT_EQ(lookup(query, QStringLiteral("alpha.test")), 0);
    ASSERT_EQ(query.AnswerType(0), 15);
    EXPECT_EQ(query.MXExchange(query.AnswerTag(0)), "mail.alpha.test");
    EXPECT_EQ(query.Response().mxRecords.value(0).preference, 10);
    EXPECT_EQ(query.Response().questionName, "alpha.test");
    ASSERT_EQ(lookup(query, QStringLiteral("beta.test")), 0);
    EXPECT_EQ(query.MXExchange(query.AnswerTag(0)), "mail.beta.test");
}

TEST_F(DnsInteropTest, CnameComesFirstAndUnknownNamesGetNameError)
{
    TDnsQuery query;
    ASSERT_EQ(lookup(query, QStringLiteral("alias.test")), 0);
    EXPECT_EQ(query.AnswerType(0), 5);
    EXPECT_EQ(query.AnswerTag(0), -1);
    ASSERT_EQ(lookup(query, QStringLiteral("nowhere.test")), 0);
    EXPECT_EQ(query.Response().responseCode, 3);
    EXPECT_EQ(query.Response().anCount, 0);
}

// 300 queries leave at once: more than the server's socket may hold, so the kernel drops some of them. Each
// lost one is sent again, and every query gets its answer.
TEST_F(DnsInteropTest, ManyQueriesInFlightAreAllAnswered)
{
    std::vector<std::unique_ptr<TDnsQuery>> queries;
    int answered = 0;
    for (int i = 0; i < 300; ++i) {
        auto query = std::make_unique<TDnsQuery>();
        query->setAddr(QStringLiteral("127.0.0.1"));
        query->OnRequestDone = [&answered, i](TDnsQuery* sender, int error) {
            if (error == 0 && sender->MXExchange(0) == QStringLiteral("mx%1.test").arg(i))
                ++answered;
        };
        query->MXLookup(QStringLiteral("d%1.test").arg(i));
        queries.push_back(std::move(query));
    }
    EXPECT_TRUE(waitUntil([&] { return answered == 300; }, 60000)) << answered;
}

}  // namespace

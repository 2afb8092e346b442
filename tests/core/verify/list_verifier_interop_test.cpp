// List verification against dnsmasq on 127.0.0.1:53 in the private network namespace: domains with MX
// records, a missing domain (NXDOMAIN), a null MX, a domain with only an address (implicit MX), a domain
// dnsmasq refuses (no upstream server for it), a domain whose upstream server never answers, the good cache,
// the time-out written to "verifylog.txt", and which rows "Delete unavailable" takes.

#include "core/verify/list_verifier.h"

#include "core/language/msg_language.h"
#include "platform/string_grid.h"
#include "tests/support/dnsmasq_server.h"
#include "tests/support/test_home.h"
#include "tests/support/wait_until.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QUdpSocket>

using sorvanta::test::DnsmasqServer;
using sorvanta::test::testHome;
using sorvanta::test::waitUntil;

namespace {

constexpr quint16 SilentUpstreamPort = 5399;

TEST(ListVerifierInteropTest, VerifiesAListAgainstDnsmasq)
{
    // dnsmasq forwards silent.example to a socket that reads and never answers.
    QUdpSocket silentUpstream;
    ASSERT_TRUE(silentUpstream.bind(QHostAddress::LocalHost, SilentUpstreamPort));
    DnsmasqServer::Options options;
    options.mxHosts = {"good.test,mx.good.test,10", "two.test,mx1.two.test,10", "two.test,mx2.two.test,20",
                       "nullmx.test,.,0"};
    options.hostRecords = {"mx.good.test,127.0.0.1", "implicit.test,127.0.0.1"};
    options.extraLines = {QStringLiteral("server=/silent.example/127.0.0.1#%1").arg(SilentUpstreamPort)};
    DnsmasqServer dns(options);
    QString error;
    ASSERT_TRUE(dns.start(&error)) << error.toStdString();

    const QStringList addresses{"a@good.test", "b@Good.Test", "c@missing.test", "d@silent.example", "e@two.test",
                                "no address", "f@nullmx.test", "g@implicit.test", "h@refused.example"};
    StringGrid list(1, int(addresses.size()) + 1);
    for (int row = 1; row <= addresses.size(); ++row)
        list.setCell(0, row, addresses[row - 1]);
    StringGrid results;
    TMsgLanguage messages(nullptr, verifyMessages());
    ListVerifier verifier(results, messages);
    const QString logPath = testHome() + "verifylog.txt";
    ASSERT_TRUE(verifier.openLog(logPath));
    verifier.loadAddresses(list, 0, {});
    bool finished = false;
    QObject::connect(&verifier, &ListVerifier::finished, [&] { finished = true; });

    VerifySettings settings;
    settings.dnsServer = dns.address();
    settings.connections = 1;   // one query at a time, so b@Good.Test is reached after a@good.test's answer
    settings.timeOutSeconds = 1;
    verifier.start(false, settings);
    ASSERT_TRUE(waitUntil([&] { return finished; }, 30000));
    verifier.closeLog();

    EXPECT_EQ(results.rowCells(1), (QStringList{"a@good.test", "good.test", "Ok", "mx.good.test", "", "mx.good.test"}));
    EXPECT_EQ(results.rowCells(2), (QStringList{"b@Good.Test", "Good.Test", "Ok", "", "", "Mail server is available"}));
    EXPECT_EQ(results.rowCells(3),
              (QStringList{"c@missing.test", "missing.test", "No", "", "", "Mail server is not available"}));
    EXPECT_EQ(results.rowCells(4), (QStringList{"d@silent.example", "silent.example", "No Data", " ", " ", "TimeOut"}));
    // dnsmasq gives the two hosts in either order; the row shows them by preference, as the relay tries them.
    EXPECT_EQ(results.rowCells(5), (QStringList{"e@two.test", "two.test", "Ok", "mx1.two.test", "",
                                                "mx1.two.test , mx2.two.test"}));
    EXPECT_EQ(results.cell(VerifyStateColumn, 6), "No");
    EXPECT_EQ(results.rowCells(7),
              (QStringList{"f@nullmx.test", "nullmx.test", "No", "", "", "The domain accepts no mail (null MX)"}));
    EXPECT_EQ(results.rowCells(8), (QStringList{"g@implicit.test", "implicit.test", "Ok", "", "",
                                                "No MX record: mail goes to the domain's own address"}));
    EXPECT_EQ(results.rowCells(9), (QStringList{"h@refused.example", "refused.example", "Error", "", "",
                                                "The DNS server could not answer (REFUSED)"}));
    const std::vector<int> statuses{StatusAvailable, StatusAvailable,   StatusUnavailable, StatusNoAnswer,
                                    StatusAvailable, StatusNoDomain,    StatusUnavailable, StatusAvailable,
                                    StatusQueryFailed};
    for (int row = 1; row <= 9; ++row)
        EXPECT_EQ(results.rowStatus(row), statuses[std::size_t(row - 1)]) << row;
    EXPECT_EQ(verifier.queriesStarted(), 7);
    EXPECT_TRUE(silentUpstream.hasPendingDatagrams());   // the silent domain was asked upstream

    QFile log(logPath);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "d@silent.example;TimeOut\r\n");

    // The missing domain, the null MX and the row without an address go; the refused domain stays.
    EXPECT_EQ(deleteUnavailableRows(list, results, nullptr), 3);
    QStringList kept;
    for (int row = 1; row < list.rowCount(); ++row)
        kept << list.cell(0, row);
    EXPECT_EQ(kept, (QStringList{"a@good.test", "b@Good.Test", "d@silent.example", "e@two.test", "g@implicit.test",
                                 "h@refused.example"}));
}

}  // namespace

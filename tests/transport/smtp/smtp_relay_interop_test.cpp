// The relay against real servers in a private network namespace: dnsmasq on 127.0.0.1:53 gives the two
// test domains the MX hosts 127.0.0.1 and 127.0.0.2, where python3-aiosmtpd listens on port 25, refuses
// the recipients whose name begins with "refused" and stores every message it accepts.

#include "transport/smtp/smtp_relay.h"

#include "tests/support/aiosmtpd_server.h"
#include "tests/support/dnsmasq_server.h"
#include "tests/support/wait_until.h"
#include "tests/transport/composer_test_support.h"

#include <QJsonArray>

#include <gtest/gtest.h>

#include <map>

using sorvanta::test::AiosmtpdServer;
using sorvanta::test::DnsmasqServer;
using sorvanta::test::pythonMimeView;
using sorvanta::test::waitUntil;
using sorvanta::test::writeTestFile;

namespace {

constexpr int kRecipients = 200;

QString recipientAddress(int index)
{
    const QString name = index % 10 == 3 ? QStringLiteral("refused%1") : QStringLiteral("reader%1");
    return name.arg(index) + (index % 2 == 0 ? "@alpha.test" : "@beta.test");
}

QString serverOf(const QString& address)
{
    return address.endsWith("@alpha.test") ? QStringLiteral("127.0.0.1") : QStringLiteral("127.0.0.2");
}

TEST(SmtpRelayInteropTest, DeliversToEachDomainsMailExchanger)
{
    DnsmasqServer::Options dnsOptions;
    dnsOptions.mxHosts = QStringList{"alpha.test,127.0.0.1,10", "beta.test,127.0.0.2,10"};
    DnsmasqServer dns(dnsOptions);
    QString error;
    ASSERT_TRUE(dns.start(&error)) << error.toStdString();
    AiosmtpdServer::Options smtpOptions;
    smtpOptions.listen = QStringList{"127.0.0.1:25", "127.0.0.2:25"};
    smtpOptions.refusePrefix = "refused";
    AiosmtpdServer smtp(smtpOptions);
    ASSERT_TRUE(smtp.start(&error)) << error.toStdString();

    TSmtpRelayServer2 relay;
    relay.From = "sender@origin.test";
    relay.HeaderFrom = "Sender <sender@origin.test>";
    relay.charSet = "utf-8";
    relay.setDns("127.0.0.1");
    relay.setConnections(20);
    relay.setTimeOut(30);
    relay.setSubject(QStringLiteral("Gr\u00FC\u00DFe"));
    relay.setAttachments({writeTestFile("notes.txt", "attached notes\r\n") + "\t\ttext/plain"});
    relay.OnGetData = [](TSmtpRelayServer2*, int index, QString&, QString&, QStringList& body) {
        body = QStringList{QStringLiteral("Message for recipient %1.").arg(index), QStringLiteral("\u20AC 5")};
    };
    StringList recipients;
    for (int i = 0; i < kRecipients; ++i)
        recipients.add(recipientAddress(i), i);
    relay.setRecipients(recipients);
    std::map<int, std::pair<int, int>> results;        // index -> (code, reports)
    int finished = 0;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int index, int err, const QString&) {
        results[index].first = err;
        ++results[index].second;
    };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { ++finished; };

    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return finished > 0; }, 120000));

    EXPECT_EQ(finished, 1);
    ASSERT_EQ(results.size(), size_t(kRecipients));
    QStringList expectedRefused;
    for (int i = 0; i < kRecipients; ++i) {
        const bool refused = recipientAddress(i).startsWith("refused");
        EXPECT_EQ(results[i], std::make_pair(refused ? 550 : 0, 1)) << recipientAddress(i).toStdString();
        if (refused)
            expectedRefused << recipientAddress(i);
    }
    QStringList refused = smtp.refusedRecipients();
    refused.sort();
    expectedRefused.sort();
    EXPECT_EQ(refused, expectedRefused);

    std::map<QString, int> arrivals;
    for (const AiosmtpdServer::Message& message : smtp.messages()) {
        ASSERT_EQ(message.to.size(), 1);
        const QString address = message.to.first();
        ++arrivals[address];
        EXPECT_EQ(message.server, serverOf(address)) << address.toStdString();
        EXPECT_EQ(message.from, "sender@origin.test");
        const QJsonObject view = pythonMimeView(message.data);
        EXPECT_EQ(view["defects"].toArray().size(), 0) << address.toStdString();
        EXPECT_EQ(view["tree"].toString(), "multipart/mixed(text/plain,text/plain)");
        EXPECT_EQ(view["to"].toArray().first().toString(), address);
        const QByteArray text = QByteArray::fromHex(view["leaves"].toArray().first()["payload"].toString().toLatin1());
        const int index = int(recipients.indexOf(address));
        EXPECT_TRUE(text.startsWith(QStringLiteral("Message for recipient %1.\r\n\u20AC 5").arg(index).toUtf8()))
            << text.toStdString();
    }
    EXPECT_EQ(arrivals.size(), size_t(kRecipients - expectedRefused.size()));
    for (const auto& [address, count] : arrivals)
        EXPECT_EQ(count, 1) << address.toStdString();
}

// The answers of a real DNS server: the preferred host of pref.test is down (nothing on 127.0.0.3), so its
// mail goes through MX 20; a null MX and a missing domain get no connection at all.
TEST(SmtpRelayInteropTest, TriesTheMailHostsInPreferenceOrder)
{
    DnsmasqServer::Options dnsOptions;
    dnsOptions.mxHosts = QStringList{"pref.test,127.0.0.3,10", "pref.test,127.0.0.1,20", "nullmx.test,.,0"};
    DnsmasqServer dns(dnsOptions);
    QString error;
    ASSERT_TRUE(dns.start(&error)) << error.toStdString();
    AiosmtpdServer::Options smtpOptions;
    smtpOptions.listen = QStringList{"127.0.0.1:25"};
    AiosmtpdServer smtp(smtpOptions);
    ASSERT_TRUE(smtp.start(&error)) << error.toStdString();

    TSmtpRelayServer2 relay;
    relay.From = "sender@origin.test";
    relay.setDns("127.0.0.1");
    relay.setConnections(2);
    relay.setTimeOut(30);
    relay.setBody({"Hello"});
    const QStringList addresses{"a@pref.test", "b@pref.test", "c@nullmx.test", "d@missing.test"};
    StringList recipients;
    for (qsizetype i = 0; i < addresses.size(); ++i)
        recipients.add(addresses[i], int(i));
    relay.setRecipients(recipients);
    std::map<int, std::pair<int, QString>> results;
    int finished = 0;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int index, int err, const QString& comment) {
        results[index] = {err, comment};
    };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { ++finished; };
    relay.Send();
    ASSERT_TRUE(waitUntil([&] { return finished > 0; }, 60000));

    EXPECT_EQ(results[0].first, 0) << results[0].second.toStdString();
    EXPECT_EQ(results[1].first, 0) << results[1].second.toStdString();
    EXPECT_EQ(results[2], std::make_pair(int(relayNoMailHost), QString("nullmx.test accepts no mail (null MX)")));
    EXPECT_EQ(results[3], std::make_pair(11001, QString("Host missing.test not found")));
    QStringList delivered;
    for (const AiosmtpdServer::Message& message : smtp.messages())
        delivered << message.to;
    delivered.sort();
    EXPECT_EQ(delivered, (QStringList{"a@pref.test", "b@pref.test"}));
}

}  // namespace

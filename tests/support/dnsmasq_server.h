// Test DNS server: dnsmasq (Debian's dnsmasq-base) started as a child process on loopback with a generated
// configuration of MX and address records. Meant for interop tests inside the private network namespace
// (port 53 is free there), but any port works. start() waits (up to 10 s) until dnsmasq answers a query;
// the destructor stops it. Names under the local domains that have no record get NXDOMAIN.
//
//   DnsmasqServer dns({.mxHosts = {"alpha.test,mail.alpha.test,10"},
//                      .hostRecords = {"mail.alpha.test,127.0.0.1"}});
//   ASSERT_TRUE(dns.start(&error)) << error.toStdString();
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace sorvanta::test {

class DnsmasqServer {
public:
    struct Options {
        QString address = QStringLiteral("127.0.0.1");
        quint16 port = 53;
        QStringList mxHosts;        // "domain,host,preference" each (mx-host=)
        QStringList hostRecords;    // "host,address" each (host-record=)
        QStringList localDomains = {QStringLiteral("test")};   // answered here only (local=/domain/)
        QStringList extraLines;     // further dnsmasq.conf lines, e.g. "cname=alias.test,real.test"
    };

    explicit DnsmasqServer(Options options);
    ~DnsmasqServer();
    Q_DISABLE_COPY_MOVE(DnsmasqServer)

    // False with *error set when dnsmasq is missing, cannot bind, or does not answer in time.
    bool start(QString* error = nullptr);
    void stop();

    QString address() const { return m_options.address; }
    quint16 port() const { return m_options.port; }

private:
    bool writeConfiguration(const QString& path) const;
    bool answersQueries() const;

    Options m_options;
    QTemporaryDir m_folder;
    QProcess m_process;
};

}  // namespace sorvanta::test

// dnsmasq as a child process with a generated configuration; readiness checked with a real query.

#include "tests/support/dnsmasq_server.h"

#include "tests/support/server_process.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QHostAddress>
#include <QThread>
#include <QUdpSocket>

namespace sorvanta::test {

DnsmasqServer::DnsmasqServer(Options options) : m_options(std::move(options)) {}

DnsmasqServer::~DnsmasqServer()
{
    stop();
}

bool DnsmasqServer::writeConfiguration(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QStringList lines;
    for (const QString& mx : m_options.mxHosts)
        lines << "mx-host=" + mx;
    for (const QString& host : m_options.hostRecords)
        lines << "host-record=" + host;
    for (const QString& domain : m_options.localDomains)
        lines << "local=/" + domain + "/";
    lines << m_options.extraLines;
    file.write((lines.join('\n') + '\n').toUtf8());
    return file.flush();
}

bool DnsmasqServer::start(QString* error)
{
    auto fail = [&](const QString& text) {
        if (error)
            *error = text;
        stop();
        return false;
    };
    const QString conf = m_folder.filePath(QStringLiteral("dnsmasq.conf"));
    if (!m_folder.isValid() || !writeConfiguration(conf))
        return fail(QStringLiteral("cannot write %1").arg(conf));
    // --user/--group root: inside a user namespace dnsmasq cannot switch to an unmapped user.
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(QStringLiteral("dnsmasq"),
                    {"--no-daemon", "--no-resolv", "--no-hosts", "--bind-interfaces", "--pid-file=",
                     "--user=root", "--group=root", "--listen-address=" + m_options.address,
                     "--port=" + QString::number(m_options.port), "--conf-file=" + conf});
    if (!m_process.waitForStarted(5000))
        return fail(QStringLiteral("dnsmasq does not start: %1").arg(m_process.errorString()));
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (m_process.state() != QProcess::Running)
            return fail(QStringLiteral("dnsmasq ended: %1").arg(QString::fromLocal8Bit(m_process.readAll())));
        if (answersQueries())
            return true;
        QThread::msleep(50);
    }
    return fail(QStringLiteral("dnsmasq does not answer on %1:%2").arg(m_options.address).arg(m_options.port));
}

bool DnsmasqServer::answersQueries() const
{
    // An SOA query for the root; any response at all shows that the server is up.
    static const QByteArray query = QByteArray::fromHex("5a5a01000001000000000000" "00" "0006" "0001");
    QUdpSocket probe;
    probe.connectToHost(QHostAddress(m_options.address), m_options.port);
    if (!probe.waitForConnected(200))
        return false;
    probe.write(query);
    return probe.waitForReadyRead(200) && probe.readAll().startsWith("\x5a\x5a");
}

void DnsmasqServer::stop()
{
    stopServerProcess(m_process, StopRequest::Terminate);
}

}  // namespace sorvanta::test

// Relay throughput against postfix's smtp-sink, compared with postfix's smtp-source on the same sink.
// Runs itself in a private network namespace (unshare, loopback up), where dnsmasq on 127.0.0.1:53 gives
// 2,000 generated domains the MX host 127.0.0.1 and smtp-sink listens on 127.0.0.1:25. The relay delivers
// 20,000 recipients (about 2 KB each) over 50 connections, then smtp-source sends 20,000 messages of
// 2,048 bytes over 50 sessions. Prints both rates, their ratio and the relay's peak memory; exits 1 when a
// recipient is not reported exactly once as delivered or the relay reaches less than half the rate.
// Needs dnsmasq-base and postfix; run it as root (smtp-sink then drops to "nobody").

#include "transport/smtp/smtp_relay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDomains = 2000;
constexpr int kRecipients = 20000;
constexpr int kConnections = 50;
constexpr const char* kInsideVariable = "SORVANTA_BENCH_IN_NETNS";

// Re-executes the program inside a fresh network namespace with loopback up; returns only on failure.
void reexecuteInNamespace(char** argv)
{
    setenv(kInsideVariable, "1", 1);
    const char* unshareFlags = geteuid() == 0 ? "-n" : "-rn";
    std::vector<char*> arguments{const_cast<char*>("unshare"), const_cast<char*>(unshareFlags),
                                 const_cast<char*>("sh"), const_cast<char*>("-c"),
                                 const_cast<char*>("ip link set lo up && exec \"$@\""), const_cast<char*>("relay")};
    for (char** arg = argv; *arg; ++arg)
        arguments.push_back(*arg);
    arguments.push_back(nullptr);
    execvp("unshare", arguments.data());
    std::perror("unshare");
}

QString domainName(int index)
{
    return QStringLiteral("d%1.bench.test").arg(index, 4, 10, QLatin1Char('0'));
}

bool startDnsmasq(QProcess& process, const QTemporaryDir& folder)
{
    QFile conf(folder.filePath("dnsmasq.conf"));
    if (!conf.open(QIODevice::WriteOnly))
        return false;
    for (int i = 0; i < kDomains; ++i)
        conf.write(("mx-host=" + domainName(i) + ",127.0.0.1,10\n").toUtf8());
    conf.write("local=/test/\n");
    conf.close();
    process.start("dnsmasq", {"--no-daemon", "--no-resolv", "--no-hosts", "--bind-interfaces", "--pid-file=",
                              "--user=root", "--group=root", "--listen-address=127.0.0.1", "--port=53",
                              "--conf-file=" + conf.fileName()});
    return process.waitForStarted(5000);
}

bool startSink(QProcess& process)
{
    QStringList arguments;
    if (geteuid() == 0)
        arguments << "-u" << "nobody";
    arguments << "-m" << "1000" << "127.0.0.1:25" << "1024";
    process.start("smtp-sink", arguments);
    if (!process.waitForStarted(5000))
        return false;
    for (int attempt = 0; attempt < 100; ++attempt) {    // until it accepts connections
        QTcpSocket probe;
        probe.connectToHost("127.0.0.1", 25);
        if (probe.waitForConnected(100))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// About 2 KB of text: 30 lines of 68 characters.
QStringList messageBody()
{
    QStringList body;
    for (int i = 0; i < 30; ++i)
        body << QStringLiteral("%1 The quick brown fox jumps over the lazy dog, again and again..").arg(i, 2);
    return body;
}

qint64 peakMemoryKilobytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return -1;
}

struct RelayRun {
    double seconds = 0;
    int delivered = 0;
    int otherResults = 0;
    int duplicateReports = 0;
    int unreported = 0;
};

RelayRun runRelay()
{
    TSmtpRelayServer2 relay;
    relay.From = "sender@origin.test";
    relay.HeaderFrom = "Sender <sender@origin.test>";
    relay.setDns("127.0.0.1");
    relay.setConnections(kConnections);
    relay.setTimeOut(60);
    relay.setSubject("Benchmark message");
    relay.setBody(messageBody());
    StringList recipients;
    for (int i = 0; i < kRecipients; ++i)
        recipients.add(QStringLiteral("user%1@").arg(i) + domainName(i % kDomains), i);
    relay.setRecipients(recipients);

    RelayRun run;
    std::vector<int> reports(kRecipients, 0);
    QElapsedTimer clock;
    bool finished = false;
    relay.OnEMailProcessed = [&](TSmtpRelayServer2*, int index, int err, const QString& comment) {
        if (++reports[size_t(index)] > 1)
            ++run.duplicateReports;
        if (err == relayDelivered) {
            ++run.delivered;
        } else if (++run.otherResults <= 5) {
            std::printf("  recipient %d: %d %s\n", index, err, qPrintable(comment));
        }
        run.seconds = double(clock.nsecsElapsed()) / 1e9;   // the last report ends the run
    };
    relay.OnFinished = [&](TSmtpRelayServer2*, bool) { finished = true; };
    clock.start();
    relay.Send();
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    for (const int count : reports)
        run.unreported += count == 0 ? 1 : 0;
    return run;
}

double runSmtpSource()
{
    QProcess source;
    source.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    clock.start();
    source.start("smtp-source", {"-s", QString::number(kConnections), "-m", QString::number(kRecipients), "-l",
                                 "2048", "-f", "sender@origin.test", "-t", "user@" + domainName(0),
                                 "127.0.0.1:25"});
    if (!source.waitForFinished(-1) || source.exitCode() != 0)
        return -1;
    return double(clock.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet(kInsideVariable)) {
        reexecuteInNamespace(argv);
        return 2;
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    QProcess dnsmasq;
    QProcess sink;
    if (!folder.isValid() || !startDnsmasq(dnsmasq, folder) || !startSink(sink)) {
        std::fprintf(stderr, "dnsmasq or smtp-sink did not start (packages dnsmasq-base and postfix)\n");
        return 2;
    }

    const qint64 before = peakMemoryKilobytes();
    const RelayRun relay = runRelay();
    const qint64 peak = peakMemoryKilobytes();
    const double sourceSeconds = runSmtpSource();
    sink.terminate();
    dnsmasq.terminate();
    sink.waitForFinished(2000);
    dnsmasq.waitForFinished(2000);
    if (sourceSeconds <= 0) {
        std::fprintf(stderr, "smtp-source failed\n");
        return 2;
    }

    const double relayRate = kRecipients / relay.seconds;
    const double sourceRate = kRecipients / sourceSeconds;
    std::printf("relay:       %d recipients over %d connections in %.2f s = %.0f messages/s\n", kRecipients,
                kConnections, relay.seconds, relayRate);
    std::printf("             delivered %d, other results %d, reported twice %d, never reported %d\n",
                relay.delivered, relay.otherResults, relay.duplicateReports, relay.unreported);
    std::printf("             peak memory %lld KB (%lld KB before the run)\n", static_cast<long long>(peak),
                static_cast<long long>(before));
    std::printf("smtp-source: %d messages over %d sessions in %.2f s = %.0f messages/s\n", kRecipients,
                kConnections, sourceSeconds, sourceRate);
    std::printf("ratio relay / smtp-source: %.2f\n", relayRate / sourceRate);
    const bool everyOnce = relay.delivered == kRecipients && relay.duplicateReports == 0 && relay.unreported == 0;
    return everyOnce && relayRate >= sourceRate / 2 ? 0 : 1;
}

// Relay throughput against postfix's smtp-sink, compared with postfix's smtp-source on the same sink.
// Runs itself in a private network namespace (unshare, loopback up), where dnsmasq on 127.0.0.1:53 gives
// 2,000 generated domains the MX host 127.0.0.1 and smtp-sink listens on 127.0.0.1:25. For each number of
// connections (the arguments; 10, 50 and 200 without any) the relay delivers 20,000 recipients (about 2 KB
// each), then smtp-source sends 20,000 messages of 2,048 bytes over as many sessions. Prints both rates, both
// CPU times per message (the relay's own process; smtp-source as a reaped child), the TCP segments each
// sends per message (OutSegs of /proc/net/snmp around each run: the namespace's own counter, the sink's
// replies included alike for both), the ratios and the relay's peak memory; exits 1 when a recipient is not reported exactly once as delivered or the relay reaches less
// than half the rate. With --tls each number of connections also gets a relay run to the TLS sink
// (relay_tls_sink.py beside this file: Python's asyncio and ssl module on 127.0.0.1:2525, offering STARTTLS
// with a throw-away P-256 certificate and refusing any envelope in clear), printing its rate and the CPU
// per message that TLS adds to the relay's process. Usage: bench_relay [--tls] [connections ...]
// Needs dnsmasq-base, postfix and openssl; run it as root (smtp-sink then drops to "nobody").

#include "transport/smtp/smtp_relay.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <iterator>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kDomains = 2000;
constexpr int kRecipients = 20000;
constexpr int kDefaultConnections[] = {10, 50, 200};
constexpr const char* kInsideVariable = "SORVANTA_BENCH_IN_NETNS";
constexpr const char* kTlsSinkPort = "2525";

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

bool awaitListening(quint16 port)
{
    for (int attempt = 0; attempt < 100; ++attempt) {    // until it accepts connections
        QTcpSocket probe;
        probe.connectToHost("127.0.0.1", port);
        if (probe.waitForConnected(100))
            return true;
        QThread::msleep(50);
    }
    return false;
}

// A self-signed certificate for the TLS sink, then the sink itself.
bool startTlsSink(QProcess& process, const QTemporaryDir& folder)
{
    const QString certificate = folder.filePath("sink.pem");
    const QString key = folder.filePath("sink-key.pem");
    const int made = QProcess::execute("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256",
                                                   "-nodes", "-subj", "/CN=sink.bench.test", "-days", "1", "-keyout",
                                                   key, "-out", certificate});
    if (made != 0)
        return false;
    const QString script = QStringLiteral(SORVANTA_BENCH_DIR "/relay_tls_sink.py");
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start("/usr/bin/python3", {script, certificate, key, kTlsSinkPort});
    return process.waitForStarted(5000) && awaitListening(QString(kTlsSinkPort).toUShort());
}

bool startSink(QProcess& process)
{
    QStringList arguments;
    if (geteuid() == 0)
        arguments << "-u" << "nobody";
    arguments << "-m" << "1000" << "127.0.0.1:25" << "1024";
    process.start("smtp-sink", arguments);
    return process.waitForStarted(5000) && awaitListening(25);
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

// CPU seconds, user and system, of this process or of its reaped children.
double cpuSeconds(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct RelayRun {
    double seconds = 0;
    double cpuSeconds = 0;
    int delivered = 0;
    int otherResults = 0;
    int duplicateReports = 0;
    int unreported = 0;
};

RelayRun runRelay(int connections, const QString& port = QStringLiteral("25"))
{
    TSmtpRelayServer2 relay;
    relay.setSmtpPort(port);
    relay.From = "sender@origin.test";
    relay.HeaderFrom = "Sender <sender@origin.test>";
    relay.setDns("127.0.0.1");
    relay.setConnections(connections);
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
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    clock.start();
    relay.Send();
    while (!finished)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    run.cpuSeconds = cpuSeconds(RUSAGE_SELF) - cpuBefore;
    for (const int count : reports)
        run.unreported += count == 0 ? 1 : 0;
    return run;
}

struct SourceRun {
    double seconds = -1;
    double cpuSeconds = 0;
};

SourceRun runSmtpSource(int connections)
{
    QProcess source;
    source.setProcessChannelMode(QProcess::ForwardedChannels);
    QElapsedTimer clock;
    const double childCpuBefore = cpuSeconds(RUSAGE_CHILDREN);   // dnsmasq and smtp-sink are not reaped yet
    clock.start();
    source.start("smtp-source", {"-s", QString::number(connections), "-m", QString::number(kRecipients), "-l",
                                 "2048", "-f", "sender@origin.test", "-t", "user@" + domainName(0),
                                 "127.0.0.1:25"});
    if (!source.waitForFinished(-1) || source.exitCode() != 0)
        return {};
    return {double(clock.nsecsElapsed()) / 1e9, cpuSeconds(RUSAGE_CHILDREN) - childCpuBefore};
}

// The namespace's count of TCP segments sent so far: the "OutSegs" column of the second "Tcp:" line.
qint64 tcpSegmentsSent()
{
    QFile snmp("/proc/net/snmp");
    if (!snmp.open(QIODevice::ReadOnly))
        return -1;
    QList<QByteArray> names;
    for (const QByteArray& line : snmp.readAll().split('\n')) {
        if (!line.startsWith("Tcp:"))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (names.isEmpty()) {
            names = fields;
            continue;
        }
        const qsizetype column = names.indexOf("OutSegs");
        return column > 0 && column < fields.size() ? fields[column].toLongLong() : -1;
    }
    return -1;
}

bool deliveredOnce(const RelayRun& run)
{
    return run.delivered == kRecipients && run.duplicateReports == 0 && run.unreported == 0;
}

double microsecondsPerMessage(double seconds)
{
    return seconds * 1e6 / kRecipients;
}

// One relay run and one smtp-source run with the same number of connections; false when the relay did not
// report every recipient once as delivered or reached less than half smtp-source's rate.
bool compareAt(int connections, double& relayCpuPerMessage)
{
    const qint64 before = peakMemoryKilobytes();
    const qint64 segmentsBefore = tcpSegmentsSent();
    const RelayRun relay = runRelay(connections);
    const qint64 relaySegments = tcpSegmentsSent() - segmentsBefore;
    const qint64 peak = peakMemoryKilobytes();
    const qint64 sourceSegmentsBefore = tcpSegmentsSent();
    const SourceRun source = runSmtpSource(connections);
    const qint64 sourceSegments = tcpSegmentsSent() - sourceSegmentsBefore;
    if (source.seconds <= 0) {
        std::fprintf(stderr, "smtp-source failed\n");
        return false;
    }
    const double relayRate = kRecipients / relay.seconds;
    const double sourceRate = kRecipients / source.seconds;
    const double relayCpu = microsecondsPerMessage(relay.cpuSeconds);
    const double sourceCpu = microsecondsPerMessage(source.cpuSeconds);
    std::printf("relay:       %d recipients over %d connections in %.2f s = %.0f messages/s, CPU %.0f us/message\n",
                kRecipients, connections, relay.seconds, relayRate, relayCpu);
    std::printf("             delivered %d, other results %d, reported twice %d, never reported %d\n",
                relay.delivered, relay.otherResults, relay.duplicateReports, relay.unreported);
    std::printf("             peak memory %lld KB (%lld KB before the run)\n", static_cast<long long>(peak),
                static_cast<long long>(before));
    std::printf("smtp-source: %d messages over %d sessions in %.2f s = %.0f messages/s, CPU %.0f us/message\n",
                kRecipients, connections, source.seconds, sourceRate, sourceCpu);
    std::printf("TCP segments per message (both directions): relay %.2f, smtp-source %.2f\n",
                double(relaySegments) / kRecipients, double(sourceSegments) / kRecipients);
    std::printf("ratio relay / smtp-source at %d connections: rate %.2f, CPU per message %.2f\n", connections,
                relayRate / sourceRate, relayCpu / sourceCpu);
    std::fflush(stdout);
    relayCpuPerMessage = relayCpu;
    return deliveredOnce(relay) && relayRate >= sourceRate / 2;
}

// A relay run to the TLS sink beside the clear one's CPU per message; false unless every recipient was
// reported once as delivered (over TLS: the sink refuses an envelope in clear).
bool measureTlsAt(int connections, double clearCpuPerMessage)
{
    const qint64 segmentsBefore = tcpSegmentsSent();
    const RelayRun relay = runRelay(connections, kTlsSinkPort);
    const qint64 segments = tcpSegmentsSent() - segmentsBefore;
    const double cpu = microsecondsPerMessage(relay.cpuSeconds);
    std::printf("relay (TLS): %d recipients over %d connections in %.2f s = %.0f messages/s, CPU %.0f us/message"
                " (TLS adds %.0f us/message), TCP segments per message %.2f\n",
                kRecipients, connections, relay.seconds, kRecipients / relay.seconds, cpu, cpu - clearCpuPerMessage,
                double(segments) / kRecipients);
    std::printf("             delivered %d, other results %d, reported twice %d, never reported %d\n",
                relay.delivered, relay.otherResults, relay.duplicateReports, relay.unreported);
    std::fflush(stdout);
    return deliveredOnce(relay);
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

    std::vector<int> counts;
    bool withTls = false;
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--tls")
            withTls = true;
        else
            counts.push_back(std::max(1, std::atoi(argv[i])));
    }
    QProcess tlsSink;
    if (withTls && !startTlsSink(tlsSink, folder)) {
        std::fprintf(stderr, "the TLS sink did not start (packages openssl and python3)\n");
        return 2;
    }
    if (counts.empty())
        counts.assign(std::begin(kDefaultConnections), std::end(kDefaultConnections));
    bool good = true;
    for (const int connections : counts) {
        double clearCpu = 0;
        good = compareAt(connections, clearCpu) && good;
        if (withTls)
            good = measureTlsAt(connections, clearCpu) && good;
    }
    tlsSink.terminate();
    tlsSink.waitForFinished(2000);
    sink.terminate();
    dnsmasq.terminate();
    sink.waitForFinished(2000);
    dnsmasq.waitForFinished(2000);
    return good ? 0 : 1;
}

// Benchmark of the list verification: 10,000 addresses over 2,000 domains (1,800 with MX records, 200 missing)
// checked against dnsmasq on 127.0.0.1:53 inside a private network namespace, with 50 and with 1,000
// connections. Prints the elapsed time beside the time the pace allows (one query a tick, a tick every
// 1000 div connections ms) and the rows that got neither "Ok" nor "No" (a lost answer). Exits 1 when a run is
// more than 10% slower than its pace or loses an answer. Usage: bench_verify [connections ...]
// The program runs itself again under unshare (as tests/support/netns_run does) so that port 53 is free.

#include "core/verify/list_verifier.h"
#include "core/language/msg_language.h"
#include "platform/string_grid.h"

// The bench links only the program's libraries, so it takes the test support's dnsmasq starter as source.
#include "tests/support/dnsmasq_server.cpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {

constexpr int AddressCount = 10'000;
constexpr int DomainCount = 2'000;
constexpr int MissingEvery = 10;   // every tenth domain has no record
constexpr char NamespaceMarker[] = "SORVANTA_BENCH_NETNS";

QString domainName(int index)
{
    return QStringLiteral("d%1.test").arg(index);
}

// Runs this program again inside a new network namespace with loopback up; returns only on failure.
int runInPrivateNamespace(int argc, char** argv)
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return std::perror("readlink"), 2;
    self[length] = '\0';
    setenv(NamespaceMarker, "1", 1);
    std::vector<const char*> arguments{"unshare", geteuid() == 0 ? "-n" : "-rn", "sh", "-c",
                                       "ip link set lo up && exec \"$@\"", "netns", self};
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    execvp("unshare", const_cast<char* const*>(arguments.data()));
    std::perror("unshare");
    return 2;
}

sorvanta::test::DnsmasqServer::Options dnsOptions()
{
    sorvanta::test::DnsmasqServer::Options options;
    for (int i = 0; i < DomainCount; ++i) {
        if (i % MissingEvery != 0)
            options.mxHosts << domainName(i) + QStringLiteral(",mx.") + domainName(i) + QStringLiteral(",10");
    }
    // Plenty of room for queries in flight at once (dnsmasq's default is 150 forwarded, but here all
    // names are local); a large cache keeps answers out of the log path.
    options.extraLines = {QStringLiteral("dns-forward-max=5000"), QStringLiteral("cache-size=10000")};
    return options;
}

// Address i belongs to domain i mod DomainCount, so the first 2,000 rows are queried and the rest come from
// the caches.
void fillList(StringGrid& list)
{
    list.setColumnCount(1);
    list.setRowCount(AddressCount + 1);
    for (int i = 0; i < AddressCount; ++i)
        list.setCell(0, i + 1, QStringLiteral("user%1@").arg(i) + domainName(i % DomainCount));
}

struct RunFigures {
    qint64 elapsedMs = 0;
    int queries = 0;
    int ok = 0;
    int no = 0;
    int lost = 0;
};

RunFigures verifyOnce(const StringGrid& list, int connections)
{
    StringGrid results;
    TMsgLanguage messages(nullptr, verifyMessages());
    ListVerifier verifier(results, messages);
    verifier.loadAddresses(list, 0, {});
    VerifySettings settings;
    settings.dnsServer = QStringLiteral("127.0.0.1");
    settings.connections = connections;
    settings.timeOutSeconds = 10;

    QEventLoop loop;
    QObject::connect(&verifier, &ListVerifier::finished, &loop, &QEventLoop::quit);
    QElapsedTimer elapsed;
    elapsed.start();
    verifier.start(false, settings);
    loop.exec();

    RunFigures figures;
    figures.elapsedMs = elapsed.elapsed();
    figures.queries = verifier.queriesStarted();
    for (int row = 1; row < results.rowCount(); ++row) {
        const QString state = results.cell(VerifyStateColumn, row);
        if (state == stateOk)
            ++figures.ok;
        else if (state == stateNo)
            ++figures.no;
        else
            ++figures.lost;
    }
    return figures;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet(NamespaceMarker))
        return runInPrivateNamespace(argc, argv);
    QCoreApplication app(argc, argv);
    std::vector<int> connectionCounts;
    for (int i = 1; i < argc; ++i)
        connectionCounts.push_back(std::atoi(argv[i]));
    if (connectionCounts.empty())
        connectionCounts = {50, 1000};

    sorvanta::test::DnsmasqServer dns(dnsOptions());
    QString error;
    if (!dns.start(&error)) {
        std::fprintf(stderr, "bench_verify: %s\n", qPrintable(error));
        return 2;
    }
    StringGrid list;
    fillList(list);
    std::printf("%d addresses over %d domains (%d missing), dnsmasq on 127.0.0.1:53\n", AddressCount, DomainCount,
                DomainCount / MissingEvery);
    std::printf("%11s %8s %10s %8s %11s %11s %7s %6s %6s %5s\n", "connections", "tick ms", "limit q/s", "queries",
                "elapsed ms", "pace ms", "ratio", "Ok", "No", "lost");
    bool sound = true;
    for (int connections : connectionCounts) {
        if (connections < 1)
            continue;
        const RunFigures figures = verifyOnce(list, connections);
        const int tick = pacingInterval(connections);
        const qint64 paceMs = qint64(figures.queries) * tick;   // one query a tick
        const double ratio = paceMs > 0 ? double(figures.elapsedMs) / double(paceMs) : 0.0;
        std::printf("%11d %8d %10d %8d %11lld %11lld %7.3f %6d %6d %5d\n", connections, tick, 1000 / tick,
                    figures.queries, static_cast<long long>(figures.elapsedMs), static_cast<long long>(paceMs), ratio,
                    figures.ok, figures.no, figures.lost);
        sound = sound && ratio <= 1.10 && figures.lost == 0;
    }
    std::printf("%s\n", sound ? "within 10% of the pace, no answer lost" : "SLOWER THAN THE PACE OR ANSWERS LOST");
    return sound ? 0 : 1;
}

// Benchmark of the DB Maker extraction, set up as a user would (one field "^Find@", records cut at line ends),
// timed through the engine beside GNU grep on the same files in the same run:
//   LC_ALL=C grep -o -h -r -E '[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+'
//   bench_db_maker [FILES]       a generated corpus of FILES files (default 2,000, about 100 MB: ".htm" and
//                                ".txt" in nested folders, at most one address a line, in places where the
//                                engine's stop characters and the regex agree); exits 1 when the sorted address
//                                lists differ
//   bench_db_maker FOLDER        a real tree (say /usr/share/doc with its .gz files unpacked); the two count
//                                addresses by different rules there, so only the counts are shown
//   bench_db_maker --big MB      one generated file of MB megabytes; the peak memory shows it is flat
//   --engine-only                before any of these: the engine alone, once (to time it from outside)
// Prints MB/s of both by wall and by CPU time, each the best of three runs taken in turn (grep runs once first
// to warm the page cache).

#include "lists/db_maker_engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <sys/resource.h>

namespace {

constexpr int DefaultFileCount = 2'000;
constexpr qsizetype FileSize = 50'000;
constexpr int Rounds = 3;

const char* const words[] = {"the", "list", "mail", "of", "news", "and", "order", "page", "price", "contact",
                             "home", "item", "table", "text", "more", "with", "from", "about", "2026", "x-1"};

class CorpusWriter {
public:
    explicit CorpusWriter(quint32 seed) : m_random(seed) {}

    QByteArray address()
    {
        static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789._-";
        QByteArray local, host;
        const int localLength = 3 + int(m_random() % 12), hostLength = 3 + int(m_random() % 10);
        for (int i = 0; i < localLength; ++i)
            local += letters[m_random() % (sizeof letters - 1)];
        for (int i = 0; i < hostLength; ++i)
            host += letters[m_random() % 36];
        return local + '@' + host + (m_random() % 2 ? ".com" : ".org");
    }

    // One line of words, with an address in one of the agreed places every few lines.
    QByteArray line(bool html)
    {
        QByteArray text;
        const int count = 4 + int(m_random() % 10);
        for (int i = 0; i < count; ++i)
            text += QByteArray(words[m_random() % std::size(words)]) + ' ';
        if (m_random() % 4 == 0) {
            static const char* const before[] = {" ", ":", "\"", ">"};
            static const char* const after[] = {" ", "\"", "<", ";", ""};
            const char* tail = after[m_random() % std::size(after)];
            text += QByteArray(html ? "<a href" : "mailto") + before[m_random() % std::size(before)] + address()
                    + tail;
            if (*tail)
                text += " end";
        }
        return text + (html ? "\r\n" : "\n");
    }

    QByteArray file(bool html)
    {
        QByteArray text = html ? "<html><body>\r\n" : "";
        while (text.size() < FileSize)
            text += line(html);
        return text;
    }

private:
    std::mt19937 m_random;
};

qint64 writeCorpus(const QString& root, int fileCount)
{
    CorpusWriter writer(20261210);
    qint64 total = 0;
    for (int i = 0; i < fileCount; ++i) {
        const QString folder = root + QStringLiteral("/f%1/s%2").arg(i % 10).arg(i % 7)
                               + (i % 3 ? QStringLiteral("/d%1").arg(i % 5) : QString());
        QDir().mkpath(folder);
        const bool html = i % 2;
        QFile file(folder + QStringLiteral("/p%1").arg(i) + (html ? ".htm" : ".txt"));
        if (!file.open(QIODevice::WriteOnly))
            return -1;
        total += file.write(writer.file(html));
    }
    return total;
}

// One text file of about megabytes MB, written a few megabytes at a time.
qint64 writeBigFile(const QString& root, qint64 megabytes)
{
    QDir().mkpath(root);
    QFile file(root + "/big.txt");
    if (!file.open(QIODevice::WriteOnly))
        return -1;
    CorpusWriter writer(20261211);
    QByteArray chunk;
    while (chunk.size() < (4 << 20))
        chunk += writer.line(false);
    qint64 total = 0;
    while (total < megabytes * 1'000'000) {
        if (file.write(chunk) != chunk.size())
            return -1;
        total += chunk.size();
    }
    return total;
}

// The bytes of the regular files below root, links not followed, as both programs read them.
qint64 treeBytes(const QString& root)
{
    qint64 total = 0;
    QDirIterator files(root, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        files.next();
        total += files.fileInfo().size();
    }
    return total;
}

// The peak resident memory of this process so far, in MB.
double peakResidentMegabytes()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Wall and CPU seconds of one run (CPU: user and system time, of this process or of its waited children), so
// that a loaded machine, which stretches the wall time of both alike, can be seen through.
struct Timing {
    double wall = 1e9;
    double cpu = 1e9;
};

double cpuSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Times work as wall time and as the CPU time of who (RUSAGE_SELF or RUSAGE_CHILDREN).
template <typename Work>
Timing timed(int who, Work work)
{
    QElapsedTimer timer;
    const double cpuBefore = cpuSeconds(who);
    timer.start();
    work();
    return {timer.nsecsElapsed() / 1e9, cpuSeconds(who) - cpuBefore};
}

// The addresses found, or only their count when the list is not kept (a 2 GB file yields millions of them,
// whose list would hide the engine's own memory).
struct Addresses {
    QStringList list;
    qint64 count = 0;
    bool keep = true;

    void add(QByteArrayView address)
    {
        ++count;
        if (keep)
            list << QString::fromLatin1(address);
    }
};

// grep's output is taken as it comes, so a large one is never held whole.
Addresses grepAddresses(const QString& root, bool keep, Timing* timing)
{
    QProcess grep;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    grep.setProcessEnvironment(environment);
    Addresses addresses;
    addresses.keep = keep;
    QByteArray pending;
    const auto takeLines = [&] {
        pending += grep.readAllStandardOutput();
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf('\n', start)) >= 0; start = end + 1)
            addresses.add(QByteArrayView(pending).sliced(start, end - start));
        pending.remove(0, start);
    };
    *timing = timed(RUSAGE_CHILDREN, [&] {
        grep.start("grep", {"-o", "-h", "-r", "-E", "[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+", root});
        grep.waitForStarted();
        while (grep.waitForReadyRead(-1))
            takeLines();
        grep.waitForFinished(-1);
        takeLines();
    });
    return addresses;
}

// The engine's CPU time includes the rows handed to this bench (a few per cent), as a window's would.
Addresses engineAddresses(const QString& root, bool keep, Timing* timing)
{
    DbMakerSettings settings;
    settings.folder = root;
    settings.endMarker = "\n";
    settings.fieldRows = {{"Mail", "^Find@"}};
    Addresses addresses;
    addresses.keep = keep;
    DbMakerCallbacks callbacks;
    callbacks.row = [&](const DbMakerRow& row) {
        ++addresses.count;
        if (keep)
            addresses.list << row.values.first();
    };
    callbacks.pump = [] { QCoreApplication::processEvents(); };
    *timing = timed(RUSAGE_SELF, [&] { runDbMaker(settings, callbacks); });
    return addresses;
}

void printFigures(const char* name, const Timing& timing, double megabytes, qint64 count)
{
    std::printf("%s %8.3f s wall %8.1f MB/s   %8.3f s CPU %8.1f MB/s   %lld addresses\n", name, timing.wall,
                megabytes / timing.wall, timing.cpu, megabytes / timing.cpu, qlonglong(count));
}

struct Corpus {
    QString root;
    qint64 bytes = 0;
    bool generated = true;
    bool big = false;
};

// The corpus the arguments ask for, written into temporary when it is generated.
Corpus chooseCorpus(const QStringList& arguments, const QString& temporary)
{
    Corpus corpus;
    corpus.root = temporary + "/corpus";
    if (arguments.size() > 2 && arguments[1] == "--big") {
        corpus.bytes = writeBigFile(corpus.root, std::max(1LL, arguments[2].toLongLong()));
        corpus.big = true;
    } else if (arguments.size() > 1 && QFileInfo(arguments[1]).isDir()) {
        corpus = {QFileInfo(arguments[1]).absoluteFilePath(), treeBytes(arguments[1]), false};
    } else {
        const int fileCount = arguments.size() > 1 ? std::max(1, arguments[1].toInt()) : DefaultFileCount;
        corpus.bytes = writeCorpus(corpus.root, fileCount);
    }
    return corpus;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    const bool engineOnly = arguments.removeAll("--engine-only") > 0;
    QTemporaryDir temporary;
    const Corpus corpus = chooseCorpus(arguments, temporary.path());
    if (corpus.bytes < 0) {
        std::fprintf(stderr, "cannot write the corpus in %s\n", qPrintable(corpus.root));
        return 1;
    }
    const double megabytes = corpus.bytes / 1e6;
    std::printf("corpus: %s, %.1f MB\n", qPrintable(corpus.root), megabytes);
    const bool keep = !corpus.big && !engineOnly;
    Timing timing;
    if (engineOnly) {
        const Addresses found = engineAddresses(corpus.root, false, &timing);
        printFigures("engine:", timing, megabytes, found.count);
        std::printf("peak memory: %.1f MB\n", peakResidentMegabytes());
        return 0;
    }

    // Turn about, each the best of three, so that a noisy machine weighs on both alike.
    grepAddresses(corpus.root, false, &timing);   // warms the page cache for both
    Addresses fromGrep, fromEngine;
    Timing grepBest, engineBest;
    double peakBefore = 0;
    for (int round = 0; round < Rounds; ++round) {
        fromGrep = grepAddresses(corpus.root, keep, &timing);
        grepBest = {std::min(grepBest.wall, timing.wall), std::min(grepBest.cpu, timing.cpu)};
        peakBefore = peakResidentMegabytes();
        fromEngine = engineAddresses(corpus.root, keep, &timing);
        engineBest = {std::min(engineBest.wall, timing.wall), std::min(engineBest.cpu, timing.cpu)};
    }
    printFigures("grep:  ", grepBest, megabytes, fromGrep.count);
    printFigures("engine:", engineBest, megabytes, fromEngine.count);
    std::printf("peak memory: %.1f MB before the engine ran, %.1f MB after\n", peakBefore, peakResidentMegabytes());
    if (!corpus.generated)
        return 0;
    if (!keep) {
        std::printf("address counts equal: %s\n", fromGrep.count == fromEngine.count ? "yes" : "NO");
        return fromGrep.count == fromEngine.count ? 0 : 1;
    }
    std::sort(fromGrep.list.begin(), fromGrep.list.end());
    std::sort(fromEngine.list.begin(), fromEngine.list.end());
    const bool same = fromGrep.list == fromEngine.list;
    std::printf("sorted address lists equal: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}

// Benchmark of the DB Maker extraction: a corpus of about 100 MB (2,000 ".htm" and ".txt" files in nested
// folders, at most one address a line) in a temporary folder, extracted as a user would set it up (one field
// "^Find@", records cut at line ends) through the engine, beside GNU grep on the same files:
//   LC_ALL=C grep -o -h -r -E '[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+'
// Prints MB/s of both and whether the sorted address lists are equal; exits 1 when they differ.
// Addresses use [a-z0-9._-] only and stand where the engine's stop characters and the regex agree.
// Usage: bench_db_maker [files]

#include "lists/db_maker_engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <random>

namespace {

constexpr int DefaultFileCount = 2'000;
constexpr qsizetype FileSize = 50'000;

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

QStringList grepAddresses(const QString& root, double* seconds)
{
    QProcess grep;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    grep.setProcessEnvironment(environment);
    QElapsedTimer timer;
    timer.start();
    grep.start("grep", {"-o", "-h", "-r", "-E", "[A-Za-z0-9._%+-]+@[A-Za-z0-9.-]+", root});
    grep.waitForStarted();
    QByteArray output;
    while (grep.waitForReadyRead(-1))
        output += grep.readAllStandardOutput();
    grep.waitForFinished(-1);
    output += grep.readAllStandardOutput();
    *seconds = timer.nsecsElapsed() / 1e9;
    return QString::fromLatin1(output).split('\n', Qt::SkipEmptyParts);
}

QStringList engineAddresses(const QString& root, double* seconds)
{
    DbMakerSettings settings;
    settings.folder = root;
    settings.endMarker = "\n";
    settings.fieldRows = {{"Mail", "^Find@"}};
    QStringList addresses;
    DbMakerCallbacks callbacks;
    callbacks.row = [&](const DbMakerRow& row) { addresses << row.values.first(); };
    callbacks.pump = [] { QCoreApplication::processEvents(); };
    QElapsedTimer timer;
    timer.start();
    runDbMaker(settings, callbacks);
    *seconds = timer.nsecsElapsed() / 1e9;
    return addresses;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int fileCount = argc > 1 ? std::max(1, atoi(argv[1])) : DefaultFileCount;
    QTemporaryDir temporary;
    const QString root = temporary.path() + "/corpus";
    const qint64 bytes = writeCorpus(root, fileCount);
    if (bytes < 0) {
        std::fprintf(stderr, "cannot write the corpus in %s\n", qPrintable(root));
        return 1;
    }
    const double megabytes = bytes / 1e6;
    std::printf("corpus: %d files, %.1f MB\n", fileCount, megabytes);

    double grepSeconds = 0, engineSeconds = 0;
    grepAddresses(root, &grepSeconds);   // warms the page cache for both
    QStringList fromGrep = grepAddresses(root, &grepSeconds);
    QStringList fromEngine = engineAddresses(root, &engineSeconds);
    std::printf("grep:   %8.3f s  %8.1f MB/s  %lld addresses\n", grepSeconds, megabytes / grepSeconds,
                qlonglong(fromGrep.size()));
    std::printf("engine: %8.3f s  %8.1f MB/s  %lld addresses\n", engineSeconds, megabytes / engineSeconds,
                qlonglong(fromEngine.size()));
    std::sort(fromGrep.begin(), fromGrep.end());
    std::sort(fromEngine.begin(), fromEngine.end());
    const bool same = fromGrep == fromEngine;
    std::printf("sorted address lists equal: %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}

// DB Maker on a file of 4 GB (sparse: no disk is used) beside small ones, in a child process whose address
// space is limited, so that a run holding the whole file could only fail, never take the machine's memory:
// the rows of every file come back (the big one's too), memory stays within a bound, and Stop is answered
// at once while the big file is being read. A file of 2 GB without markers, one record, gives the row
// of the whole text within the same bound.

#include "lists/db_maker_engine.h"
#include "tests/lists/db_maker_fixtures.h"
#include "tests/lists/list_grids.h"
#include "tests/support/resource_meter.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace sorvanta::test;

constexpr char FolderVariable[] = "SORVANTA_DB_MAKER_LARGE_TREE";
constexpr qint64 BigFileSize = 4LL << 30;
constexpr qint64 MemoryBound = 200 * kMegabyte;

// a.txt, big.txt (4 GB of zero bytes with an address line at each end) and z.txt.
QString makeTree()
{
    const QString root = testHome() + "large";
    QDir().mkpath(root);
    writeFileBytes(root + "/a.txt", "a@one.org\n");
    writeFileBytes(root + "/z.txt", "z@one.org\n");
    const int fd = ::open(QFile::encodeName(root + "/big.txt").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_GE(fd, 0);
    const QByteArray first = "first@big.org\n", last = "\nlast@big.org\n";
    EXPECT_EQ(::pwrite(fd, first.constData(), size_t(first.size()), 0), first.size());
    EXPECT_EQ(::pwrite(fd, last.constData(), size_t(last.size()), BigFileSize - last.size()), last.size());
    ::close(fd);
    return root;
}

constexpr qint64 NoMarkerFileSize = 2LL << 30;

// Where the texts of the file without markers lie: addresses and begin texts across the joins of the pieces
// and at the very end, at offsets scaled to the file's size.
QList<QPair<qint64, QByteArray>> noMarkerTexts(qint64 size)
{
    return {{0, "first@big.org "},
            {size / 256 - 6, " split@piece.org "},
            {size / 128 - 2, "key=straddle;"},
            {size / 2, "mid@big.org "},
            {size - 22, "last: final@end.org;\n"}};
}

DbMakerSettings noMarkerSettings(const QString& folder)
{
    DbMakerSettings settings;
    settings.folder = folder;
    settings.fieldRows = {{"Mail", "^Find@"},         {"Second", "^Find@", "", "2"}, {"Fourth", "^Find@", "", "4"},
                          {"Fifth", "^Find@", "", "5"}, {"Key", "key=", ";"},           {"Last", "last: ", ";"}};
    return settings;
}

// big.txt: 2 GB of zero bytes (sparse) holding the texts above.
QString makeNoMarkerTree()
{
    const QString root = testHome() + "nomarkers";
    QDir().mkpath(root);
    const int fd = ::open(QFile::encodeName(root + "/big.txt").constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_GE(fd, 0);
    for (const auto& [offset, text] : noMarkerTexts(NoMarkerFileSize))
        EXPECT_EQ(::pwrite(fd, text.constData(), size_t(text.size()), offset), text.size());
    ::close(fd);
    return root;
}

// Runs the child test in a process of its own and answers its output.
QString runChild(const QString& folder, const QString& test)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(FolderVariable, folder);
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=DbMakerLargeFileChild." + test});
    EXPECT_TRUE(child.waitForFinished(180000)) << "the child did not end";
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
    return output;
}

TEST(DbMakerLargeFile, EveryFilesRowsComeBackWithinTheMemoryBound)
{
    runChild(makeTree(), "AllRows");
}

TEST(DbMakerLargeFile, StopIsAnsweredAtItsNextLookAtTheFlag)
{
    runChild(makeTree(), "Stop");
}

TEST(DbMakerLargeFile, AFileWithoutMarkersGivesTheRowOfTheWholeTextWithinTheMemoryBound)
{
    runChild(makeNoMarkerTree(), "NoMarkers");
}

// The row a file without markers gives when read whole, from a twin of 2 MB in memory: the reference.
QStringList noMarkerRow()
{
    constexpr qint64 twinSize = 2 << 20;
    QByteArray twin(twinSize, '\0');
    for (const auto& [offset, text] : noMarkerTexts(twinSize))
        twin.replace(offset, text.size(), text);
    const QList<QStringList> rows = extractFieldRows(twin, noMarkerSettings(QString()));
    return rows.value(0);
}

TEST(DbMakerLargeFile, TheRowOfAFileWithoutMarkersCountsEveryHitOnce)
{
    EXPECT_EQ(noMarkerRow(), (QStringList{"first@big.org", "split@piece.org", "final@end.org", "", "straddle",
                                          "final@end.org"}));
}

// The tests below run only in the child that the tests above start.
class DbMakerLargeFileChild : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = qEnvironmentVariable(FolderVariable);
        if (folder.isEmpty())
            GTEST_SKIP() << "run by DbMakerLargeFile in a child process";
        // The address space the process has now, and room for the run; not under AddressSanitizer, whose
        // shadow memory is reserved address space.
        if (sanitizerAllowance() == 1) {
            const rlimit limit{rlim_t(addressSpace() + 1024 * kMegabyte), rlim_t(addressSpace() + 1024 * kMegabyte)};
            ASSERT_EQ(::setrlimit(RLIMIT_AS, &limit), 0);
        }
    }

    static qint64 addressSpace()
    {
        QFile status("/proc/self/status");
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("VmSize:"))
                return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
        return 0;
    }

    QString folder;
};

TEST_F(DbMakerLargeFileChild, AllRows)
{
    QStringList rows;
    DbMakerRunResult result;
    DbMakerCallbacks callbacks;
    callbacks.row = [&](const DbMakerRow& row) { rows << row.fileName + "=" + row.values.join(','); };
    const ResourceUse use = measureResources([&] { result = runDbMaker(mailSettings(folder), callbacks); });
    EXPECT_EQ(rows, (QStringList{"a.txt=a@one.org", "big.txt=first@big.org", "big.txt=last@big.org",
                                 "z.txt=z@one.org"}));
    EXPECT_EQ(result.filesRead, 3);
    EXPECT_EQ(result.filesSkipped, 0);
    EXPECT_LT(use.peakGrowthBytes, MemoryBound * sanitizerAllowance()) << use.peakGrowthBytes / kMegabyte << " MB";
}

TEST_F(DbMakerLargeFileChild, NoMarkers)
{
    QList<QStringList> rows;
    DbMakerRunResult result;
    DbMakerCallbacks callbacks;
    callbacks.row = [&](const DbMakerRow& row) { rows << row.values; };
    const ResourceUse use = measureResources([&] { result = runDbMaker(noMarkerSettings(folder), callbacks); });
    EXPECT_EQ(rows, QList<QStringList>{noMarkerRow()});
    EXPECT_EQ(result.filesSkipped, 0);
    EXPECT_EQ(result.valuesCut, 0);
    EXPECT_LT(use.peakGrowthBytes, MemoryBound * sanitizerAllowance()) << use.peakGrowthBytes / kMegabyte << " MB";
}

// Stop is set from the pump, as the window's Stop button sets it, once the big file's first row is in: the run
// is then at the start of a 4 GB record. It must end at its next look at the flag, before any later row; the
// pump calls after Stop count that look instead of a clock, so a busy machine cannot fail it.
TEST_F(DbMakerLargeFileChild, Stop)
{
    bool stop = false;
    bool inBigFile = false;
    int pumpsAfterStop = 0;
    QStringList rows;
    DbMakerCallbacks callbacks;
    callbacks.stop = &stop;
    callbacks.row = [&](const DbMakerRow& row) {
        rows << row.values.join(',');
        inBigFile = inBigFile || row.fileName == "big.txt";
    };
    callbacks.pump = [&] {
        if (stop)
            ++pumpsAfterStop;
        stop = stop || inBigFile;
    };
    const DbMakerRunResult result = runDbMaker(mailSettings(folder), callbacks);
    ASSERT_TRUE(stop) << "the run ended before Stop";
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(rows, (QStringList{"a@one.org", "first@big.org"}));
    EXPECT_LE(pumpsAfterStop, 1);
}

}  // namespace

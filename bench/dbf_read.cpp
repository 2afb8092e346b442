// Benchmark: reads a dBase IV table of 1,000,000 records (about 130 MB; C, N, D and L fields, code page 1252)
// through TDbf to the end, taking every field's AsString, and prints records/s, MB/s and peak memory. Beside
// them it runs a naive Python loop that slices and decodes each record, and compares a sample of records.
// Usage: bench_dbf_read [records]

#include "dbase/dbf.h"
#include "dbase/field_text.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <cstdio>
#include <sys/resource.h>

namespace {

struct Column {
    const char* name;
    char type;
    int length;
    int decimals;
};
constexpr Column Columns[] = {
    {"NAME", 'C', 60, 0}, {"CITY", 'C', 40, 0}, {"AMOUNT", 'N', 12, 2}, {"BORN", 'D', 8, 0},
    {"ACTIVE", 'L', 1, 0}, {"ID", 'N', 9, 0},
};
constexpr int RecordSize = 1 + 60 + 40 + 12 + 8 + 1 + 9;
constexpr int SampleEvery = 99991;

QByteArray header(qint64 records)
{
    const int fieldCount = int(std::size(Columns));
    const int headerSize = 32 + 32 * fieldCount + 1;
    QByteArray bytes(headerSize, '\0');
    bytes[0] = 0x03;
    bytes[1] = char(125), bytes[2] = 1, bytes[3] = 1;
    qToLittleEndian(quint32(records), bytes.data() + 4);
    qToLittleEndian(quint16(headerSize), bytes.data() + 8);
    qToLittleEndian(quint16(RecordSize), bytes.data() + 10);
    bytes[29] = 0x57;   // code page 1252
    for (int i = 0; i < fieldCount; ++i) {
        char* descriptor = bytes.data() + 32 + 32 * i;
        std::memcpy(descriptor, Columns[i].name, std::strlen(Columns[i].name));
        descriptor[11] = Columns[i].type;
        descriptor[16] = char(Columns[i].length);
        descriptor[17] = char(Columns[i].decimals);
    }
    bytes[headerSize - 1] = 0x0D;
    return bytes;
}

QByteArray record(qint64 n)
{
    const QByteArray name = "Customer \xE9l\xE8ve " + QByteArray::number(n);
    const QByteArray city = "Stra\xDF" "e " + QByteArray::number(n % 977);
    const QByteArray amount = QByteArray::number(double(n % 100000) / 100.0 + 0.25, 'f', 2).rightJustified(12, ' ');
    const QByteArray born = QByteArray::number(1950 + n % 60) + QByteArray::number(1 + n % 12).rightJustified(2, '0')
                            + QByteArray::number(1 + n % 28).rightJustified(2, '0');
    return " " + name.leftJustified(60, ' ') + city.leftJustified(40, ' ') + amount + born + (n % 3 ? "T" : "F")
           + QByteArray::number(n).rightJustified(9, ' ');
}

bool writeTable(const QString& path, qint64 records)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(header(records));
    QByteArray chunk;
    for (qint64 n = 1; n <= records; ++n) {
        chunk += record(n);
        if (chunk.size() > (1 << 20))
            file.write(chunk), chunk.clear();
    }
    file.write(chunk + "\x1A");
    return true;
}

const char* const PythonLoop = R"(
import sys, time
path, every = sys.argv[1], int(sys.argv[2])
start = time.perf_counter()
samples = []
with open(path, 'rb') as f:
    data = f.read()
header_size = int.from_bytes(data[8:10], 'little'); size = int.from_bytes(data[10:12], 'little')
count = (len(data) - header_size) // size
widths = [60, 40, 12, 8, 1, 9]
for n in range(count):
    rec = data[header_size + n * size: header_size + (n + 1) * size]
    at = 1; cells = []
    for w in widths:
        cells.append(rec[at:at + w].decode('cp1252').rstrip()); at += w
    amount = repr(float(cells[2])); amount = amount[:-2] if amount.endswith('.0') else amount
    born = cells[3][0:4] + '-' + cells[3][4:6] + '-' + cells[3][6:8]
    row = [cells[0], cells[1], amount, born, 'True' if cells[4] in 'TtYy' else 'False', str(int(cells[5]))]
    if (n + 1) % every == 0:
        samples.append('|'.join(row))
elapsed = time.perf_counter() - start
print(elapsed)
for s in samples: print(s)
)";

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const qint64 records = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1000000;
    QTemporaryDir folder;
    const QString path = folder.filePath("bench.dbf");
    if (!writeTable(path, records)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const double megabytes = double(QFile(path).size()) / 1e6;
    const double memoryBefore = peakMegabytes();
    fieldtext::setShortDateFormat("yyyy-MM-dd");

    TDbf dbf;
    dbf.setTableName(path);
    QElapsedTimer timer;
    timer.start();
    dbf.Open();
    qint64 read = 0, characters = 0;
    QStringList samples;
    for (; !dbf.Eof(); dbf.Next()) {
        QStringList cells;
        for (int i = 0; i < dbf.FieldCount(); ++i)
            cells.append(dbf.Fields(i).AsString());
        for (const QString& cell : cells)
            characters += cell.size();
        if (++read % SampleEvery == 0)
            samples.append(cells.join('|'));
    }
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    dbf.Close();
    std::printf("dbf_read: %lld records, %.1f MB, %lld characters\n", read, megabytes, characters);
    std::printf("TDbf:   %.2f s, %.0f records/s, %.1f MB/s, peak memory %.1f MB (%.1f MB before reading)\n",
                seconds, double(read) / seconds, megabytes / seconds, peakMegabytes(), memoryBefore);

    QProcess python;
    python.start("/usr/bin/python3", {"-c", PythonLoop, path, QString::number(SampleEvery)});
    if (!python.waitForFinished(-1) || python.exitCode() != 0) {
        std::printf("python: not run (%s)\n", python.readAllStandardError().constData());
        return 0;
    }
    QStringList lines = QString::fromUtf8(python.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    const double pythonSeconds = lines.takeFirst().toDouble();
    std::printf("python: %.2f s, %.0f records/s, %.1f MB/s (naive slice-and-decode loop)\n", pythonSeconds,
                double(records) / pythonSeconds, megabytes / pythonSeconds);
    std::printf("sample: %lld records compared, %s\n", qint64(samples.size()),
                lines == samples ? "all equal" : "DIFFERENT");
    return lines == samples ? 0 : 2;
}

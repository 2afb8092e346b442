// Benchmark of the list grid: writes a list of 1,000,000 records x 10 fields (e-mail first, a fifth of the
// addresses repeated in random letter case, ";" between fields, CR LF), loads it into a string grid and saves
// it back as the project editor does (ReadListFile, SaveListFile), checks that the saved bytes equal the input,
// and prints the seconds and the peak resident memory beside the time of `sort -u -t';' -k1,1 -f` on the same
// file. Usage: bench_list_grid [rows] [folder]

#include "core/project/list_file.h"
#include "platform/string_grid.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>
#include <random>
#include <string>

namespace {

constexpr int kColumns = 10;

const char* const kFirstNames[] = {"Anna", "Bert", "Carla", "Dirk", "Elke", "Frank", "Greta", "Hans", "Ines", "Jan"};
const char* const kLastNames[] = {"Meyer", "Schmidt", "Novak", "Rossi", "Dubois", "Jansen", "Berg", "Kowalski"};
const char* const kCities[] = {"Berlin", "Lyon", "Turin", "Ghent", "Graz", "Malmo", "Porto", "Brno", "Cork"};
const char* const kDomains[] = {"example.com", "mail.example.org", "post.example.net", "example.de"};

template <std::size_t N>
const char* pick(const char* const (&names)[N], std::mt19937& random)
{
    return names[random() % N];
}

std::string randomCase(std::string text, std::mt19937& random)
{
    for (char& c : text)
        if (random() % 2)
            c = char(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

std::string address(int index, std::mt19937& random)
{
    return "user" + std::to_string(index) + "." + pick(kLastNames, random) + "@" + pick(kDomains, random);
}

// One record per line; a fifth of the lines repeat an earlier address in random case.
void writeList(const QString& path, int rows)
{
    std::mt19937 random(20240601);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    std::string block;
    char buffer[256];
    for (int row = 0; row < rows; ++row) {
        const bool repeat = row > 0 && random() % 5 == 0;
        const std::string mail = repeat ? randomCase(address(int(random() % unsigned(row)), random), random)
                                        : address(row, random);
        std::snprintf(buffer, sizeof buffer, "%s;%s;%s;%s;+49 30 %07u;%s GmbH;20%02u-%02u-%02u;%u;%05u;DE\r\n",
                      mail.c_str(), pick(kFirstNames, random), pick(kLastNames, random), pick(kCities, random),
                      unsigned(random() % 10000000), pick(kLastNames, random), unsigned(random() % 25),
                      unsigned(random() % 12 + 1), unsigned(random() % 28 + 1), unsigned(random() % 100000),
                      unsigned(random() % 100000));
        block += buffer;
        if (block.size() > (1 << 20)) {
            file.write(block.data(), qint64(block.size()));
            block.clear();
        }
    }
    file.write(block.data(), qint64(block.size()));
}

// A figure of /proc/self/status in megabytes: "VmHWM" (peak resident) or "VmRSS" (resident now).
double statusMegabytes(const QByteArray& field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field + ':'))
            return double(line.mid(field.size() + 1).trimmed().split(' ').first().toLong()) / 1024;
    return -1;
}

bool sameFiles(const QString& a, const QString& b)
{
    QFile first(a), second(b);
    if (!first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    while (!first.atEnd())
        if (first.read(1 << 20) != second.read(1 << 20))
            return false;
    return true;
}

double secondsOf(QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir scratch(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/list-grid-XXXXXX" : QString());
    const QString input = scratch.filePath("list.txt");
    const QString output = scratch.filePath("saved.txt");
    writeList(input, rows);
    std::printf("list: %d records x %d fields, %.1f MB\n", rows, kColumns, double(QFileInfo(input).size()) / 1e6);

    QElapsedTimer timer;
    timer.start();
    StringGrid grid;
    if (!ReadListFile(grid, input, ";").fileFound)
        return 1;
    const double loadSeconds = secondsOf(timer);
    const double loadPeak = statusMegabytes("VmHWM");
    const double gridResident = statusMegabytes("VmRSS");   // the file's bytes are freed by now

    timer.restart();
    const bool written = SaveListFile(grid, output, ";");
    const double saveSeconds = secondsOf(timer);

    timer.restart();
    QProcess sort;
    sort.setStandardOutputFile(QProcess::nullDevice());
    sort.start("sort", {"-u", "-t;", "-k1,1", "-f", input});
    sort.waitForFinished(-1);
    const double sortSeconds = secondsOf(timer);

    const bool same = written && sameFiles(input, output);
    std::printf("grid: %d rows x %d columns\n", grid.rowCount() - 1, grid.columnCount());
    std::printf("load %.2f s (target 2.0), save %.2f s (target 1.0), sort -u for scale %.2f s\n", loadSeconds,
                saveSeconds, sortSeconds);
    std::printf("peak resident after load %.0f MB, at the end %.0f MB (target 400); resident with the grid "
                "alone %.0f MB\n",
                loadPeak, statusMegabytes("VmHWM"), gridResident);
    std::printf("saved bytes %s the input\n", same ? "equal" : "DIFFER FROM");
    return same ? 0 : 1;
}

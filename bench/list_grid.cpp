// Benchmark of the list grid: writes a list of 1,000,000 records x 10 fields (e-mail first, a fifth of the
// addresses repeated in random letter case, ";" between fields, CR LF), loads it into a string grid and saves
// it back as the project editor does (ReadListFile, SaveListFile), checks that the saved bytes equal the input,
// and prints the seconds and the peak resident memory beside the time of `sort -u -t';' -k1,1 -f` on the same
// file. Usage: bench_list_grid [rows] [folder]

#include "bench/list_generator.h"
#include "core/project/list_file.h"
#include "platform/string_grid.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

using namespace bench;

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 1000000;
    QTemporaryDir scratch(argc > 2 ? QString::fromLocal8Bit(argv[2]) + "/list-grid-XXXXXX" : QString());
    const QString input = scratch.filePath("list.txt");
    const QString output = scratch.filePath("saved.txt");
    writeList(input, rows);
    std::printf("list: %d records x %d fields, %.1f MB\n", rows, kListColumns, double(QFileInfo(input).size()) / 1e6);

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

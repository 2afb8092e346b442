// Benchmark of the import wizard's text path against the list-file load, as two processes to be timed side by
// side (each run prints its rows, seconds and peak resident memory):
//   bench_list_import write FILE [rows]   writes a spreadsheet-style CSV (default 1,000,000 lines): e-mail first,
//                                         a quarter of the names quoted with a comma inside, one record in a
//                                         thousand with a quoted line break
//   bench_list_import wizard FILE         FILE through the wizard's model: step 2 (the text and its preview
//                                         index), comma chosen, the import into an empty list
//   bench_list_import listfile FILE       FILE loaded as the project's list file with the delimiter ","

#include "bench/list_generator.h"
#include "core/project/list_file.h"
#include "lists/import_splitters.h"
#include "lists/import_wizard_model.h"
#include "platform/string_grid.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstring>

using namespace bench;

namespace {

void writeCsv(const QString& path, int rows)
{
    std::mt19937 random(20240611);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    std::string block;
    char buffer[256];
    for (int row = 0; row < rows; ++row) {
        const char* first = pick(kFirstNames, random);
        const char* last = pick(kLastNames, random);
        char name[64];
        if (row % 1000 == 999)
            std::snprintf(name, sizeof name, "\"%s\r\n%s\"", first, last);
        else if (row % 4 == 0)
            std::snprintf(name, sizeof name, "\"%s, %s\"", last, first);
        else
            std::snprintf(name, sizeof name, "%s %s", first, last);
        std::snprintf(buffer, sizeof buffer, "%s,%s,%s,+49 30 %07u,%s GmbH,20%02u-%02u-%02u,%u,%05u,DE\r\n",
                      listAddress(row).c_str(), name, pick(kCities, random), unsigned(random() % 10000000),
                      pick(kLastNames, random), unsigned(random() % 25), unsigned(random() % 12 + 1),
                      unsigned(random() % 28 + 1), unsigned(random() % 100000), unsigned(random() % 100000));
        block += buffer;
        if (block.size() > (1 << 20)) {
            file.write(block.data(), qint64(block.size()));
            block.clear();
        }
    }
    file.write(block.data(), qint64(block.size()));
}

int importThroughWizard(const QString& path, StringGrid& grid)
{
    ImportWizardModel model;
    if (!model.chooseFile(path) || !model.enterSource().isEmpty())
        return -1;
    model.leaveSource(true, 1);
    model.leaveDelimiters(DelimiterComma, QString());
    const ImportResult result = model.runImport(grid);
    return result.ok ? result.rowsWritten : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_list_import write|wizard|listfile FILE [rows]\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (std::strcmp(argv[1], "write") == 0) {
        writeCsv(path, argc > 3 ? std::atoi(argv[3]) : 1000000);
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    StringGrid grid;
    int rows = -1;
    if (std::strcmp(argv[1], "wizard") == 0)
        rows = importThroughWizard(path, grid);
    else if (std::strcmp(argv[1], "listfile") == 0)
        rows = ReadListFile(grid, path, ",").fileFound ? grid.rowCount() - 1 : -1;
    std::printf("%s: %d rows x %d columns, %.2f s, peak resident %.0f MB\n", argv[1], rows, grid.columnCount(),
                secondsOf(timer), statusMegabytes("VmHWM"));
    return rows < 0 ? 1 : 0;
}

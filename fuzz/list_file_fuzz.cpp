// libFuzzer target for the list file: the first byte picks the delimiter from the delimiter box, the rest is
// the file. Any file loads; each line's fields are those of the line splitter; saving and loading keeps every
// record's text, and repeated saves settle on the same bytes.
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 list_file_fuzz (see scripts/fuzz).

#include "core/project/list_file.h"
#include "fuzz/fuzz_files.h"
#include "platform/string_grid.h"
#include "platform/text_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray saveAndLoad(StringGrid& grid, const QString& delimiter)
{
    const QString path = fuzzfiles::scratchFolder() + QStringLiteral("saved.txt");
    if (!SaveListFile(grid, path, delimiter))
        std::abort();
    ReadListFile(grid, path, delimiter);
    return fuzzfiles::readScratchFile(QStringLiteral("saved.txt"));
}

// The records as text: trailing empty cells dropped, and with them records of empty cells only. A save writes
// the delimiter after such cells, which ends the line rather than adding a field, so they are not kept as cells.
QList<QStringList> recordTexts(const StringGrid& grid)
{
    QList<QStringList> records;
    for (int row = 1; row < grid.rowCount(); ++row) {
        QStringList cells = grid.rowCells(row);
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        if (!cells.isEmpty())
            records.append(cells);
    }
    return records;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const QStringList items = DelimiterItems();
    const QString delimiter = DelimiterFromName(items[data[0] % items.size()]);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const QString path = fuzzfiles::writeScratchFile(QStringLiteral("list.txt"), bytes);

    StringGrid grid;
    const ListLoadResult loaded = ReadListFile(grid, path, delimiter);
    if (!loaded.fileFound || grid.rowCount() < 2 || grid.rowCount() != loaded.records + 1 + (loaded.records == 0))
        std::abort();

    // The grid's rows are the splitter's fields of the non-empty lines, in order (UTF-16 text may hold lone
    // surrogates, which the grid's UTF-8 cannot carry).
    if (bytes.startsWith("\xFF\xFE"))
        return 0;
    const QStringList lines = splitLines(decodeText(bytes));
    int row = 1;
    QStringList fields;
    for (const QString& line : lines) {
        SplitListLine(delimiter, line, fields);
        if (fields.isEmpty())
            continue;
        const QStringList cells = grid.rowCells(row++);
        for (qsizetype i = 0; i < cells.size(); ++i)
            if (cells[i] != (i < fields.size() ? fields[i] : QString()))
                std::abort();
    }
    if (row != loaded.records + 1)
        std::abort();

    // A line's last delimiter ends it rather than adding a field, so each save and load drops one trailing empty
    // cell (and a record left with none is an empty line the next load skips): the bytes settle within one round
    // per column, and no record's text changes on the way.
    const QList<QStringList> records = recordTexts(grid);
    const int rounds = grid.columnCount() + 2;
    QByteArray saved = saveAndLoad(grid, delimiter);
    for (int round = 0; round < rounds; ++round) {
        if (recordTexts(grid) != records)
            std::abort();
        const QByteArray again = saveAndLoad(grid, delimiter);
        if (again == saved)
            return 0;
        saved = again;
    }
    std::abort();
}

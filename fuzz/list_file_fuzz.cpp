// libFuzzer target for the list file: the first byte picks the delimiter from the delimiter box, the rest is
// the file. Any file loads; each line's fields are those of the line splitter; once saved and loaded, saving
// and loading again gives the same bytes.
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

    // The first save writes a record of empty cells in a one-column list as an empty line, which the next
    // load skips as every reader does; from then on a save and load changes nothing.
    saveAndLoad(grid, delimiter);
    const QByteArray saved = saveAndLoad(grid, delimiter);
    if (saveAndLoad(grid, delimiter) != saved)
        std::abort();
    return 0;
}

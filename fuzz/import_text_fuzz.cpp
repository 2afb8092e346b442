// libFuzzer target for the import wizard's text path: any bytes must decode (or be refused with a reason);
// every line must split by a break mask into fields that make up the line; the delimited records must take
// every line exactly once, each at least one line, with cells that fit the text they came from; and the
// cells flattened for a list must hold no line break and no list delimiter. The first byte picks "Dos", the
// delimiter bits and a break column.

#include "lists/delimited_records.h"
#include "lists/import_splitters.h"
#include "lists/import_text_file.h"
#include "platform/string_grid_delimited.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void checkRecords(const ImportText& text, const QString& delimiters, bool consecutiveAsOne)
{
    DelimitedRecordReader reader(text, delimiters, consecutiveAsOne);
    QByteArray scratch;
    QByteArray flattened;
    for (int line = 0; line < text.lineCount();) {
        const int taken = reader.read(line);
        if (taken < 1 || line + taken > text.lineCount())
            std::abort();
        qsizetype recordBytes = taken - 1;   // the line feeds between its lines
        for (int i = line; i < line + taken; ++i)
            recordBytes += text.lineUtf8(i, scratch).size();
        qsizetype cellBytes = 0;
        for (const QByteArrayView cell : reader.cells()) {
            cellBytes += cell.size();
            const QByteArrayView flat = flattenListCell(cell, ";", flattened) ? QByteArrayView(flattened) : cell;
            if (flat.contains('\r') || flat.contains('\n') || flat.contains(';'))
                std::abort();
        }
        if (cellBytes > recordBytes)
            std::abort();
        line += taken;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int choice = data[0];
    const ImportTextFile file =
        decodeImportText(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)), choice & 1);
    if (file.ok != file.error.isEmpty())
        std::abort();   // a refusal always says why
    const ImportText& text = *file.text;
    for (int index = 0; index < text.lineCount(); ++index) {
        const QString line = text.line(index);
        if (line.size() > text.longestLine())
            std::abort();
        const QString mask = toggleBreak(fitBreakMask(QString(), int(line.size())), choice % 17);
        qsizetype total = 0;
        for (const QString& field : splitFixedWidthLine(line, mask))
            total += field.size();
        if (total != line.size())
            std::abort();
    }
    checkRecords(text, delimiterCharacters(choice >> 1, u'|'), choice & 64);
    return 0;
}

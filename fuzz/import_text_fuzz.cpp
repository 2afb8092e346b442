// libFuzzer target for the import wizard's text path: any bytes must decode (or be refused with a reason),
// and every decoded line must split, delimited and by a break mask, into fields that lie within the line.
// The first byte picks "Dos", the delimiter bits and a break column. Build and run (clang, from the root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/import_text_fuzz.cpp \
//       lists/import_text_file.cpp lists/import_splitters.cpp platform/text_file.cpp platform/code_page.cpp \
//       $(pkg-config --cflags --libs Qt6Core) -o /tmp/import_text_fuzz
//   /tmp/import_text_fuzz -max_len=4096 -max_total_time=60 fuzz/corpus/import_text_fuzz

#include "lists/import_splitters.h"
#include "lists/import_text_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const int choice = data[0];
    const ImportTextFile file =
        decodeImportText(QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1)), choice & 1);
    if (file.ok != file.error.isEmpty())
        std::abort();   // a refusal always says why
    const QString delimiters = delimiterCharacters(choice >> 1, u'|');
    for (const QString& line : file.lines) {
        qsizetype total = 0;
        for (const QString& field : splitDelimitedLine(line, delimiters, choice & 64))
            total += field.size();
        if (total > line.size())
            std::abort();
        const QString mask = toggleBreak(fitBreakMask(QString(), int(line.size())), choice % 17);
        total = 0;
        for (const QString& field : splitFixedWidthLine(line, mask))
            total += field.size();
        if (total != line.size())
            std::abort();
    }
    return 0;
}

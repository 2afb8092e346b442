// libFuzzer target for the index file reader: any bytes, opened as a ".mdx" (first byte 2 or 3, the
// versions) or else as a single-index file beside a small fixed table, must open or be left out with a reason, never read
// outside the file or loop; an index that opens is walked by the cursor through every tag both ways.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/index_file_fuzz.cpp \
//       $(ls dbase/*.cpp | grep -v table_model) platform/code_page.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/index_file_fuzz
//   /tmp/index_file_fuzz -max_len=16384 -max_total_time=60 fuzz/corpus/index_file_fuzz

#include "dbase/dbf_file.h"
#include "dbase/index_cursor.h"
#include "dbase/index_file.h"
#include "fuzz/fuzz_files.h"


#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// A dBase III table (language id 0x57) with NAME C 10 and CNT N 5, written once.
QString tablePath()
{
    static const QString path = [] {
        QByteArray table(32 + 2 * 32 + 1, '\0');
        table[0] = 0x03;
        table[8] = char(table.size());
        table[10] = 16;
        table[29] = 0x57;
        const char* names[] = {"NAME", "CNT"};
        const char types[] = {'C', 'N'};
        const int sizes[] = {10, 5};
        for (int i = 0; i < 2; ++i) {
            qstrcpy(table.data() + 32 + 32 * i, names[i]);
            table[32 + 32 * i + 11] = types[i];
            table[32 + 32 * i + 16] = char(sizes[i]);
        }
        table[32 + 64] = 0x0D;
        table += " Smith        42\x1A";
        return fuzzfiles::writeScratchFile(QStringLiteral("index_file_fuzz.dbf"), table);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDbfFile table;
    table.Open(tablePath(), TPagedFileMode::pfReadOnly);
    const bool multiple = size > 0 && (data[0] == 2 || data[0] == 3);
    const QString indexPath = fuzzfiles::writeScratchFile(
        multiple ? QStringLiteral("index_file_fuzz.mdx") : QStringLiteral("index_file_fuzz.ndx"),
        QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    TIndexFile index;
    if (!index.Open(indexPath, table)) {
        if (index.errorString().isEmpty())
            std::abort();
        return 0;
    }
    for (int tag = 0; tag < index.tagCount(); ++tag) {
        TIndexCursor cursor(index, tag);
        while (cursor.Next())
            (void)index.keyText(cursor.currentKey());
        while (cursor.Prev())
            (void)cursor.SequentialRecNo();
        cursor.setSequentialRecNo(cursor.SequentialRecordCount() / 2);
    }
    return 0;
}

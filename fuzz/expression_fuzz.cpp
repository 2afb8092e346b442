// libFuzzer target for the expression compiler: any text, compiled as an index key over a small fixed
// table, must compile or raise the parser's or the table's error, never crash or hang; a compiled key is
// evaluated over a blank record and a filled one.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/expression_fuzz.cpp \
//       $(ls dbase/*.cpp | grep -v table_model) platform/code_page.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/expression_fuzz
//   /tmp/expression_fuzz -max_len=512 -max_total_time=60 fuzz/corpus/expression_fuzz

#include "dbase/dbf_error.h"
#include "dbase/dbf_file.h"
#include "dbase/dbf_parser.h"
#include "fuzz/fuzz_files.h"


#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// A dBase III table with NAME C 10, CNT N 5, AMOUNT N 8.2, BORN D 8 and OK L 1, written once.
QString tablePath()
{
    static const QString path = [] {
        const char* names[] = {"NAME", "CNT", "AMOUNT", "BORN", "OK"};
        const char types[] = {'C', 'N', 'N', 'D', 'L'};
        const int sizes[] = {10, 5, 8, 8, 1};
        const int decimals[] = {0, 0, 2, 0, 0};
        QByteArray table(32 + 5 * 32 + 1, '\0');
        table[0] = 0x03;
        table[8] = char(table.size());
        table[10] = 33;
        table[29] = 0x57;
        for (int i = 0; i < 5; ++i) {
            qstrcpy(table.data() + 32 + 32 * i, names[i]);
            table[32 + 32 * i + 11] = types[i];
            table[32 + 32 * i + 16] = char(sizes[i]);
            table[32 + 32 * i + 17] = char(decimals[i]);
        }
        table[32 + 160] = 0x0D;
        table += " Smith        42  -12.5019690720T\x1A";
        return fuzzfiles::writeScratchFile(QStringLiteral("expression_fuzz.dbf"), table);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TDbfFile table;
    if (!table.isOpen())
        table.Open(tablePath(), TPagedFileMode::pfReadOnly);
    QByteArray record;
    if (!table.readRecord(1, record))
        std::abort();
    TDbfIndexParser parser(table);
    try {
        parser.ParseExpression(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        parser.ExtractFromBuffer(record);
    } catch (const EParserException&) {
    } catch (const EDbfError&) {
    }
    return 0;
}

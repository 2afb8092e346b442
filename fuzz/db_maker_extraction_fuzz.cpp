// libFuzzer target for the DB Maker extraction over one file's bytes: the first byte picks the record
// markers and fields, the rest is the file. Every run must end, stay inside the bytes and give no more rows
// than records; the table and delimited modes read the same bytes.
// Build and run (clang, from the source root):
//   clang++ -std=c++20 -g -O1 -fPIC -fsanitize=fuzzer,address,undefined -I. fuzz/db_maker_extraction_fuzz.cpp \
//       lists/db_maker_engine.cpp lists/db_maker_field.cpp lists/db_maker_records.cpp lists/db_maker_walk.cpp \
//       lists/db_maker_table.cpp lists/db_maker_delimited.cpp platform/text_file.cpp platform/code_page.cpp \
//       platform/file_mask.cpp $(pkg-config --cflags --libs Qt6Core) -o /tmp/db_maker_extraction_fuzz
//   /tmp/db_maker_extraction_fuzz -max_len=4096 -max_total_time=60 fuzz/corpus/db_maker_extraction_fuzz

#include "lists/db_maker_delimited.h"
#include "lists/db_maker_engine.h"
#include "lists/db_maker_field.h"
#include "lists/db_maker_table.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

DbMakerSettings settingsFor(uint8_t choice)
{
    static const char* const begins[] = {"", "<tr>", "#", "name:"};
    static const char* const ends[] = {"", "\n", "</tr>", ";"};
    static const QList<QStringList> fieldSets[] = {
        {{"Mail", "^Find@", "", "", "", "", "", "", "Yes"}},
        {{"Url", "^FindUrl^+^FindDomain", "", "2"}, {"Any", "^Find@^+^Other"}},
        {{"Text", "a", "b", "1", "3", "2", "2", "2"}, {"Rest", "", "", "", "", "", "", "", "Yes"}},
        {{"Lines", "<br>", "", "0", "", "", "1", "3"}, {"Words", " ", "", "", "", "4"}},
    };
    DbMakerSettings settings;
    settings.beginMarker = begins[choice & 3];
    settings.endMarker = ends[(choice >> 2) & 3];
    settings.fieldRows = fieldSets[(choice >> 4) & 3];
    settings.limitLength = choice & 0x40;
    settings.maxLength = QString::number(choice & 0x0F);
    return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView bytes(data + 1, qsizetype(size - 1));
    const QList<QStringList> rows = extractFieldRows(bytes, settingsFor(data[0]));
    if (rows.size() > bytes.size())
        std::abort();   // every record holds at least one byte
    const QByteArray lowered = lowerAscii(bytes);
    htmlTableRows(bytes, lowered, 1 + data[0] % 3);
    const QString line = QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 512)));
    for (DelimitedRule rule : {DelimitedRule::Plain, DelimitedRule::SeveralAsOne, DelimitedRule::QuoteAware})
        splitDelimitedLine(line, ';', rule);
    return 0;
}

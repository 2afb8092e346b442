// libFuzzer target for the DB Maker extraction over one file's bytes: the first byte picks the record
// markers and fields, the rest is the file. Every run must end, stay inside the bytes and give no more rows
// than records; reading the file in small pieces gives the rows of reading it whole, in field mode as in the
// table and delimited modes, and passing over records that cannot give a value gives the rows of cutting
// each one. Records past a small hold limit are searched as they are read (their values may be cut at their
// window, so only the bounds are checked there).
// Build and run: scripts/fuzz build, then scripts/fuzz run 60 db_maker_extraction_fuzz (see scripts/fuzz).

#include "lists/db_maker_delimited.h"
#include "lists/db_maker_engine.h"
#include "lists/db_maker_field.h"
#include "lists/db_maker_piece_modes.h"
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

// Table mode over bytes read maxRead at a time.
QList<QStringList> tableRows(QByteArrayView bytes, int number, qsizetype maxRead)
{
    MemoryByteSource source(bytes, maxRead);
    SlidingBuffer buffer(maxRead, true);
    buffer.reset(&source);
    return tableRowsInPieces(buffer, number);
}

QList<QStringList> delimitedRows(QByteArrayView bytes, DelimitedRule rule, qsizetype maxRead)
{
    MemoryByteSource source(bytes, maxRead);
    SlidingBuffer buffer(maxRead, false);
    buffer.reset(&source);
    QList<QStringList> all;
    delimitedRowsInPieces(buffer, ';', rule, [&](const QList<QStringList>& rows, qsizetype) {
        all << rows;
        return true;
    });
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const QByteArrayView bytes(data + 1, qsizetype(size - 1));
    const qsizetype smallPieces = 1 + data[0] % 7;
    const qsizetype wholeFile = bytes.size() + 1;   // one piece (not 8 MB, which would slow every run)
    const DbMakerSettings settings = settingsFor(data[0]);
    const QList<QStringList> rows = extractFieldRows(bytes, settings, wholeFile);
    if (rows.size() > bytes.size())
        std::abort();   // every record holds at least one byte
    if (extractFieldRows(bytes, settings, smallPieces) != rows)
        std::abort();
    if (extractFieldRows(bytes, settings, smallPieces, 16).size() > bytes.size())
        std::abort();
    if (!settings.limitLength) {   // a maximum no record reaches cuts each record, passing over none
        DbMakerSettings oneByOne = settings;
        oneByOne.limitLength = true;
        oneByOne.maxLength = "1000000000";
        if (extractFieldRows(bytes, oneByOne, smallPieces) != rows)
            std::abort();
    }
    const int table = 1 + data[0] % 3;
    if (tableRows(bytes, table, smallPieces) != htmlTableRows(bytes, lowerAscii(bytes), table))
        std::abort();
    const DelimitedRule rule = DelimitedRule(data[0] % 3);
    if (delimitedRows(bytes, rule, smallPieces) != delimitedRows(bytes, rule, wholeFile))
        std::abort();
    const QString line = QString::fromLatin1(bytes.first(std::min<qsizetype>(bytes.size(), 512)));
    for (DelimitedRule each : {DelimitedRule::Plain, DelimitedRule::SeveralAsOne, DelimitedRule::QuoteAware})
        splitDelimitedLine(line, ';', each);
    return 0;
}

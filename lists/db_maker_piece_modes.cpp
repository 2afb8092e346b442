// Table and delimited modes in pieces: see db_maker_piece_modes.h.

#include "lists/db_maker_piece_modes.h"

#include "lists/db_maker_table.h"
#include "platform/text_file.h"

#include <algorithm>
#include <optional>

namespace {

// Reads on until the buffer holds limit bytes from `from` or the file ends.
void holdFrom(SlidingBuffer& buffer, qint64 from, qint64 limit)
{
    while (buffer.end() - from < limit && buffer.readMore(from)) {
    }
}

// The offset of the number-th "<table" (each search going on 5 bytes past the last hit, as the whole-text
// search does), with up to holdLimit bytes from there held; nothing when the file has fewer tables.
std::optional<qint64> findTable(SlidingBuffer& buffer, int number, qsizetype holdLimit)
{
    constexpr QByteArrayView tag = "<table";
    qint64 table = -5;
    for (int found = 0; found < number; ++found) {
        qint64 from = table + 5;
        for (;;) {
            const qsizetype at = buffer.lowered(from, buffer.end()).indexOf(tag);
            if (at >= 0) {
                table = from + at;
                break;
            }
            from = std::max(from, buffer.end() - tag.size() + 1);
            if (!buffer.readMore(from))
                return std::nullopt;
        }
    }
    holdFrom(buffer, table, holdLimit);
    return table;
}

// The end of the next piece of lines from start: just after the last line end held, reading on while there
// is none; at the end of the file, or at the hold limit for a line that long, the end of the bytes held.
qint64 linePieceEnd(SlidingBuffer& buffer, qint64 start, qint64 keep, qsizetype holdLimit)
{
    for (;;) {
        if (buffer.atEnd())
            return buffer.end();
        const QByteArrayView held = buffer.text(start, buffer.end());
        const qsizetype lastBreak = std::max(held.lastIndexOf('\n'), held.lastIndexOf('\r'));
        if (lastBreak >= 0)
            return start + lastBreak + 1;
        if (held.size() >= holdLimit)
            return buffer.end();
        buffer.readMore(keep);
    }
}

void addRows(QByteArrayView bytes, QChar delimiter, DelimitedRule rule, QList<QStringList>& rows)
{
    for (const QString& line : splitLines(decodeText(bytes))) {
        const QStringList values = splitDelimitedLine(line, delimiter, rule);
        if (std::any_of(values.begin(), values.end(), [](const QString& value) { return !value.isEmpty(); }))
            rows << values;
    }
}

}  // namespace

QList<QStringList> tableRowsInPieces(SlidingBuffer& buffer, int number, qsizetype holdLimit)
{
    const auto table = number < 1 ? std::nullopt : findTable(buffer, number, holdLimit);
    if (!table)
        return {};
    const qint64 end = std::min(buffer.end(), *table + holdLimit);
    return htmlTableRows(buffer.text(*table, end), buffer.lowered(*table, end), 1);
}

// Every piece but the first is decoded with the line end before it, which only adds an empty line (and empty
// lines give no row): so a piece that happens to start with FF FE or EF BB BF is not taken for a marked file.
bool delimitedRowsInPieces(SlidingBuffer& buffer, QChar delimiter, DelimitedRule rule, const DelimitedRowsSink& sink,
                           qsizetype holdLimit)
{
    QList<QStringList> rows;
    holdFrom(buffer, 0, 2);
    if (buffer.text(0, buffer.end()).startsWith("\xFF\xFE")) {
        holdFrom(buffer, 0, holdLimit);
        const QByteArrayView text = buffer.text(0, std::min<qint64>(buffer.end(), holdLimit));
        addRows(text, delimiter, rule, rows);
        return sink(rows, text.size());
    }
    for (qint64 start = 0;;) {
        const qint64 keep = std::max<qint64>(start - 1, 0);   // the line end before start stays
        holdFrom(buffer, keep, start - keep + buffer.pieceSize());
        if (start >= buffer.end())
            return true;
        const qint64 cut = linePieceEnd(buffer, start, keep, holdLimit);
        rows.clear();
        addRows(buffer.text(keep, cut), delimiter, rule, rows);
        if (!sink(rows, qsizetype(cut - keep)))
            return false;
        start = cut;
    }
}

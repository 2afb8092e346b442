// DB Maker's table and delimited modes over files read in pieces of every size: the rows are those of the
// whole text, whatever falls on the joins (tags, CR LF pairs, marks at the start of a later piece).

#include "lists/db_maker_field.h"
#include "lists/db_maker_piece_modes.h"
#include "lists/db_maker_table.h"
#include "platform/text_file.h"

#include <gtest/gtest.h>

namespace {

struct PieceSizes {
    qsizetype maxRead;
    qsizetype pieceSize;
};
constexpr PieceSizes pieceSizes[] = {{1, 1}, {2, 3}, {5, 4}, {7, 16}, {64, 8}, {1 << 20, 1 << 20}};

QList<QStringList> tableInPieces(const QByteArray& text, int number, PieceSizes sizes)
{
    MemoryByteSource source(text, sizes.maxRead);
    SlidingBuffer buffer(sizes.pieceSize, true);
    buffer.reset(&source);
    return tableRowsInPieces(buffer, number);
}

QList<QStringList> delimitedInPieces(const QByteArray& text, DelimitedRule rule, PieceSizes sizes)
{
    MemoryByteSource source(text, sizes.maxRead);
    SlidingBuffer buffer(sizes.pieceSize, false);
    buffer.reset(&source);
    QList<QStringList> all;
    delimitedRowsInPieces(buffer, ';', rule, [&](const QList<QStringList>& rows, qsizetype) {
        all << rows;
        return true;
    });
    return all;
}

// The rows of the whole text at once, as the engine read it before it read files in pieces.
QList<QStringList> delimitedWhole(const QByteArray& text, DelimitedRule rule)
{
    QList<QStringList> rows;
    for (const QString& line : splitLines(decodeText(text))) {
        const QStringList values = splitDelimitedLine(line, ';', rule);
        if (std::any_of(values.begin(), values.end(), [](const QString& value) { return !value.isEmpty(); }))
            rows << values;
    }
    return rows;
}

const QByteArray pages = "<html><table><tr><td>first</td></tr></table>\r\n"
                         "<TABLE border=1>\r\n<tr><th>Head</th><td>A&nbsp;B</td><td><b>Bold</b>\ttext</td></tr>\r\n"
                         "<tr><td>outer<table><tr><td>inner</td></tr></table>end</td><td>2</td></TR>\r\n"
                         "</table><table><tr><td>third</td><td>Zo\xC3\xAB</td></tr></table><table><tr><td>cut";

TEST(DbMakerPieceModes, TableRowsAreThoseOfTheWholeText)
{
    const QByteArray lowered = lowerAscii(pages);
    for (int number = 0; number <= 5; ++number) {
        const QList<QStringList> whole = htmlTableRows(pages, lowered, number);
        for (const PieceSizes sizes : pieceSizes)
            EXPECT_EQ(tableInPieces(pages, number, sizes), whole)
                << "table " << number << " pieces " << sizes.maxRead << "/" << sizes.pieceSize;
    }
    EXPECT_EQ(tableInPieces(pages, 4, {3, 2}), (QList<QStringList>{{"third", QString::fromUtf8("Zoë")}}));   // the nested one is third
}

TEST(DbMakerPieceModes, DelimitedRowsAreThoseOfTheWholeText)
{
    const QByteArray texts[] = {
        "\xEF\xBB\xBFname;mail\r\nAnn;a@x.test\r\nM\xFCller;m@x.test\rZo\xC3\xAB;z@x.test\n\n;\n",
        "first;1\n\xEF\xBB\xBFmarked;2\r\n\xFF\xFElegacy;3\r\nlast;4",
        "no line end at all;x",
        QByteArray("\xFF\xFE" "a\0;\0b\0\r\0\n\0c\0;\0d\0", 18),
    };
    for (const QByteArray& text : texts) {
        for (DelimitedRule rule : {DelimitedRule::Plain, DelimitedRule::SeveralAsOne, DelimitedRule::QuoteAware}) {
            const QList<QStringList> whole = delimitedWhole(text, rule);
            for (const PieceSizes sizes : pieceSizes)
                EXPECT_EQ(delimitedInPieces(text, rule, sizes), whole)
                    << text.toStdString() << " pieces " << sizes.maxRead << "/" << sizes.pieceSize;
        }
    }
}

}  // namespace

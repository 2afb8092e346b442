// DB Maker record cutting and row keeping: every cut ends, degenerate markers included, and a file read in
// pieces of any size (and records past the hold limit) is cut exactly as the whole text is.

#include "lists/db_maker_engine.h"
#include "lists/db_maker_record_stream.h"
#include "lists/db_maker_records.h"

#include <gtest/gtest.h>

#include <random>

namespace {

struct Cut {
    qint64 start;
    qint64 length;
    QByteArray text;   // as held
    friend bool operator==(const Cut&, const Cut&) = default;
};

// The records of text read maxRead bytes at a time through a buffer of pieceSize bytes.
QList<Cut> streamRecords(const QByteArray& text, const QByteArray& begin, const QByteArray& end,
                         qsizetype maxLength, qsizetype maxRead, qsizetype pieceSize = 4,
                         qsizetype holdLimit = DbMakerRecordHoldLimit)
{
    MemoryByteSource source(text, maxRead);
    SlidingBuffer buffer(pieceSize, true);
    buffer.reset(&source);
    RecordStream records(buffer, begin, end, maxLength, holdLimit);
    QList<Cut> cuts;
    while (const auto record = records.next()) {
        cuts << Cut{record->start, record->length, record->text.toByteArray()};
        if (cuts.size() > text.size())
            break;   // the cut does not end
    }
    return cuts;
}

// The cut over the whole text at once, as the engine did before it read files in pieces: the reference.
QList<Cut> wholeTextRecords(const QByteArray& text, const QByteArray& begin, QByteArray end, qsizetype maxLength)
{
    if (end.isEmpty())
        end = begin;
    QList<Cut> cuts;
    for (qsizetype position = 0; position < text.size();) {
        const qsizetype start = begin.isEmpty() ? position : text.indexOf(begin, position);
        if (start < 0)
            break;
        const qsizetype from = std::max(start + begin.size() - 1, start + 1);
        const qsizetype endAt = end.isEmpty() || from > text.size() ? -1 : text.indexOf(end, from);
        qsizetype length = (endAt < 0 ? text.size() : endAt) - start;
        if (maxLength > 0)
            length = std::min(length, maxLength);
        cuts << Cut{start, length, text.mid(start, length)};
        position = start + length;
    }
    return cuts;
}

struct CutCase {
    const char* name;
    QByteArray text;
    QByteArray begin;
    QByteArray end;
    qsizetype maxLength;
    QList<QByteArray> records;
};

class RecordStreamTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(RecordStreamTest, CutsAndEndsWhateverThePieces)
{
    const CutCase& c = GetParam();
    for (qsizetype maxRead : {1, 2, 3, 7, 1 << 20}) {
        QList<QByteArray> records;
        for (const Cut& cut : streamRecords(c.text, c.begin, c.end, c.maxLength, maxRead))
            records << cut.text;
        EXPECT_EQ(records, c.records) << "pieces of " << maxRead;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Markers, RecordStreamTest,
    ::testing::Values(
        CutCase{"begin_and_end", "x<r>a</r><r>b</r>", "<r>", "</r>", 0, {"<r>a", "<r>b"}},
        CutCase{"end_marker_missing_takes_rest", "<r>a<r>b", "<r>", "</r>", 0, {"<r>a<r>b"}},
        CutCase{"begin_never_found", "abc", "zz", "", 0, {}},
        CutCase{"both_empty_is_one_record", "a\nb", "", "", 0, {"a\nb"}},
        CutCase{"empty_begin_end_at_line_ends", "a\nb\nc", "", "\n", 0, {"a", "\nb", "\nc"}},
        CutCase{"empty_begin_text_starts_with_end", "\n\nx", "", "\n", 0, {"\n", "\nx"}},
        CutCase{"one_byte_begin_without_end", "#a#b##", "#", "", 0, {"#a", "#b", "#", "#"}},
        CutCase{"begin_is_end_marker", "<p>a<p>b", "<p>", "", 0, {"<p>a", "<p>b"}},
        CutCase{"maximum_length", "abcde", "", "", 2, {"ab", "cd", "e"}},
        CutCase{"maximum_length_one_with_markers", "#ab#c", "#", "", 1, {"#", "#"}},
        CutCase{"maximum_beyond_a_far_end_marker", "eaaaaaaaaaee", "e", "ee", 3, {"eaa", "ee"}},
        CutCase{"empty_text", "", "", "\n", 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Random texts over a small alphabet, so markers meet often, overlap and straddle the joins of the pieces.
TEST(RecordStream, RandomTextsAreCutAsTheWholeTextIs)
{
    std::mt19937 random(31);
    const QByteArray alphabet = "ab<>\n";
    const QList<QByteArray> markers{"", "a", "ab", "<a>", "aa", "\n", "b\nb"};
    for (int round = 0; round < 400; ++round) {
        QByteArray text;
        const int size = int(random() % 200);
        for (int i = 0; i < size; ++i)
            text += alphabet[int(random() % alphabet.size())];
        const QByteArray begin = markers[random() % markers.size()];
        const QByteArray end = markers[random() % markers.size()];
        const qsizetype maxLength = random() % 3 == 0 ? qsizetype(random() % 9) : 0;
        const QList<Cut> expected = wholeTextRecords(text, begin, end, maxLength);
        const qsizetype maxRead = 1 + qsizetype(random() % 9);
        ASSERT_EQ(streamRecords(text, begin, end, maxLength, maxRead, 1 + qsizetype(random() % 6)), expected)
            << text.toStdString() << " begin " << begin.toStdString() << " end " << end.toStdString() << " max "
            << maxLength << " read " << maxRead;
    }
}

// A record longer than the hold limit keeps its place and length; it is not held (the long-record search
// takes its bytes as they are read).
TEST(RecordStream, RecordPastTheHoldLimitIsCutWhereTheWholeTextCutsIt)
{
    const QByteArray text = "<r>" + QByteArray(100, 'x') + "</r><r>tail</r>";
    const QList<Cut> whole = wholeTextRecords(text, "<r>", "</r>", 0);
    const QList<Cut> held = streamRecords(text, "<r>", "</r>", 0, 7, 4, 10);
    ASSERT_EQ(held.size(), whole.size());
    EXPECT_EQ(held[0].start, whole[0].start);
    EXPECT_EQ(held[0].length, whole[0].length);
    EXPECT_TRUE(held[0].text.isEmpty());
    EXPECT_EQ(held[1], whole[1]);
}

TEST(RecordLength, ZeroNegativeAndNonNumbersMeanNoLimit)
{
    EXPECT_EQ(maximumRecordLength(true, "1000"), 1000);
    EXPECT_EQ(maximumRecordLength(true, " 12 "), 12);
    EXPECT_EQ(maximumRecordLength(true, "0"), 0);
    EXPECT_EQ(maximumRecordLength(true, "-5"), 0);
    EXPECT_EQ(maximumRecordLength(true, "lots"), 0);
    EXPECT_EQ(maximumRecordLength(false, "10"), 0);
}

DbMakerSettings lineSettings(const QList<QStringList>& fields)
{
    DbMakerSettings settings;
    settings.endMarker = "\n";
    settings.fieldRows = fields;
    return settings;
}

TEST(RowKeeping, RowsWithoutValuesAreDropped)
{
    const auto rows = extractFieldRows("no address\nx@y.z\n\n", lineSettings({{"Mail", "^Find@"}}));
    EXPECT_EQ(rows, (QList<QStringList>{{"x@y.z"}}));
}

TEST(RowKeeping, UniqueValuesIgnoreCase)
{
    const auto rows = extractFieldRows("A@x.com\nb@y.com\na@X.COM\n",
                                       lineSettings({{"Mail", "^Find@", "", "", "", "", "", "", "Yes"}}));
    EXPECT_EQ(rows, (QList<QStringList>{{"A@x.com"}, {"b@y.com"}}));
}

// Row 2 is dropped for its second value; its first value must not block row 3.
TEST(RowKeeping, ADroppedRowBlocksNothingLater)
{
    const QList<QStringList> fields{{"Name", "", " ", "", "", "", "", "", "Yes"},
                                    {"Code", " ", "", "", "", "", "", "", "Yes"}};
    const auto rows = extractFieldRows("a 1\nx 1\nx 9\n", lineSettings(fields));
    EXPECT_EQ(rows, (QList<QStringList>{{"a", "1"}, {"x", "9"}}));
}

TEST(RowKeeping, ControlCharactersLeaveValues)
{
    DbMakerSettings settings = lineSettings({{"Text", "v=", ";"}});
    settings.endMarker = "#";
    const auto rows = extractFieldRows("v=a\tb\r\nc;#", settings);
    EXPECT_EQ(rows, (QList<QStringList>{{"abc"}}));
}

TEST(RowKeeping, FileWithoutLineBreaksOrBinaryBytesEnds)
{
    QByteArray binary;
    for (quint32 i = 0; i < 1u << 20; ++i) {
        const char byte = char((i * 7919u) % 256u);
        binary += byte == '\n' || byte == '@' ? '\0' : byte;   // one record, one address
    }
    binary += " me@host.org ";
    const auto rows = extractFieldRows(binary, lineSettings({{"Mail", "^Find@"}}));
    EXPECT_EQ(rows, QList<QStringList>{{"me@host.org"}});
}

}  // namespace

namespace {

// The rows of field mode do not depend on how the file is read, the record filter included.
TEST(RowKeeping, RowsDoNotDependOnThePieces)
{
    const QByteArray text = "From: Ann <ann@x.test>\r\nSee <a HREF=\"http://www.x.test/a/b\">it</a> or www.y.test\r\n"
                            "<br>Name: Bob Smith; bob@Y.TEST<br>\r\nNAME: ann again ann@X.test\r\n\r\nTail: x@z";
    DbMakerSettings keywords = lineSettings({{"Mail", "^Find@", "", "", "", "", "", "", "Yes"},
                                             {"Url", "^FindUrl^+^FindDomain"}});
    DbMakerSettings literal;
    literal.beginMarker = "name:";
    literal.endMarker = "<br>";
    literal.fieldRows = {{"Name", "name:", ";", "", "", "2"}, {"Next", "", "", "", "", "", "1", "2"}};
    DbMakerSettings limited = lineSettings({{"Any", "a", "", "2", "5"}});
    limited.limitLength = true;
    limited.maxLength = "9";
    for (const DbMakerSettings& settings : {keywords, literal, limited}) {
        const QList<QStringList> whole = extractFieldRows(text, settings);
        ASSERT_FALSE(whole.isEmpty());
        for (qsizetype pieceSize : {1, 2, 3, 5, 8, 13})
            EXPECT_EQ(extractFieldRows(text, settings, pieceSize), whole) << "pieces of " << pieceSize;
    }
}

// Records cut at line ends are passed over up to the next "@" or link; a maximum length that no record
// reaches cuts the same records one by one, so both must give the same rows.
TEST(RowKeeping, PassingOverRecordsGivesTheRowsOfCuttingEachOne)
{
    const QByteArray text = "@first\nno address\n  ^@\nx@\n@\n\nmid a@b.c end\r\nhttp://w.x/y www.z \nlast@";
    for (const QList<QStringList>& fields : {QList<QStringList>{{"Mail", "^Find@"}},
                                             QList<QStringList>{{"Link", "^FindUrl"}, {"Mail", "^Find@", "", "2"}}}) {
        DbMakerSettings skipping = lineSettings(fields);
        DbMakerSettings oneByOne = skipping;
        oneByOne.limitLength = true;
        oneByOne.maxLength = "1000000";
        for (qsizetype pieceSize : {1, 2, 4, 1 << 20})
            EXPECT_EQ(extractFieldRows(text, skipping, pieceSize), extractFieldRows(text, oneByOne, pieceSize))
                << "pieces of " << pieceSize;
    }
}

}  // namespace

// DB Maker record cutting and row keeping: every cut ends, degenerate markers included.

#include "lists/db_maker_engine.h"
#include "lists/db_maker_records.h"

#include <gtest/gtest.h>

namespace {

struct CutCase {
    const char* name;
    QByteArray text;
    QByteArray begin;
    QByteArray end;
    qsizetype maxLength;
    QList<QByteArray> records;
};

class RecordCutterTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(RecordCutterTest, CutsAndEnds)
{
    const CutCase& c = GetParam();
    RecordCutter cutter(c.text, c.begin, c.end, c.maxLength);
    QList<QByteArray> records;
    while (const auto record = cutter.next()) {
        records << c.text.mid(record->start, record->length);
        ASSERT_LE(records.size(), c.text.size()) << "the cut does not end";
    }
    EXPECT_EQ(records, c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, RecordCutterTest,
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
        CutCase{"empty_text", "", "", "\n", 0, {}}),
    [](const auto& info) { return std::string(info.param.name); });

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

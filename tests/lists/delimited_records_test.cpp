// The wizard's delimited records: quoted fields across lines, doubled quotes, text after a closing quote, a
// quote that never closes (given back, not swallowing the lines after it), consecutive delimiters, a
// delimiter beyond ASCII and the quote itself as a delimiter, on UTF-8 and UTF-16 text.

#include "lists/delimited_records.h"
#include "lists/import_text_file.h"
#include "tests/lists/list_grids.h"

#include <gtest/gtest.h>

namespace {

struct Record {
    QStringList cells;
    int lines;
    bool operator==(const Record&) const = default;
};

void PrintTo(const Record& record, std::ostream* os)
{
    *os << record.lines << " line(s): " << record.cells.join(" | ").toStdString();
}

std::vector<Record> recordsOf(const QByteArray& bytes, const QString& delimiters, bool consecutiveAsOne = false)
{
    const ImportTextFile file = decodeImportText(bytes, false);
    EXPECT_TRUE(file.ok) << file.error.toStdString();
    DelimitedRecordReader reader(*file.text, delimiters, consecutiveAsOne);
    std::vector<Record> records;
    for (int line = 0; line < file.text->lineCount();) {
        const int lines = reader.read(line);
        QStringList cells;
        for (const QByteArrayView cell : reader.cells())
            cells << QString::fromUtf8(cell);
        records.push_back({cells, lines});
        line += lines;
    }
    return records;
}

QByteArray utf16(const QString& text)
{
    return QByteArray("\xFF\xFE", 2) + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

struct RecordCase {
    const char* name;
    QByteArray bytes;
    QString delimiters;
    bool consecutiveAsOne;
    std::vector<Record> records;
};

class DelimitedRecordsTest : public ::testing::TestWithParam<RecordCase> {};

TEST_P(DelimitedRecordsTest, ReadsEveryLineOnce)
{
    const RecordCase& c = GetParam();
    EXPECT_EQ(recordsOf(c.bytes, c.delimiters, c.consecutiveAsOne), c.records);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, DelimitedRecordsTest,
    ::testing::Values(
        RecordCase{"quoted_lines_and_an_empty_one", "\"a\r\n\r\nb\",c\r\n\r\nd\r\n", ",", false,
                   {{{"a\n\nb", "c"}, 3}, {{}, 1}, {{"d"}, 1}}},
        RecordCase{"two_quoted_fields_across_lines", "\"x\ny\",\"1\n2\",z\n", ",", false, {{{"x\ny", "1\n2", "z"}, 3}}},
        RecordCase{"unclosed_quote_at_the_end", "a,\"open\nb,c\n", ",", false,
                   {{{"a", "\"open"}, 1}, {{"b", "c"}, 1}}},
        RecordCase{"unclosed_quote_after_a_closed_one", "\"ok\nstill\",\"open\nnext\n", ",", false,
                   {{{"ok\nstill", "\"open"}, 2}, {{"next"}, 1}}},
        RecordCase{"consecutive_delimiters_around_quotes", "a;;\"b;c\";;d\n", ";", true, {{{"a", "b;c", "d"}, 1}}},
        RecordCase{"quote_as_the_delimiter", "a\"\"b\n", "\"", false, {{{"a", "", "b"}, 1}}},
        RecordCase{"delimiter_beyond_ascii", "Zo\xC3\xAB\xC2\xA7\"x\xC2\xA7y\"\xC2\xA7z\n", QString(QChar(0xA7)), false,
                   {{{"Zo\u00EB", "x\u00A7y", "z"}, 1}}},
        RecordCase{"utf16_csv", utf16(QString::fromUtf8("\"M\xC3\xBCller, Jan\",a@x\r\n\"1\r\n2\",b\r\n")), ",", false,
                   {{{"M\u00FCller, Jan", "a@x"}, 1}, {{"1\n2", "b"}, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Lines without a quote at a field's start are cut as the wizard always cut them: at every delimiter
// character, blanks kept, a delimiter at the end adding no field.
struct PlainCase {
    const char* name;
    QByteArray line;
    QString delimiters;
    bool consecutiveAsOne;
    QStringList fields;
};

class PlainLineTest : public ::testing::TestWithParam<PlainCase> {};

TEST_P(PlainLineTest, CutsAtEveryDelimiterCharacter)
{
    const PlainCase& c = GetParam();
    EXPECT_EQ(recordsOf(c.line, c.delimiters, c.consecutiveAsOne), (std::vector<Record>{{c.fields, 1}}));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PlainLineTest,
    ::testing::Values(
        PlainCase{"repeated", "a;;b", ";", false, {"a", "", "b"}},
        PlainCase{"repeated_as_one", "a;;b", ";", true, {"a", "b"}},
        PlainCase{"mixed_run_as_one", "a;, ;b", ";, ", true, {"a", "b"}},
        PlainCase{"leading", ";a", ";", false, {"", "a"}},
        PlainCase{"leading_as_one", ";;a", ";", true, {"", "a"}},
        PlainCase{"trailing_adds_no_field", "a;b;", ";", false, {"a", "b"}},
        PlainCase{"two_trailing", "a;;", ";", false, {"a", ""}},
        PlainCase{"two_trailing_as_one", "a;;", ";", true, {"a"}},
        PlainCase{"only_a_delimiter", ";", ";", false, {""}},
        PlainCase{"several_characters", "a,b\tc;d e", ";,\t ", false, {"a", "b", "c", "d", "e"}},
        PlainCase{"blanks_kept", " a ; b ", ";", false, {" a ", " b "}},
        PlainCase{"quotes_inside_fields_kept", "a\"x;y\";z", ";", false, {"a\"x", "y\"", "z"}},
        PlainCase{"no_delimiter_chosen", "a;b", "", false, {"a;b"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A quoted field that would grow past MaxLineBytes is taken as unquoted: its line alone, the next lines
// read as records of their own.
TEST(DelimitedRecordsLimitTest, RunawayQuoteGivesItsLinesBack)
{
    QByteArray bytes = "\"runaway,1\n";
    const QByteArray line = QByteArray(1000, 'x') + ",2\n";
    for (qsizetype size = 0; size <= MaxLineBytes; size += line.size())
        bytes += line;
    bytes += "\"late close\n";
    const std::vector<Record> records = recordsOf(bytes, ",");
    ASSERT_GT(records.size(), 2u);
    EXPECT_EQ(records.front(), (Record{{"\"runaway", "1"}, 1}));
    EXPECT_EQ(records[1], (Record{{QString(1000, 'x'), "2"}, 1}));
}

}  // namespace

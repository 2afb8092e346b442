// DB Maker field search: the keywords, the literal options in their order, and the values handed out.

#include "lists/db_maker_field.h"

#include <gtest/gtest.h>

namespace {

// The value of a field with these cells in record, or "<none>" when it is not found.
QString valueOf(const QByteArray& record, const QStringList& cells)
{
    const auto field = fieldFromCells(cells);
    if (!field)
        return QStringLiteral("<no field>");
    const QByteArray lowered = lowerAscii(record);
    const auto span = searchField(lowered, *field);
    if (!span)
        return QStringLiteral("<none>");
    return decodeFieldValue(QByteArrayView(record).sliced(span->start, span->end - span->start));
}

struct FieldCase {
    const char* name;
    QByteArray record;
    QStringList cells;   // name, begin, end, identifier number, symbols, words, lines, line number, unique
    QString value;
};

class DbMakerFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(DbMakerFieldTest, FindsTheValue)
{
    EXPECT_EQ(valueOf(GetParam().record, GetParam().cells).toStdString(), GetParam().value.toStdString());
}

QStringList cells(const char* begin, const char* end = "", const char* occurrence = "", const char* symbols = "",
                  const char* words = "", const char* lines = "", const char* lineNumber = "")
{
    return {"F", begin, end, occurrence, symbols, words, lines, lineNumber, ""};
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, DbMakerFieldTest,
    ::testing::Values(
        FieldCase{"address_between_blank_and_semicolon", "write to John.Doe@Example.com; thanks",
                  cells("^Find@"), "John.Doe@Example.com"},
        FieldCase{"address_after_mailto", "<a href=\"mailto:ann@site.org\">Ann</a>", cells("^Find@"),
                  "ann@site.org"},
        FieldCase{"url_from_href", "<a href=\"http://www.example.com/path/page.htm\">x</a>", cells("^FindUrl"),
                  "http://www.example.com/path/page.htm"},
        FieldCase{"domain_from_href", "<a href=\"http://www.example.com/path/page.htm\">x</a>",
                  cells("^FindDomain"), "http://www.example.com"},
        FieldCase{"bare_at_is_skipped", "a @ b then x@y.z", cells("^Find@"), "x@y.z"},
        FieldCase{"bare_www_is_skipped", "see www. or www.real.com", cells("^FindUrl"), "www.real.com"},
        FieldCase{"second_hit", "a@b.c and d@e.f", cells("^Find@", "", "2"), "d@e.f"},
        FieldCase{"third_hit_missing", "a@b.c and d@e.f", cells("^Find@", "", "3"), "<none>"},
        FieldCase{"occurrence_zero", "a@b.c", cells("^Find@", "", "0"), "<none>"},
        FieldCase{"smallest_start_wins", "mail x@y.z or www.site.com", cells("^FindUrl^+^Find@"), "x@y.z"},
        FieldCase{"smallest_start_wins_other_way", "www.site.com or x@y.z", cells("^Find@^+^FindUrl"),
                  "www.site.com"},
        FieldCase{"unknown_alternative_finds_nothing", "x@y.z", cells("^Other"), "<none>"},
        FieldCase{"unknown_alternative_beside_known", "x@y.z", cells("^Other^+^Find@"), "x@y.z"},
        FieldCase{"address_to_record_end", "x@y.z", cells("^find@"), "x@y.z"},
        FieldCase{"slash_stops_backward_scan", "path/to:me@host.org", cells("^Find@"), "me@host.org"},
        FieldCase{"non_ascii_stops", "\xC3\xA9me@host.org", cells("^Find@"), "me@host.org"}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Literal, DbMakerFieldTest,
    ::testing::Values(
        FieldCase{"second_occurrence", "name: a name: b c", cells("name: ", "", "2"), "b"},
        FieldCase{"occurrence_missing", "name: a", cells("name: ", "", "2"), "<none>"},
        FieldCase{"occurrence_zero", "name: a", cells("name: ", "", "0"), "<none>"},
        FieldCase{"occurrence_not_a_number_is_one", "id=7 id=8", cells("id=", "", "x"), "7"},
        FieldCase{"end_text_found", "<b>Bob Smith</b> x", cells("<B>", "</b>"), "Bob Smith"},
        FieldCase{"end_text_not_found_takes_rest", "<b>Bob Smith", cells("<b>", "</b>"), "Bob Smith"},
        FieldCase{"start_at_one_is_cut_by_end_text", "abc;def", cells("", ";"), "abc"},
        FieldCase{"blank_is_default_end", "name=Joe Smith", cells("name="), "Joe"},
        FieldCase{"no_blank_takes_rest", "name=Joe", cells("name="), "Joe"},
        FieldCase{"line_number_crlf", "a\r\nb\r\nc", cells("", "", "", "", "", "", "2"), "b"
                                                                                        "c"},
        FieldCase{"line_number_and_one_line", "a\r\nb\r\nc", cells("", "", "", "", "", "1", "2"), "b"},
        FieldCase{"line_number_br_crlf", "a<br>\r\nb<br>c d", cells("", "", "", "", "", "", "3"), "c d"},
        FieldCase{"line_number_missing", "a\r\nb", cells("", "", "", "", "", "", "3"), "<none>"},
        FieldCase{"two_lines_over_three_forms", "l1\r\nl2<br>l3<br>\r\nl4", cells("", "", "", "", "", "2"),
                  "l1l2<br>"},
        FieldCase{"lines_br_crlf_kept_whole", "l1<br>\r\nl2", cells("", "", "", "", "", "1"), "l1<br>"},
        FieldCase{"more_lines_than_present", "l1\r\nl2", cells("", "", "", "", "", "5"), "l1l2"},
        FieldCase{"lf_alone_is_no_break", "l1\nl2\r\nl3", cells("", "", "", "", "", "1"), "l1l2"},
        FieldCase{"symbols", "id=12345", cells("id=", "", "", "3"), "123"},
        FieldCase{"symbols_longer_than_field", "id=12", cells("id=", "", "", "9"), "12"},
        FieldCase{"end_text_then_symbols", "id=12345;9", cells("id=", ";", "", "4"), "1234"},
        FieldCase{"words", "name: John Smith Jr", cells("name:", "", "", "", "2"), "John Smith"},
        FieldCase{"words_skip_separator_runs", "name: (John), Smith. Jr", cells("name:", "", "", "", "2"),
                  "John), Smith"},
        FieldCase{"fewer_words_keep_end", "name: John", cells("name:", "", "", "", "3"), "John"},
        FieldCase{"tab_cr_lf_removed", "v=a\tb\r\nc", cells("v=", "", "", "", "", "2"), "abc"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DbMakerFieldRows, RowsWithoutANameAreSkippedAndBadNumbersDefault)
{
    const QList<DbMakerField> fields =
        fieldsFromRows({{"  ", "a"}, {"Mail", "^FIND@^+^findurl", "", "", "x", "", "", "", "Yes"}, {"Short"}});
    ASSERT_EQ(fields.size(), 2);
    EXPECT_EQ(fields[0].name, QStringLiteral("Mail"));
    EXPECT_EQ(fields[0].keywords, (QList<KeywordKind>{KeywordKind::Email, KeywordKind::Url}));
    EXPECT_EQ(fields[0].occurrence, 1);
    EXPECT_EQ(fields[0].symbols, 0);
    EXPECT_TRUE(fields[0].unique);
    EXPECT_TRUE(fields[1].keywords.isEmpty());
    EXPECT_FALSE(fields[1].unique);
}

TEST(DbMakerFieldValue, DecodesUtf8AndLegacyBytes)
{
    EXPECT_EQ(decodeFieldValue("J\xC3\xBCrgen"), QStringLiteral("J\u00FCrgen"));
    EXPECT_EQ(decodeFieldValue("J\xFCrgen"), QStringLiteral("J\u00FCrgen"));
    EXPECT_EQ(decodeFieldValue("\xFF\xFE"), QStringLiteral("\u00FF\u00FE"));
}

// Many hits in one long record without stop characters: the scans must stay linear (this would take
// minutes if each hit scanned back to the record's start).
TEST(DbMakerFieldValue, ManyHitsInALongRunStayFast)
{
    QByteArray record;
    for (int i = 0; i < 200000; ++i)
        record += "a@";
    const auto span = searchKeywords(record, {KeywordKind::Email}, 150000);
    ASSERT_TRUE(span.has_value());
    EXPECT_EQ(span->start, 0);
    EXPECT_EQ(span->end, record.size());
}

}  // namespace

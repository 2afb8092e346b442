// The list file and the list grid: line splitting, delimiter names and stored values, loading into the grid
// (titles, widest line, skipped empty lines, line ends, encodings, Stop), saving byte for byte and failing,
// column clamping, the e-mail cleaning and the delimiter-change decision.

#include "core/project/list_file.h"

#include "platform/widgets/message_box.h"
#include "platform/string_grid.h"
#include "tests/support/test_files.h"
#include "tests/support/test_home.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using sorvanta::test::readFileBytes;
using sorvanta::test::testHome;
using sorvanta::test::writeFileBytes;

using Rows = std::vector<QStringList>;

// Rows 1 .. RowCount-1 of the grid.
Rows recordRows(const StringGrid& grid)
{
    Rows rows;
    for (int row = 1; row < grid.rowCount(); ++row)
        rows.push_back(grid.rowCells(row));
    return rows;
}

StringGrid gridOf(const Rows& records)
{
    StringGrid grid(int(records.front().size()), int(records.size()) + 1);
    for (std::size_t i = 0; i < records.size(); ++i)
        grid.setRowCells(int(i) + 1, records[i]);
    return grid;
}

// ---- record count ----

// An empty list is a grid of two rows whose one record is blank; the count shown for it is 0, not 1.
TEST(ListRecordCount, IsZeroForAnEmptyListAndTheRecordsOtherwise)
{
    EXPECT_EQ(listRecordCount(gridOf({{""}})), 0);
    EXPECT_EQ(listRecordCount(gridOf({{" ", "\t"}})), 0);
    EXPECT_EQ(listRecordCount(gridOf({{"", "ann@example.test"}})), 1);
    EXPECT_EQ(listRecordCount(gridOf({{""}, {""}})), 2);
    EXPECT_EQ(listRecordCount(gridOf({{"a"}, {"b"}, {"c"}})), 3);
    StringGrid missing(4, 7);
    ReadListFile(missing, testHome() + "absent.txt", ";");
    EXPECT_EQ(listRecordCount(missing), 0);
}

// ---- SplitListLine ----

struct SplitCase {
    const char* name;
    QString delimiter;
    QString line;
    QStringList fields;
};

class SplitListLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitListLineTest, GivesTheTrimmedFields)
{
    QStringList fields = {"left over"};
    SplitListLine(GetParam().delimiter, GetParam().line, fields);
    EXPECT_EQ(fields, GetParam().fields);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SplitListLineTest,
    ::testing::Values(SplitCase{"empty_field_between", ";", "a;;b", {"a", "", "b"}},
                      SplitCase{"trailing_delimiter_adds_nothing", ";", "a;b;", {"a", "b"}},
                      SplitCase{"leading_delimiter", ";", ";a", {"", "a"}},
                      SplitCase{"blanks_only", ";", "   ", {""}},
                      SplitCase{"delimiter_only", ";", ";", {""}},
                      SplitCase{"empty_line", ";", "", {}},
                      SplitCase{"fields_trimmed_of_blanks_and_controls", ";", " a \t; \x01 b ", {"a", "b"}},
                      SplitCase{"no_quoting", ",", "\"Doe, John\",x", {"\"Doe", "John\"", "x"}},
                      SplitCase{"tab", "\t", "a\tb c\t", {"a", "b c"}},
                      SplitCase{"blank", " ", "a  b", {"a", "", "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- delimiter names ----

struct DelimiterCase {
    const char* name;
    QString stored;
    QString delimiter;
};

class DelimiterFromNameTest : public ::testing::TestWithParam<DelimiterCase> {};

TEST_P(DelimiterFromNameTest, GivesOneCharacter)
{
    EXPECT_EQ(DelimiterFromName(GetParam().stored), GetParam().delimiter);
}

INSTANTIATE_TEST_SUITE_P(
    Names, DelimiterFromNameTest,
    ::testing::Values(DelimiterCase{"tab", "Tab", "\t"}, DelimiterCase{"space", "Space", " "},
                      DelimiterCase{"semicolon", ";", ";"}, DelimiterCase{"tab_character", "\t", "\t"},
                      DelimiterCase{"blank_character", " ", " "}, DelimiterCase{"tab_and_blank", "Tab ", "\t"},
                      DelimiterCase{"tab_other_case", "TAB", "\t"}, DelimiterCase{"space_other_case", " space", " "},
                      DelimiterCase{"empty", "", ";"}, DelimiterCase{"two_characters", ";;", ";"},
                      DelimiterCase{"character_in_blanks", " | ", "|"}, DelimiterCase{"two_tabs", "\t\t", "\t"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DelimiterName, TabAndBlankHaveNamesOthersAreThemselves)
{
    EXPECT_EQ(DelimiterName("\t"), "Tab");
    EXPECT_EQ(DelimiterName(" "), "Space");
    EXPECT_EQ(DelimiterName("|"), "|");
    for (const QString& item : DelimiterItems())
        EXPECT_EQ(DelimiterName(DelimiterFromName(item)), item) << item.toStdString();
    EXPECT_EQ(DelimiterItems().size(), 27);
}

// ---- loading ----

struct LoadCase {
    const char* name;
    QByteArray bytes;
    QString delimiter;
    int columnCount;
    Rows records;
};

class ReadListFileTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(ReadListFileTest, FillsTheGrid)
{
    const LoadCase& c = GetParam();
    const QString path = testHome() + "list.txt";
    writeFileBytes(path, c.bytes);
    StringGrid grid(6, 9);
    grid.setCell(5, 8, "stale");
    const ListLoadResult result = ReadListFile(grid, path, c.delimiter);
    EXPECT_TRUE(result.fileFound);
    EXPECT_FALSE(result.stopped);
    EXPECT_EQ(grid.columnCount(), c.columnCount);
    EXPECT_EQ(recordRows(grid), c.records);
    for (int column = 0; column < grid.columnCount(); ++column)
        EXPECT_EQ(grid.cell(column, 0), QStringLiteral("Column#%1").arg(column + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadListFileTest,
    ::testing::Values(
        LoadCase{"empty_file", "", ";", 1, {{""}}},
        LoadCase{"only_empty_lines", "\r\n\r\n", ";", 1, {{""}}},
        LoadCase{"empty_second_line_skipped", "a;1\r\n\r\nb;2\r\n", ";", 2, {{"a", "1"}, {"b", "2"}}},
        LoadCase{"widest_line_sets_columns", "a;b\r\n1;2;3;4;5\r\nx;y;z\r\n", ";", 5,
                 {{"a", "b", "", "", ""}, {"1", "2", "3", "4", "5"}, {"x", "y", "z", "", ""}}},
        LoadCase{"tab_file_read_with_semicolon", "a\tb \r\n c\td\r\n", ";", 1, {{"a\tb"}, {"c\td"}}},
        LoadCase{"blank_line_is_a_record", "a\r\n   \r\nb", ";", 1, {{"a"}, {""}, {"b"}}},
        LoadCase{"lf_and_cr_line_ends", "a;1\nb;2\rc;3", ";", 2, {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        LoadCase{"utf8_with_bom", "\xEF\xBB\xBFm\xC3\xBCller;x\r\n", ";", 2, {{"m\u00FCller", "x"}}},
        LoadCase{"windows_1252", "m\xFCller;\x80\r\n", ";", 2, {{"m\u00FCller", "\u20AC"}}},
        LoadCase{"utf16", QByteArray("\xFF\xFE" "a\0;\0b\0\r\0\n\0", 12), ";", 2, {{"a", "b"}}},
        LoadCase{"tab_delimiter", "a\tb\r\n", "\t", 2, {{"a", "b"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadListFile, MissingFileGivesTheEmptyList)
{
    StringGrid grid(4, 7);
    const ListLoadResult result = ReadListFile(grid, testHome() + "absent.txt", ";");
    EXPECT_FALSE(result.fileFound);
    EXPECT_TRUE(result.readError.isEmpty());
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 1);
    EXPECT_EQ(grid.cell(0, 0), "Column#1");
    EXPECT_EQ(grid.cell(0, 1), "");
}

TEST(ReadListFile, UnreadableFileGivesTheEmptyListAndTheReason)
{
    StringGrid grid(4, 7);
    const ListLoadResult result = ReadListFile(grid, "/proc/self/mem", ";");   // every read fails
    EXPECT_FALSE(result.fileFound);
    EXPECT_FALSE(result.readError.isEmpty());
    EXPECT_EQ(grid.rowCount(), 2);
    EXPECT_EQ(grid.columnCount(), 1);
}

TEST(ReadListFile, StopKeepsTheRowsReadSoFar)
{
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i)
        bytes += "user" + QByteArray::number(i) + "@example.com;x\r\n";
    const QString path = testHome() + "big.txt";
    writeFileBytes(path, bytes);
    StringGrid grid;
    int calls = 0;
    const ListLoadResult result = ReadListFile(grid, path, ";", [&](int) { return ++calls < 2; });
    EXPECT_TRUE(result.stopped);
    EXPECT_GT(result.records, 0);
    EXPECT_LT(result.records, 20000);
    EXPECT_EQ(grid.rowCount(), result.records + 1);
    EXPECT_EQ(grid.cell(0, result.records), QStringLiteral("user%1@example.com").arg(result.records - 1));
}

// ---- saving ----

struct SaveCase {
    const char* name;
    Rows records;
    QString delimiter;
    QByteArray bytes;
};

class SaveListFileTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveListFileTest, WritesEveryRowButTheTitles)
{
    const SaveCase& c = GetParam();
    StringGrid grid = gridOf(c.records);
    TitleListColumns(grid);
    const QString path = testHome() + "list.txt";
    ASSERT_TRUE(SaveListFile(grid, path, c.delimiter));
    EXPECT_EQ(readFileBytes(path), c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, SaveListFileTest,
    ::testing::Values(SaveCase{"rows_and_empty_cells", {{"a@x.org", "Ann", ""}, {"", "b", "c"}}, ";",
                               "a@x.org;Ann;\r\n;b;c\r\n"},
                      SaveCase{"empty_three_columns", {{"", "", ""}}, ";", ";;\r\n"},
                      SaveCase{"empty_list", {{""}}, ";", "\r\n"},
                      SaveCase{"tab_and_utf8", {{"m\u00FCller", "\u20AC"}}, "\t", "m\xC3\xBCller\t\xE2\x82\xAC\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveListFile, EmptyThreeColumnGridReloadsAsOneRecordOfTwoEmptyFields)
{
    StringGrid grid(3, 2);
    const QString path = testHome() + "list.txt";
    ASSERT_TRUE(SaveListFile(grid, path, ";"));
    StringGrid loaded;
    ReadListFile(loaded, path, ";");
    EXPECT_EQ(recordRows(loaded), Rows({{"", ""}}));   // the last delimiter ends the line and adds no field
}

TEST(SaveListFile, SavedFileReloadsToTheSameBytes)
{
    const QByteArray bytes = "a@x.org;Ann;Berlin\r\nb@y.org;;\r\n;c;d\r\n";
    const QString source = testHome() + "in.txt";
    const QString copy = testHome() + "out.txt";
    writeFileBytes(source, bytes);
    StringGrid grid;
    ReadListFile(grid, source, ";");
    ASSERT_TRUE(SaveListFile(grid, copy, ";"));
    EXPECT_EQ(readFileBytes(copy), bytes);
}

// A cell holding a line break or the delimiter (typed in the list editor, or from an older import) is written
// with a blank in its place, so the reloaded list has the same records in the same columns.
struct FlattenCase {
    const char* name;
    QString delimiter;
    Rows records;
    QByteArray bytes;
    int cellsChanged;
};

class FlattenedSaveTest : public ::testing::TestWithParam<FlattenCase> {};

TEST_P(FlattenedSaveTest, KeepsEveryRecordOnItsLine)
{
    const FlattenCase& c = GetParam();
    StringGrid grid = gridOf(c.records);
    const QString path = testHome() + "list.txt";
    int cellsChanged = -1;
    ASSERT_TRUE(SaveListFile(grid, path, c.delimiter, nullptr, &cellsChanged));
    EXPECT_EQ(readFileBytes(path), c.bytes);
    EXPECT_EQ(cellsChanged, c.cellsChanged);
    StringGrid loaded;
    ReadListFile(loaded, path, c.delimiter);
    EXPECT_EQ(loaded.rowCount(), grid.rowCount());
    EXPECT_EQ(loaded.columnCount(), grid.columnCount());
}

INSTANTIATE_TEST_SUITE_P(
    Cells, FlattenedSaveTest,
    ::testing::Values(
        FlattenCase{"line_breaks_and_delimiter", ";",
                    {{"Line one\r\nLine two", "a@x.org", "Zo\u00EB O'Neil; Jr."}, {"x\ny", "b@x.org", "cr\ronly"}},
                    "Line one Line two;a@x.org;Zo\xC3\xAB O'Neil  Jr.\r\nx y;b@x.org;cr only\r\n", 4},
        FlattenCase{"tab_delimiter", "\t", {{"a\tb", "c;d"}}, "a b\tc;d\r\n", 1},
        FlattenCase{"clean_cells_untouched", ";", {{"a@x.org", "M\u00FCller"}}, "a@x.org;M\xC3\xBCller\r\n", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveListFile, FailedWriteAnswersFalseWithTheReason)
{
    const QString notAFolder = testHome() + "plain_file";
    writeFileBytes(notAFolder, "x");
    QString error;
    EXPECT_FALSE(SaveListFile(StringGrid(), notAFolder + "/list.txt", ";", &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFileBytes(notAFolder), "x");
}

// ---- column choices ----

struct ClampCase {
    const char* name;
    int columnCount;
    int column, columnA;
    int expectedColumn, expectedColumnA;
};

class ClampColumnChoicesTest : public ::testing::TestWithParam<ClampCase> {};

TEST_P(ClampColumnChoicesTest, KeepsOnlyColumnsOfTheList)
{
    const ClampCase& c = GetParam();
    int column = c.column;
    int columnA = c.columnA;
    ClampColumnChoices(c.columnCount, column, columnA);
    EXPECT_EQ(column, c.expectedColumn);
    EXPECT_EQ(columnA, c.expectedColumnA);
}

INSTANTIATE_TEST_SUITE_P(Choices, ClampColumnChoicesTest,
                         ::testing::Values(ClampCase{"inside", 3, 2, 3, 2, 3},
                                           ClampCase{"email_past_the_list", 2, 4, 0, 0, 0},
                                           ClampCase{"email_at_the_count", 2, 2, 1, 0, 1},
                                           ClampCase{"attachment_past_the_list", 2, 1, 3, 1, 0},
                                           ClampCase{"attachment_last_column", 2, 0, 2, 0, 2},
                                           ClampCase{"negatives", 2, -1, -1, 0, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- e-mail cleaning ----

struct CleanCase {
    const char* name;
    QString cell;
    QString cleaned;
};

class CleanEmailAddressTest : public ::testing::TestWithParam<CleanCase> {};

TEST_P(CleanEmailAddressTest, LeavesTheBareAddress)
{
    EXPECT_EQ(CleanEmailAddress(GetParam().cell), GetParam().cleaned);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CleanEmailAddressTest,
    ::testing::Values(CleanCase{"quoted_name_and_brackets", "\"John Doe\" <john@example.com>", "john@example.com"},
                      CleanCase{"name_and_brackets", "John Doe <john@example.com>", "john@example.com"},
                      CleanCase{"words_after", "john@example.com (work) now", "john@example.com"},
                      CleanCase{"bare", "john@example.com", "john@example.com"},
                      CleanCase{"no_at_untouched", "\"John Doe\" <nobody>", "\"John Doe\" <nobody>"},
                      CleanCase{"only_first_brackets", "<a@b.c> <x>", "a@b.c"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CleanEmailColumn, ChangesOnlyTheColumnAndNotTheTitles)
{
    StringGrid grid = gridOf({{"Ann <a@x.org>", "Bob <b@x.org>"}, {"plain", "c@x.org"}});
    grid.setCell(0, 0, "Title <t@x.org>");
    CleanEmailColumn(grid, 0);
    EXPECT_EQ(grid.cell(0, 0), "Title <t@x.org>");
    EXPECT_EQ(recordRows(grid), Rows({{"a@x.org", "Bob <b@x.org>"}, {"plain", "c@x.org"}}));
    CleanEmailColumn(grid, -1);
    CleanEmailColumn(grid, 7);
    EXPECT_EQ(grid.cell(1, 1), "Bob <b@x.org>");
}

// ---- delimiter change ----

struct ChangeCase {
    const char* name;
    QString item;
    bool listFileExists;
    bool modified;
    int answer;                   // of the question, when it is asked
    bool asked;
    DelimiterChange change;
};

class DecideDelimiterChangeTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(DecideDelimiterChangeTest, AsksOnlyWhenUnsavedChangesWouldBeLost)
{
    const ChangeCase& c = GetParam();
    bool asked = false;
    setMessageBoxResponder([&](const QString& text, const QString& caption, unsigned flags) {
        asked = true;
        EXPECT_EQ(text, "reload?");
        EXPECT_EQ(caption, "Confirm");
        EXPECT_EQ(flags, MB_YESNO | MB_ICONQUESTION);
        return c.answer;
    });
    EXPECT_EQ(DecideDelimiterChange(";", c.item, c.listFileExists, c.modified, "reload?", "Confirm"), c.change);
    EXPECT_EQ(asked, c.asked);
    setMessageBoxResponder(nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, DecideDelimiterChangeTest,
    ::testing::Values(ChangeCase{"same", ";", true, true, IDYES, false, DelimiterChange::Unchanged},
                      ChangeCase{"no_list_file", "Tab", false, true, IDYES, false, DelimiterChange::Set},
                      ChangeCase{"unmodified_reloads", "Tab", true, false, IDNO, false, DelimiterChange::SetAndReload},
                      ChangeCase{"modified_yes", "Space", true, true, IDYES, true, DelimiterChange::SetAndReload},
                      ChangeCase{"modified_no", ",", true, true, IDNO, true, DelimiterChange::Refused}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
